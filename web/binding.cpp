// The calculation as the browser page calls it (embind): the option fields as typed, the
// tables as bytes, and back the rows as text, the CSV files as bytes, the messages of
// varno96-batch, and the P-T diagram laid out on its page, ready to be drawn as SVG.
#include "api/batch.hpp"
#include "api/cite.hpp"
#include "api/csv.hpp"
#include "api/options.hpp"
#include "io/io.hpp"
#include "scene/labels.hpp"
#include "scene/samples.hpp"
#include "scene/scene.hpp"
#include "scene/text.hpp"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace varno96::web {

using emscripten::val;

namespace {

// ---- Options ---------------------------------------------------------------------------

struct checked_options {
    batch_options o;
    val errors = val::object(); // field id -> refusal, in the words of the option table
    bool ok = true;
};

void refuse(checked_options &c, std::string_view field, const std::string &why) {
    const std::string id(field);
    if (!c.errors.hasOwnProperty(id.c_str())) c.errors.set(id, why);
    c.ok = false;
}

std::string text_of(const val &fields, std::string_view name) {
    const val v = fields[std::string(name)];
    return v.isString() ? v.as<std::string>() : std::string();
}

// A field of the table's kind, as varno96-batch takes the option; nothing when it is empty.
std::optional<double> field_value(checked_options &c, const val &fields, const option_spec &s) {
    const std::string text = text_of(fields, s.name);
    if (text.find_first_not_of(" \t") == std::string::npos) {
        if (s.required) refuse(c, s.name, "required");
        return std::nullopt;
    }
    if (s.kind == option_kind::integer) {
        const std::size_t sign = text[0] == '-' || text[0] == '+';
        if (text.size() > sign && text.size() < 12 &&
            text.find_first_not_of("0123456789", sign) == std::string::npos)
            return static_cast<double>(std::stoll(text));
        refuse(c, s.name, range_words(s) + ": " + text);
        return std::nullopt;
    }
    REAL x = 0;
    if (!READFIELD(text, x)) {
        refuse(c, s.name, "not a number: " + text);
        return std::nullopt;
    }
    return x;
}

// The page's fields, by the ids of the option table, each setting its option; then the table's
// checks, each refusal under the field of the option it names.
checked_options check(const val &fields) {
    checked_options c;
    batch_options &o = c.o;
    for (const option_spec &s : batch_option_table) {
        if (s.page_help.empty()) continue; // no control on the page
        std::optional<option_value> v;
        if (s.kind == option_kind::flag) {
            v = fields[std::string(s.name)].isTrue();
        } else if (s.kind == option_kind::list || s.kind == option_kind::choice) {
            const std::string text = text_of(fields, s.name);
            if (text.find_first_not_of(" ,") != std::string::npos) v = text;
        } else if (const auto x = field_value(c, fields, s)) {
            v = *x;
        }
        if (v)
            if (const auto refused = set_option(s, o, *v)) refuse(c, s.name, *refused);
    }
    if (c.ok)
        if (const auto r = check_options(o)) {
            if (r->other && r->needs)
                refuse(c, r->option->name, "needs “" + std::string(r->other->label) + "”");
            else if (r->other)
                refuse(c, r->other->name, "not with “" + std::string(r->option->label) + "”");
            else
                refuse(c, r->option->name, r->why + ": " + r->value);
        }
    return c;
}

val check_options_of(const val &fields) { return check(fields).errors; }

// The option table, for the page's controls and their explanations.
val option_table() {
    val list = val::array();
    for (const option_spec &s : batch_option_table) {
        val v = val::object();
        v.set("name", std::string(s.name));
        v.set("label", std::string(s.label));
        v.set("kind", std::string(kind_name(s.kind)));
        if (s.low) v.set("min", *s.low);
        if (s.high) v.set("max", *s.high);
        v.set("choices", std::string(s.choices));
        v.set("default", std::string(s.default_text));
        v.set("required", s.required);
        v.set("help", std::string(s.help));
        v.set("excludes", std::string(s.excludes));
        v.set("needs", std::string(s.needs));
        v.set("pageHelp", std::string(s.page_help));
        v.set("valueName", std::string(s.value_name));
        std::string choices(s.page_choices);
        // The model's menu: the titles of the models, as the dialogue's menu numbers them.
        if (s.field == option_field(&batch_options::model))
            for (int i = 1; i <= NMODELS; i++) {
                std::string t = MODEL[i];
                t.erase(t.find_last_not_of(' ') + 1);
                choices += "|" + std::to_string(i) + ": " + t;
            }
        v.set("pageChoices", choices);
        list.call<void>("push", v);
    }
    return list;
}

// The table of columns, for the glossary: each entry with the names it stands for (a family
// over the minerals by its three names, others by their template).
val column_table() {
    val list = val::array();
    const std::vector<column> every = result_columns(std::nullopt);
    for (const column_spec &c : result_column_table()) {
        val names = val::array();
        if (c.over == column_over::mineral && c.elements == column_elements::none) {
            for (const column &e : every)
                if (e.entry == &c) names.call<void>("push", e.name);
        } else {
            names.call<void>("push", std::string(c.name));
        }
        val v = val::object();
        v.set("names", names);
        v.set("unit", std::string(c.unit));
        v.set("meaning", std::string(c.meaning));
        v.set("option", brought_by(c));
        v.set("role", std::string(role_name(c.role)));
        list.call<void>("push", v);
    }
    return list;
}

// The publications: of each garnet model (empty for ideal mixing) and of each calibration.
val references() {
    val models = val::array(), calibrations = val::array();
    for (int i = 1; i <= NMODELS; i++) models.call<void>("push", garnet_model_reference(i));
    for (const thermometry::calibration &c : thermometry::calibrations) {
        val v = val::object();
        v.set("key", std::string(c.name));
        v.set("cited", std::string(c.cited));
        v.set("reference", reference_text(c.citation));
        v.set("note", std::string(c.note));
        calibrations.call<void>("push", v);
    }
    val out = val::object();
    out.set("models", models);
    out.set("calibrations", calibrations);
    return out;
}

val model_titles() {
    val titles = val::array();
    for (int i = 1; i <= NMODELS; i++) {
        std::string t = MODEL[i];
        while (!t.empty() && t.back() == ' ') t.pop_back();
        titles.call<void>("push", t);
    }
    return titles;
}

// ---- The diagram's page ----------------------------------------------------------------

// The batch's figure as the PLplot pictures lay it out (plot::layout_batch), turned into SVG
// coordinates: mm from the page's top left corner, y downwards; texts in mm (their points at the
// figure's final width).
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

val diagram(const std::vector<plot::batch_sample> &samples, int left_off, const val &figure) {
    plot::figure_options o;
    if (figure["width"].isNumber()) o.width_mm = figure["width"].as<double>();
    o.unit = figure["units"].isString() && figure["units"].as<std::string>() == "GPa"
                 ? plot::pressure_unit::gpa
                 : plot::pressure_unit::kbar;
    o.layout = figure["layout"].isString() && figure["layout"].as<std::string>() == "panels"
                   ? plot::figure_layout::panels
                   : plot::figure_layout::overlay;
    o.reactions = !figure["reactions"].isFalse();
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
        static constexpr const char *kinds[] = {"mark", "ellipse1",  "ellipse2",    "bar1",
                                                "bar2", "barometer", "thermometer", "density"};
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
    out.set("reactionDash", std::to_string(plot::reaction_dash_mm[0]) + " " +
                                std::to_string(plot::reaction_dash_mm[1]));

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

// ---- The batch -------------------------------------------------------------------------

val bytes_of(const std::string &s) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(s.size(), s.data()));
}

