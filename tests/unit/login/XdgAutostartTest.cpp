#include "platform/linux/XdgAutostart.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <glib.h>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using platform::XdgAutostart;
using test::TemporaryDirectory;

constexpr const char* mainEntry = "com.tovelane.ZentrivoPro.desktop";
constexpr const char* launcherEntry = "com.tovelane.ZentrivoProLauncher.desktop";

/// An executable file at `relative` under `home` (GIO accepts no entry whose program is missing).
std::string makeProgram(const TemporaryDirectory& home, const std::string& relative) {
    home.write(relative, "#!/bin/sh\n");
    std::filesystem::permissions(home / relative, std::filesystem::perms::owner_all);
    return (home / relative).string();
}

/// The program the desktop session would run for an entry, read the way GIO launches it: the
/// key file's value, field codes expanded ("%%" is a percent sign), then split like a shell.
std::string executableGioRuns(const std::filesystem::path& entry) {
    GKeyFile* file = g_key_file_new();
    std::string program = "<no Exec>";
    if (g_key_file_load_from_file(file, entry.c_str(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr)) {
            std::string expanded;
            for (const char* at = exec; *at; ++at) {
                expanded += *at;
                if (at[0] == '%' && at[1] == '%')
                    ++at;
            }
            gchar** argv = nullptr;
            if (g_shell_parse_argv(expanded.c_str(), nullptr, &argv, nullptr)) {
                program = argv[0];
                g_strfreev(argv);
            }
            g_free(exec);
        }
    }
    g_key_file_free(file);
    return program;
}

std::size_t fileCount(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(XdgAutostart, RegisteringWritesAnEntryTheSessionRunsAndUnregisteringRemovesIt) {
    // Quotes, blanks, a dollar, a backslash and a percent sign must reach the program unchanged.
    for (const std::string relative :
         {"bin/zentrivo", "my \"odd\" $HOME `x` back\\slash 100%/bin/zentrivo"}) {
        SCOPED_TRACE(relative);
        TemporaryDirectory home;
        const std::string program = makeProgram(home, relative);
        const auto folder = home / "config/autostart"; // created on the way
        XdgAutostart autostart(folder, program, "/usr/libexec/zentrivo/zentrivo-launcher");
        EXPECT_FALSE(autostart.isMainAppEnabled());
        EXPECT_EQ(autostart.registerMainApp(), std::nullopt);
        EXPECT_TRUE(autostart.isMainAppEnabled());
        EXPECT_EQ(executableGioRuns(folder / mainEntry), program);
        EXPECT_EQ(fileCount(folder), 1u) << "the temporary file was left behind";
        EXPECT_EQ(autostart.unregisterMainApp(), std::nullopt);
        EXPECT_FALSE(std::filesystem::exists(folder / mainEntry));
        EXPECT_FALSE(autostart.isMainAppEnabled());
        EXPECT_EQ(autostart.unregisterMainApp(), std::nullopt) << "removing a missing entry";
    }
}

TEST(XdgAutostart, TheLauncherEntryStartsTheLauncher) {
    TemporaryDirectory home;
    const std::string launcher = makeProgram(home, "libexec/zentrivo/zentrivo-launcher");
    XdgAutostart autostart(home.path(), makeProgram(home, "bin/zentrivo"), launcher);
    EXPECT_TRUE(autostart.setLauncherEnabled(true));
    EXPECT_EQ(executableGioRuns(home / launcherEntry), launcher);
    EXPECT_FALSE(autostart.isMainAppEnabled()) << "the launcher's entry is not the main one";
    EXPECT_TRUE(autostart.setLauncherEnabled(false));
    EXPECT_FALSE(std::filesystem::exists(home / launcherEntry));
}

TEST(XdgAutostart, AnEntryCountsAsEnabledOnlyWhenItIsOursAndSwitchedOn) {
    const std::pair<const char*, bool> rows[] = {
        {"[Desktop Entry]\nType=Application\nExec=/usr/bin/zentrivo\n", true},
        {"[Desktop Entry]\nExec = zentrivo %U\n", true},
        {"[Desktop Entry]\nExec=\"/opt/a b/zentrivo\"\n", true},
        {"[Desktop Entry]\nExec=/usr/bin/zentrivo\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/zentrivo\nHidden=false\n", true},
        {"[Desktop Entry]\nExec=/usr/bin/zentrivo\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/zentrivoctl\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/other /usr/bin/zentrivo\n", false},
        {"[Desktop Action x]\nExec=/usr/bin/zentrivo\n", false},
        {"Exec=/usr/bin/zentrivo\n", false},
        {"", false},
    };
    for (const auto& [text, enabled] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(XdgAutostart::isEnabledEntry(text, "zentrivo"), enabled);
    }
}

TEST(XdgAutostart, AFolderThatCannotBeMadeIsReportedAndChangesNothing) {
    TemporaryDirectory home;
    home.write("file", "not a folder");
    XdgAutostart autostart(home / "file/autostart", "/usr/bin/zentrivo", "/l");
    const auto error = autostart.registerMainApp();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("cannot create"), std::string::npos) << *error;
    EXPECT_FALSE(autostart.setLauncherEnabled(true));
    EXPECT_FALSE(autostart.isMainAppEnabled());
}

} // namespace
} // namespace zentrivo
