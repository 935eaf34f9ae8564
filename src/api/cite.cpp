#include "api/cite.hpp"

#include "api/options.hpp"

#include <algorithm>
#include <array>

namespace varno96 {

namespace {

// The definition of the Monte-Carlo percentiles (api/centres.cpp).
constexpr reference hyndman_fan_1996{"Hyndman R.J., Fan Y.",
                                     1996,
                                     "Sample quantiles in statistical packages",
                                     "The American Statistician",
                                     "50",
                                     "361–365",
                                     {},
                                     {},
                                     {},
                                     {},
                                     "Hyndman & Fan (1996)"};

// "A", "A and B", "A, B and C".
std::string listed(const std::vector<std::string> &items) {
    std::string s;
    for (std::size_t i = 0; i < items.size(); i++)
        s += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return s;
}

std::string celsius(double t) { return number_text(t) + " °C"; }

// The garnet model as the paragraph names it: its publications, and its menu title.
std::string garnet_words(int model) {
    std::string title = MODEL[model];
    title.erase(title.find_last_not_of(' ') + 1);
    const auto &refs = garnet_references(model);
    if (refs.empty())
        return "ideal mixing in garnet (model " + std::to_string(model) + ", “" + title + "”)";
    std::vector<std::string> names;
    for (const reference *r : refs) names.push_back(cited(*r));
    return "the garnet mixing model of " + listed(names) + " (model " + std::to_string(model) +
           ", “" + title + "”)";
}

std::string temperature_words(const batch_options &o, trial_temperature t) {
    const std::string trial =
        t == trial_temperature::given        ? "the trial temperature of " + celsius(o.temperature)
        : t == trial_temperature::per_sample ? "a trial temperature given for each sample"
                                             : "a trial temperature";
    if (o.powell)
        return "at the garnet–clinopyroxene Fe–Mg exchange temperature of " +
               cited(thermometer_reference(thermometry::key::p85)) +
               ", estimated once at the pressure found at " + trial +
               (o.monte_carlo ? ", in each Monte-Carlo run too" : "");
    if (o.at) return "at " + celsius(*o.at);
    return "at " + trial;
}

std::string thermometer_words(const std::vector<thermometry::any_key> &keys, bool each_spot,
                              bool zr_given) {
    std::vector<std::string> cpx, phe, rt;
    bool fields = false, fw07 = false;
    for (const thermometry::any_key k : keys) {
        const std::string name =
            cited(thermometer_reference(k)) + " (" + std::string(thermometry::about(k).name) + ")";
        if (const thermometry::key *e = thermometry::exchange_key(k)) {
            (thermometry::about(*e).pair == thermometry::mineral_pair::grt_cpx ? cpx : phe)
                .push_back(name);
            continue;
        }
        const thermometry::zr_key z = std::get<thermometry::zr_key>(k);
        rt.push_back(name);
        fields = fields || thermometry::zr_fields(z).size() > 1;
        fw07 = fw07 || z == thermometry::zr_key::fw07;
    }
    std::vector<std::string> parts;
    if (!cpx.empty())
        parts.push_back("the garnet–clinopyroxene Fe–Mg exchange thermometer" +
                        std::string(cpx.size() > 1 ? "s" : "") + " of " + listed(cpx));
    if (!phe.empty())
        parts.push_back("the garnet–phengite Fe–Mg exchange thermometer" +
                        std::string(phe.size() > 1 ? "s" : "") + " of " + listed(phe));
    if (!rt.empty()) {
        std::string s = "the Zr-in-rutile thermometer" + std::string(rt.size() > 1 ? "s" : "") +
                        " of " + listed(rt) + " (rutile with zircon and quartz or coesite, Zr " +
                        (zr_given    ? "as given for the sample"
                         : each_spot ? "that of each rutile spot in turn"
                                     : "the mean of the sample's rutile spots");
        if (fields)
            s += "; of a calibration with a form for each SiO2 field, that of the field where "
                 "the intersection lies, the α = β quartz transition after " +
                 cited(quartz_transition_reference()) +
                 " and quartz = coesite at P = 19.5 + 0.0102 T(°C) kbar after Bohlen & "
                 "Boettcher (1982)";
        if (fw07) s += "; for Ferry & Watson (2007) a(SiO2) = a(TiO2) = 1";
        parts.push_back(s + ")");
    }
    return listed(parts);
}

// How ferric iron was had: by charge balance, or all iron as Fe2+ in the minerals without.
std::string ferric_words(const ferric_estimates &estimated) {
    constexpr std::array<const char *, 3> minerals{"garnet", "clinopyroxene", "phengite"};
    std::string without;
    std::vector<std::string> balanced, none;
    int n = 0;
    for (std::size_t k = 0; k < 3; k++) {
        if (estimated[k] == ferric_estimate::none) {
            without += std::string(n++ ? " and the " : "") + minerals[k];
            none.push_back(std::string("the ") + minerals[k]);
        }
        if (estimated[k] == ferric_estimate::charge_balance) balanced.push_back(minerals[k]);
    }
    if (estimated[1] == ferric_estimate::sites) {
        std::string s = "ferric iron estimated where Fe2O3 was not analysed, the clinopyroxene’s "
                        "from its sites, Fe3+ = Na + Al(IV) − Al(VI) − 2Ti − Cr on 6 oxygens with "
                        "all iron as Fe2+ (Cr from the analysis’s Cr2O3, 0 without one), taken "
                        "between 0 and the total iron, the formula attributed to " +
                        cited(ferric_sites_reference());
        if (!balanced.empty()) s += ", that of the " + listed(balanced) + " by charge balance";
        if (!none.empty()) s += "; the iron of " + listed(none) + " was all taken as Fe2+";
        return s;
    }
    const std::string estimate =
        "ferric iron estimated by charge balance where Fe2O3 was not analysed";
    if (n == 0) return estimate;
    if (n == 3) return "all iron taken as Fe2+ where Fe2O3 was not analysed";
    return estimate + ", but for the " + without + ", whose iron was all taken as Fe2+";
}

// The errors the authors of the calibrations asked for state, which no result includes.
std::string stated_error_words(const std::vector<thermometry::any_key> &keys) {
    std::string errors;
    std::vector<std::string> summarised;
    for (const thermometry::any_key k : keys) {
        const thermometry::described c = thermometry::about(k);
        errors += (errors.empty() ? "" : "; ") + std::string(c.name) + ", " +
                  std::string(c.stated->error.words);
        if (c.stated->error.summarised) summarised.push_back(std::string(c.name));
    }
    std::string s = " The errors the authors of these calibrations state are not included in the "
                    "intersections or their spreads: " +
                    errors;
    if (!summarised.empty())
        s += " (of " + listed(summarised) +
             " as summarised in a peer’s notes, not confirmed against the papers)";
    return s + ".";
}

// The lowest pressure of each sample, from albite = jadeite + quartz.
std::string lowest_pressure_words(bool one_site) {
    return " The lowest pressure of a quartz-bearing rock without albite was calculated at the "
           "same temperature from albite = jadeite + quartz after " +
           cited(lowest_pressure_reference()) +
           " (experiments at 600–1200 °C, ± 0.50 kbar), P (bar) = 350 + 26.5 T(°C) − RT "
           "ln(a_ab/a_jd)/1.734, with a(albite) = 1 and " +
           (one_site ? "a(jadeite) the smaller of X_Na(M2) and X_Al(M1) of the clinopyroxene"
                     : "a(jadeite) = X_Na(M2)·X_Al(M1) of the clinopyroxene") +
           " (ideal mixing on its sites).";
}

} // namespace

std::string methods_paragraph(const batch_options &o, trial_temperature t, std::string_view release,
                              bool zr_given) {
    const int model = static_cast<int>(o.model);
    std::string s =
        "Pressures were calculated with varno96 " + std::string(release) +
        " for the equilibrium pyrope + 2 grossular + 3 celadonite = 6 diopside + 3 muscovite, "
        "with the program's own calibration of the barometer. Mineral formulae were "
        "recalculated to 12 (garnet), 6 (clinopyroxene) and 11 (phengite) oxygens, " +
        ferric_words(o.estimate_ferric) + ". Activities follow " + garnet_words(model) + ", the " +
        (o.one_site ? "one-site (ideal)" : "two-site (disordered)") +
        " clinopyroxene model and ideal site mixing in phengite. The pressure was calculated " +
        temperature_words(o, t) + ".";
    s += lowest_pressure_words(o.one_site);
    if (!o.thermometers.empty())
        s += " The intersections of the barometer with " +
             thermometer_words(o.thermometers, o.combine == combine_mode::each, zr_given) +
             " were found, the activities recomputed at each." + stated_error_words(o.thermometers);
    if (o.combine == combine_mode::mean)
        s += " Several analyses of a mineral in one sample were averaged oxide by oxide.";
    if (o.combine == combine_mode::each)
        s += " Several analyses of a mineral in one sample were computed in every combination "
             "of one analysis of each mineral.";
    if (o.monte_carlo)
        s += " Uncertainties were propagated by Monte-Carlo simulation in two passes of 200 "
             "runs: the first perturbs every oxide of w wt% (0.01 wt% or more) with a standard "
             "deviation of u·√(w/100) wt%, u = " +
             number_text(o.uncertainty) +
             " % of a 100 wt% total; the second also the garnet Margules and the clinopyroxene "
             "interaction parameters by their standard deviations" +
             (o.seed ? " (seed " + std::to_string(*o.seed) + ")" : std::string()) + "." +
             (o.ferric_in_runs == ferric_runs::each
                  ? " Each run perturbed the analyses as entered, an oxide perturbed below 0 "
                    "taken as 0, and estimated their ferric iron afresh."
                  : std::string()) +
             " The values reported are those of the analyses as entered; the runs with a value "
             "give their mean, standard deviation and 16th, 50th and 84th percentiles, the "
             "percentiles interpolated linearly between order statistics as type 7 of " +
             cited(hyndman_fan_1996) + ", and the runs without a value are counted.";
    return s;
}

std::vector<const reference *> run_references(const batch_options &o) {
    std::vector<const reference *> refs = garnet_references(static_cast<int>(o.model));
    if (o.powell) refs.push_back(&thermometer_reference(thermometry::key::p85));
    for (const thermometry::any_key k : o.thermometers) {
        refs.push_back(&thermometer_reference(k));
        if (const thermometry::zr_key *z = thermometry::rutile_key(k);
            z && thermometry::zr_fields(*z).size() > 1)
            refs.push_back(&quartz_transition_reference());
    }
    if (o.monte_carlo) refs.push_back(&hyndman_fan_1996);
    refs.push_back(&lowest_pressure_reference()); // the lowest pressure, always given
    if (o.estimate_ferric[1] == ferric_estimate::sites) refs.push_back(&ferric_sites_reference());
    std::sort(refs.begin(), refs.end(),
              [](const reference *a, const reference *b) { return listed_before(*a, *b); });
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
    return refs;
}

std::string cite_text(const batch_options &o, trial_temperature t, std::string_view release,
                      bool zr_given) {
    std::string s = methods_paragraph(o, t, release, zr_given) + "\n";
    const auto refs = run_references(o);
    if (refs.empty()) return s;
    s += "\nReferences\n";
    for (const reference *r : refs) s += reference_text(*r) + "\n";
    return s;
}

std::string cite_bibtex(const batch_options &o) {
    std::string s;
    for (const reference *r : run_references(o)) s += (s.empty() ? "" : "\n") + bibtex(*r);
    return s;
}

} // namespace varno96
