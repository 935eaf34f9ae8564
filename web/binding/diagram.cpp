// The batch's figure as the PLplot pictures lay it out (plot::layout_batch), turned into SVG
// coordinates: mm from the page's top left corner, y downwards; texts in mm (their points at the
// figure's final width).
#include "diagram.hpp"

#include "api/options.hpp"

#include "scene/labels.hpp"
#include "scene/scene.hpp"
#include "scene/text.hpp"

#include <cmath>
#include <numbers>
#include <string>

namespace varno96::web {

using emscripten::val;

namespace {

// The layout's y (mm up from the page's foot) as the page's (mm down from its top).
struct svg_map {
    const plot::batch_layout &layout;
    double y(double up) const { return layout.page.height - up; }
};

constexpr double pt_mm(double pt) { return pt * 25.4 / 72; }

val svg_rect(const svg_map &m, const plot::rect &r) {
    val v = val::object();
    v.set("x0", r.x0);
    v.set("y0", m.y(r.y1));
    v.set("x1", r.x1);
    v.set("y1", m.y(r.y0));
    return v;
}

} // namespace

val diagram(const std::vector<plot::batch_sample> &samples, int left_off, const val &figure) {
    // Each of the figure's options the page gives, by its Python name, set as the table sets
    // it; a value the table refuses leaves its default (the page offers only the table's).
    plot::figure_options o;
    for (const option_spec &s : plot_option_table) {
        const val v = figure[std::string(s.python)];
        if (v.isNumber())
            set_option(s, o, v.as<double>());
        else if (v.isString())
            set_option(s, o, v.as<std::string>());
        else if (v.isTrue() || v.isFalse())
            set_option(s, o, v.as<bool>());
    }
    const plot::batch_scene scene = plot::make_batch_scene(samples, left_off, o);
    const plot::batch_layout layout = plot::layout_batch(scene);
    const svg_map m{layout};
    std::vector<double> points; // of every ellipse and line, as x, y pairs
    const auto add = [&](const std::vector<plot::pt_point> &line, const plot::rect &frame) {
        const double start = static_cast<double>(points.size());
        for (const plot::pt_point &q : line) {
            const plot::mm_point at = layout.to_mm(q, frame);
            points.push_back(at.x);
            points.push_back(m.y(at.y));
        }
        return val::array(std::vector<double>{start, static_cast<double>(points.size())});
    };

    val out = val::object();
    out.set("width", layout.page.width);
    out.set("height", layout.page.height);
    out.set("title", plot::utf8_text(scene.title));
    out.set("titleY", m.y(layout.top_title));
    out.set("subtitle", layout.subtitle);
    out.set("tLabel", scene.t_label);
    out.set("pLabel", scene.p_label);
    out.set("sampleAxis", scene.sample_axis);
    out.set("tAxis", val::array(std::vector<double>{layout.t_axis.lo, layout.t_axis.hi}));
    out.set("pAxis", val::array(std::vector<double>{layout.p_axis.lo, layout.p_axis.hi}));
    out.set("tStep", scene.t_step);
    out.set("pStep", scene.p_step);
    val sizes = val::object();
    sizes.set("tick", pt_mm(plot::tick_pt));
    sizes.set("axisTitle", pt_mm(plot::axis_title_pt));
    sizes.set("legend", pt_mm(plot::legend_pt));
    sizes.set("name", pt_mm(plot::name_pt));
    sizes.set("title", pt_mm(plot::title_pt));
    out.set("sizes", sizes);
    out.set("markScale", layout.mark_scale);
    out.set("sampleRadius", plot::sample_radius);
    out.set("legendSymbol", plot::legend_symbol);
    out.set("labelInset", plot::label_inset);
    out.set("unwrittenLabels", layout.unwritten);

    // The frames: the overlay's, or one for each sample's panel.
    std::vector<plot::rect> frames;
    val framesOut = val::array();
    const auto add_frame = [&](const plot::rect &r, bool t_numbers, bool p_numbers) {
        val f = svg_rect(m, r);
        f.set("tNumbers", t_numbers);
        f.set("pNumbers", p_numbers);
        framesOut.call<void>("push", f);
        frames.push_back(r);
    };
    if (layout.panels.empty()) add_frame(layout.frame, true, true);
    for (const plot::panel &p : layout.panels) add_frame(p.frame, p.t_numbers, p.p_numbers);
    out.set("frames", framesOut);

    val legend = val::array();
    for (const plot::legend_row &row : layout.legend) {
        static constexpr const char *kinds[] = {"mark",   "ellipse1",      "ellipse2",    "bar1",
                                                "bar2",   "barometer",     "thermometer", "density",
                                                "centre", "lowestPressure"};
        val e = val::object();
        e.set("text", row.text);
        e.set("kind", std::string(kinds[static_cast<int>(row.kind)]));
        e.set("x", row.x);
        e.set("y", m.y(row.y));
        if (row.kind == plot::legend_kind::thermometer) e.set("colour", row.colour);
        legend.call<void>("push", e);
    }
    out.set("legend", legend);
    // The calibrations' colours and their markers' outlines, (dx, dy) in mm, y downwards.
    val colours = val::array(), markers = val::array();
    for (std::size_t k = 0; k < plot::thermometer_colours.size(); k++) {
        const plot::rgb &c = plot::thermometer_colours[k];
        colours.call<void>("push", "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," +
                                       std::to_string(c.b) + ")");
        std::vector<double> outline;
        for (const plot::mm_point &q : plot::marker_outline(k)) {
            outline.push_back(q.x);
            outline.push_back(-q.y);
        }
        markers.call<void>("push", val::array(outline));
    }
    out.set("thermometerColours", colours);
    out.set("markers", markers);

    // The reactions in each frame, their labels where the layout puts them.
    val reactions = val::array();
    for (std::size_t f = 0; f < frames.size(); f++)
        for (const plot::reaction_line &r : scene.reactions)
            reactions.call<void>("push", add({r.ends[0], r.ends[1]}, frames[f]));
    out.set("reactions", reactions);
    val reaction_labels = val::array();
    for (const plot::placed_text &t : layout.reaction_labels) {
        val v = val::object();
        // The layout's point is the middle of the label's left end; the page writes on the
        // baseline, 0.35 of the size below the middle.
        const double a = t.angle * std::numbers::pi / 180, down = 0.35 * pt_mm(t.pt);
        v.set("text", t.text);
        v.set("x", t.at.x + down * std::sin(a));
        v.set("y", m.y(t.at.y - down * std::cos(a)));
        v.set("angle", -t.angle);
        v.set("size", pt_mm(t.pt));
        reaction_labels.call<void>("push", v);
    }
    out.set("reactionLabels", reaction_labels);
    const auto dash = [](const std::array<double, 2> &mm) {
        return std::to_string(mm[0]) + " " + std::to_string(mm[1]);
    };
    out.set("reactionDash", dash(plot::reaction_dash_mm));
    out.set("lowestPressureDash", dash(plot::lowest_pressure_dash_mm));

    val bins = val::array();
    for (const plot::hex_bin &b : layout.bins) {
        val v = val::object();
        v.set("colour", b.colour == plot::no_calibration ? -1 : static_cast<int>(b.colour));
        v.set("x", b.centre.x);
        v.set("y", m.y(b.centre.y));
        v.set("weight", b.weight);
        bins.call<void>("push", v);
    }
    out.set("bins", bins);
    out.set("hexRadius", layout.hex_radius);

    val list = val::array();
    for (std::size_t i = 0; i < scene.marks.size(); i++) {
        const plot::batch_mark &mk = scene.marks[i];
        const std::size_t f = layout.panels.empty() ? 0 : i;
        const plot::rect &frame = frames[f];
        const plot::mm_point at = layout.to_mm(mk.at, frame);
        val v = val::object();
        v.set("label", plot::utf8_text(mk.label));
        v.set("frame", f);
        v.set("x", at.x);
        v.set("y", m.y(at.y));
        v.set("point", mk.point);
        if (mk.spread && !scene.density) {
            if (mk.spread->bar1) {
                const plot::mm_point low =
                    layout.to_mm({mk.spread->bar1->t_c, mk.spread->bar1->p_low}, frame);
                const plot::mm_point high =
                    layout.to_mm({mk.spread->bar1->t_c, mk.spread->bar1->p_high}, frame);
                v.set("bar1", val::array(std::vector<double>{low.x, m.y(low.y), m.y(high.y)}));
            } else {
                v.set("ellipse1", add(mk.spread->ellipse1, frame));
            }
        }
        if (mk.barometer) v.set("barometer", add({(*mk.barometer)[0], (*mk.barometer)[1]}, frame));
        if (const auto &jd = mk.lowest_pressure) {
            v.set("lowestPressure", add({jd->ends[0], jd->ends[1]}, frame));
            v.set("lowestPressureLabel", jd->label);
        }
        val met = val::array();
        for (const plot::thermometer_mark &x : mk.intersections) {
            const plot::mm_point xat = layout.to_mm(x.at, frame);
            val e = val::object();
            e.set("colour", x.colour);
            e.set("x", xat.x);
            e.set("y", m.y(xat.y));
            if (!x.ellipse1.empty() && !scene.density) e.set("ellipse1", add(x.ellipse1, frame));
            met.call<void>("push", e);
        }
        v.set("intersections", met);
        list.call<void>("push", v);
    }
    // The lines from each value as entered to the mean of its runs: x1, y1, x2, y2.
    for (const plot::centre_line &l : plot::centre_lines(scene, layout)) {
        const auto &[from, to] = l.ends;
        const val ends = val::array(std::vector<double>{from.x, m.y(from.y), to.x, m.y(to.y)});
        if (l.intersection == plot::no_intersection)
            list[l.mark].set("centre", ends);
        else
            list[l.mark]["intersections"][l.intersection].set("centre", ends);
    }
    // The names written: a box, and a leader where the name stands apart from its mark.
    for (const plot::batch_label &l : layout.labels) {
        val v = list[l.mark];
        v.set("box", svg_rect(m, l.box));
        if (l.leader) {
            const auto &[from, to] = *l.leader;
            v.set("leader", val::array(std::vector<double>{from.x, m.y(from.y), to.x, m.y(to.y)}));
        }
    }
    out.set("marks", list);
    out.set("points", val::global("Float64Array")
                          .new_(emscripten::typed_memory_view(points.size(), points.data())));
    return out;
}

} // namespace varno96::web
