// What a batch says of its inputs and rows, each message one whole line: the messages of a
// file read, text made safe for a line of standard error or a cell, and the end of a run.
#pragma once

#include "api/words.hpp"
#include "tables/reader.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

// The messages of one file read, as varno96-batch reports them: its error and warnings, the
// options they name in the words of `words`; `chosen`: the spots chosen, as given.
std::vector<std::string> file_messages(const file_input &in, const std::string &file,
                                       front_end words = front_end::command_line,
                                       std::string_view chosen = {});

// A message as one line of standard error, whole: NUL and the other control characters escaped
// (\0, \n, \r, \t, \xHH, C1 controls too), and the bytes that are no UTF-8 (\xHH); all else
// as it is.
std::string message_line(std::string_view message);
// A text cell of a table (a name, a note): its control characters escaped as in messages.
std::string cell_text(std::string_view text);
// The end of a run: "2 of 7 rows without a result (their note says why)"; empty when every row
// has one.
std::string rows_summary(std::size_t without_result, std::size_t rows);

} // namespace varno96
