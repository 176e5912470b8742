#include "app/shell/VersionCheck.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;
using test::RecordingLog;

TEST(VersionCheckTest, OnlyAStoredBuildNumberSparesTheFirstRunSettings) {
    const struct {
        const char* label;
        std::optional<PropertyValue> lastVersion;
        bool firstRun;
    } cases[] = {
        {"absent", std::nullopt, true},
        {"empty", PropertyValue(std::string("")), true},
        {"abc", PropertyValue(std::string("abc")), true},
        {"12a", PropertyValue(std::string("12a")), true},
        {"sign alone", PropertyValue(std::string("-")), true},
        {"out of range", PropertyValue(std::string("9223372036854775808")), true},
        // A value of another kind is no build number either.
        {"integer 28", PropertyValue(std::int64_t{28}), true},
        {"+28", PropertyValue(std::string("+28")), false},
        {"-3", PropertyValue(std::string("-3")), false},
        {"lowest", PropertyValue(std::string("-9223372036854775808")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FakeDefaultsDatabase db;
        if (c.lastVersion)
            db.values["lastVersion"] = *c.lastVersion;
        // A user who once chose Control+Shift keeps that choice across upgrades.
        db.values["reticleFlags"] = PropertyValue(std::int64_t{0x60000});
        Defaults defaults(db);
        RecordingLog log;

        EXPECT_EQ(VersionCheck(defaults, log).checkVersion("41"), c.firstRun);

        EXPECT_EQ(std::get<std::int64_t>(db.values.at("reticleFlags")),
                  c.firstRun ? 0x180000 : 0x60000);
        EXPECT_EQ(db.values.count("reticleDisplayMinDist"), c.firstRun ? 1u : 0u);
        if (c.firstRun) {
            EXPECT_FLOAT_EQ(defaults.reticleDisplayMinDist.value(), 5.0f);
        }
        EXPECT_EQ(log.lines.size(), c.firstRun ? 1u : 0u);
        ASSERT_TRUE(db.values.count("lastVersion"));
        EXPECT_EQ(std::get<std::string>(db.values.at("lastVersion")), "41");
    }
}

TEST(VersionCheckTest, MissingRunningBuildClearsLastVersion) {
    FakeDefaultsDatabase db;
    db.values["lastVersion"] = PropertyValue(std::string("12"));
    Defaults defaults(db);
    RecordingLog log;
    EXPECT_FALSE(VersionCheck(defaults, log).checkVersion(std::nullopt));
    EXPECT_EQ(db.values.count("lastVersion"), 0u);
}

} // namespace
} // namespace zentrivo
