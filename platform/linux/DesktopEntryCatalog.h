#pragma once

#include "app/model/InstalledApp.h"

#include <vector>

namespace zentrivo::platform {

/// The installed applications as a launcher menu shows them: every desktop entry GIO knows,
/// without the hidden ones, those marked NoDisplay and those excluded from the current desktop
/// by OnlyShowIn/NotShowIn. Where a user's entry in XDG_DATA_HOME shares its id with a system
/// entry, only the user's is listed. The order is GIO's; the caller sorts.
class DesktopEntryCatalog {
public:
    /// One record per desktop-file id: name = the entry's display name, bundleId = the id without
    /// ".desktop", path = the entry's file. Never fails; unreadable entries are left out.
    std::vector<InstalledApp> installedApplications() const;
};

} // namespace zentrivo::platform