std::string string_of(const val &bytes) {
    std::string s(bytes["length"].as<std::size_t>(), '\0');
    val(emscripten::typed_memory_view(s.size(), s.data())).call<void>("set", bytes);
    return s;
}

// One batch computed: the table and messages at once; the diagram and the Monte-Carlo pairs
// file (hundreds of thousands of lines for a large batch) when they are asked for, from the
// results kept until the batch is deleted, so that the page shows the table first.
class batch {
public:
    // inputs: [{name, bytes}]; fields: the option fields by id; progress(done, total).
    batch(const val &inputs, const val &fields, const val &progress) {
        const checked_options c = check(fields);
        if (!c.ok) {
            result_.set("optionErrors", c.errors);
            return;
        }
        o_ = c.o;
        try {
            run(inputs, progress);
        } catch (const std::exception &e) { result_.set("error", plot::utf8_text(e.what())); }
    }
    val result() const { return result_; }
    // The figure laid out on its page, as `figure` asks ({width, units, layout, reactions});
    // nothing when no sample has a result.
    val diagram(const val &figure) const {
        if (done_.points.empty()) return val::undefined();
        return web::diagram(done_.points, static_cast<int>(done_.rows - done_.points.size()),
                            figure);
    }
    // The pairs file of varno96-batch --pt; nothing without Monte-Carlo.
    val pairs() const {
        if (!o_.monte_carlo || results_.size() != units_.size()) return val::undefined();
        std::string csv = csv_header(pair_columns(o_));
        for (std::size_t i = 0; i < units_.size(); i++)
            for (const auto &row : pair_cells(units_[i], results_[i], o_))
                append_csv_line(csv, row);
        return bytes_of(csv);
    }

private:
    batch_options o_;
    batch_summary done_;
    std::deque<sample_input> names_; // each row's file and sample, without its analyses
    std::vector<sample_unit> units_; // pointing into names_
    std::vector<sample_result> results_;
    val result_ = val::object();

