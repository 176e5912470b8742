#pragma once

#include "app/apps/Workspace.h"
#include "app/model/Action.h"
#include "app/model/ReticleSpec.h"

#include <optional>
#include <string>
#include <vector>

namespace zentrivo {

/// One line of the tray menu below its fixed items: a separator that opens a panel's group,
/// or a slot entry that performs its action when chosen.
struct StatusMenuEntry {
    /// Set on a separator: "mainSpecSeparator" (near panel) or "farSpecSeparator" (far panel).
    std::string identifier;
    /// Set on a slot entry.
    std::string title;
    /// The path whose icon the entry shows: the application's desktop entry, or the file.
    std::string iconPath;
    /// Set on a slot entry, never on a separator.
    std::optional<Action> action;

    bool isSeparator() const { return !action; }
    bool operator==(const StatusMenuEntry&) const = default;
};

inline constexpr const char* mainSpecSeparator = "mainSpecSeparator";
inline constexpr const char* farSpecSeparator = "farSpecSeparator";

/// The slot entries of the tray menu: for each panel with anything to list, a separator and
/// one entry per application or file ring slot, in ring order (tl, t, tr, l, r, bl, b, br).
/// An application that is not installed, the centre slot and last-app and running-app slots
/// are left out. An application is titled by the name its desktop entry gives.
std::vector<StatusMenuEntry> statusMenuEntries(const ReticleSpec& mainSpec,
                                               const ReticleSpec& farSpec,
                                               const Workspace& workspace);

/// The last component of a path as a file manager names it ("/a/b/" gives "b", "/" gives "/").
std::string lastPathComponent(const std::string& path);

} // namespace zentrivo
