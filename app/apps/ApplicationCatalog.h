#pragma once

#include "app/model/InstalledApp.h"

#include <string>
#include <vector>

namespace zentrivo {

/// One application as an application folder lists it.
struct CatalogEntry {
    /// Name as the entry gives it, bundle identifier (on Linux the desktop-file id, subfolders
    /// joined with '-', without ".desktop") and path of the bundle (on Linux the entry's file).
    InstalledApp app;
    /// The entry deletes the application (`Hidden=true`): an entry of a more important folder
    /// removes the application altogether.
    bool hidden = false;
    /// The application is not to be offered in menus (`NoDisplay=true`).
    bool noDisplay = false;
    bool operator==(const CatalogEntry&) const = default;
};

/// The installed applications as the file system holds them. Reading the folders is blocking
/// and runs on the main thread.
class ApplicationCatalog {
public:
    ApplicationCatalog() = default;
    virtual ~ApplicationCatalog() = default;
    ApplicationCatalog(const ApplicationCatalog&) = delete;
    ApplicationCatalog& operator=(const ApplicationCatalog&) = delete;

    /// The folders that hold applications, most important first: on Linux
    /// `$XDG_DATA_HOME/applications`, then `applications` in each `$XDG_DATA_DIRS` entry in
    /// their order. May repeat a folder; never fails (missing folders are listed all the same).
    virtual std::vector<std::string> applicationFolders() const = 0;
    /// Every application in `folder` and its subfolders, nothing inside an application bundle.
    /// A folder that cannot be read yields nothing; an entry that cannot be read, or has no
    /// identifier, is left out.
    virtual std::vector<CatalogEntry> applicationsIn(const std::string& folder) const = 0;
};

} // namespace zentrivo
