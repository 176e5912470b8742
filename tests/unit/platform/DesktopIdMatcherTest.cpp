// Which desktop entry a window belongs to, from its properties alone.
#include "platform/linux/DesktopIdMatcher.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>

namespace zentrivo::platform {
namespace {

TEST(DesktopIdMatcher, firstMatchingRuleNamesTheWindowsApplication) {
    const std::vector<DesktopEntryInfo> entries = {
        {"org.gnome.Nautilus", "", "/usr/bin/nautilus"},
        {"google-chrome", "Google-chrome", "/opt/google/chrome/chrome"},
        {"chrome-abc-Default", "crx_abc", "/opt/google/chrome/chrome"},
        {"tool", "ToolWin", ""},
        // Listed before "firefox": an id equal to the class still wins over an id ending in it.
        {"org.example.Firefox", "", ""},
        {"firefox", "", "/usr/lib/firefox/firefox"},
        {"editor", "", "/usr/bin/editor-bin"},
        {"py-a", "", "/usr/bin/python3.11"},
        {"py-b", "", "/usr/bin/python3.11"},
    };
    const std::optional<std::string> none;
    // gtk id, WM_CLASS instance, class, executable, expected
    const std::tuple<const char*, WindowIdentity, std::optional<std::string>> rows[] = {
        {"GTK id before WM_CLASS",
         {"org.gnome.Nautilus", "chrome", "Google-chrome", ""}, "org.gnome.Nautilus"},
        {"GTK id without an entry falls through",
         {"org.unknown.App", "chrome", "Google-chrome", ""}, "google-chrome"},
        {"StartupWMClass: instance before class",
         {"", "crx_abc", "Google-chrome", "/opt/google/chrome/chrome"}, "chrome-abc-Default"},
        {"StartupWMClass compares exactly", {"", "toolwin", "Toolwin", ""}, none},
        {"id equal to the class ignoring case", {"", "Navigator", "Firefox", ""}, "firefox"},
        {"last part of a reverse-DNS id", {"", "nautilus", "Nautilus", ""}, "org.gnome.Nautilus"},
        {"a last part is a whole part", {"", "ilus", "Utilus", ""}, none},
        {"a dot-less id has no last part", {"", "irefox", "", ""}, none},
        {"StartupWMClass: class, before the executable",
         {"", "chrome", "Google-chrome", "/usr/bin/editor-bin"}, "google-chrome"},
        {"executable of one entry", {"", "ed", "Ed", "/usr/bin/editor-bin"}, "editor"},
        {"executable shared by two entries", {"", "script", "Script", "/usr/bin/python3.11"}, none},
        {"nothing known never matches empty fields", {"", "", "", ""}, none},
    };
    for (const auto& [name, window, expected] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(matchDesktopId(window, entries), expected);
    }
}

} // namespace
} // namespace zentrivo::platform
