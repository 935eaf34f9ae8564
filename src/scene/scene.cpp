#include "scene/scene.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

namespace varno96::plot {

namespace {

std::string degrees(double t_c) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f °C", t_c);
    return buffer;
}

cloud_spread spread_of(const cloud_stats &stats, bool ellipses, double bar_t) {
    cloud_spread s;
    s.mean = stats.mean;
    if (ellipses) {
        s.ellipse1 = covariance_ellipse(stats, 1);
        s.ellipse2 = covariance_ellipse(stats, 2);
    } else {
        s.mean.t_c = bar_t;
        s.bar1 = p_error_bar(stats, 1);
        s.bar2 = p_error_bar(stats, 2);
        s.bar1->t_c = s.bar2->t_c = bar_t;
    }
    return s;
}

// Everything drawn, so that the axes hold it all: the spread out to 2σ in a run's figure, to 1σ
// in a batch's, whose axes would otherwise reach far past anything drawn where the runs'
// temperatures spread widely.
void include(pt_box &box, const cloud_spread &s, int sigmas = 2) {
    box.include(s.mean);
    box.include(sigmas == 2 ? s.ellipse2 : s.ellipse1);
    if (const auto &bar = sigmas == 2 ? s.bar2 : s.bar1) {
        const std::array<pt_point, 2> ends{{{bar->t_c, bar->p_low}, {bar->t_c, bar->p_high}}};
        box.include(ends);
    }
}

void set_axes(const pt_box &box, axis_range &t_axis, axis_range &p_axis) {
    t_axis = padded_range(box.t_lo, box.t_hi, 0.06, 20);
    p_axis = padded_range(box.p_lo, box.p_hi, 0.08, 1);
}

// The part of the line through a and b within the axes; none when it misses them.
std::optional<std::array<pt_point, 2>> clip_line(const pt_point &a, const pt_point &b,
                                                 const axis_range &t, const axis_range &p) {
    for (double v : {a.t_c, a.p_kbar, b.t_c, b.p_kbar})
        if (!std::isfinite(v)) return std::nullopt;
    const double dt = b.t_c - a.t_c, dp = b.p_kbar - a.p_kbar;
    if (dt == 0 && dp == 0) return std::nullopt;
    // The line's parameter u (a at 0, b at 1) between each pair of edges, narrowed.
    double lo = -std::numeric_limits<double>::infinity(), hi = -lo;
    const auto narrow = [&](double from, double d, double min, double max) {
        if (d == 0) return from >= min && from <= max;
        const double u0 = (min - from) / d, u1 = (max - from) / d;
        lo = std::max(lo, std::min(u0, u1));
        hi = std::min(hi, std::max(u0, u1));
        return lo < hi;
    };
    if (!narrow(a.t_c, dt, t.lo, t.hi) || !narrow(a.p_kbar, dp, p.lo, p.hi)) return std::nullopt;
    return std::array<pt_point, 2>{
        {{a.t_c + lo * dt, a.p_kbar + lo * dp}, {a.t_c + hi * dt, a.p_kbar + hi * dp}}};
}

// "a(jd) 0.43": two significant digits, to 0.0043 and below.
std::string jadeite_label(double ln_a_jd) {
    const double a = std::exp(ln_a_jd);
    const int decimals = a > 0 ? std::max(2, 1 - static_cast<int>(std::floor(std::log10(a)))) : 2;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "a(jd) %.*f", std::min(decimals, 12), a);
    return buffer;
}

std::string runs(std::size_t n) { return std::to_string(n) + (n == 1 ? " run" : " runs"); }

} // namespace

run_scene make_run_scene(const run_report &report, const pt_pairs &pairs) {
    run_scene scene;
    scene.table = report.table;
    scene.barometer =
        "Grt: " + report.garnet_model + (report.cpx_model.empty() ? "" : ", " + report.cpx_model);
    scene.title = report.sample.empty() ? "Unnamed sample" : report.sample;
    scene.monte_carlo = pairs.present;
    scene.powell = temperature_varies(report, pairs);
    scene.strips = one_temperature(pairs);

    pt_box box;
    box.include(report.table);
    if (!scene.monte_carlo) {
        scene.title += " (no Monte-Carlo cloud)";
        scene.subtitle =
            "Result table at " + degrees(report.table[1].t_c) + " and 50 °C either side";
        set_axes(box, scene.t_axis, scene.p_axis);
        return scene;
    }
    scene.subtitle = "Monte-Carlo error propagation";
    if (scene.powell)
        scene.subtitle +=
            scene.strips ? ", Powell (1985) T without spread" : ", Powell (1985) temperatures";
    else
        scene.subtitle += " at fixed T = " + degrees(report.table[1].t_c);
    if (scene.strips) scene.subtitle += "; passes drawn side by side";

    const double span = std::fabs(report.table[2].t_c - report.table[0].t_c);
    const std::array<const std::vector<pt_point> *, 2> clouds{&pairs.pass1, &pairs.pass2};
    const char *what[2] = {"Pass 1, analyses only", "Pass 2, analyses and mixing parameters"};
    for (std::size_t k = 0; k < 2; k++) {
        pass_scene &pass = scene.passes[k];
        const auto &cloud = *clouds[k];
        pass.legend = std::string(what[k]) + " (" + runs(cloud.size()) + ")";
        pass.marks = cloud;
        if (cloud.empty()) continue;
        double bar_t = cloud.front().t_c;
        if (scene.strips) {
            const double side = k == 0 ? -1 : 1, centre = bar_t + side * strip_offset * span;
            bar_t += side * bar_offset * span;
            // Even spread across the strip: the golden-ratio sequence never bunches.
            for (std::size_t i = 0; i < pass.marks.size(); i++) {
                const double u = std::fmod(0.5 + static_cast<double>(i) * 0.6180339887498949, 1.0);
                pass.marks[i].t_c = centre + (2 * u - 1) * strip_half_width * span;
            }
        }
        pass.spread = spread_of(describe(cloud), !scene.strips, bar_t);
        box.include(pass.marks);
        include(box, *pass.spread);
    }
    set_axes(box, scene.t_axis, scene.p_axis);
    return scene;
}

