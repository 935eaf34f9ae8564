// Messages as one line of standard error, and the summary at the end of a run.
#include "api/table.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace varno96;

TEST(Messages, OneLineWhole) {
    using namespace std::string_literals;
    const struct {
        std::string message, line;
    } cases[]{
        {"F.csv line 2: \"abc\" is not a number", "F.csv line 2: \"abc\" is not a number"},
        {"a\0b"s, "a\\0b"},
        {"cell \"x\r\ny\"\tend\n", "cell \"x\\r\\ny\"\\tend\\n"},
        {"\x01\x1f\x7f", "\\x01\\x1F\\x7F"},
        {"Σ FeO, é, C:\\data", "Σ FeO, é, C:\\data"},
    };
    for (const auto &c : cases) EXPECT_EQ(message_line(c.message), c.line);
}

TEST(Messages, RowsSummary) {
    EXPECT_EQ(rows_summary(2, 7), "2 of 7 rows without a result (their note says why)");
    EXPECT_EQ(rows_summary(1, 1), "1 of 1 row without a result (its note says why)");
    EXPECT_EQ(rows_summary(1200, 40000),
              "1,200 of 40,000 rows without a result (their note says why)");
    EXPECT_EQ(rows_summary(0, 7), "");
}

} // namespace

namespace {

// A copy counts on by itself: its remarks are its own.
TEST(Messages, RemarksCopiedCountOnAlone) {
    auto copy = std::make_unique<remarks>();
    copy->add("F line 2", "x");
    remarks kept = *copy;
    copy.reset();
    kept.add("F line 3", "x");
    kept.add("F line 4", "y");
    EXPECT_EQ(kept.text(), "F line 2: x, and 1 more cell like it; F line 4: y");
}

} // namespace
