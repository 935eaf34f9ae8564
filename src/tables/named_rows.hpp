// The rows of a table whose header row names the columns, from a text or from columns handed
// over (a DataFrame's), read into samples (named_samples.cpp).
#pragma once

#include "tables/named_columns.hpp"
#include "tables/named_records.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varno96::detail {

enum class cell_reading { value, below_detection, negative, not_a_number };

// An oxide cell; a negative value is read as 0.
cell_reading read_cell(std::string_view raw, bool comma, REAL &x);

// The rows of a text, record by record: each field as the text has it.
class text_rows {
public:
    // `fields`: a vector to reuse, the header's.
    text_rows(records &rec, char sep, std::vector<std::string> fields)
        : rec_(rec), sep_(sep), fields_(std::move(fields)) {}

    bool next(int &line) {
        if (!rec_.next(fields_, line)) return false;
        number_++;
        return true;
    }
    int number() const { return number_; }
    std::string_view field(std::size_t c) const {
        return c < fields_.size() ? trimmed(fields_[c]) : std::string_view();
    }
    // A row cut short, or running on (a blank inside a field of a blank-separated table, a
    // decimal comma in a comma-separated one), would put values in the wrong columns.
    std::string width_problem(const layout &lay, std::size_t header_size) const {
        std::size_t width = fields_.size();
        while (width > 0 && trimmed(fields_[width - 1]).empty()) width--;
        if (fields_.size() > lay.last && width <= header_size) return {};
        const char *why = sep_ == 0     ? " (a blank inside a field moves the values along)"
                          : sep_ == ',' ? " (a decimal comma splits a value in two)"
                                        : "";
        return std::to_string(width) + " fields, the header has " + std::to_string(header_size) +
               why;
    }
    // An oxide cell: its reading, with `has` set when the cell is not empty.
    cell_reading oxide(std::size_t c, bool comma, REAL &x, bool &has) const {
        const std::string_view raw = field(c);
        has = has || !raw.empty();
        return read_cell(raw, comma, x);
    }
    std::string text(std::size_t c) const { return std::string(field(c)); }

private:
    records &rec_;
    char sep_;
    std::vector<std::string> fields_;
    int number_ = 0;
};

// The rows [first, last) of a table given as columns; the header is line 1, so row r is line
// r + 2. Rows without any value are left out, as blank lines of a text are.
class column_rows {
public:
    column_rows(const columns_input &t, std::size_t first, std::size_t last)
        : t_(t), row_(first), last_(last) {}
    std::size_t left() const { return last_ > row_ ? last_ - row_ : 0; }

    bool next(int &line) {
        for (; row_ < last_; row_++) {
            if (t_.rows_apart || !blank(row_)) {
                current_ = row_++;
                line = static_cast<int>(current_) + 2;
                return true;
            }
        }
        return false;
    }
    int number() const { return static_cast<int>(current_) + 1; }
    std::size_t row() const { return current_; }
    std::string_view field(std::size_t c) const {
        const table_column &col = t_.columns[c];
        if (!col.numbers) return trimmed(col.texts[current_]);
        const double x = col.numbers[current_];
        if (std::isnan(x)) return {};
#if defined(__GLIBCXX__)
        return {buffer_, std::to_chars(buffer_, buffer_ + sizeof buffer_, x).ptr};
#else
        // The shortest of 15 and 17 digits that reads back as x (this C++ library has no
        // to_chars for doubles).
        int n = std::snprintf(buffer_, sizeof buffer_, "%.15g", x);
        if (std::strtod(buffer_, nullptr) != x)
            n = std::snprintf(buffer_, sizeof buffer_, "%.17g", x);
        return {buffer_, static_cast<std::size_t>(n)};
#endif
    }
    std::string width_problem(const layout &, std::size_t) const { return {}; }
    cell_reading oxide(std::size_t c, bool comma, REAL &x, bool &has) const {
        const table_column &col = t_.columns[c];
        if (!col.numbers) {
            const std::string_view raw = trimmed(col.texts[current_]);
            has = has || !raw.empty();
            return read_cell(raw, comma && col.decimal_comma, x);
        }
        const double v = col.numbers[current_];
        x = 0;
        if (std::isnan(v)) return cell_reading::below_detection;
        has = true;
        if (!std::isfinite(v)) return cell_reading::not_a_number;
        if (v < 0) return cell_reading::negative;
        x = v == 0 ? 0 : v; // no -0
        return cell_reading::value;
    }
    std::string text(std::size_t c) const { return std::string(field(c)); }

private:
    bool blank(std::size_t r) const {
        for (const table_column &col : t_.columns)
            if (col.numbers ? !std::isnan(col.numbers[r]) : !trimmed(col.texts[r]).empty())
                return false;
        return true;
    }
    const columns_input &t_;
    std::size_t row_, last_, current_ = 0;
    mutable char buffer_[32];
};

// Reads the rows into samples: in.samples, their problems, and what the rows leave unused in
// in.warnings. With `apart`, each row of a wide table is a sample of its own.
template <class Rows>
void read_rows(Rows &rows, const std::string &file, const layout &lay,
               const std::vector<std::string> &header, const std::vector<std::size_t> &headless,
               bool comma, bool apart, const std::function<std::string(std::size_t)> &row_name_of,
               const std::function<std::string(int)> *place, std::size_t rows_expected,
               const reading &how, file_input &in);

} // namespace varno96::detail
