#include "api/references.hpp"

#include <cstddef>

namespace varno96 {

namespace {

// clang-format off
const reference ganguly_saxena_1984{{{"Ganguly", "J."}, {"Saxena", "S.K."}}, false, 1984,
    "Mixing properties of aluminosilicate garnets: constraints from natural and experimental data, and applications to geothermo-barometry",
    "American Mineralogist", "69", "88–97", {}, {}, {}, {}};
const reference geiger_1987{{{"Geiger", "C.A."}, {"Newton", "R.C."}, {"Kleppa", "O.J."}}, false, 1987,
    "Enthalpy of mixing of synthetic almandine–grossular and almandine–pyrope garnets from high-temperature solution calorimetry",
    "Geochimica et Cosmochimica Acta", "51", "1755–1763", {}, {}, {}, {}};
const reference newton_haselton_1981{{{"Newton", "R.C."}, {"Haselton", "H.T."}}, false, 1981,
    "Thermodynamics of the garnet–plagioclase–Al2SiO5–quartz geobarometer",
    "Advances in Physical Geochemistry", "1", "131–147", "10.1007/978-1-4612-5871-1_7",
    {{"Newton", "R.C."}, {"Navrotsky", "A."}, {"Wood", "B.J."}}, "Thermodynamics of Minerals and Melts",
    "Springer, New York"};
const reference hackler_wood_1989{{{"Hackler", "R.T."}, {"Wood", "B.J."}}, false, 1989,
    "Experimental determination of Fe and Mg exchange between garnet and olivine and estimation of Fe–Mg mixing properties in garnet",
    "American Mineralogist", "74", "994–999", {}, {}, {}, {}};
const reference berman_1990{{{"Berman", "R.G."}}, false, 1990,
    "Mixing properties of Ca–Mg–Fe–Mn garnets", "American Mineralogist", "75", "328–344", {}, {}, {}, {}};
const reference sengupta_1989{{{"Sengupta", "P."}, {"Dasgupta", "S."}, {"Bhattacharya", "P.K."}}, true, 1989,
    "Mixing behavior in quaternary garnet solid solution and an extended Ganguly–Saxena model",
    "Contributions to Mineralogy and Petrology", "103", "223–227", {}, {}, {}, {}};
const reference powell_1985{{{"Powell", "R."}}, false, 1985,
    "Regression diagnostics and robust regression in geothermometer/geobarometer calibration: the garnet–clinopyroxene geothermometer revisited",
    "Journal of Metamorphic Geology", "3", "231–243", {}, {}, {}, {}};
const reference ellis_green_1979{{{"Ellis", "D.J."}, {"Green", "D.H."}}, false, 1979,
    "An experimental study of the effect of Ca upon garnet–clinopyroxene Fe–Mg exchange equilibria",
    "Contributions to Mineralogy and Petrology", "71", "13–22", {}, {}, {}, {}};
// The calibrations' records give no title.
const reference krogh_1988{{{"Krogh", "E.J."}}, false, 1988, {},
    "Contributions to Mineralogy and Petrology", "99", "44–48", {}, {}, {}, {}};
const reference ai_1994{{{"Ai", "Y."}}, false, 1994, {},
    "Contributions to Mineralogy and Petrology", "115", "467–473", {}, {}, {}, {}};
const reference krogh_ravna_2000{{{"Krogh Ravna", "E."}}, false, 2000, {},
    "Journal of Metamorphic Geology", "18", "211–219", {}, {}, {}, {}};
const reference krogh_raheim_1978{{{"Krogh", "E.J."}, {"Råheim", "A."}}, false, 1978, {},
    "Contributions to Mineralogy and Petrology", "66", "75–80", {}, {}, {}, {}};
const reference green_hellman_1982{{{"Green", "T.H."}, {"Hellman", "P.L."}}, false, 1982, {},
    "Lithos", "15", "253–266", {}, {}, {}, {}};
// clang-format on

std::string names(const std::vector<author> &list, bool et_al) {
    std::string s;
    for (const author &a : list)
        s += (s.empty() ? "" : ", ") + std::string(a.family) + " " + std::string(a.initials);
    return s + (et_al ? ", et al." : "");
}

// "S.K." as BibTeX spaces initials: "S. K.".
std::string spaced(std::string_view initials) {
    std::string s;
    for (std::size_t i = 0; i < initials.size(); i++) {
        s += initials[i];
        if (initials[i] == '.' && i + 1 < initials.size()) s += ' ';
    }
    return s;
}

std::string bibtex_names(const std::vector<author> &list, bool et_al) {
    std::string s;
    for (const author &a : list)
        s += (s.empty() ? "" : " and ") + std::string("{") + std::string(a.family) + "}, " +
             spaced(a.initials);
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
    const auto &a = r.authors;
    std::string who(a.front().family);
    if (a.size() == 2 && !r.et_al) who += " & " + std::string(a[1].family);
    if (a.size() > 2 || r.et_al) who += " et al.";
    return who + " (" + std::to_string(r.year) + ")";
}

std::string full_reference(const reference &r) {
    std::string s = names(r.authors, r.et_al) + " (" + std::to_string(r.year) + ") ";
    if (!r.title.empty()) s += std::string(r.title) + ". ";
    if (!r.book.empty())
        s += "In: " + names(r.editors, false) + " (eds) " + std::string(r.book) + ". ";
    s += std::string(r.journal) + " " + std::string(r.volume) + ", ";
    if (!r.publisher.empty()) s += std::string(r.publisher) + ", ";
    s += std::string(r.pages) + ".";
    if (!r.doi.empty()) s += " doi:" + std::string(r.doi);
    return s;
}

std::string bibtex_key(const reference &r) {
    std::string key;
    for (const char c : r.authors.front().family)
        if (c != ' ') key += c;
    return key + std::to_string(r.year);
}

std::string bibtex(const reference &r, std::string_view key) {
    const bool chapter = !r.book.empty();
    std::string s = std::string(chapter ? "@incollection{" : "@article{") + std::string(key) + ",\n";
    const auto field = [&](std::string_view name, const std::string &value) {
        if (!value.empty()) s += "  " + std::string(name) + " = {" + value + "},\n";
    };
    field("author", bibtex_names(r.authors, r.et_al));
    if (!r.title.empty()) field("title", "{" + std::string(r.title) + "}");
    if (chapter) {
        field("booktitle", "{" + std::string(r.book) + "}");
        field("editor", bibtex_names(r.editors, false));
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

std::vector<const reference *> model_references(int model) {
    switch (model) {
    case 1:
        return {&ganguly_saxena_1984};
    case 2:
        return {&geiger_1987};
    case 3:
        return {&newton_haselton_1981};
    case 4:
        return {&newton_haselton_1981, &hackler_wood_1989};
    case 6:
        return {&berman_1990};
    case 7:
        return {&sengupta_1989};
    default:
        return {};
    }
}

const reference &powell_reference() { return powell_1985; }

const reference &thermometer_reference(thermometry::key k) {
    switch (k) {
    case thermometry::key::eg79:
        return ellis_green_1979;
    case thermometry::key::p85:
        return powell_1985;
    case thermometry::key::k88:
        return krogh_1988;
    case thermometry::key::a94:
        return ai_1994;
    case thermometry::key::kr00:
        return krogh_ravna_2000;
    case thermometry::key::kr78:
        return krogh_raheim_1978;
    case thermometry::key::gh82:
        return green_hellman_1982;
    }
    return powell_1985;
}

} // namespace varno96
