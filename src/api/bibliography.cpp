#include "api/bibliography.hpp"
#include "chemistry/ferric_sites.hpp"
#include "thermometry/jadeite.hpp"

#include <cstddef>
#include <tuple>

namespace varno96 {

std::vector<author> authors_of(std::string_view authors, bool &et_al) {
    std::vector<author> list;
    et_al = false;
    while (!authors.empty()) {
        const std::size_t comma = authors.find(", ");
        std::string_view one = authors.substr(0, comma);
        authors = comma == std::string_view::npos ? std::string_view() : authors.substr(comma + 2);
        if (one == "et al.") {
            et_al = true;
            continue;
        }
        const std::size_t blank = one.rfind(' ');
        if (blank == std::string_view::npos)
            list.push_back({std::string(one), {}});
        else
            list.push_back({std::string(one.substr(0, blank)), std::string(one.substr(blank + 1))});
    }
    return list;
}

namespace {

// "S.K." as BibTeX spaces initials: "S. K.".
std::string spaced(std::string_view initials) {
    std::string s;
    for (std::size_t i = 0; i < initials.size(); i++) {
        s += initials[i];
        if (initials[i] == '.' && i + 1 < initials.size()) s += ' ';
    }
    return s;
}

// "{Family}, I. and ..." (braced, so that "Krogh Ravna" stays one family name).
std::string bibtex_names(std::string_view authors) {
    bool et_al = false;
    std::string s;
    for (const author &a : authors_of(authors, et_al))
        s += (s.empty() ? "" : " and ") + std::string("{") + a.family + "}, " + spaced(a.initials);
    return s + (et_al ? " and others" : "");
}

// An en dash as BibTeX writes it between page numbers.
std::string bibtex_pages(std::string_view pages) {
    std::string s(pages);
    const std::string dash = "–";
    if (const auto at = s.find(dash); at != std::string::npos) s.replace(at, dash.size(), "--");
    return s;
}

} // namespace

std::string cited(const reference &r) {
    if (!r.cited.empty()) return std::string(r.cited);
    for (const thermometry::calibration &c : thermometry::calibrations)
        if (&c.citation == &r) return std::string(c.cited);
    for (const thermometry::zr_calibration &c : thermometry::zr_calibrations)
        if (&c.citation == &r) return std::string(c.cited);
    bool et_al = false;
    const auto a = authors_of(r.authors, et_al);
    std::string who = a.front().family;
    if (a.size() == 2 && !et_al) who += " & " + a[1].family;
    if (a.size() > 2 || et_al) who += " et al.";
    return who + " (" + std::to_string(r.year) + ")";
}

std::string bibtex_key(const reference &r) {
    bool et_al = false;
    const std::vector<author> list = authors_of(r.authors, et_al);
    std::string key;
    for (const char c : list.front().family)
        if (c != ' ') key += c;
    return key + std::to_string(r.year);
}

std::string bibtex(const reference &r) {
    const bool chapter = !r.book.empty();
    std::string s = std::string(chapter ? "@incollection{" : "@article{") + bibtex_key(r) + ",\n";
    const auto field = [&](std::string_view name, const std::string &value) {
        if (!value.empty()) s += "  " + std::string(name) + " = {" + value + "},\n";
    };
    field("author", bibtex_names(r.authors));
    field("title", "{" + std::string(r.title) + "}");
    if (chapter) {
        field("booktitle", "{" + std::string(r.book) + "}");
        field("editor", bibtex_names(r.editors));
        field("series", std::string(r.journal));
        field("publisher", std::string(r.publisher));
    } else {
        field("journal", std::string(r.journal));
    }
    field("year", std::to_string(r.year));
    field("volume", std::string(r.volume));
    field("pages", bibtex_pages(r.pages));
    field("doi", std::string(r.doi));
    return s + "}\n";
}

bool listed_before(const reference &a, const reference &b) {
    const auto key = [](const reference &r) {
        bool et_al = false;
        const auto list = authors_of(r.authors, et_al);
        const std::size_t n = et_al ? 3 : std::min<std::size_t>(list.size(), 3);
        return std::tuple(list.front().family, n, r.year);
    };
    return key(a) < key(b);
}

const std::vector<const reference *> &garnet_references(int model) {
    return garnet_model_references[static_cast<std::size_t>(model - 1)];
}

const reference &thermometer_reference(thermometry::key k) {
    return thermometry::about(k).citation;
}

const reference &thermometer_reference(thermometry::zr_key k) {
    return thermometry::about(k).citation;
}

const reference &thermometer_reference(thermometry::any_key k) {
    return *thermometry::about(k).citation;
}

const reference &lowest_pressure_reference() { return thermometry::holland_1980; }

const reference &ferric_sites_reference() { return lindsley_1983; }

const reference &quartz_transition_reference() { return thermometry::holland_powell_2011; }

} // namespace varno96
