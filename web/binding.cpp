// The calculation as the browser page calls it (embind): the option fields as typed, the
// tables as bytes, and back the rows as text, the CSV files as bytes, the messages of
// varno96-batch, and the P-T diagram laid out on its page, ready to be drawn as SVG.
#include "api/table.hpp"
#include "io/io.hpp"
#include "plot/labels.hpp"
#include "plot/plot.hpp"
#include "plot/scene.hpp"
#include "plot/text.hpp"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cmath>
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
    val errors = val::object(); // field id -> refusal, in varno96-batch's words
    bool ok = true;
};

void refuse(checked_options &c, const char *field, const std::string &why) {
    if (!c.errors.hasOwnProperty(field)) c.errors.set(field, why);
    c.ok = false;
}

std::string text_of(const val &fields, const char *name) {
    const val v = fields[name];
    return v.isString() ? v.as<std::string>() : std::string();
}
bool flag_of(const val &fields, const char *name) { return fields[name].isTrue(); }

// A number field in the syntax of the options; empty when `required` is false gives nothing.
std::optional<double> number_field(checked_options &c, const val &fields, const char *name,
                                   bool required) {
    std::string text = text_of(fields, name);
    if (text.find_first_not_of(" \t") == std::string::npos) {
        if (required) refuse(c, name, "required");
        return std::nullopt;
    }
    REAL x = 0;
    if (!READFIELD(text, x)) {
        refuse(c, name, "not a number: " + text);
        return std::nullopt;
    }
    return x;
}

// A whole number, as varno96-batch takes --model and --seed.
std::optional<long long> whole_field(checked_options &c, const val &fields, const char *name,
                                     int low, int high, bool required) {
    const std::string text = text_of(fields, name);
    if (text.empty()) {
        if (required) refuse(c, name, "required");
        return std::nullopt;
    }
    const std::size_t sign = text[0] == '-' || text[0] == '+';
    if (text.size() > sign && text.size() < 12 &&
        text.find_first_not_of("0123456789", sign) == std::string::npos) {
        const long long n = std::stoll(text);
        if (n >= low && n <= high) return n;
    }
    refuse(c, name,
           "must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
               ": " + text);
    return std::nullopt;
}

checked_options check(const val &fields) {
    checked_options c;
    batch_options &o = c.o;
    if (const auto m = whole_field(c, fields, "model", 1, NMODELS, true)) o.model = *m;
    if (const auto t = number_field(c, fields, "temperature", true)) o.temperature = *t;
    o.one_site = flag_of(fields, "one-site");
    o.powell = flag_of(fields, "powell");
    o.at = number_field(c, fields, "at", false);
    if (o.powell && o.at) refuse(c, "at", "--powell excludes --at");
    if (const auto u = number_field(c, fields, "uncertainty", false)) {
        o.uncertainty = *u;
        if (*u < 0)
            refuse(c, "uncertainty", "must not be negative: " + text_of(fields, "uncertainty"));
    }
    o.monte_carlo = flag_of(fields, "monte-carlo");
    o.seed = whole_field(c, fields, "seed", -99, -1, false);
    const std::string combine = text_of(fields, "combine");
    if (!combine.empty()) {
        if (const auto mode = combine_of(combine))
            o.combine = *mode;
        else
            refuse(c, "combine", "must be mean or each: " + combine);
    }
    o.formulae = flag_of(fields, "formulae");
    // Whatever the library refuses beyond the fields' own checks, under the option it names
    // first ("--seed: must be ...", "--powell excludes --at").
    if (c.ok) {
        const std::string why = option_error(o);
        if (!why.empty()) {
            const std::size_t end = why.find_first_of(": ", 2);
            const std::string field = why.substr(2, end == std::string::npos ? end : end - 2);
            const bool colon = end != std::string::npos && why.compare(end, 2, ": ") == 0;
            refuse(c, field.c_str(), colon ? why.substr(end + 2) : why);
        }
    }
    return c;
}

val check_options(const val &fields) { return check(fields).errors; }

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

// The batch's diagram laid out as the PLplot pictures are (plot::layout_batch), turned into
// SVG coordinates: mm from the page's top left corner, y downwards.
struct svg_map {
    const plot::batch_layout &layout;
    double y(double up) const { return layout.page.height - up; }
};

