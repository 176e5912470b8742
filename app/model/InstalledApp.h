#pragma once

#include <string>

namespace zentrivo {

/// An application as the user sees it: display name, bundle identifier (on Linux the desktop
/// file id without ".desktop") and path (on Linux the desktop entry's file).
struct InstalledApp {
    std::string name;
    std::string bundleId;
    std::string path = {}; // optional: an entry found by id alone has none yet

    bool operator==(const InstalledApp&) const = default;
};

} // namespace zentrivo
