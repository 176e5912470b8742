#pragma once

#include "app/apps/ApplicationCatalog.h"

namespace zentrivo::platform {

/// The application folders of the freedesktop menu: `$XDG_DATA_HOME/applications`, then
/// `applications` in each `$XDG_DATA_DIRS` entry, read as GIO reads them (GLib's view of the XDG
/// variables, taken once per process). An entry's identifier is its path below the folder with
/// '/' turned into '-' and without ".desktop"; its name is its display name in the current
/// locale. An entry that GIO cannot load (not Type=Application, its TryExec or Exec program
/// missing, an unparsable Exec) is left out, even with Hidden=true: GIO treats it as absent when
/// it looks an identifier up, and the list must agree with what a launch finds.
class DesktopEntryCatalog final : public ApplicationCatalog {
public:
    std::vector<std::string> applicationFolders() const override;
    /// `hidden` is the entry's Hidden key; `noDisplay` is set for NoDisplay=true and for entries
    /// that OnlyShowIn/NotShowIn keep out of the current desktop.
    std::vector<CatalogEntry> applicationsIn(const std::string& folder) const override;
};

} // namespace zentrivo::platform
