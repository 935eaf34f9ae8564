// Files written whole: through links, into pipes, keeping the mode of the file replaced, and
// refused before a run where they plainly cannot be written.
#include "cli/files.hpp"
#include "support/scratch.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <stdexcept>
#include <sys/stat.h>

namespace fs = std::filesystem;
using varno96::check_writable;
using varno96::write_whole;
using varno96::test::scratch;
using varno96::test::slurp;

TEST(WriteWhole, ThroughALinkReplacesTheFileAndKeepsTheLink) {
    scratch dir;
    dir.write("real.csv", "old");
    fs::create_symlink("real.csv", dir / "link.csv");
    write_whole((dir / "link.csv").string(), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_EQ(slurp(dir / "real.csv"), "new");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"link.csv", "real.csv"}));
}

TEST(WriteWhole, KeepsTheModeOfTheFileItReplaces) {
    scratch dir;
    dir.write("out.csv", "old");
    fs::permissions(dir / "out.csv",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    write_whole((dir / "out.csv").string(), "new");
    EXPECT_EQ(fs::status(dir / "out.csv").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(WriteWhole, IntoAPipeWritesDirectly) {
    scratch dir;
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return slurp(fifo); });
    write_whole(fifo.string(), "rows\r\n");
    EXPECT_EQ(reader.get(), "rows\r\n");
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(WriteWhole, PlainFailuresAreFoundBeforeTheRun) {
    scratch dir;
    fs::create_directory(dir / "taken.csv");
    const std::string missing = (dir / "none" / "out.csv").string();
    for (const std::string &path : {missing, (dir / "taken.csv").string()}) {
        EXPECT_THROW(check_writable(path), std::runtime_error) << path;
        EXPECT_THROW(write_whole(path, "x"), std::runtime_error) << path;
    }
    try {
        check_writable(missing);
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "cannot write " + missing + ": No such file or directory");
    }
    EXPECT_NO_THROW(check_writable((dir / "new.csv").string()));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"taken.csv"});
}
