#include "api/batch.hpp"

#include "api/messages.hpp"
#include "api/pipeline.hpp"
#include "state/textfile.hpp"
#include "thermometry/jadeite.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace varno96 {

std::string batch_title(const std::vector<std::string> &files, const choices &how) {
    std::string title;
    for (const std::string &f : files)
        title += (title.empty() ? "" : ", ") + f.substr(f.find_last_of("/\\") + 1);
    title +=
        ": model " + std::to_string(how.model) + (how.one_site ? ", 1-site" : ", 2-site") + " Cpx";
    if (how.powell) title += ", Powell T";
    return title;
}

plot::batch_sample diagram_point(const sample_unit &u, const sample_result &r,
                                 const std::vector<thermometry::any_key> &thermometers,
                                 bool one_site) {
    plot::batch_sample s{unit_name(u), r.rows[1].t_c, r.rows[1].p_kbar, {}, r.t_varies, 0, {}, {}};
    if (r.formulae[1])
        if (const auto jd = thermometry::ln_a_jadeite(r.formulae[1]->cat, one_site))
            s.lowest_pressure = thermometry::albite_jadeite_quartz_line(*jd.value);
    // The moments the table gives, at full precision, so that its rows read back draw the same.
    const auto moments = [](std::size_t n, std::optional<double> t_mean,
                            std::optional<double> p_mean, std::optional<double> t_sd,
                            std::optional<double> p_sd, std::optional<double> rho) {
        const double none = std::nan("");
        return plot::run_moments{n,
                                 t_mean.value_or(none),
                                 p_mean.value_or(none),
                                 t_sd.value_or(none),
                                 p_sd.value_or(none),
                                 rho.value_or(none)};
    };
    if (r.passes) {
        const pass_result &p = (*r.passes)[1];
        s.pass2 = moments(p.pairs.size(), p.t_mean, p.p_mean, p.t_sd, p.p_sd, p.rho);
        s.runs = p.pairs.size() + static_cast<std::size_t>(p.left_out);
    }
    if (thermometers.empty()) return s;
    // The barometer is a straight line in T (see thermometry.hpp): the rows either side give it.
    s.barometer = {{{r.rows[0].t_c, r.rows[0].p_kbar}, {r.rows[2].t_c, r.rows[2].p_kbar}}};
    for (std::size_t k = 0; k < thermometers.size() && k < r.intersections.size(); k++) {
        const intersection &x = r.intersections[k];
        if (!x.t_c || !x.p_kbar) continue;
        const thermometry::described key = thermometry::about(thermometers[k]);
        plot::batch_intersection point{std::string(key.name) + " " + std::string(key.cited),
                                       thermometry::place(thermometers[k]),
                                       *x.t_c,
                                       *x.p_kbar,
                                       {}};
        if (r.passes)
            point.runs = moments(static_cast<std::size_t>(x.runs), x.t_runs.mean, x.p_runs.mean,
                                 x.t_sd, x.p_sd, x.rho);
        s.intersections.push_back(std::move(point));
    }
    return s;
}

reading reading_of(const batch_options &o) {
    reading how;
    how.sample_column = o.sample_column;
    how.mineral_column = o.mineral_column;
    for (const std::string &w : o.where)
        if (const auto c = spot_choices_of(w))
            how.where.insert(how.where.end(), c->begin(), c->end());
    how.joined = o.join;
    how.cr2o3 = o.estimate_ferric[1] == ferric_estimate::sites;
    return how;
}

void spread_samples::add(const std::vector<sample_input> &samples) {
    for (const sample_input &s : samples) {
        if (s.naming != sample_naming::column) continue;
        const auto [it, added] = index_.try_emplace(s.name, files_.size());
        if (added) files_.push_back({s.name, {}});
        auto &files = files_[it->second].second;
        if (std::find(files.begin(), files.end(), s.file) == files.end()) files.push_back(s.file);
    }
}

std::string spread_samples::warning(front_end words) const {
    std::vector<std::string> names;
    for (const auto &[name, files] : files_) {
        if (files.size() < 2) continue;
        std::string in;
        for (const std::string &f : files) in += (in.empty() ? "" : ", ") + f;
        names.push_back(quoted(name) + " (" + in + ")");
    }
    if (names.empty()) return {};
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < 20; i++) list += (i ? ", " : "") + names[i];
    if (names.size() > 20) list += " and " + grouped(names.size() - 20) + " more";
    return std::string(names.size() == 1 ? "a sample is" : "samples are") +
           " in several files, each file's analyses computed alone: " + list + "; " +
           option_words(words, option_of(&batch_options::join)) + " joins them";
}

