#include "app/shell/VersionCheck.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;
using test::RecordingLog;

TEST(VersionCheckTest, ParsesOnlyWholeSignedDecimalNumbers) {
    const struct {
        const char* text;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"+28", 28},
        {"-3", -3},
        {"29", 29},
        {"007", 7},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-3", std::nullopt},
        {"--3", std::nullopt},
        {"1.5", std::nullopt},
        {"12a", std::nullopt},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775808", INT64_MIN},
        {"-9223372036854775809", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(VersionCheck::parseBuildNumber(c.text), c.expected);
    }
}

TEST(VersionCheckTest, FirstRunSetsTheTriggerAndDisplayDistanceOnlyWithoutABuildNumber) {
    const struct {
        const char* label;
        std::optional<PropertyValue> stored;
        bool firstRun;
    } cases[] = {
        {"nothing stored", std::nullopt, true},
        {"empty text", PropertyValue(std::string("")), true},
        {"abc", PropertyValue(std::string("abc")), true},
        {"leading space", PropertyValue(std::string(" 28")), true},
        // A value of another kind is no build number either.
        {"integer 28", PropertyValue(std::int64_t{28}), true},
        {"+28", PropertyValue(std::string("+28")), false},
        {"-3", PropertyValue(std::string("-3")), false},
        {"29", PropertyValue(std::string("29")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FakeDefaultsDatabase db;
        if (c.stored)
            db.values["lastVersion"] = *c.stored;
        // A user who once chose Control+Shift keeps that choice across upgrades.
        db.values["reticleFlags"] = PropertyValue(std::int64_t{0x60000});
        Defaults defaults(db);
        RecordingLog log;

        EXPECT_EQ(VersionCheck(defaults, log).checkVersion("41"), c.firstRun);

        const auto flags = std::get<std::int64_t>(db.values.at("reticleFlags"));
        if (c.firstRun) {
            EXPECT_EQ(flags, 0x180000);
            EXPECT_EQ(defaults.reticleFlags.value(), 0x180000);
            ASSERT_TRUE(db.values.count("reticleDisplayMinDist"));
            EXPECT_FLOAT_EQ(defaults.reticleDisplayMinDist.value(), 5.0f);
            EXPECT_EQ(log.lines.size(), 1u);
        } else {
            EXPECT_EQ(flags, 0x60000);
            EXPECT_EQ(db.values.count("reticleDisplayMinDist"), 0u);
            EXPECT_TRUE(log.lines.empty());
        }
        ASSERT_TRUE(db.values.count("lastVersion"));
        EXPECT_EQ(std::get<std::string>(db.values.at("lastVersion")), "41");
    }
}

TEST(VersionCheckTest, SecondStartIsNoFirstRunAndKeepsTheUsersChanges) {
    FakeDefaultsDatabase db;
    RecordingLog log;
    {
        Defaults defaults(db);
        EXPECT_TRUE(VersionCheck(defaults, log).checkVersion(VersionCheck::runningBuildNumber()));
        defaults.reticleFlags.set(0x40000);
    }
    Defaults defaults(db);
    EXPECT_FALSE(VersionCheck(defaults, log).checkVersion(VersionCheck::runningBuildNumber()));
    EXPECT_EQ(defaults.reticleFlags.value(), 0x40000);
    EXPECT_EQ(defaults.lastVersion.value(), std::to_string(ZENTRIVO_BUILD_NUMBER));
}

TEST(VersionCheckTest, MissingRunningBuildClearsLastVersion) {
    FakeDefaultsDatabase db;
    db.values["lastVersion"] = PropertyValue(std::string("12"));
    Defaults defaults(db);
    RecordingLog log;
    EXPECT_FALSE(VersionCheck(defaults, log).checkVersion(std::nullopt));
    EXPECT_EQ(db.values.count("lastVersion"), 0u);
    EXPECT_FALSE(defaults.lastVersion.value().has_value());
}

} // namespace
} // namespace zentrivo
