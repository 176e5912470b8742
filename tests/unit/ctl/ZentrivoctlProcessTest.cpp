// One run of the built zentrivoctl against a private settings folder.
#include "platform/linux/SqliteDefaultsDatabase.h"
#include "tests/fakes/RecordingLog.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

TEST(ZentrivoctlProcess, AWriteLandsInTheDatabaseTheProgramReads) {
    test::TemporaryDirectory home;
    const std::string command =
        "HOME=" + home.path().string() + " XDG_CONFIG_HOME=" + (home / "config").string() +
        " " ZENTRIVOCTL_PATH " defaults write lastCloudSync -date 2024-05-01T12:00:00Z 2>&1";
    FILE* process = ::popen(command.c_str(), "r");
    ASSERT_NE(process, nullptr);
    char output[256] = "";
    const bool printed = std::fgets(output, sizeof output, process) != nullptr;
    EXPECT_EQ(::pclose(process), 0) << output; // exit status 0
    EXPECT_FALSE(printed) << output;

    test::RecordingLog log;
    platform::SqliteDefaultsDatabase db(home / "config/zentrivo/defaults.sqlite3", log);
    EXPECT_EQ(db.value("lastCloudSync"), PropertyValue{Date(Date::duration(1714564800))});
}

} // namespace
} // namespace zentrivo
