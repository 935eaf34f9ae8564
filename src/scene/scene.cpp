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

cloud_spread spread_of(std::span<const pt_point> cloud, bool ellipses, double bar_t) {
    const cloud_stats stats = describe(cloud);
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

// Everything drawn, so that the axes hold it all.
void include(pt_box &box, const cloud_spread &s) {
    box.include(s.mean);
    box.include(s.ellipse2);
    if (s.bar2) {
        const std::array<pt_point, 2> ends{
            {{s.bar2->t_c, s.bar2->p_low}, {s.bar2->t_c, s.bar2->p_high}}};
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
        pass.spread = spread_of(cloud, !scene.strips, bar_t);
        box.include(pass.marks);
        include(box, *pass.spread);
    }
    set_axes(box, scene.t_axis, scene.p_axis);
    return scene;
}

batch_scene make_batch_scene(const std::vector<batch_sample> &samples, int left_off,
                             const std::string &title) {
    batch_scene scene;
    scene.title = title;
    if (left_off > 0)
        scene.title += " (" + std::to_string(left_off) + (left_off == 1 ? " sample" : " samples") +
                       " without a result not shown)";
    const auto [low, high] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const batch_sample &a, const batch_sample &b) { return a.t_c < b.t_c; });
    const bool barometers = std::any_of(samples.begin(), samples.end(),
                                        [](const batch_sample &s) { return s.barometer; });
    const bool side_by_side = !barometers && samples.size() > 1 && high->t_c - low->t_c < 0.5;
    if (side_by_side) {
        scene.sample_axis = true;
        scene.t_label = "Sample, all at " + degrees(low->t_c);
    }
    pt_box box;
    std::map<std::size_t, std::string> named; // the legend of the thermometers drawn, by colour
    for (std::size_t i = 0; i < samples.size(); i++) {
        const batch_sample &sample = samples[i];
        const double t = side_by_side ? static_cast<double>(i + 1) : sample.t_c;
        batch_mark mark{sample.label, {t, sample.p_kbar}, std::nullopt, std::nullopt, {}};
        box.include(mark.at);
        if (!sample.pass2.empty()) {
            std::vector<pt_point> cloud;
            for (const auto &[ct, cp] : sample.pass2) cloud.push_back({ct, cp});
            mark.spread = spread_of(cloud, sample.t_varies && !side_by_side, t);
            include(box, *mark.spread);
        }
        for (const batch_intersection &x : sample.intersections) {
            thermometer_mark tm{x.colour, {x.t_c, x.p_kbar}, {}};
            if (x.runs.size() > 1) {
                std::vector<pt_point> cloud;
                for (const auto &[ct, cp] : x.runs) cloud.push_back({ct, cp});
                tm.ellipse1 = covariance_ellipse(describe(cloud), 1);
            }
            box.include(tm.at);
            box.include(tm.ellipse1);
            named.emplace(x.colour, x.legend);
            mark.intersections.push_back(std::move(tm));
        }
        scene.marks.push_back(std::move(mark));
    }
    if (box.empty) box.include(std::vector<pt_point>{{400, 0}, {900, 30}});
    set_axes(box, scene.t_axis, scene.p_axis);
    if (side_by_side) scene.t_axis = {0.5, static_cast<double>(samples.size()) + 0.5};
    // Each barometer line across the axes, now that they are known.
    for (std::size_t i = 0; i < samples.size(); i++)
        if (const auto &line = samples[i].barometer) {
            const pt_point a{(*line)[0].first, (*line)[0].second};
            const pt_point b{(*line)[1].first, (*line)[1].second};
            scene.marks[i].barometer = clip_line(a, b, scene.t_axis, scene.p_axis);
        }
    scene.barometers = barometers;
    for (const auto &[colour, text] : named) scene.thermometers.push_back({colour, text});
    return scene;
}

} // namespace varno96::plot
