#include "platform/linux/XdgAutostart.h"

#include "tests/unit/platform/TemporaryDirectory.h"

#include <glib.h>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using platform::XdgAutostart;
using test::TemporaryDirectory;

/// The program a desktop session runs for an entry, read the way GIO launches it: the key
/// file's value, field codes expanded ("%%" is a percent sign), then split like a shell.
std::string programGioRuns(const std::filesystem::path& entry) {
    GKeyFile* file = g_key_file_new();
    std::string program = "<unreadable>";
    gchar* exec = g_key_file_load_from_file(file, entry.c_str(), G_KEY_FILE_NONE, nullptr)
                      ? g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr)
                      : nullptr;
    // "%%" is a percent sign; any other field code is replaced by its (here: no) value.
    std::string expanded;
    for (const char* at = exec; at && *at; ++at)
        if (*at != '%')
            expanded += *at;
        else if (*++at == '%')
            expanded += '%';
        else if (!*at)
            break;
    gchar** argv = nullptr;
    if (exec && g_shell_parse_argv(expanded.c_str(), nullptr, &argv, nullptr))
        program = argv[0];
    g_strfreev(argv);
    g_free(exec);
    g_key_file_free(file);
    return program;
}

TEST(XdgAutostart, EntriesStartTheirProgramAndGoAway) {
    // Quotes, blanks, a dollar, a backquote, a backslash and a percent sign reach it unchanged.
    for (const std::string main :
         {"/usr/bin/zentrivo", "/opt/my \"odd\" $HOME `x` back\\slash 100%/bin/zentrivo"}) {
        SCOPED_TRACE(main);
        TemporaryDirectory home;
        const auto folder = home / "config/autostart"; // created on the way
        const auto mainEntry = folder / "com.tovelane.ZentrivoPro.desktop";
        const auto launcherEntry = folder / "com.tovelane.ZentrivoProLauncher.desktop";
        XdgAutostart autostart(folder, main, "/usr/libexec/zentrivo/zentrivo-launcher");
        EXPECT_FALSE(autostart.isMainAppEnabled());
        EXPECT_EQ(autostart.registerMainApp(), std::nullopt);
        EXPECT_TRUE(autostart.isMainAppEnabled());
        EXPECT_EQ(programGioRuns(mainEntry), main);
        EXPECT_TRUE(autostart.setLauncherEnabled(true));
        EXPECT_EQ(programGioRuns(launcherEntry), "/usr/libexec/zentrivo/zentrivo-launcher");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2)
            << "a temporary file was left behind";
        EXPECT_EQ(autostart.unregisterMainApp(), std::nullopt);
        EXPECT_TRUE(autostart.setLauncherEnabled(false));
        EXPECT_FALSE(std::filesystem::exists(mainEntry) || std::filesystem::exists(launcherEntry));
        EXPECT_FALSE(autostart.isMainAppEnabled());
        EXPECT_EQ(autostart.unregisterMainApp(), std::nullopt) << "removing a missing entry";
    }
}

TEST(XdgAutostart, TheExecLineQuotesAndEscapesAsTheDesktopEntryFormatSays) {
    // Inside the quotes \" \` \$ \\ and %%, then every backslash doubled for the value.
    const std::string text = XdgAutostart::entryText("/a b/$x\"y`z\\%", "Zentrivo");
    EXPECT_NE(text.find(R"(Exec="/a b/\\$x\\"y\\`z\\\\%%")"
                        "\n"),
              std::string::npos)
        << text;
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
