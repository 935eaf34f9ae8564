// The publications behind the garnet mixing models, the Powell temperature and the
// thermometers, one entry each, structured so that a reference list, a short citation and a
// BibTeX entry are all made from it.
#pragma once

#include "thermometry/thermometry.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

struct author {
    std::string_view family, initials; // "Krogh Ravna", "E."
};

struct reference {
    std::vector<author> authors;
    bool et_al = false; // more authors than those named
    int year = 0;
    std::string_view title;   // empty where the record gives none
    std::string_view journal; // a chapter's: the series
    std::string_view volume, pages, doi;
    // A chapter of a book: "In: <editors> (eds) <book>. <journal> <volume>, <publisher>".
    std::vector<author> editors;
    std::string_view book, publisher;
};

// As a text cites it: "Powell (1985)", "Ganguly & Saxena (1984)", "Sengupta et al. (1989)".
std::string cited(const reference &r);
// As a reference list gives it, whole.
std::string full_reference(const reference &r);
// One BibTeX entry, @article (@incollection for a chapter), its key `key`.
std::string bibtex(const reference &r, std::string_view key);
// The BibTeX key of a reference: the first author's family name and the year, "Powell1985".
std::string bibtex_key(const reference &r);

// The references of garnet model `model` (1 to NMODELS): none for ideal mixing.
std::vector<const reference *> model_references(int model);
// Powell (1985), whose temperature the program offers.
const reference &powell_reference();
// The publication of a thermometer's calibration.
const reference &thermometer_reference(thermometry::key k);

} // namespace varno96
