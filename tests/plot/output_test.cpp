// A picture's file: its format from its name, and the file written whole or not at all.
#include "plot/output.hpp"
#include "plot/support.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using namespace varno96::plot;

TEST(Output, FormatFollowsTheNamesEnding) {
    EXPECT_EQ(format_of("a/VARNOPT.svg"), picture_format::svg);
    EXPECT_EQ(format_of("X.PDF"), picture_format::pdf);
    EXPECT_EQ(format_of("x.ps"), picture_format::ps);
    EXPECT_FALSE(format_of("x.png"));
    EXPECT_FALSE(format_of("svg"));
    EXPECT_FALSE(format_of("dir.svg/x"));
}

TEST(Output, WritesWholeOrLeavesNothing) {
    varno96::test::plot_scratch dir;
    const std::string target = (dir / "p.svg").string();
    write_whole(target, "old");
    write_whole(target, "new picture");
    EXPECT_EQ(varno96::test::slurp(target), "new picture");

    const std::string missing = (dir / "none" / "p.svg").string();
    try {
        write_whole(missing, "x");
        FAIL() << "wrote into a missing folder";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "cannot write " + missing + ": No such file or directory");
    }
    std::filesystem::create_directory(dir / "taken.svg");
    EXPECT_THROW(write_whole((dir / "taken.svg").string(), "x"), std::runtime_error);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"p.svg", "taken.svg"}));
}
