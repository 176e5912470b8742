#pragma once

#include "app/core/MainQueue.h"
#include "app/model/InstalledApp.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zentrivo {

class ApplicationCatalog;
class PlatformProfile;
class SystemInfo;

/// The installed applications the preferences offer: one record per bundle identifier, sorted
/// by name. Rebuilt on request, at most every 30 seconds.
class InstalledApps {
public:
    InstalledApps(ApplicationCatalog& catalog, MainQueue& mainQueue, const PlatformProfile& profile,
                  const SystemInfo& systemInfo);
    InstalledApps(const InstalledApps&) = delete;
    InstalledApps& operator=(const InstalledApps&) = delete;

    /// Asks for a new scan, which runs later on the main queue; returns at once. Does nothing
    /// when the last scan started less than 30 seconds ago.
    void refresh();

    /// The records of the last scan, ascending by lower-cased name.
    const std::vector<InstalledApp>& sorted() const noexcept { return sortedApps; }
    /// The records of the last scan by bundle identifier.
    const std::map<std::string, InstalledApp>& all() const noexcept { return allApps; }
    /// When the last scan started; none before the first one.
    std::optional<MonoTime> lastQueryDate() const noexcept { return lastQuery; }

    /// The folders in the order they are scanned: the catalog's folders without repeats (a
    /// repeat keeps its most important place), least important first, so that the folder scanned
    /// last, whose entries win, is the most important one.
    static std::vector<std::string> scanOrder(const std::vector<std::string>& foldersByImportance);

private:
    void scan(const std::vector<std::string>& folders);

    ApplicationCatalog& catalog;
    MainQueue& mainQueue;
    const PlatformProfile& profile;
    const SystemInfo& systemInfo;
    std::map<std::string, InstalledApp> allApps;
    std::vector<InstalledApp> sortedApps;
    std::optional<MonoTime> lastQuery;
    /// Expires with this object, so a scan posted before it went away never runs.
    std::shared_ptr<int> lifetime = std::make_shared<int>(0);
};

} // namespace zentrivo
