// Tag names from the user.xdg.tags extended attribute of real files, and the dots they become.
#include "app/apps/FileTags.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace zentrivo {
namespace {

using Names = std::vector<std::string>;
using Outcome = FileTagNames::Outcome;

constexpr LabelColor red{0xe0, 0x1b, 0x24}, orange{0xff, 0x78, 0x00}, yellow{0xf6, 0xd3, 0x2d},
    green{0x33, 0xd1, 0x7a}, blue{0x35, 0x84, 0xe4}, purple{0x91, 0x41, 0xac},
    gray{0x77, 0x76, 0x7b};

TEST(FileTagsTest, DotsWalkTheNamesFromLastToFirstSkipUncolouredNamesAndStopAtSeven) {
    const std::pair<Names, std::vector<LabelColor>> rows[] = {
        // Names match exactly: only "Red" and "Green" have a colour.
        {{"Red", "red", "RED", "Rot", " Red", "Green", "Project"}, {green, red}},
        // Nine coloured tags: the last seven, the two first ones dropped.
        {{"Blue", "Purple", "Red", "Orange", "Yellow", "Green", "Blue", "Purple", "Gray"},
         {gray, purple, blue, green, yellow, orange, red}},
        {{}, {}},
    };
    for (const auto& [names, colors] : rows) {
        SCOPED_TRACE(testing::PrintToString(names));
        EXPECT_EQ(tagDotColors(names), colors);
    }
}

TEST(FileTagsTest, ReadsRealAttributesAndTellsAbsenceFromFailure) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("file-tags-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto tagged = dir / "tagged.txt", plain = dir / "plain.txt";
    std::ofstream(tagged) << "x";
    std::ofstream(plain) << "x";
    const std::string value = " Red , Work in progress,,Green";
    if (setxattr(tagged.c_str(), "user.xdg.tags", value.data(), value.size(), 0) != 0)
        GTEST_SKIP() << "no user extended attributes on " << dir << ": " << std::strerror(errno);
    ASSERT_EQ(setxattr(dir.c_str(), "user.xdg.tags", "Blue", 4, 0), 0);

    const std::tuple<std::string, Outcome, Names> rows[] = {
        {tagged, Outcome::read, {"Red", "Work in progress", "Green"}}, // trimmed, empty dropped
        {dir, Outcome::read, {"Blue"}},                                // folders carry tags too
        {plain, Outcome::none, {}},                                    // no attribute: ENODATA
        {"/proc/version", Outcome::none, {}}, // no extended attributes there: ENOTSUP
        {(dir / "gone").string(), Outcome::failed, {}},
        {(plain / "below-a-file").string(), Outcome::failed, {}},
    };
    for (const auto& [path, outcome, names] : rows) {
        SCOPED_TRACE(path);
        const FileTagNames tags = readFileTagNames(path);
        EXPECT_EQ(tags.outcome, outcome);
        EXPECT_EQ(tags.names, names);
        EXPECT_EQ(tags.error != 0, outcome == Outcome::failed);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace zentrivo