// Points appended to `flat` as SVG coordinates; their [start, end) in it.
val svg_points(const svg_map &m, const std::vector<plot::pt_point> &points,
               std::vector<double> &flat) {
    const double start = static_cast<double>(flat.size());
    for (const plot::pt_point &q : points) {
        const plot::mm_point at = m.layout.to_mm(q);
        flat.push_back(at.x);
        flat.push_back(m.y(at.y));
    }
    return val::array(std::vector<double>{start, static_cast<double>(flat.size())});
}

val svg_bar(const svg_map &m, const plot::error_bar &b) {
    const plot::mm_point low = m.layout.to_mm({b.t_c, b.p_low});
    const plot::mm_point high = m.layout.to_mm({b.t_c, b.p_high});
    val v = val::object();
    v.set("x", low.x);
    v.set("y0", m.y(low.y));
    v.set("y1", m.y(high.y));
    return v;
}

val svg_rect(const svg_map &m, const plot::rect &r) {
    val v = val::object();
    v.set("x0", r.x0);
    v.set("y0", m.y(r.y1));
    v.set("x1", r.x1);
    v.set("y1", m.y(r.y0));
    return v;
}

val diagram(const std::vector<plot::batch_sample> &samples, int left_off,
            const std::string &title) {
    const plot::batch_scene scene = plot::make_batch_scene(samples, left_off, title);
    const plot::batch_layout layout = plot::layout_batch(scene);
    const svg_map m{layout};
    val legend = val::array();
    for (const plot::legend_row &row : layout.legend) {
        static constexpr const char *kinds[] = {"mark", "ellipse1", "ellipse2", "bar1", "bar2"};
        val e = val::object();
        e.set("text", row.text);
        e.set("kind", std::string(kinds[static_cast<int>(row.kind)]));
        e.set("x", layout.legend_box.x0);
        e.set("y", m.y(row.y));
        legend.call<void>("push", e);
    }

    val out = val::object();
    out.set("width", layout.page.width);
    out.set("height", layout.page.height);
    out.set("title", plot::utf8_text(scene.title));
    out.set("subtitle", layout.subtitle);
    out.set("tLabel", scene.t_label);
    out.set("sampleAxis", scene.sample_axis);
    out.set("tAxis", val::array(std::vector<double>{layout.t_axis.lo, layout.t_axis.hi}));
    out.set("pAxis", val::array(std::vector<double>{layout.p_axis.lo, layout.p_axis.hi}));
    out.set("frame", svg_rect(m, layout.frame));
    out.set("legend", legend);
    out.set("legendHeight", layout.page.height - m.y(layout.legend_box.y1));
    out.set("labelSize", 1.25 * layout.label_char); // the font's em
    out.set("labelInset", plot::label_inset);
    out.set("charSize", 1.25 * layout.page.char_height);
    out.set("unwrittenLabels", layout.unwritten);
    val list = val::array();
    std::vector<double> points; // of every ellipse
    for (std::size_t i = 0; i < scene.marks.size(); i++) {
        const plot::batch_mark &mk = scene.marks[i];
        val v = val::object();
        v.set("label", plot::utf8_text(mk.label));
        v.set("x", layout.marks[i].x);
        v.set("y", m.y(layout.marks[i].y));
        if (mk.spread) {
            if (mk.spread->bar2) {
                v.set("bar1", svg_bar(m, *mk.spread->bar1));
                v.set("bar2", svg_bar(m, *mk.spread->bar2));
            } else {
                v.set("ellipse1", svg_points(m, mk.spread->ellipse1, points));
                v.set("ellipse2", svg_points(m, mk.spread->ellipse2, points));
            }
        }
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
        } catch (const std::exception &e) {
            result_.set("error", plot::utf8_text(e.what()));
        } catch (const RUNEND &e) { result_.set("error", plot::utf8_text(e.MESSAGE)); }
    }
    val result() const { return result_; }
    // The diagram laid out on its page; nothing when no sample was read.
    val diagram() const {
        if (units_.empty()) return val::undefined();
        return web::diagram(points_, static_cast<int>(units_.size() - points_.size()),
                            batch_title(names_, how_));
    }
    // The pairs file of varno96-batch --pt; nothing without Monte-Carlo.
    val pairs() const {
        if (!o_.monte_carlo || results_.size() != units_.size()) return val::undefined();
        std::string csv = csv_header(pair_columns(o_));
        for (std::size_t i = 0; i < units_.size(); i++)
            for (const auto &row : pair_cells(units_[i], results_[i], o_)) csv += csv_line(row);
        return bytes_of(csv);
    }

