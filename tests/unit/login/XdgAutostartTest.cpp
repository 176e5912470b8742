#include "platform/linux/XdgAutostart.h"

#include "tests/unit/platform/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using platform::XdgAutostart;
using test::readFile;
using test::TemporaryDirectory;

TEST(XdgAutostart, EntriesStartTheirProgramQuotedAndGoAway) {
    // Inside the quotes \" \` \$ \\ and %%, then every backslash doubled for the key file's value.
    const std::pair<std::string, std::string> rows[] = {
        {"/usr/bin/zentrivo", R"(Exec="/usr/bin/zentrivo")"},
        {"/a b/$x\"y`z\\%/zentrivo", R"(Exec="/a b/\\$x\\"y\\`z\\\\%%/zentrivo")"},
    };
    for (const auto& [main, exec] : rows) {
        SCOPED_TRACE(main);
        TemporaryDirectory home;
        const auto folder = home / "config/autostart"; // created on the way
        const auto mainEntry = folder / "com.tovelane.ZentrivoPro.desktop";
        const auto launcherEntry = folder / "com.tovelane.ZentrivoProLauncher.desktop";
        XdgAutostart autostart(folder, main, "/usr/libexec/zentrivo/zentrivo-launcher");
        EXPECT_FALSE(autostart.isMainAppEnabled());
        EXPECT_EQ(autostart.registerMainApp(), std::nullopt);
        EXPECT_TRUE(autostart.isMainAppEnabled());
        EXPECT_NE(readFile(mainEntry).find(exec + "\n"), std::string::npos) << readFile(mainEntry);
        EXPECT_TRUE(autostart.setLauncherEnabled(true));
        EXPECT_NE(
            readFile(launcherEntry).find("Exec=\"/usr/libexec/zentrivo/zentrivo-launcher\"\n"),
            std::string::npos);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2)
            << "a temporary file was left behind";
        EXPECT_EQ(autostart.unregisterMainApp(), std::nullopt);
        EXPECT_TRUE(autostart.setLauncherEnabled(false));
        EXPECT_FALSE(std::filesystem::exists(mainEntry) || std::filesystem::exists(launcherEntry));
        EXPECT_EQ(autostart.unregisterMainApp(), std::nullopt) << "removing a missing entry";
    }
}

TEST(XdgAutostart, AnEntryCountsAsEnabledOnlyWhenItIsOursAndSwitchedOn) {
    const std::pair<const char*, bool> rows[] = {
        {"[Desktop Entry]\nType=Application\nExec=/usr/bin/zentrivo\n", true},
        {"[Desktop Entry]\nExec = \"/opt/a b/zentrivo\" %U\nHidden=false\n", true},
        {"[Desktop Entry]\nExec=/usr/bin/zentrivo\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/zentrivo\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/zentrivoctl\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/other /usr/bin/zentrivo\n", false},
        {"[Desktop Action x]\nExec=/usr/bin/zentrivo\n", false},
        {"Exec=/usr/bin/zentrivo\n", false},
    };
    for (const auto& [text, enabled] : rows)
        EXPECT_EQ(XdgAutostart::isEnabledEntry(text, "zentrivo"), enabled) << text;
}

TEST(XdgAutostart, AFolderThatCannotBeMadeIsReportedAndChangesNothing) {
    TemporaryDirectory home;
    home.write("file", "not a folder");
    XdgAutostart autostart(home / "file/autostart", "/usr/bin/zentrivo", "/l");
    const auto error = autostart.registerMainApp();
    EXPECT_NE(error.value_or("").find("cannot create"), std::string::npos);
    EXPECT_FALSE(autostart.setLauncherEnabled(true));
    EXPECT_FALSE(autostart.isMainAppEnabled());
}

} // namespace
} // namespace zentrivo