double tick_step(const axis_range &range, int ticks) {
    const double raw = (range.hi - range.lo) / std::max(ticks, 1);
    if (!(raw > 0)) return 1;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    constexpr double nice[] = {1, 2, 5};
    int f = 0;
    while (f < 3 && nice[f] * power < raw) f++;
    if (f == 3) f = 0, power *= 10;
    // At least two numbered ticks, or the scale cannot be read: a narrow panel's range may
    // hold a single multiple of the step first chosen.
    const auto numbered = [&](double step) {
        return std::floor(range.hi / step) - std::ceil(range.lo / step) + 1;
    };
    while (numbered(nice[f] * power) < 2)
        if (--f < 0) f = 2, power /= 10;
    return nice[f] * power;
}

namespace {

// kbar to the figure's unit.
double in_unit(double p_kbar, pressure_unit unit) {
    return unit == pressure_unit::gpa ? p_kbar / 10 : p_kbar;
}

// The moments of runs drawn in the figure's unit, about their mean: a spread not known counts
// as none, so that a fixed temperature gives an ellipse flat in T; none without a mean of P or
// two runs.
std::optional<cloud_stats> stats_of(const run_moments &m, pressure_unit unit) {
    if (m.n < 2 || !std::isfinite(m.p_mean) || !std::isfinite(m.p_sd)) return std::nullopt;
    const auto known = [](double x) { return std::isfinite(x) ? x : 0.0; };
    const double t_sd = known(m.t_sd), p_sd = in_unit(m.p_sd, unit);
    const double t_mean = std::isfinite(m.t_mean) ? m.t_mean : std::nan("");
    return cloud_stats{m.n,
                       {t_mean, in_unit(m.p_mean, unit)},
                       t_sd * t_sd,
                       p_sd * p_sd,
                       known(m.rho) * t_sd * p_sd};
}

} // namespace

