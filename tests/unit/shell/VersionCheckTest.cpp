#include "app/shell/VersionCheck.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

TEST(VersionCheckTest, OnlyAStoredBuildNumberSparesTheFirstRunSettings) {
    // The stored lastVersion (none: missing), and whether this start is a first run.
    const std::pair<const char*, bool> cases[] = {
        {nullptr, true}, {"", true},    {"abc", true},
        {"12a", true},   {"-", true},   {"9223372036854775808", true},
        {"+28", false},  {"-3", false}, {"-9223372036854775808", false},
    };
    for (const auto& [lastVersion, firstRun] : cases) {
        SCOPED_TRACE(lastVersion ? lastVersion : "missing");
        test::FakeDefaultsDatabase db;
        if (lastVersion)
            db.values["lastVersion"] = std::string(lastVersion);
        // A user who once chose Control+Shift keeps that choice across upgrades.
        db.values["reticleFlags"] = std::int64_t{0x60000};
        Defaults defaults(db);
        test::RecordingLog log;
        EXPECT_EQ(VersionCheck(defaults, log).checkVersion("41"), firstRun);
        EXPECT_EQ(db.values["reticleFlags"],
                  PropertyValue(std::int64_t{firstRun ? 0x180000 : 0x60000}));
        EXPECT_EQ(db.values.count("reticleDisplayMinDist"), firstRun ? 1u : 0u);
        EXPECT_EQ(defaults.reticleDisplayMinDist.value(), firstRun ? 5.0f : 0.0f);
        EXPECT_EQ(log.lines.size(), firstRun ? 1u : 0u);
        EXPECT_EQ(db.values["lastVersion"], PropertyValue(std::string("41")));
    }
    // A build that cannot tell its number leaves none behind.
    test::FakeDefaultsDatabase db;
    db.values["lastVersion"] = std::string("12");
    Defaults defaults(db);
    test::RecordingLog log;
    EXPECT_FALSE(VersionCheck(defaults, log).checkVersion(std::nullopt));
    EXPECT_FALSE(db.values.contains("lastVersion"));
}

} // namespace
} // namespace zentrivo
