#include "plot/support.hpp"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace varno96::test {

plot_run run_plot(const std::vector<std::string> &args, const fs::path &where) {
    return run(VARNO96_PLOT_PROGRAM, args, where);
}

namespace {

// "matrix(a b c d e f)": the translation (e, f).
std::pair<double, double> translation(const char *transform) {
    double m[6] = {};
    if (!transform || std::sscanf(transform, "matrix(%lf %lf %lf %lf %lf %lf)", &m[0], &m[1], &m[2],
                                  &m[3], &m[4], &m[5]) != 6)
        throw std::runtime_error("text without a matrix transform");
    return {m[4], m[5]};
}

void collect(const tinyxml2::XMLElement *e, svg_picture &picture) {
    for (; e != nullptr; e = e->NextSiblingElement()) {
        const std::string name = e->Name();
        if (name == "text") {
            svg_text t;
            std::tie(t.x, t.y) = translation(e->Attribute("transform"));
            t.fill = e->Attribute("fill") ? e->Attribute("fill") : "";
            t.size = e->DoubleAttribute("font-size");
            for (auto *span = e->FirstChildElement("tspan"); span;
                 span = span->NextSiblingElement("tspan"))
                if (span->GetText()) t.text += span->GetText();
            picture.texts.push_back(t);
        } else if (name == "polyline") {
            svg_line l;
            l.stroke = e->Attribute("stroke") ? e->Attribute("stroke") : "";
            l.width = e->DoubleAttribute("stroke-width");
            l.fill = e->Attribute("fill") ? e->Attribute("fill") : "none";
            std::istringstream points(e->Attribute("points") ? e->Attribute("points") : "");
            for (std::string xy; points >> xy;) {
                double x = 0, y = 0;
                if (std::sscanf(xy.c_str(), "%lf,%lf", &x, &y) == 2) l.points.emplace_back(x, y);
            }
            picture.lines.push_back(l);
        } else {
            collect(e->FirstChildElement(), picture);
        }
    }
}

bool numeric(const std::string &s, double &value) {
    char *end = nullptr;
    value = std::strtod(s.c_str(), &end);
    return !s.empty() && end == s.c_str() + s.size();
}

// Least-squares line value = a + b * position through the tick labels.
std::pair<double, double> fit(const std::vector<std::pair<double, double>> &ticks) {
    if (ticks.size() < 2) throw std::runtime_error("fewer than two tick labels");
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = static_cast<double>(ticks.size());
    for (const auto &[x, v] : ticks) sx += x, sy += v, sxx += x * x, sxy += x * v;
    const double b = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return {(sy - b * sx) / n, b};
}

} // namespace

svg_picture read_svg(const std::string &xml) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(xml.c_str(), xml.size()) != tinyxml2::XML_SUCCESS)
        throw std::runtime_error(std::string("not well-formed XML: ") + doc.ErrorStr());
    if (!doc.RootElement() || std::string(doc.RootElement()->Name()) != "svg")
        throw std::runtime_error("not an SVG picture");
    svg_picture picture;
    collect(doc.RootElement()->FirstChildElement(), picture);

    // Numbers that share a row are the T tick labels (the lowest such row), numbers that share
    // a column the P tick labels.
    std::map<double, std::vector<std::pair<double, double>>> rows, columns;
    for (const svg_text &t : picture.texts) {
        double v = 0;
        if (!numeric(t.text, v)) continue;
        rows[std::round(t.y * 10) / 10].emplace_back(t.x, v);
        columns[std::round(t.x * 10) / 10].emplace_back(t.y, v);
    }
    auto by_size = [](const auto &a, const auto &b) { return a.second.size() < b.second.size(); };
    const auto row = std::max_element(rows.begin(), rows.end(), by_size);
    const auto column = std::max_element(columns.begin(), columns.end(), by_size);
    if (row == rows.end() || column == columns.end()) throw std::runtime_error("no tick labels");
    std::tie(picture.p0, picture.p1) = fit(column->second);
    if (row->second.size() >= 2) {
        std::tie(picture.t0, picture.t1) = fit(row->second);
        picture.tick_label_y = row->first;
    } else { // a samples' axis without numbers: the diagram ends below the lowest P label
        picture.tick_label_y =
            std::min_element(column->second.begin(), column->second.end())->first - 5;
    }
    return picture;
}

std::vector<svg_text> svg_picture::marks(const std::string &glyph, const std::string &fill) const {
    std::vector<svg_text> r;
    for (const svg_text &t : texts)
        if (t.text == glyph && t.fill == fill && t.y > tick_label_y) r.push_back(t);
    return r;
}

bool svg_picture::has_text(const std::string &text) const {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const svg_text &t) { return t.text == text; });
}

std::vector<std::pair<double, double>> svg_picture::line_points(const std::string &stroke,
                                                                double width) const {
    std::vector<std::pair<double, double>> r;
    for (const svg_line &l : lines)
        if (l.stroke == stroke && l.fill == "none" && std::fabs(l.width - width) < 1e-6 &&
            std::all_of(l.points.begin(), l.points.end(),
                        [&](const auto &xy) { return xy.second > tick_label_y; }))
            for (const auto &[x, y] : l.points) r.push_back(pt(x, y));
    return r;
}

std::pair<std::size_t, std::size_t> svg_picture::filled(const std::string &fill) const {
    std::pair<std::size_t, std::size_t> n{0, 0};
    for (const svg_line &l : lines)
        if (l.fill == fill && !l.points.empty())
            (l.points.front().second > tick_label_y ? n.first : n.second)++;
    return n;
}

std::pair<std::size_t, std::size_t> pair_counts(const std::string &pt_file) {
    std::pair<std::size_t, std::size_t> n{0, 0};
    int pass = 1;
    std::istringstream in(pt_file);
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(" \r") == std::string::npos)
            pass++;
        else
            (pass == 1 ? n.first : n.second)++;
    }
    return n;
}

} // namespace varno96::test
