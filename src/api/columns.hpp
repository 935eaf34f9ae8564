// The columns of a batch's tables, defined once: each entry names a column (or a family of them
// over the minerals, the thermometers asked or the elements), says what it holds, which option
// brings it and how its cell is made from a result. The CSV files, the page's table and
// glossary, the Python module's frames and the manual page are all made of it.
#pragma once

#include "api/options.hpp"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

struct sample_unit;
struct sample_result;
struct choices;
struct column_spec;

// A column of the table: text, a number with `decimals`, or a whole number.
struct column {
    enum kind { text, number, integer };
    std::string name;
    kind type = text;
    const column_spec *entry = nullptr; // the entry it comes from
    std::size_t k = 0;                  // its mineral or thermometer, in a family over them
    int i = 0;                          // its element, 1..NEL, in a family over them
};
// A cell: its text in the CSV, and its value at full precision (NaN where there is none).
struct cell {
    std::string text;
    double value = 0;
};

// What a cell is made from: a row's calculation, and for the pairs file one Monte-Carlo run.
struct cell_source {
    const sample_unit &u;
    const sample_result &r;
    const choices &how;
    const batch_options &o;
    bool ok;           // the row has a result
    std::size_t k = 0; // the mineral (0 garnet, 1 clinopyroxene, 2 phengite) or thermometer asked
    int i = 0;         // the element, 1..NEL
    int pass = 0;      // the pairs file: the pass (1, 2) and the run in it
    std::size_t run = 0;
};

// What a column is for, where a front end treats it apart from the others (the page orders
// and styles its table by it, the figure finds its points by it); most columns have none.
// A thermometer's column has its role with the calibration's key (column_key): its
// intersection is the temperature and pressure of that key, its runs' statistics those below.
enum class column_role {
    none,
    file,
    sample,
    label,
    pass,
    temperature,
    pressure,
    note,
    // The Monte-Carlo seed; the pressures at T - 50 and T + 50 (the barometer line).
    seed,
    pressure_minus50,
    pressure_plus50,
    // Of the runs the figure draws, pass 2's or a thermometer's: mean, standard deviation and
    // percentiles of T and of P, their correlation and the number of runs with a value.
    t_mean,
    t_sd,
    t_p16,
    t_p50,
    t_p84,
    p_mean,
    p_sd,
    p_p16,
    p_p50,
    p_p84,
    rho,
    runs,
    // The clinopyroxene's ln a(jd) and the lowest pressure of albite = jadeite + quartz.
    ln_a_jd,
    lowest_pressure
};
// The role as the page and the Python module name it: "", "file", "sample", ...
const char *role_name(column_role role);

// What a family of columns repeats over: nothing, the three minerals, the thermometers asked.
enum class column_over { once, mineral, thermometer };
// And within each, over the oxides or the cations of the analyses.
enum class column_elements { none, oxide, cation };

struct column_spec {
    // The name, or its template: {mineral} (grt, cpx, phe), {key} (a calibration's key),
    // {oxide} (SiO2 ... K2O), {cation} (Si ... K).
    std::string_view name = {};
    std::string_view unit = {}; // empty for none
    column::kind kind = column::number;
    int decimals = 0; // of a number
    std::string_view meaning = {};
    // The option that brings the column (none: always there); with `by_value` only when the
    // option has that value; with `also` only when that option is given too.
    std::optional<option_field> by = std::nullopt;
    std::string_view by_value = {};
    std::optional<option_field> also = std::nullopt;
    bool with_zr = false; // only when a Zr-in-rutile thermometer is asked too
    column_over over = column_over::once;
    column_elements elements = column_elements::none;
    // The cell: the value of a number or whole number (none: empty), or the text.
    std::optional<double> (*value)(const cell_source &) = nullptr;
    std::string (*text)(const cell_source &) = nullptr;
    // A whole number that may be empty where others in its column are not.
    bool may_be_empty = false;
    column_role role = column_role::none;
};

// The calibration's key of a column of a thermometer's family ("KR00"), empty for any other
// column. `o` as for result_columns.
std::string column_key(const column &c, const std::optional<batch_options> &o);

// The columns of a result row, and of a row of the Monte-Carlo pairs file, in their order.
std::span<const column_spec> result_column_table();
std::span<const column_spec> pair_column_table();

// The columns a batch under `o` writes; with `o` empty, every column any batch can write (each
// calibration, both ways of combining).
std::vector<column> result_columns(const std::optional<batch_options> &o);
std::vector<column> pair_columns(const batch_options &o);
// The cells of a row, of the columns of result_columns(o), in order.
std::vector<cell> result_cells(const sample_unit &u, const sample_result &r, const choices &how,
                               const batch_options &o);
// The Monte-Carlo pairs of one row: T and P with the digits of the P-T file.
std::vector<std::vector<cell>> pair_cells(const sample_unit &u, const sample_result &r,
                                          const batch_options &o);

// What a column holds, in a sentence; a thermometer's column also names its calibration and
// publication ("... KR00: Krogh Ravna E. (2000) The garnet-..."). `o` as for result_columns.
std::string column_meaning(const column &c, const std::optional<batch_options> &o);

// The options that bring a column, as the manual says it ("--combine mean", "--thermometers
// and --monte-carlo"); empty for a column always there.
std::string brought_by(const column_spec &c);
// The columns of both tables as varno96-batch --help lists them, with what each family ranges
// over; `pairs_file` names the second table ("the --pt file").
std::string columns_help(std::string_view pairs_file);

} // namespace varno96
