// Messages as one line of standard error, and the summary at the end of a run.
#include "api/messages.hpp"

#include <gtest/gtest.h>

#include <algorithm>
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
        {"Gr\xFCn \xC2\x9B", "Gr\\xFCn \\xC2\\x9B"}, // no UTF-8; a C1 control
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

namespace {

// Few remarks or many (looked up one by one, or by an index built on the way and again in a
// copy), each said again elsewhere is counted with its first saying; the same words without a
// place stay a remark of their own.
TEST(Messages, RemarksCountedFewOrMany) {
    for (const int n : {3, 8, 9, 30}) {
        remarks r;
        for (int pass = 0; pass < 2; pass++)
            for (int i = 0; i < n; i++)
                r.add("F line " + std::to_string(pass * 100 + i), "w" + std::to_string(i));
        r.add({}, "w0");
        r.add({}, "w0");
        const std::string text = r.text();
        const auto count = [&](const std::string &s) {
            std::size_t found = 0;
            for (std::size_t at = text.find(s); at != std::string::npos; at = text.find(s, at + 1))
                found++;
            return found;
        };
        const std::size_t shown = std::min<std::size_t>(static_cast<std::size_t>(n) + 1, 20);
        EXPECT_TRUE(text.starts_with("F line 0: w0, and 1 more cell like it; F line 1: w1, and 1"))
            << text;
        EXPECT_EQ(count(", and 1 more cell like it"), std::min(shown, static_cast<std::size_t>(n)))
            << text;
        if (n + 1 <= 20)
            EXPECT_TRUE(text.ends_with("; w0")) << text;
        else
            EXPECT_TRUE(
                text.ends_with("; and " + std::to_string(n + 1 - 20) + " more of other kinds"))
                << text;

        remarks copy = r;
        copy.add("G line 1", "w1");
        copy.add({}, "w0");
        EXPECT_NE(copy.text().find("F line 1: w1, and 2 more cells like it;"), std::string::npos)
            << copy.text();
        EXPECT_EQ(copy.text().size(), text.size() + 1) << copy.text(); // "2 more cells"
    }
}

} // namespace
