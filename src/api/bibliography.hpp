// The references of the library's table (activity/references.hpp, the table of calibrations)
// as a bibliography takes them: cited in a text, ordered in a list, and as BibTeX entries.
#pragma once

#include "activity/references.hpp"
#include "thermometry/keys.hpp"
#include "thermometry/thermometry.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

struct author {
    std::string family, initials; // "Krogh Ravna", "E."
};
// The authors of a reference list's "Sengupta P., Dasgupta S., Bhattacharya P.K., et al.";
// `et_al` whether more follow.
std::vector<author> authors_of(std::string_view authors, bool &et_al);

// As a text cites it: "Sengupta et al. (1989)".
std::string cited(const reference &r);
// The BibTeX key of a reference: the first author's family name and the year, "Powell1985".
std::string bibtex_key(const reference &r);
// One BibTeX entry, @article (@incollection for a chapter of a book).
std::string bibtex(const reference &r);
// Before `b` in a reference list: by first author; alone, then with one other, then with more;
// then by year.
bool listed_before(const reference &a, const reference &b);

// The references of garnet model `model` (1 to NMODELS); none for ideal mixing.
const std::vector<const reference *> &garnet_references(int model);
// The publication of a thermometer's calibration; Powell (1985) is that of P85.
const reference &thermometer_reference(thermometry::key k);
// The publication of a Zr-in-rutile calibration.
const reference &thermometer_reference(thermometry::zr_key k);
// Of either kind.
const reference &thermometer_reference(thermometry::any_key k);
// Where the lowest pressure comes from: albite = jadeite + quartz, Holland (1980).
const reference &lowest_pressure_reference();
// The attribution of the clinopyroxene's ferric iron from its sites: Lindsley (1983).
const reference &ferric_sites_reference();
// Where the α = β quartz transition of the Zr-in-rutile fields comes from: Holland & Powell
// (2011), the critical temperature of quartz's Landau model.
const reference &quartz_transition_reference();

} // namespace varno96
