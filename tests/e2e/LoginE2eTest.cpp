// Launch at login, the login launcher and the cloud folder, with the real programs.
#include "ZentrivoE2eSession.h"

#include <csignal>

namespace zentrivo::e2e {
namespace {

class LoginE2eTest : public ZentrivoE2eTest {
protected:
    /// The process holding `name` on the session bus; 0 when none does.
    int busOwner(const std::string& name) {
        const Completed reply =
            run({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.GetConnectionUnixProcessID",
                 "string:" + name});
        const auto at = reply.output.find("uint32 ");
        return reply.status != 0 || at == std::string::npos
                   ? 0
                   : std::stoi(reply.output.substr(at + 7));
    }
    std::string nearPanel() {
        const std::string panels = run({ZENTRIVO_E2E_CTL, "panels"}).output;
        return panels.substr(0, panels.find('\n'));
    }
};

TEST_F(LoginE2eTest, AfterAWakeZentrivoIsRestartedThroughTheLoginLauncher) {
    // The private bus stands in for the system bus too, where logind announces wakes.
    for (const auto& variable : Commands(env))
        if (variable.starts_with("DBUS_SESSION_BUS_ADDRESS="))
            env.push_back("DBUS_SYSTEM_BUS_ADDRESS=" + variable.substr(25));
    write("restToOneTouches", "-int", "3");
    write("autoRestartOnWake", "-int", "1");
    start();
    const int oldPid = busOwner("com.tovelane.ZentrivoPro");
    ASSERT_GT(oldPid, 0);
    ASSERT_EQ(run({ZENTRIVO_E2E_FAKE_LOGIND}).status, 0);
    // It starts the launcher ("relaunch 1") and quits once the launcher's ".pong" arrives ...
    EXPECT_EQ(zentrivo->stop(0, 20s), 0) << zentrivo->log();
    zentrivo.reset();
    // ... which starts a new zentrivo a second later; that one tells the launcher to quit.
    int newPid = 0;
    EXPECT_TRUE(poll([&] { return (newPid = busOwner("com.tovelane.ZentrivoPro")) > 0; }, 30s));
    EXPECT_NE(newPid, oldPid);
    EXPECT_TRUE(poll([&] { return busOwner("com.tovelane.ZentrivoProLauncher") == 0; }, 7s))
        << "the launcher outlived the quit request";
    if (newPid > 0)
        ::kill(newPid, SIGTERM);
    EXPECT_TRUE(poll([&] { return busOwner("com.tovelane.ZentrivoPro") == 0; }, 20s));
}

TEST_F(LoginE2eTest, LaunchOnLoginFollowsTheSettingAndACloudRecordReplacesTheNearPanelLater) {
    addApp("org.example.Synced");
    write("lastCloudSync", "-date", "2001-01-01T00:01:40Z"); // timestamp 100: no question
    // Launch at login is read at the start, then followed while running.
    write("launchOnLogin", "-bool", "true");
    start();
    const fs::path autostart =
        root / "XDG_CONFIG_HOME" / "autostart" / "com.tovelane.ZentrivoPro.desktop";
    const std::string entry = contents(autostart);
    EXPECT_NE(entry.find("Exec=\"" + fs::canonical(ZENTRIVO_E2E_ZENTRIVO).string() + "\""),
              std::string::npos)
        << entry;
    write("launchOnLogin", "-bool", "false");
    EXPECT_TRUE(poll([&] { return !fs::exists(autostart); }));
    write("launchOnLogin", "-bool", "true");
    EXPECT_TRUE(poll([&] { return fs::exists(autostart); }));

    // A cloud record replaces the near panel two seconds after it arrives.
    const std::string before = nearPanel();
    const fs::path cloud = root / "XDG_DATA_HOME" / "zentrivo" / "cloud";
    fs::create_directories(cloud);
    const std::string panel = "{\\\"id\\\":0,\\\"t\\\":{\\\"stringValue\\\":"
                              "\\\"org.example.Synced\\\",\\\"type\\\":0}}";
    // As a sync tool delivers it: written under another name, then renamed into place.
    std::ofstream(cloud / ".config.part")
        << R"({"bundleId":"com.tovelane.ZentrivoPro","version":"9","timestamp":200,)"
        << R"("defaults":{"mainReticleSpec":{"string":")" << panel << R"("}}})";
    const auto written = Clock::now();
    fs::rename(cloud / ".config.part", cloud / "config");
    ASSERT_TRUE(
        poll([&] { return nearPanel().find("org.example.Synced") != std::string::npos; }, 20s))
        << nearPanel();
    EXPECT_GE(Clock::now() - written, 1900ms) << "imported before the two seconds had passed";
    EXPECT_EQ(before.find("org.example.Synced"), std::string::npos);
    const Completed last = run({ZENTRIVO_E2E_CTL, "defaults", "read", "lastCloudSync"});
    EXPECT_EQ(last.output, "2001-01-01T00:03:20Z\n");
}

} // namespace
} // namespace zentrivo::e2e
