// A table read a piece at a time is the table read whole: every example file, workbooks,
// binaries and UTF-16 without a mark, and a long table whose records straddle the pieces the
// reader holds, quoted line ends and all.
#include "support/scratch.hpp"
#include "tables/reader.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>

namespace {

using namespace varno96;

TEST(Pieces, ExamplesReadAsWhole) {
    for (const auto &entry : std::filesystem::directory_iterator(VARNO96_EXAMPLES)) {
        const std::string name = entry.path().filename();
        if (name.ends_with(".py")) continue;
        const std::string text = test::slurp(entry.path());
        const std::string whole = test::described(read_table(name, text));
        EXPECT_NE(whole.find("sample"), std::string::npos) << name;
        for (const std::size_t piece : std::array<std::size_t, 3>{1, 100, 1 << 20})
            EXPECT_EQ(test::described(read_table(name, test::pieces(text, piece), text.size())),
                      whole)
                << name << ", " << piece << " bytes at a time";
    }
}

TEST(Pieces, WorkbooksBinariesAndUtf16WithoutMarkAsWhole) {
    const std::string text =
        test::slurp(std::filesystem::path(VARNO96_EXAMPLES) / "EPMA-EXPORT.csv");
    std::string utf16, binary;
    for (const char c : text.substr(3)) utf16 += std::string{c, '\0'}; // little-endian, no mark
    for (int i = 0; i < 20000; i++) binary += static_cast<char>((i * 7919) % 251);
    for (const std::string &bytes :
         {utf16, "PK\x03\x04" + text, "%PDF-1.4\n" + text, binary, text + binary}) {
        const std::string whole = test::described(read_table("F", bytes));
        for (const std::size_t piece : std::array<std::size_t, 2>{1, 4096})
            EXPECT_EQ(test::described(read_table("F", test::pieces(bytes, piece))), whole)
                << piece << " bytes at a time";
    }
}

TEST(Pieces, LongTableAcrossWhatTheReaderHolds) {
    // Some 3 MB: rows of one sample far apart, a quoted label holding line ends, CR alone as
    // a line end, a quote never closed near the end.
    std::string text = "Sample;Mineral;Point;SiO2;FeO;MgO;CaO\r\n";
    for (int i = 0; text.size() < (3u << 20); i++) {
        const std::string s = "S" + std::to_string(i % 5000);
        text += s + ";Grt;\"spot\r\n" + std::to_string(i) + "\";38,5;25;6,4;8,6\r\n";
        text += s + ";Cpx;c" + std::to_string(i) + ";55,6;4,4;8,2;13,6\r";
        text += s + ";Phe;p;50,8;2,1;3,3;0\n";
    }
    text += "S1;Grt;\"open;38;25;6;8\r\n";
    const std::string whole = test::described(read_table("LONG.csv", text));
    for (const std::size_t piece : std::array<std::size_t, 2>{4096, 1 << 20})
        EXPECT_EQ(test::described(read_table("LONG.csv", test::pieces(text, piece))), whole)
            << piece << " bytes at a time";
}

} // namespace
