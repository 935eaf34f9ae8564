// The P-T figure's scene for varno96.plot: the samples as the package reads them from a result
// (and its pairs), the scene as the batch's figure has it, in data coordinates.
#include "options.hpp"
#include "scene/scene.hpp"
#include "thermometry/jadeite.hpp"
#include "thermometry/thermometry.hpp"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace py = pybind11;

namespace varno96 {

namespace {

using point = std::pair<double, double>;

py::list points(const std::vector<plot::pt_point> &v) {
    py::list out;
    for (const plot::pt_point &q : v) out.append(py::make_tuple(q.t_c, q.p_kbar));
    return out;
}

std::string hex(const plot::rgb &c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", c.r, c.g, c.b);
    return buffer;
}

// Monte-Carlo runs as a dict: n, t_mean, p_mean, t_sd, p_sd, rho (NaN for none); or None.
plot::run_moments moments_of(const py::handle &h) {
    plot::run_moments m;
    if (h.is_none()) return m;
    const auto d = h.cast<py::dict>();
    m.n = d["n"].cast<std::size_t>();
    m.t_mean = d["t_mean"].cast<double>(), m.p_mean = d["p_mean"].cast<double>();
    m.t_sd = d["t_sd"].cast<double>(), m.p_sd = d["p_sd"].cast<double>();
    m.rho = d["rho"].cast<double>();
    return m;
}

// Each sample a dict: label, t_c, p_kbar, t_varies, runs, pass2 (runs), barometer ((T, P),
// (T, P)) or None, intersections [{key, t_c, p_kbar, runs}], runs as moments_of takes them, and
// ln_a_jd (NaN or absent for none), whose albite = jadeite + quartz the panels draw.
plot::batch_sample sample_of(const py::dict &d) {
    plot::batch_sample s;
    s.label = d["label"].cast<std::string>();
    s.t_c = d["t_c"].cast<double>();
    s.p_kbar = d["p_kbar"].cast<double>();
    s.t_varies = d["t_varies"].cast<bool>();
    s.runs = d["runs"].cast<std::size_t>();
    s.pass2 = moments_of(d["pass2"]);
    if (!d["barometer"].is_none()) {
        const auto line = d["barometer"].cast<std::pair<point, point>>();
        s.barometer = {{line.first, line.second}};
    }
    if (d.contains("ln_a_jd"))
        if (const double ln_a = d["ln_a_jd"].cast<double>(); std::isfinite(ln_a))
            s.lowest_pressure = thermometry::albite_jadeite_quartz_line(ln_a);
    for (const py::handle &h : d["intersections"].cast<py::list>()) {
        const auto x = h.cast<py::dict>();
        const auto key = thermometry::find_any(x["key"].cast<std::string>());
        if (!key) throw py::value_error("no calibration " + x["key"].cast<std::string>());
        const thermometry::described c = thermometry::about(*key);
        plot::batch_intersection i;
        i.legend = std::string(c.name) + " " + std::string(c.cited);
        i.colour = thermometry::place(*key);
        i.t_c = x["t_c"].cast<double>();
        i.p_kbar = x["p_kbar"].cast<double>();
        i.runs = moments_of(x["runs"]);
        s.intersections.push_back(std::move(i));
    }
    return s;
}

// `options`: the figure's keyword arguments by their Python names, checked by the package.
py::dict figure_scene(const py::list &samples, const py::dict &options) {
    std::vector<plot::batch_sample> in;
    for (const py::handle &h : samples) in.push_back(sample_of(h.cast<py::dict>()));
    const auto o = options_of<plot::figure_options>(plot_option_table, options);
    const plot::batch_scene scene = plot::make_batch_scene(in, 0, o);
    const plot::batch_layout laid = plot::layout_batch(scene);
    py::dict out;
    out["t_axis"] = py::make_tuple(scene.t_axis.lo, scene.t_axis.hi);
    out["p_axis"] = py::make_tuple(scene.p_axis.lo, scene.p_axis.hi);
    out["t_step"] = scene.t_step;
    out["p_step"] = scene.p_step;
    out["t_label"] = scene.t_label;
    out["p_label"] = scene.p_label;
    out["sample_axis"] = scene.sample_axis;
    out["names"] = scene.names;
    out["density"] = scene.density;
    out["panels"] = o.layout == plot::figure_layout::panels;
    out["width_mm"] = laid.page.width;
    out["height_mm"] = laid.page.height;
    py::list legend;
    for (const plot::legend_row &row : laid.legend) {
        static constexpr const char *kinds[] = {
            "mark",      "ellipse1",    "ellipse2", "bar1",   "bar2",
            "barometer", "thermometer", "density",  "centre", "lowest_pressure"};
        legend.append(py::make_tuple(kinds[static_cast<int>(row.kind)], row.text, row.colour));
    }
    out["legend"] = legend;
    py::list colours;
    for (const plot::rgb &c : plot::thermometer_colours) colours.append(hex(c));
    out["colours"] = colours;
    out["grey"] = py::make_tuple(hex(plot::barometer_rgb), hex(plot::reaction_rgb));
    py::list marks;
    for (const plot::batch_mark &m : scene.marks) {
        py::dict d;
        d["label"] = m.label;
        d["at"] = py::make_tuple(m.at.t_c, m.at.p_kbar);
        d["point"] = m.point;
        d["ellipse"] = m.spread ? points(m.spread->ellipse1) : py::list();
        d["bar"] = m.spread && m.spread->bar1
                       ? py::object(py::make_tuple(m.spread->bar1->t_c, m.spread->bar1->p_low,
                                                   m.spread->bar1->p_high))
                       : py::object(py::none());
        d["mean"] = m.spread ? py::object(py::make_tuple(m.spread->mean.t_c, m.spread->mean.p_kbar))
                             : py::object(py::none());
        d["joined"] = false;
        d["barometer"] = m.barometer ? py::object(points({(*m.barometer)[0], (*m.barometer)[1]}))
                                     : py::object(py::none());
        d["lowest_pressure"] =
            m.lowest_pressure ? py::object(py::make_tuple(m.lowest_pressure->label,
                                                          points({m.lowest_pressure->ends[0],
                                                                  m.lowest_pressure->ends[1]})))
                              : py::object(py::none());
        py::list met;
        for (const plot::thermometer_mark &x : m.intersections) {
            py::dict e;
            e["colour"] = x.colour;
            e["at"] = py::make_tuple(x.at.t_c, x.at.p_kbar);
            e["ellipse"] = points(x.ellipse1);
            e["mean"] = py::make_tuple(x.mean.t_c, x.mean.p_kbar);
            e["joined"] = false;
            met.append(e);
        }
        d["intersections"] = met;
        marks.append(d);
    }
    // Which values as entered are joined to the mean of their runs: where the layout draws it.
    for (const plot::centre_line &l : plot::centre_lines(scene, laid)) {
        auto d = marks[l.mark].cast<py::dict>();
        if (l.intersection == plot::no_intersection)
            d["joined"] = true;
        else
            d["intersections"].cast<py::list>()[l.intersection].cast<py::dict>()["joined"] = true;
    }
    // Where the layout writes each name, as fractions of the frame (beside it for the names of
    // barometer lines), and whether a leader joins it to its mark.
    const double fw = laid.frame.x1 - laid.frame.x0, fh = laid.frame.y1 - laid.frame.y0;
    for (const plot::batch_label &l : laid.labels) {
        auto d = marks[l.mark].cast<py::dict>();
        d["name_at"] = py::make_tuple((l.box.x0 + plot::label_inset - laid.frame.x0) / fw,
                                      ((l.box.y0 + l.box.y1) / 2 - laid.frame.y0) / fh);
        d["leader"] = l.leader.has_value();
    }
    out["marks"] = marks;
    out["legend_mm"] = laid.legend_box.y1 - laid.legend_box.y0;
    py::list lines;
    for (const plot::reaction_line &r : scene.reactions)
        lines.append(py::make_tuple(std::string(plot::reference_reactions[r.which].label),
                                    points({r.ends[0], r.ends[1]})));
    // Each label where the layout puts it: the middle of its left end in data coordinates, and
    // the panel (by its sample) or 0 for the overlay.
    py::list labels;
    for (const plot::placed_text &t : laid.reaction_labels) {
        std::size_t panel = 0;
        plot::rect frame = laid.frame;
        for (const plot::panel &p : laid.panels)
            if (p.page == t.page && t.at.x >= p.frame.x0 && t.at.x <= p.frame.x1 &&
                t.at.y >= p.frame.y0 && t.at.y <= p.frame.y1)
                panel = p.mark, frame = p.frame;
        const double tx = scene.t_axis.lo + (t.at.x - frame.x0) / (frame.x1 - frame.x0) *
                                                (scene.t_axis.hi - scene.t_axis.lo);
        const double py_ = scene.p_axis.lo + (t.at.y - frame.y0) / (frame.y1 - frame.y0) *
                                                 (scene.p_axis.hi - scene.p_axis.lo);
        labels.append(py::make_tuple(t.text, py::make_tuple(tx, py_), panel));
    }
    out["reaction_labels"] = labels;
    out["reaction_dash_mm"] = py::make_tuple(plot::reaction_dash_mm[0], plot::reaction_dash_mm[1]);
    out["lowest_pressure_dash_mm"] =
        py::make_tuple(plot::lowest_pressure_dash_mm[0], plot::lowest_pressure_dash_mm[1]);
    out["reactions"] = lines;
    // The grid of panels: columns and rows.
    std::size_t columns = 0;
    for (const plot::panel &p : laid.panels)
        if (p.page == 0 && p.frame.y1 == laid.panels.front().frame.y1) columns++;
    out["columns"] = columns;
    return out;
}

} // namespace

void add_figure(py::module_ &m) {
    using namespace pybind11::literals;
    m.def("figure_scene", &figure_scene, "samples"_a, "options"_a,
          "The P-T figure's scene of the samples, in data coordinates.");
}

} // namespace varno96