namespace {

batch_summary run(const std::vector<table_text> &inputs, const batch_options &o,
                  const batch_hooks &hooks) {
    batch_summary out;
    out.how = choices_of(o);
    out.columns = result_columns(o);
    out.pair_columns = pair_columns(o);
    const reading how = reading_of(o);
    std::string chosen;
    for (const std::string &w : o.where) chosen += (chosen.empty() ? "" : ", ") + w;
    // The page says the messages' options in its own words from the command line's.
    const front_end said_in =
        hooks.words == front_end::page ? front_end::command_line : hooks.words;
    spread_samples own;
    spread_samples *spread = hooks.spread ? hooks.spread : o.join ? nullptr : &own;
    std::vector<sample_input> samples;
    std::vector<std::vector<sample_input>> to_join;
    std::vector<std::size_t> input_of; // of each sample, for hooks.temperature
    for (const table_text &t : inputs) {
        out.names.push_back(t.name);
        file_input in;
        if (!t.error.empty())
            in.error = t.error;
        else
            try {
                in = t.columns ? read_columns(*t.columns, t.first, t.last, t.first == 0, how)
                     : t.open  ? read_table(t.name, t.open(), t.size, how)
                               : read_table(t.name, t.text, how);
            } catch (const std::runtime_error &e) { in.error = e.what(); }
        if (in.workbook) in.error += ": " + workbook_advice(hooks.words);
        out.wide.push_back(in.wide);
        input_of.resize(input_of.size() + in.samples.size(), out.names.size() - 1);
        if (!in.error.empty() && hooks.unreadable) hooks.unreadable(t.name, message_line(in.error));
        const std::string &said_as =
            t.columns && !t.columns->said_as.empty() ? t.columns->said_as : t.name;
        if (hooks.message)
            for (const std::string &m : file_messages(in, said_as, said_in, chosen))
                hooks.message(message_line(m));
        if (!in.error.empty() || (in.samples.empty() && in.unchosen_rows == 0)) out.failed_inputs++;
        if (spread) spread->add(in.samples);
        if (o.join)
            to_join.push_back(std::move(in.samples));
        else if (samples.empty())
            samples = std::move(in.samples);
        else
            for (sample_input &s : in.samples) samples.push_back(std::move(s));
    }
    if (o.join) {
        samples = join_samples(std::move(to_join));
        // A joined sample comes from the input of its first analysis.
        input_of.clear();
    }
    if (spread == &own && hooks.message)
        if (const std::string w = own.warning(said_in); !w.empty()) hooks.message(message_line(w));
    const bool per_rutile_spot = o.combine == combine_mode::each && asks_zr(o);
    for (const sample_input &s : samples) out.rows += unit_count(s, o.combine, per_rutile_spot);
    // The samples a part at a time, each part's analyses and units let go once computed: a
    // unit holds its analyses again, and a table of many samples would be held twice.
    constexpr std::size_t part_size = 4096;
    const std::vector<std::vector<cell>> no_pairs;
    std::size_t first_row = 0;
    for (std::size_t first = 0; first < samples.size(); first += part_size) {
        const auto from = samples.begin() + static_cast<std::ptrdiff_t>(first);
        const auto to = samples.begin() +
                        static_cast<std::ptrdiff_t>(std::min(samples.size(), first + part_size));
        const std::vector<sample_input> part(std::make_move_iterator(from),
                                             std::make_move_iterator(to));
        std::vector<sample_unit> units =
            sample_units(part, o.combine, hooks.words, chosen, per_rutile_spot);
        for (const sample_unit &u : units) out.several += u.several;
        if (hooks.temperature)
            for (sample_unit &u : units)
                u.t_c = hooks.temperature(
                    input_of.empty()
                        ? 0
                        : input_of[first + static_cast<std::size_t>(u.in - part.data())],
                    u);
        if (hooks.zr_ppm)
            for (sample_unit &u : units)
                if (const std::optional<double> zr = hooks.zr_ppm(u); zr && u.problem.empty()) {
                    if (const std::size_t n = u.wt.zr_ppm.size(); n > 0)
                        u.note += (u.note.empty() ? "" : "; ") +
                                  std::string("Zr in rutile as given, not from its ") +
                                  (n == 1 ? std::string("rutile row")
                                          : std::to_string(n) + " rutile rows");
                    u.wt.zr_ppm.assign(1, *zr);
                }
        const std::function<void(std::size_t, std::size_t)> progress =
            !hooks.progress ? hooks.progress : [&](std::size_t i, std::size_t n) {
                // Once at the very end, not at the end of each part.
                if (i < n || first_row + n == out.rows) hooks.progress(first_row + i, out.rows);
            };
        compute_units(
            units, out.how, hooks.threads,
            [&](std::size_t i, const sample_result &r) {
                const sample_unit &u = units[i];
                const bool ok = u.problem.empty() && r.ok;
                if (!ok) out.failed_rows++;
                if (hooks.points && ok)
                    out.points.push_back(diagram_point(u, r, o.thermometers, out.how.one_site));
                if (!hooks.row) return;
                const std::vector<cell> cells = result_cells(u, r, out.how, o);
                const auto pairs = hooks.pairs ? pair_cells(u, r, o) : no_pairs;
                hooks.row(batch_row{first_row + i, u, r, cells, pairs, ok});
            },
            progress);
        first_row += units.size();
    }
    if (samples.empty() && hooks.progress) hooks.progress(0, 0);
    out.title = batch_title(out.names, out.how);
    return out;
}

} // namespace

batch_summary run_batch(const std::vector<table_text> &inputs, const batch_options &o,
                        const batch_hooks &hooks) {
    try {
        return run(inputs, o, hooks);
    } catch (const RUNEND &e) { throw run_error(e.MESSAGE); }
}

batch_result compute_batch(const std::vector<table_text> &inputs, const batch_options &o,
                           bool with_pairs, unsigned threads,
                           const std::function<void(std::size_t, std::size_t)> &progress) {
    batch_result out;
    batch_hooks hooks;
    hooks.threads = threads;
    hooks.pairs = with_pairs;
    hooks.progress = progress;
    hooks.message = [&](const std::string &m) { out.messages.push_back(m); };
    hooks.row = [&](const batch_row &r) {
        out.rows.push_back(r.cells);
        for (const auto &p : r.pairs) out.pairs.push_back(p);
    };
    const batch_summary s = run_batch(inputs, o, hooks);
    out.columns = s.columns;
    out.pair_columns = s.pair_columns;
    out.failed = s.failed_rows + s.failed_inputs;
    out.seed = s.how.seed;
    return out;
}

} // namespace varno96
