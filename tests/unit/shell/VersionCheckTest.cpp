#include "app/shell/VersionCheck.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

TEST(VersionCheckTest, OnlyAStoredBuildNumberSparesTheFirstRunSettings) {
    // The stored lastVersion, the running build (none: missing), and whether it is a first run.
    const std::tuple<const char*, std::optional<std::string>, bool> cases[] = {
        {nullptr, "41", true},       {"", "41", true},    {"+-3", "41", true},
        {"12a", "41", true},         {"-", "41", true},   {"9223372036854775808", "41", true},
        {"+28", "41", false},        {"-3", "41", false}, {"-9223372036854775808", "41", false},
        {"12", std::nullopt, false}, // a build that cannot tell its number leaves none behind
    };
    for (const auto& [lastVersion, running, firstRun] : cases) {
        SCOPED_TRACE(lastVersion ? lastVersion : "missing");
        test::FakeDefaultsDatabase db;
        if (lastVersion)
            db.values["lastVersion"] = std::string(lastVersion);
        // A user who once chose Control+Shift keeps that choice across upgrades.
        db.values["reticleFlags"] = std::int64_t{0x60000};
        Defaults defaults(db);
        test::RecordingLog log;
        EXPECT_EQ(VersionCheck(defaults, log).checkVersion(running), firstRun);
        decltype(db.values) stored{{"reticleFlags", std::int64_t{firstRun ? 0x180000 : 0x60000}}};
        if (firstRun)
            stored["reticleDisplayMinDist"] = 5.0f;
        if (running)
            stored["lastVersion"] = *running;
        EXPECT_EQ(db.values, stored);
        EXPECT_EQ(log.lines.size(), firstRun ? 1u : 0u);
    }
}

} // namespace
} // namespace zentrivo
