// Reader of analysis tables holding any number of samples: the dialogue's data-file layout,
// read as the dialogue reads it, and tables whose header row names the oxide columns (one
// analysis per row with sample and mineral columns, or one sample per row with a mineral
// suffix on each oxide), as microprobes and spreadsheets export them.
#pragma once

#include "state/types.hpp"

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varno96 {

// Column names of the ten oxides in the order of an analysis, and of their cations.
inline constexpr std::array<const char *, NEL> oxide_names{"SiO2", "TiO2", "Al2O3", "Fe2O3", "FeO",
                                                           "MnO",  "MgO",  "CaO",   "Na2O",  "K2O"};
inline constexpr std::array<const char *, NEL> cation_names{"Si", "Ti", "Al", "Fe3", "Fe2",
                                                            "Mn", "Mg", "Ca", "Na",  "K"};

enum class mineral { garnet, clinopyroxene, phengite, unknown };
inline constexpr std::array<const char *, 3> mineral_names{"garnet", "clinopyroxene", "phengite"};

// The oxides of the end-members each mineral is computed from (garnet SiO2, Al2O3, FeO, MgO,
// CaO; clinopyroxene SiO2, Al2O3, MgO, CaO, Na2O; phengite SiO2, Al2O3, K2O): an analysis
// without a value in one of them is none of that mineral. `i` as in an analysis, 1 to NEL.
constexpr bool major_oxide(std::size_t mineral, int i) {
    constexpr std::array<std::array<int, 5>, 3> majors{{{SIO2, AL2O3, FEO, MGO, CAO},
                                                        {SIO2, AL2O3, MGO, CAO, NA2O},
                                                        {SIO2, AL2O3, K2O, K2O, K2O}}};
    for (const int m : majors.at(mineral))
        if (m == i) return true;
    return false;
}

// At most this many characters of any text read are quoted in a message.
inline constexpr std::size_t quoted_most = 200;

// `text` whole, or its first characters, "…" and its length in characters: "abc… (1,200,000
// characters)".
std::string clipped(std::string_view text);
// The same in double quotes, the length after the closing quote.
std::string quoted(std::string_view text);
// A count with its thousands grouped: 39,999.
std::string grouped(std::size_t n);

// What is said of the places of a table, in order of first saying. A remark whose `alike` was
// said before is counted, not repeated (F.csv line 3, column SiO2: "#N/A" is not a number, and
// 39,999 more cells like it). Remarks without a place are said once. Linear in what is
// said; the text gives the first `shown_most` remarks unlike each other and counts the rest.
class remarks {
public:
    static constexpr std::size_t shown_most = 20;

    remarks() = default;
    remarks(const remarks &other) {
        if (other.said_) {
            said_ = std::make_unique<store>();
            said_->entries = other.said_->entries;
            index();
        }
    }
    remarks(remarks &&) noexcept = default; // the entries stay where they are
    remarks &operator=(const remarks &other) {
        if (this != &other) said_ = remarks(other).said_;
        return *this;
    }
    remarks &operator=(remarks &&) noexcept = default;
    ~remarks() = default;

    // `where` names the place ("F.csv line 3, column SiO2"; empty: none), `what` says it,
    // `alike` (empty: `what`) tells which remarks are the same, `place` what the place is.
    void add(std::string where, std::string what, std::string_view alike = {},
             const char *place = "cell");
    // The remarks of `other` after these, counted with them.
    void add(const remarks &other);
    bool empty() const { return !said_ || said_->entries.empty(); }
    std::string text() const;

private:
    struct entry {
        std::string where, what;
        std::string alike; // empty: `what` tells which remarks are the same
        const char *place;
        std::size_t more = 0;
        std::string_view key() const { return alike.empty() ? std::string_view(what) : alike; }
    };
    // Up to this many remarks are looked up one by one, beyond it by index_: most tables have
    // a few, and an index of them cost more than it saved.
    static constexpr std::size_t unindexed_most = 8;

    // Counts `times` more of a remark said before; false when it was not.
    bool counted(const entry &e, std::size_t times);
    void insert(entry &&e, std::size_t times);
    void index();
    struct store {
        std::list<entry> entries; // in place, for index
        // By key, of the remarks without a place and of those with one; empty while unindexed.
        std::array<std::unordered_map<std::string_view, entry *>, 2> index;
    };
    // Nothing while nothing is said: every analysis read has remarks, most of them none.
    std::unique_ptr<store> said_;
};

// One analysis in wt%, all iron as FeO unless Fe2O3 was given.
struct analysis {
    VECTOR wt;
    std::string label; // the analysis label column, or empty
    int line = 0;      // line of the file where it starts
    remarks notes;     // what the reader changed: total iron converted, negative values read as 0
    std::optional<REAL> total; // the table's own total of the analysis (a Total column), if any
    REAL cr2o3 = 0;            // its Cr2O3 column, read with reading::cr2o3 (below detection: 0)
};

// The Zr of one rutile analysis, ppm by weight, the line it was read on and its label (the
// analysis label column, or empty).
struct zr_spot {
    double ppm = 0;
    int line = 0;
    std::string label{};
};

// Where a sample's name comes from: a sample column (or a data file's field), the file (a
// table without a sample column is one sample), or the row (of a wide table without one).
enum class sample_naming { column, file, row };

// The analyses of one sample; `problem` says why the sample cannot be computed (a mineral
// missing, a line with an unknown mineral, too few fields, a cell that is not a number).
struct sample_input {
    std::string file;
    std::string name;
    int line = 0;                                  // line of the sample's first analysis
    std::array<std::vector<analysis>, 3> analyses; // garnet, clinopyroxene, phengite
    std::string problem;
    // The place of a line in messages when it is not "FILE line N" (columns_input::line_place).
    const std::function<std::string(int)> *place = nullptr;
    // What the front ends say of the sample besides its analyses' notes:
    sample_naming naming = sample_naming::column;
    std::array<int, 3> seen{};     // lines naming each mineral, read or not (a missing mineral)
    std::array<int, 3> unchosen{}; // analyses of each mineral left out by the choice of spots
    std::map<std::string, int> others{}; // rows of another mineral left out, by name quoted
    std::vector<std::string> files{};    // joined: the files its analyses come from, in order
    // The table has no sample column and several analyses of a mineral: the columns that may
    // name its samples (quoted), in order.
    std::optional<std::vector<std::string>> unnamed{};
    std::vector<zr_spot> rutile{}; // the Zr of each rutile analysis, in the order read
};

// "FILE line N", or the place of that line that s's table gives it.
std::string line_place(const sample_input &s, int line);

// The samples of one file in order of first appearance, or the error that left it unread
// (naming the file and line), and what was read but not used (columns ignored, oxides
// missing), each naming the file.
struct file_input {
    std::vector<sample_input> samples;
    std::string error;
    std::vector<std::string> warnings;
    // Said in the words of a front end (api/messages.hpp): the table has no sample column and
    // several analyses of a mineral, computed as the one sample; the analyses of each mineral.
    std::optional<std::array<int, 3>> one_sample;
    std::size_t unchosen_rows = 0;             // rows left out whole by the choice of spots
    std::vector<std::string> unchosen_samples; // samples of which no row is chosen (quoted)
    bool wide = false; // one sample per row: oxide columns with a mineral suffix
    // A spreadsheet's workbook (a zip or an OLE container): `error` says only what it is, the
    // front end what to do with it.
    bool workbook = false;
};

// Grt, Gt, Garnet; Cpx, Omp, Omph, Omphacite; Phe, Ph, Phen, Phengite, Ms, Mu, Musc,
// Muscovite, Wm, White mica, Mica; any case. With `numbered`, a name followed by a digit,
// blank or punctuation (Grt1, grt-rim, Omp 3) counts as that mineral.
mineral mineral_of(std::string_view field, bool numbered = false);

// Rt, Rut, Rutile, any case; with `numbered` as mineral_of (Rt1, rt-core). A rutile row gives
// only its Zr (a column Zr, Zr (ppm), Zr ppm or Zr_ppm in ppm, or ZrO2 in wt%).
bool rutile_of(std::string_view field, bool numbered = false);

// Zr/ZrO2 by mass, 91.224 / 123.222: ZrO2 wt% times 10^4 times this is Zr ppm.
inline constexpr double zr_per_zro2 = 91.224 / 123.222;

// Spots chosen by a column's value: [MINERAL:]COLUMN=VALUE, for the analyses of one mineral
// (grt:, cpx:, phe: or any of its names) or of all when `of` is unknown. Column and value are
// matched without case and blanks. Conditions on one column are alternatives; on several
// columns each must hold; a mineral's own conditions on a column replace those for all.
struct spot_choice {
    std::string column, value;
    mineral of = mineral::unknown;
    std::string text; // as given, for the notes
};
// The choices of `text`, separated by semicolons; none when one of them is no COLUMN=VALUE.
std::optional<std::vector<spot_choice>> spot_choices_of(std::string_view text);

// How a table with named columns is read besides its header.
struct reading {
    // The sample and mineral columns, as the user names them (matched without case and
    // blanks); empty: found by their usual names.
    std::string sample_column, mineral_column;
    std::vector<spot_choice> where;  // the spots chosen
    mineral only = mineral::unknown; // a table of this mineral alone (one frame per mineral)
    bool rutile_only = false;        // a table of rutile alone: its Zr, no oxides needed
    // Read to be joined with other tables (join_samples): a mineral missing is not said yet.
    bool joined = false;
    // The Cr2O3 column read into each analysis (the clinopyroxene's ferric iron from its sites
    // takes it), a cell that is not a number its row's problem; without, ignored as any
    // column of no use.
    bool cr2o3 = false;
};

// The samples of several inputs as one table: samples of one name joined in the first, their
// analyses in the order read, the files they come from; samples named after their file (no
// sample column) joined as one. Then a mineral missing from a sample is its problem.
std::vector<sample_input> join_samples(std::vector<std::vector<sample_input>> inputs);
// A mineral missing from a sample read with reading::joined, said as its problem.
void say_missing(sample_input &s);

// Reads `text`, the contents of the file `file` (UTF-8 with or without a byte-order mark, or
// UTF-16 with one or without: a NUL every other byte). A workbook and a file that is not text
// at all (a picture, a PDF) are refused in one line that quotes none of their bytes.
file_input read_table(const std::string &file, std::string_view text, const reading &how = {});

// Puts up to `n` more bytes of a text at `to` and says how many: 0 at its end.
using text_pieces = std::function<std::size_t(char *to, std::size_t n)>;
// The same, the text read from `more` a piece at a time: a table whose header row names the
// columns is read holding only its records not yet read; the data-file layout and UTF-16 are
// read whole first, a workbook or binary refused from its start. `size`, the text's size in bytes
// when known, leaves room for its samples.
file_input read_table(const std::string &file, const text_pieces &more, std::size_t size = 0,
                      const reading &how = {});

// A table handed over as columns rather than as text (a DataFrame's): each column numbers
// (NaN: an empty cell) or texts, read as the cells of a file are.
struct table_column {
    std::string name;
    const double *numbers = nullptr; // one per row, or nullptr for texts
    std::vector<std::string> texts;  // one per row otherwise
    // A text with one comma and no point is a number with a decimal comma; false for a column
    // whose texts write numbers with decimal points, where "55,6" is a typing error.
    bool decimal_comma = true;
};
struct columns_input {
    std::string file; // the name the messages give
    std::vector<table_column> columns;
    std::size_t rows = 0;
    // Each row of a wide table a sample of its own, never merged with another of its name;
    // without a sample column, row r is named row_name(r) (by default "row r + 1").
    bool rows_apart = false;
    std::function<std::string(std::size_t)> row_name;
    // The place of line N in messages instead of "FILE line N", for a table made of others
    // (one frame per mineral: "garnet frame, row 9 (index 'EC1-3')"); empty: none.
    std::function<std::string(int)> line_place;
    // How the messages write a column's name (as Python writes a str); none: quoted.
    std::function<std::string(std::string_view)> name_repr;
    // How the messages name the table when not by `file` ("garnet frame"), its sample column
    // when not the reading's, and its mineral when it is a table of one.
    std::string said_as, sample_column;
    mineral only = mineral::unknown;
    bool rutile_only = false;
};

// Reads the rows [first, last) of `t` as read_table reads a table with its header row (never
// as the data-file layout): its names matched alike, numbers taken as they are, texts read as
// a file's cells (a decimal comma as one), the header counted as line 1 and row r as line
// r + 2. The header's warnings only when `header_warnings`; columns two of which give one
// oxide, and a header without an oxide, are named by `t.name_repr`.
file_input read_columns(const columns_input &t, std::size_t first, std::size_t last,
                        bool header_warnings = true, const reading &how = {});

// The oxide a column header names, spelled as the header of its slot ("SiO2", ..., "K2O", or
// "Fe2O3T" for all iron given as Fe2O3), whatever its synonym, decoration or mineral suffix;
// empty when it names none. Frames of one mineral each are aligned by it.
std::string oxide_column(std::string_view header);

namespace detail {
// Today's data-file layout, when the header is one: false leaves `in` untouched.
bool read_datafile_layout(const std::string &file, std::string_view text, file_input &in,
                          const reading &how = {});

enum class cell_kind { value, below_detection, not_a_number };
// An oxide cell as both layouts take it: a whole number (with a decimal comma where `comma`
// allows one; a negative one as it is), or a mark of a value below detection (empty, "-", "<…",
// n.d., n.a., bdl and their spellings), read as 0; anything else is not a number.
cell_kind read_number(std::string_view cell, bool comma, REAL &x);
// The parts one after another, in one allocation.
std::string joined(std::initializer_list<std::string_view> parts);
// A text without blanks and in lower case, as column names and choices are matched.
std::string plain(std::string_view text);
// Whether a header names the column `name` as the user wrote it.
bool names_column(std::string_view header, std::string_view name);
} // namespace detail

} // namespace varno96
