// The publications behind the garnet models and the thermometers, once, with their fields, so
// that a reference list, a legend or a bibliography is made of them alike.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

struct reference {
    std::string_view authors; // "Ganguly J., Saxena S.K.", as the reference list gives them
    int year = 0;
    std::string_view title;
    std::string_view journal; // or the series of a book
    std::string_view volume;
    std::string_view pages; // "88–97"
    std::string_view doi = {};
    // A chapter of a book: its editors, title and publisher.
    std::string_view editors = {}, book = {}, publisher = {};
    std::string_view cited = {}; // as a text cites it: "Ganguly & Saxena (1984)"
};

// clang-format off
inline constexpr reference ganguly_saxena_1984{
    "Ganguly J., Saxena S.K.", 1984,
    "Mixing properties of aluminosilicate garnets: constraints from natural and experimental "
    "data, and applications to geothermo-barometry",
    "American Mineralogist", "69", "88–97", {}, {}, {}, {}, "Ganguly & Saxena (1984)"};
inline constexpr reference geiger_et_al_1987{
    "Geiger C.A., Newton R.C., Kleppa O.J.", 1987,
    "Enthalpy of mixing of synthetic almandine–grossular and almandine–pyrope garnets from "
    "high-temperature solution calorimetry",
    "Geochimica et Cosmochimica Acta", "51", "1755–1763", {}, {}, {}, {}, "Geiger et al. (1987)"};
inline constexpr reference newton_haselton_1981{
    "Newton R.C., Haselton H.T.", 1981,
    "Thermodynamics of the garnet–plagioclase–Al2SiO5–quartz geobarometer",
    "Advances in Physical Geochemistry", "1", "131–147", "10.1007/978-1-4612-5871-1_7",
    "Newton R.C., Navrotsky A., Wood B.J.", "Thermodynamics of Minerals and Melts",
    "Springer, New York", "Newton & Haselton (1981)"};
inline constexpr reference hackler_wood_1989{
    "Hackler R.T., Wood B.J.", 1989,
    "Experimental determination of Fe and Mg exchange between garnet and olivine and estimation "
    "of Fe–Mg mixing properties in garnet",
    "American Mineralogist", "74", "994–999", {}, {}, {}, {}, "Hackler & Wood (1989)"};
inline constexpr reference berman_1990{
    "Berman R.G.", 1990, "Mixing properties of Ca–Mg–Fe–Mn garnets", "American Mineralogist",
    "75", "328–344", {}, {}, {}, {}, "Berman (1990)"};
inline constexpr reference sengupta_et_al_1989{
    "Sengupta P., Dasgupta S., Bhattacharya P.K., et al.", 1989,
    "Mixing behavior in quaternary garnet solid solution and an extended Ganguly–Saxena model",
    "Contributions to Mineralogy and Petrology", "103", "223–227", {}, {}, {}, {},
    "Sengupta et al. (1989)"};

// The garnet models by their menu number, 1 to 7: the publications of each, in order; none for
// ideal mixing.
inline const std::array<std::vector<const reference *>, 7> garnet_model_references{{
    {&ganguly_saxena_1984},
    {&geiger_et_al_1987},
    {&newton_haselton_1981},
    {&newton_haselton_1981, &hackler_wood_1989},
    {},
    {&berman_1990},
    {&sengupta_et_al_1989},
}};
// clang-format on

// "Ganguly J., Saxena S.K. (1984) Mixing properties .... American Mineralogist 69, 88–97."
inline std::string reference_text(const reference &r) {
    std::string text =
        std::string(r.authors) + " (" + std::to_string(r.year) + ") " + std::string(r.title) + ". ";
    if (!r.book.empty())
        text += "In: " + std::string(r.editors) + " (eds) " + std::string(r.book) + ". ";
    text += std::string(r.journal) + " " + std::string(r.volume) + ", ";
    if (!r.publisher.empty()) text += std::string(r.publisher) + ", ";
    text += std::string(r.pages) + ".";
    if (!r.doi.empty()) text += " doi:" + std::string(r.doi);
    return text;
}

// The references of garnet model `model` (1 to 7) as one text: a publication given for an
// earlier model is cited short, "above" ("Newton & Haselton (1981) above, with Hackler R.T.,
// ..."); empty for ideal mixing.
inline std::string garnet_model_reference(int model) {
    std::string text;
    const auto &refs = garnet_model_references[static_cast<std::size_t>(model - 1)];
    for (const reference *r : refs) {
        bool earlier = false;
        for (int m = 1; m < model; m++)
            for (const reference *e : garnet_model_references[static_cast<std::size_t>(m - 1)])
                earlier = earlier || e == r;
        if (!text.empty()) text += ", with ";
        text += earlier ? std::string(r->cited) + " above" : reference_text(*r);
    }
    return text;
}

} // namespace varno96
