// What a paper's methods section says of a run: a paragraph naming exactly the options given,
// with the references of what it names, as text or as BibTeX; made from the table of
// references and the options, for varno96-batch --cite, varno96.cite and the page.
#pragma once

#include "api/bibliography.hpp"
#include "api/options.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

// How the trial temperature was given: one for every sample (batch_options::temperature),
// one per sample, or not said.
enum class trial_temperature { given, per_sample, unsaid };

// The paragraph, one line. `zr_given`: the Zr of the rutile was given for the samples rather
// than read from rutile analyses.
std::string methods_paragraph(const batch_options &o, trial_temperature t, std::string_view release,
                              bool zr_given = false);
// The publications the paragraph cites, in its reference list's order (by first author, then
// year), each once.
std::vector<const reference *> run_references(const batch_options &o);
// The paragraph, a blank line, "References" and the full references, one a line.
std::string cite_text(const batch_options &o, trial_temperature t, std::string_view release,
                      bool zr_given = false);
// The same references as BibTeX entries, a blank line apart.
std::string cite_bibtex(const batch_options &o);

} // namespace varno96
