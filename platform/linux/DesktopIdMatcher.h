#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zentrivo::platform {

/// What a top-level window tells about the program that owns it. Empty strings are unknown.
struct WindowIdentity {
    /// `_GTK_APPLICATION_ID`.
    std::string gtkApplicationId;
    /// The two halves of `WM_CLASS`.
    std::string wmClassInstance;
    std::string wmClassClass;
    /// The resolved file of `/proc/<_NET_WM_PID>/exe` (empty for a remote or unknown process).
    std::string executable;
};

/// The parts of an installed desktop entry that can name a window's application.
struct DesktopEntryInfo {
    /// The desktop-file id without ".desktop".
    std::string id;
    std::string startupWMClass;
    /// The resolved file of the Exec line's program (empty when it cannot be found).
    std::string executable;
};

/// The desktop id of the application that owns a window; the first rule that matches wins:
///
/// 1. an entry whose id is `_GTK_APPLICATION_ID`;
/// 2. the first entry whose `StartupWMClass` is the `WM_CLASS` instance, else the class (the
///    instance first, because browsers give each web application its own instance under the
///    browser's class);
/// 3. an entry whose id is the instance or the class ignoring case, else an entry whose
///    reverse-DNS id ends in ".<instance>" or ".<class>" ignoring case ("nautilus" names
///    "org.gnome.Nautilus");
/// 4. the one entry whose Exec program is the window's executable. When several entries start
///    the same program (an interpreter, a wrapper), the program names none of them.
///
/// None when no rule matches: the window belongs to an application without a desktop entry.
std::optional<std::string> matchDesktopId(const WindowIdentity& window,
                                          const std::vector<DesktopEntryInfo>& entries);

} // namespace zentrivo::platform