private:
    batch_options o_;
    choices how_;
    std::vector<sample_input> samples_;
    std::vector<sample_unit> units_; // pointing into samples_
    std::vector<sample_result> results_;
    std::vector<std::string> names_;         // of the inputs
    std::vector<plot::batch_sample> points_; // the rows with a result
    val result_ = val::object();

    void run(const val &inputs, const val &progress) {
        how_ = choices_of(o_);
        val messages = val::array();
        std::size_t failed = 0;
        const auto n_inputs = inputs["length"].as<std::size_t>();
        for (std::size_t i = 0; i < n_inputs; i++) {
            const std::string name = inputs[i]["name"].as<std::string>();
            names_.push_back(name);
            file_input in;
            try {
                in = read_table(name, string_of(inputs[i]["bytes"]));
            } catch (const std::runtime_error &e) { in.error = e.what(); }
            for (const std::string &said : file_messages(in, name))
                messages.call<void>("push", plot::utf8_text(said));
            if (!in.error.empty() || in.samples.empty()) failed++;
            for (sample_input &s : in.samples) samples_.push_back(std::move(s));
        }
        units_ = sample_units(samples_, o_.combine);
        std::string csv = csv_header(result_columns(o_));
        val columns = val::array();
        for (const column &col : result_columns(o_)) {
            val v = val::object();
            v.set("name", col.name);
            v.set("kind", std::string(col.type == column::text     ? "text"
                                      : col.type == column::number ? "number"
                                                                   : "integer"));
            columns.call<void>("push", v);
        }
        // The rows' texts in one string, cells and rows apart by the unit and record
        // separators, which utf8_text leaves in no text.
        std::string texts;
        val ok_rows = val::array();
        results_.reserve(units_.size());
        compute_units(
            units_, how_, 1,
            [&](std::size_t i, const sample_result &r) {
                const sample_unit &u = units_[i];
                const std::vector<cell> cells = result_cells(u, r, how_, o_);
                csv += csv_line(cells);
                for (std::size_t k = 0; k < cells.size(); k++)
                    texts += (k ? "\x1f" : "") + plot::utf8_text(cells[k].text);
                texts += '\x1e';
                const bool ok = u.problem.empty() && r.ok;
                ok_rows.call<void>("push", ok);
                results_.push_back(r);
                if (!ok) {
                    failed++;
                    return;
                }
                plot::batch_sample s{unit_name(u), r.rows[1].t_c, r.rows[1].p_kbar, {}, r.t_varies};
                if (r.passes) s.pass2 = (*r.passes)[1].pairs;
                points_.push_back(std::move(s));
            },
            [&](std::size_t done, std::size_t total) {
                if (!progress.isUndefined()) progress(done, total);
            });
        result_.set("columns", columns);
        result_.set("rows", texts);
        result_.set("ok", ok_rows);
        result_.set("messages", messages);
        result_.set("failed", failed);
        result_.set("seed", static_cast<int>(how_.seed));
        result_.set("csv", bytes_of(csv));
        result_.set("monteCarlo", o_.monte_carlo);
    }
};

} // namespace

EMSCRIPTEN_BINDINGS(varno96) {
    emscripten::function("modelTitles", &model_titles);
    emscripten::function("checkOptions", &check_options);
    emscripten::class_<batch>("Batch")
        .constructor<const val &, const val &, const val &>()
        .function("result", &batch::result)
        .function("diagram", &batch::diagram)
        .function("pairs", &batch::pairs);
    emscripten::function(
        "version", +[] { return std::string(VERSION); });
}

} // namespace varno96::web