batch_scene make_batch_scene(const std::vector<batch_sample> &samples, int left_off,
                             const figure_options &options) {
    batch_scene scene;
    scene.options = options;
    scene.title = options.title;
    const pressure_unit unit = options.unit;
    scene.p_label = unit == pressure_unit::gpa ? "P (GPa)" : "P (kbar)";
    if (left_off > 0)
        scene.subtitle = std::to_string(left_off) + (left_off == 1 ? " sample" : " samples") +
                         " without a result not shown";
    const bool overlay = options.layout == figure_layout::overlay;
    scene.names = !overlay || samples.size() <= many_samples;
    scene.density = overlay && samples.size() > dense_samples;
    const auto [low, high] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const batch_sample &a, const batch_sample &b) { return a.t_c < b.t_c; });
    const bool barometers = std::any_of(samples.begin(), samples.end(),
                                        [](const batch_sample &s) { return s.barometer; });
    // Only the overlay piles its samples up on one line; a panel holds one, on the axis of T
    // that its albite = jadeite + quartz needs.
    const bool side_by_side =
        overlay && !barometers && samples.size() > 1 && high->t_c - low->t_c < 0.5;
    if (side_by_side) {
        scene.sample_axis = true;
        scene.t_label = "Sample, all at " + degrees(low->t_c);
    }
    pt_box box;
    std::map<std::size_t, std::string> named; // the legend of the thermometers drawn, by colour
    for (std::size_t i = 0; i < samples.size(); i++) {
        const batch_sample &sample = samples[i];
        const double t = side_by_side ? static_cast<double>(i + 1) : sample.t_c;
        batch_mark mark;
        mark.label = sample.label;
        mark.at = {t, in_unit(sample.p_kbar, unit)};
        // With thermometers the sample is its barometer line and intersections: its trial
        // temperature's point and spread would pile up at that temperature.
        if (!sample.barometer) {
            box.include(mark.at);
            const bool ellipse = sample.t_varies && !side_by_side;
            auto stats = stats_of(sample.pass2, unit);
            if (stats && !ellipse) stats->mean.t_c = t;
            if (stats && std::isfinite(stats->mean.t_c) && !scene.density) {
                scene.runs = std::max(scene.runs, sample.pass2.n);
                mark.spread = spread_of(*stats, ellipse, t);
                include(box, *mark.spread, 1);
            }
        }
        scene.runs = std::max(scene.runs, sample.runs);
        pt_point middle{0, 0};
        for (const batch_intersection &x : sample.intersections) {
            thermometer_mark tm{x.colour, {x.t_c, in_unit(x.p_kbar, unit)}, {}, {}};
            tm.mean = tm.at;
            // The runs about their own mean, where they lie; densities instead of ellipses draw
            // none.
            const auto stats = stats_of(x.runs, unit);
            if (stats && std::isfinite(stats->mean.t_c) && !scene.density) {
                scene.runs = std::max(scene.runs, x.runs.n);
                tm.mean = stats->mean;
                tm.ellipse1 = covariance_ellipse(*stats, 1);
            }
            if (!tm.ellipse1.empty()) scene.thermometer_spread = true;
            box.include(tm.at);
            if (!scene.density) box.include(tm.ellipse1);
            middle.t_c += tm.at.t_c;
            middle.p_kbar += tm.at.p_kbar;
            named.emplace(x.colour, x.legend);
            mark.intersections.push_back(std::move(tm));
        }
        mark.point = !sample.barometer;
        if (mark.intersections.empty()) {
            box.include(mark.at);
        } else {
            const auto n = static_cast<double>(mark.intersections.size());
            mark.at = {middle.t_c / n, middle.p_kbar / n};
        }
        scene.marks.push_back(std::move(mark));
    }
    // Panels hold each sample's albite = jadeite + quartz across their temperatures, with room
    // for its label.
    for (const batch_sample &sample : samples)
        if (const auto &jd = sample.lowest_pressure; jd && !overlay && !box.empty) {
            const auto &[a, b] = jd->line;
            for (const double t : {box.t_lo, box.t_hi}) {
                const double p =
                    a.second + (b.second - a.second) * (t - a.first) / (b.first - a.first);
                if (std::isfinite(p)) box.include({t, in_unit(p, unit)});
            }
        }
    if (box.empty)
        box.include(std::vector<pt_point>{{400, in_unit(0, unit)}, {900, in_unit(30, unit)}});
    set_axes(box, scene.t_axis, scene.p_axis);
    if (unit == pressure_unit::gpa) scene.p_axis = padded_range(box.p_lo, box.p_hi, 0.08, 0.1);
    if (side_by_side) scene.t_axis = {0.5, static_cast<double>(samples.size()) + 0.5};
    // Panels at one temperature: 30 degrees, so that no number of T stands on a panel's edge
    // beside its neighbour's.
    if (!overlay && scene.t_axis.hi - scene.t_axis.lo < 30)
        scene.t_axis = padded_range(scene.t_axis.lo, scene.t_axis.hi, 0, 30);
    const int ticks = overlay ? 5 : 3;
    scene.t_step = side_by_side ? std::max(1.0, tick_step(scene.t_axis, ticks))
                                : tick_step(scene.t_axis, ticks);
    scene.p_step = tick_step(scene.p_axis, ticks + 1);
    // Each barometer line across the axes, now that they are known; not under densities,
    // where hundreds of lines would hide them.
    for (std::size_t i = 0; i < samples.size() && !scene.density; i++)
        if (const auto &line = samples[i].barometer) {
            const pt_point a{(*line)[0].first, in_unit((*line)[0].second, unit)};
            const pt_point b{(*line)[1].first, in_unit((*line)[1].second, unit)};
            scene.marks[i].barometer = clip_line(a, b, scene.t_axis, scene.p_axis);
        }
    // Each sample's lowest pressure in its own panel, whatever the reference reactions: it is
    // the sample's result, as its barometer line is.
    for (std::size_t i = 0; i < samples.size() && !overlay && !side_by_side; i++)
        if (const auto &jd = samples[i].lowest_pressure) {
            const pt_point a{jd->line[0].first, in_unit(jd->line[0].second, unit)};
            const pt_point b{jd->line[1].first, in_unit(jd->line[1].second, unit)};
            if (const auto ends = clip_line(a, b, scene.t_axis, scene.p_axis))
                scene.marks[i].lowest_pressure = {*ends, jadeite_label(jd->ln_a_jd)};
        }
    if (options.reactions && !side_by_side)
        for (std::size_t k = 0; k < reference_reactions.size(); k++) {
            const reaction &r = reference_reactions[k];
            const pt_point a{0, in_unit(r.p0_kbar, unit)};
            const pt_point b{1000, in_unit(r.p0_kbar + 1000 * r.kbar_per_c, unit)};
            if (const auto ends = clip_line(a, b, scene.t_axis, scene.p_axis))
                scene.reactions.push_back({k, *ends});
        }
    scene.barometers = barometers && !scene.density;
    for (const auto &[colour, text] : named) scene.thermometers.push_back({colour, text});
    return scene;
}

} // namespace varno96::plot