    void run(const val &inputs, const val &progress) {
        val messages = val::array();
        std::vector<table_text> tables;
        const auto n_inputs = inputs["length"].as<std::size_t>();
        for (std::size_t i = 0; i < n_inputs; i++)
            tables.push_back(
                {inputs[i]["name"].as<std::string>(), string_of(inputs[i]["bytes"]), {}});
        std::string csv;
        // The rows' texts in one string, cells and rows apart by the unit and record
        // separators, which utf8_text leaves in no text.
        std::string texts;
        val ok_rows = val::array();
        batch_hooks hooks;
        hooks.words = front_end::page;
        hooks.points = true;
        hooks.message = [&](const std::string &said) {
            messages.call<void>("push", plot::utf8_text(said));
        };
        hooks.progress = [&](std::size_t done, std::size_t total) {
            if (!progress.isUndefined()) progress(done, total);
        };
        hooks.row = [&](const batch_row &r) {
            append_csv_line(csv, r.cells);
            for (std::size_t k = 0; k < r.cells.size(); k++)
                texts += (k ? "\x1f" : "") + plot::utf8_text(r.cells[k].text);
            texts += '\x1e';
            ok_rows.call<void>("push", r.ok);
            // The pairs file is made when asked for, after the table is shown.
            names_.push_back({r.unit.in->file, r.unit.in->name, 0, {}, {}});
            units_.push_back(r.unit);
            units_.back().in = &names_.back();
            results_.push_back(r.result);
        };
        done_ = run_batch(tables, o_, hooks);
        val columns = val::array();
        for (const column &col : done_.columns) {
            val v = val::object();
            v.set("name", col.name);
            v.set("kind", std::string(col.type == column::text     ? "text"
                                      : col.type == column::number ? "number"
                                                                   : "integer"));
            v.set("meaning", column_meaning(col, o_));
            v.set("role", std::string(role_name(col.entry->role)));
            columns.call<void>("push", v);
        }
        result_.set("columns", columns);
        result_.set("rows", texts);
        result_.set("ok", ok_rows);
        result_.set("messages", messages);
        result_.set("failed", done_.failed_rows + done_.failed_inputs);
        result_.set("hint", combine_hint(front_end::page, done_.several));
        // The control the hint's action sets, and to what.
        result_.set("hintControl", std::string(option_of(&batch_options::combine).name));
        result_.set("cite", cite_text(o_, trial_temperature::given, VARNO96_RELEASE));
        result_.set("bibtex", bytes_of(cite_bibtex(o_)));
        result_.set("seed", static_cast<int>(done_.how.seed));
        result_.set("csv", bytes_of(csv_header(done_.columns) + csv));
        result_.set("monteCarlo", o_.monte_carlo);
    }
};

} // namespace

EMSCRIPTEN_BINDINGS(varno96) {
    emscripten::function("modelTitles", &model_titles);
    emscripten::function("checkOptions", &check_options_of);
    emscripten::function("options", &option_table);
    emscripten::function("columns", &column_table);
    emscripten::function("references", &references);
    emscripten::class_<batch>("Batch")
        .constructor<const val &, const val &, const val &>()
        .function("result", &batch::result)
        .function("diagram", &batch::diagram)
        .function("pairs", &batch::pairs);
    emscripten::function(
        "version", +[] { return std::string(VERSION); });
}

} // namespace varno96::web
