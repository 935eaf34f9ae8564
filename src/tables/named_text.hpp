// The text of a table whose header row names the columns: case, blanks, UTF-16 as UTF-8, and
// what is no text table at all (named_text.cpp).
#pragma once

#include <string>
#include <string_view>

namespace varno96::detail {

char lower(char c);
std::string lowered(std::string_view s);
// Without blanks, tabs and the no-break spaces a spreadsheet leaves around a cell.
std::string_view trimmed(std::string_view s);
// UTF-16 text after its byte-order mark (Excel's "Unicode text") as UTF-8; an unpaired
// surrogate becomes U+FFFD, an odd last byte is dropped.
std::string from_utf16(std::string_view bytes, bool little);
// UTF-16 without a byte-order mark, as some exports write it: text mostly of ASCII has a NUL
// as every other byte, after each character (little-endian, 'L') or before it ('B'). 0: not
// so. Looks at the first 1024 bytes.
char utf16_order(std::string_view bytes);
// Whether the bytes are UTF-8 throughout (a character cut at their end counts as one when
// `cut_end`).
bool is_utf8(std::string_view bytes, bool cut_end = false);
// Each byte that is no part of a UTF-8 character read as Windows-1252, in UTF-8; UTF-8 kept.
// With `rest`, the bytes of a character cut at the end are left there for the next piece.
std::string from_cp1252(std::string_view bytes, std::string *rest = nullptr);
// The start of a file that holds no text table: a workbook, a picture, an archive, a PDF, or
// bytes of which a quarter or more are control characters or no UTF-8 (random bytes, about
// half are; a text in Latin-1 has a few, a table with a stray NUL one). Looks at the first
// 8192 bytes.
enum class container { text, workbook, binary };
container container_of(std::string_view bytes);

} // namespace varno96::detail
