#include "plot/output.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

namespace varno96::plot {

std::optional<picture_format> format_of(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos)
        return std::nullopt;
    std::string ending(path.substr(dot + 1));
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending == "svg") return picture_format::svg;
    if (ending == "pdf") return picture_format::pdf;
    if (ending == "ps") return picture_format::ps;
    return std::nullopt;
}

const CLI::Validator &picture_name() {
    static const CLI::Validator check(
        [](const std::string &name) -> std::string {
            return format_of(name) ? "" : "the name must end in .svg, .pdf or .ps: " + name;
        },
        "", "picture name");
    return check;
}

} // namespace varno96::plot
