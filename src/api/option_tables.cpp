// The tables of options: every option's name, words and field, in one place. No other file
// spells an option's name.
#include "api/options.hpp"

namespace varno96 {

const std::array<option_spec, 19> batch_option_table{{
    {.name = "model",
     .short_name = "m",
     .python = "model",
     .label = "Garnet mixing model",
     .kind = option_kind::integer,
     .low = 1,
     .high = NMODELS,
     .value_name = "N",
     .required = true,
     .help = "Garnet mixing model, 1 to 7 (see the manual)",
     .field = &batch_options::model,
     .page_help = "How a(pyrope) and a(grossular) are computed from the garnet; the models and "
                  "their references are under About, below the results.",
     .page_choices = "Choose a model…"},
    {.name = "one-site",
     .python = "one_site",
     .label = "One-site clinopyroxene",
     .kind = option_kind::flag,
     .help = "One-site clinopyroxene (default: the disordered two-site model)",
     .field = &batch_options::one_site,
     .page_help = "a(di) as the smaller of Ca and X<sub>Mg,M1</sub>, ideal, instead of the "
                  "disordered two-site model."},
    {.name = "temperature",
     .short_name = "t",
     .python = "temperature",
     .label = "Trial temperature (°C)",
     .kind = option_kind::number,
     .low = -273.15, // absolute zero
     .low_excluded = true,
     .value_name = "C",
     .required = true,
     .help = "Trial temperature in degrees Celsius, above absolute zero (-273.15); outside 200 "
             "to 1500 each row's note says so",
     .field = &batch_options::temperature,
     .page_help = "The temperature of the result, and the one at which the pressure for the "
                  "Powell temperature is found; outside 200–1500 °C the note says so."},
    {.name = "powell",
     .python = "powell",
     .label = "Powell (1985) temperature",
     .kind = option_kind::flag,
     .help = "Use the Powell (1985) temperature, in the Monte-Carlo runs too; not with --at",
     .excludes = "at",
     .field = &batch_options::powell,
     .page_help = "The result at the Powell (1985) garnet–clinopyroxene temperature instead of "
                  "the trial temperature; each Monte-Carlo run takes its own."},
    {.name = "at",
     .python = "at",
     .label = "Table at another temperature (°C)",
     .kind = option_kind::number,
     .low = -273.15,
     .low_excluded = true,
     .value_name = "C",
     .help = "The table at this temperature (C) instead; the Powell estimate stays at the trial "
             "temperature's pressure",
     .excludes = "powell",
     .field = &batch_options::at,
     .page_help = "Optional: gives the result at this temperature instead; the trial temperature "
                  "still gives the Powell temperature. Not with the Powell temperature."},
    {.name = "uncertainty",
     .short_name = "u",
     .python = "uncertainty",
     .label = "Analytical uncertainty (%)",
     .kind = option_kind::number,
     .low = 0,
     .value_name = "PCT",
     .default_text = "1",
     .help = "Analytical uncertainty, per cent of a 100 wt% total",
     .field = &batch_options::uncertainty,
     .page_help = "Per cent of a 100 wt% total, Monte-Carlo only: an oxide of w wt% is perturbed "
                  "with a standard deviation of u·√(w/100) wt%."},
    {.name = "monte-carlo",
     .python = "monte_carlo",
     .label = "Monte-Carlo error propagation",
     .kind = option_kind::flag,
     .help = "Monte-Carlo error propagation: two passes of 200 runs",
     .field = &batch_options::monte_carlo,
     .page_help = "Two passes of 200 runs: pass 1 perturbs the analyses, pass 2 the mixing "
                  "parameters too; gives the mean and spread of P (and T)."},
    {.name = "seed",
     .python = "seed",
     .label = "Monte-Carlo seed",
     .kind = option_kind::integer,
     .low = -99,
     .high = -1,
     .value_name = "N",
     .help = "Monte-Carlo seed from -99 to -1 instead of one drawn from the clock",
     .field = &batch_options::seed,
     .page_help = "From −99 to −1, or empty for one from the clock. The same seed gives the same "
                  "runs, so that a result can be repeated; the seed used is shown with the "
                  "results."},
    {.name = "combine",
     .python = "combine",
     .label = "Several analyses of a mineral",
     .kind = option_kind::choice,
     .choices = "mean|each",
     .value_name = "mean|each",
     .help = "Several analyses of a mineral in a sample: their mean, or each combination "
             "(default: no result)",
     .field = &batch_options::combine,
     .page_help = "Their oxide-by-oxide mean, or one row for each garnet × clinopyroxene × "
                  "phengite combination.",
     .page_choices = "no result (the default)|their mean|each combination"},
    {.name = "formulae",
     .python = "formulae",
     .label = "Formulae columns",
     .kind = option_kind::flag,
     .help = "Add each mineral's recalculated analysis and cations per formula unit",
     .field = &batch_options::formulae,
     .page_help = "Adds each mineral's recalculated oxides and cations per formula unit, to "
                  "check phengite Si, omphacite Na and the cation sums."},
    {.name = "thermometers",
     .python = "thermometers",
     .label = "Thermometers intersected with the barometer",
     .kind = option_kind::list,
     .choices = "EG79|P85|K88|A94|KR00|KR78|GH82|TPE07|WWT06|FW07|K20",
     .value_name = "LIST",
     .help = "Where the barometer meets each of these thermometers, comma-separated, or all: "
             "EG79, P85, K88, A94, KR00 (garnet-clinopyroxene), KR78, GH82 (garnet-phengite), "
             "TPE07, WWT06, FW07, K20 (Zr in rutile, of the sample's rutile rows)",
     .field = &batch_options::thermometers,
     .page_help = "Each one checked gives where it meets the barometer (columns "
                  "T_<var>key</var>_C and P_<var>key</var>_kbar, with Monte-Carlo their spread), "
                  "and on the diagram each sample's barometer line with a marker for each; "
                  "references under About."},
    {.name = "zr-uncertainty",
     .python = "zr_uncertainty",
     .label = "Uncertainty of Zr in rutile (%)",
     .kind = option_kind::number,
     .low = 0,
     .value_name = "PCT",
     .help = "Relative 1 sigma of Zr in rutile, per cent, by which the Monte-Carlo runs perturb "
             "it (default: the standard error of the mean of the rutile spots; one spot: none)",
     .needs = "monte-carlo",
     .field = &batch_options::zr_uncertainty,
     .page_help = "Monte-Carlo only: the Zr-in-rutile temperatures' runs perturb Zr by this "
                  "relative standard deviation; empty: by the standard error of the mean of the "
                  "rutile spots, not at all for one spot."},
    {.name = "ferric",
     .python = "ferric",
     .label = "Ferric iron of an analysis without Fe2O3",
     .kind = option_kind::choice,
     // A choice "m=word" is the mineral m's alone.
     .choices = "estimate|none|cpx=sites",
     .value_name = "[MINERAL=]estimate|none",
     .default_text = "estimate",
     .help = "Ferric iron of an analysis entered without Fe2O3: estimated by charge balance, or "
             "none (all iron Fe2+, the formula as recalculated); for all minerals, or per "
             "mineral as in phe=none or grt=estimate,cpx=none,phe=none (grt, cpx, phe); "
             "cpx=sites: the clinopyroxene's from its sites, Fe3+ = Na + Al(IV) - Al(VI) - 2 Ti "
             "- Cr on 6 oxygens with all iron Fe2+ (Cr from a Cr2O3 column, read only for it), "
             "between 0 and the total iron (after Lindsley 1983)",
     .field = &batch_options::estimate_ferric,
     .page_help = "Estimated by charge balance (the default), or none: all iron "
                  "Fe<sup>2+</sup>, the formula as recalculated; the clinopyroxene's may come "
                  "from its sites instead, Fe<sup>3+</sup> = Na + Al<sup>IV</sup> − "
                  "Al<sup>VI</sup> − 2 Ti − Cr on 6 oxygens (after Lindsley 1983; Cr from a "
                  "Cr<sub>2</sub>O<sub>3</sub> column, which only this estimate reads), which "
                  "does not lean on the cation total. An entered Fe<sub>2</sub>O<sub>3</sub> is "
                  "kept in every case.",
     .page_choices = "|estimated|none|from its sites"},
    {.name = "ferric-in-runs",
     .python = "ferric_in_runs",
     .label = "Ferric iron in the Monte-Carlo runs",
     .kind = option_kind::choice,
     .choices = "each|once",
     .value_name = "each|once",
     .default_text = "each",
     .help = "each: every Monte-Carlo run perturbs the analyses as entered (an oxide perturbed "
             "below 0 taken as 0) and estimates their ferric iron afresh; once: the runs perturb "
             "the analyses with the ferric iron of the first calculation, as the dialogue does",
     .field = &batch_options::ferric_in_runs,
     .page_help = "Each run perturbs the analyses as entered and estimates their ferric iron "
                  "afresh, so that the spreads include the error of the estimate; or the runs "
                  "perturb the analyses with the ferric iron first estimated, as the dialogue "
                  "does.",
     // The menu's first words short enough for its box at a laptop's width.
     .page_choices = "estimated anew (default)|estimated in each run|estimated once, as the "
                     "dialogue"},
    {.name = "sample-column",
     .python = "on",
     .label = "Sample column",
     .kind = option_kind::text,
     .value_name = "NAME",
     .help = "The column that names the samples, case and blanks ignored (default: the first of "
             "Sample, Sample ID, Sample name, Sample No., Rock, Rock ID, Specimen, Probe, Name, "
             "ID and their spellings)",
     .field = &batch_options::sample_column,
     .page_help = "Optional: the heading of the column that names the samples, when it is none "
                  "of Sample, Sample ID, Sample No., Rock, Rock ID, Specimen, Probe, Name or "
                  "ID."},
    {.name = "mineral-column",
     .python = "mineral",
     .label = "Mineral column",
     .kind = option_kind::text,
     .value_name = "NAME",
     .help = "The column that names the minerals, case and blanks ignored (default: the first "
             "of Mineral, Mineral name, Min, Phase, Phase name)",
     .field = &batch_options::mineral_column,
     .page_help = "Optional: the heading of the column that names the minerals, when it is "
                  "none of Mineral, Min or Phase."},
    {.name = "join",
     .python = "join",
     .label = "Join the files as one table",
     .kind = option_kind::flag,
     .help = "Read the files as one table: the analyses of a sample found in several files "
             "(one file per mineral, say) joined, the note naming the files",
     .field = &batch_options::join,
     .page_help = "The files as one table: a sample's analyses in several files (one export "
                  "per mineral) are joined; its note names the files."},
    {.name = "where",
     .python = "where",
     .label = "Spots chosen by their columns",
     .kind = option_kind::text,
     .value_name = "[MINERAL:]COLUMN=VALUE",
     .help = "Take only the analyses whose COLUMN holds VALUE (case and blanks ignored), before "
             "combining; MINERAL (grt, cpx or phe) for that mineral's alone, replacing a "
             "condition of all on that column. Given again: every column must match, a column "
             "given twice either value",
     .field = &batch_options::where,
     .page_help = "Optional: conditions such as Location=rim, or grt:Location=rim for the garnet "
                  "alone, separated by semicolons; each column must match, a column named twice "
                  "either value. Case and blanks are ignored."},
    // One thread per Web Worker: no control on the page.
    {.name = "jobs",
     .short_name = "j",
     .python = "jobs",
     .label = "Threads",
     .kind = option_kind::integer,
     .low = 1,
     .high = 256,
     .value_name = "N",
     .help = "Compute on N threads (default: the number of cores)",
     .field = &batch_options::jobs},
}};

// varno96-batch's own: what it writes. No keyword in Python (varno96.cite, DataFrames) and no
// control on the page (its downloads).
const std::array<option_spec, 5> output_option_table{{
    // A value only as --cite=bibtex: a word after --cite is a file to compute.
    {.name = "cite",
     .label = "How to cite",
     .kind = option_kind::choice,
     .choices = "bibtex|",
     .value_name = "[=bibtex]",
     .help = "The methods paragraph of the run and the references it cites (--cite=bibtex: the "
             "references as BibTeX). With files, they are computed as usual and the citation of "
             "exactly that run, its seed included, goes to standard error after the summary "
             "(or to --cite-file); alone, it is printed and needs no FILE or -t",
     .field = &output_options::cite},
    {.name = "cite-file",
     .label = "Download the citation",
     .kind = option_kind::text,
     .value_name = "FILE",
     .help = "Write the citation of --cite to FILE instead (whole or not at all)",
     .needs = "cite",
     .field = &output_options::cite_file},
    {.name = "output",
     .short_name = "o",
     .label = "Download the table (CSV)",
     .kind = option_kind::text,
     .value_name = "FILE",
     .help = "Write the CSV to FILE instead of standard output",
     .field = &output_options::output},
    {.name = "pt",
     .label = "Download the Monte-Carlo pairs (CSV)",
     .kind = option_kind::text,
     .value_name = "FILE",
     .help = "Also write every Monte-Carlo (T, P) pair as CSV to FILE; needs --monte-carlo",
     .needs = "monte-carlo",
     .field = &output_options::pairs},
    {.name = "plot",
     .label = "Download the diagram (SVG)",
     .kind = option_kind::text,
     .value_name = "FILE",
     .help = "Draw the P-T diagram of the batch to FILE (.svg, .pdf, .ps)",
     .field = &output_options::plot},
}};

// ---- The options of the batch's P-T figure (with --plot) ----
// The page's words are those of its controls beside the diagram's downloads; a width's menu
// words start with the width in mm.
const std::array<option_spec, 5> plot_option_table{{
    {.name = "plot-width",
     .python = "width",
     .label = "Diagram width",
     .kind = option_kind::number,
     .low = plot::min_width_mm,
     .high = plot::max_width_mm,
     .value_name = "MM",
     .default_text = "85",
     .help = "Width of the figure in mm at its final size: 85 for one column, 170 for two",
     .needs = "plot",
     .field = &plot::figure_options::width_mm,
     .page_help = "The width of the diagram at its final size in print.",
     .page_choices = "|85 mm (one journal column)|170 mm (two columns)"},
    // No control on the page: a journal sets its own caption.
    {.name = "plot-title",
     .python = "title",
     .label = "Figure title",
     .kind = option_kind::text,
     .value_name = "TEXT",
     .help = "A title above the figure (default: none; a journal sets its own caption)",
     .needs = "plot",
     .field = &plot::figure_options::title},
    {.name = "plot-units",
     .python = "units",
     .label = "Pressure in",
     .kind = option_kind::choice,
     .choices = "kbar|GPa",
     .value_name = "kbar|GPa",
     .default_text = "kbar",
     .help = "Unit of pressure on the figure",
     .needs = "plot",
     .field = &plot::figure_options::unit,
     .page_help = "The unit of pressure on the diagram.",
     .page_choices = "|kbar|GPa"},
    {.name = "plot-layout",
     .python = "layout",
     .label = "Layout",
     .kind = option_kind::choice,
     .choices = "overlay|panels",
     .value_name = "overlay|panels",
     .default_text = "overlay",
     .help = "All samples in one panel, or one small panel per sample",
     .needs = "plot",
     .field = &plot::figure_options::layout,
     .page_help = "All samples in one frame, or one small panel per sample on shared axes.",
     .page_choices = "|all samples in one frame|one panel per sample"},
    // On the page a box under its label, ticked for the first choice.
    {.name = "plot-reactions",
     .python = "reactions",
     .label = "Reference reactions",
     .kind = option_kind::choice,
     .choices = "reference|none",
     .value_name = "reference|none",
     .default_text = "reference",
     .help = "Quartz = coesite and albite = jadeite + quartz drawn on the figure, or none",
     .needs = "plot",
     .field = &plot::figure_options::reactions,
     .page_help = "Quartz = coesite and albite = jadeite + quartz, dashed and labelled."},
}};
// ---- end of the figure's options ----

} // namespace varno96
