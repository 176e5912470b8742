#pragma once

#include "DesktopIdMatcher.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct _GAppInfoMonitor GAppInfoMonitor;

namespace zentrivo::platform {

/// Every installed application's desktop entry as GIO sees it, read once and read again after
/// GIO reports a change in the application folders (which it only watches, never polls). Use it
/// on the main thread, whose loop serves GIO's default context.
class DesktopEntryIndex {
public:
    struct Entry {
        DesktopEntryInfo match;
        /// The desktop entry file.
        std::string path;
        /// The display name in the current locale.
        std::string name;
    };

    DesktopEntryIndex();
    ~DesktopEntryIndex();
    DesktopEntryIndex(const DesktopEntryIndex&) = delete;
    DesktopEntryIndex& operator=(const DesktopEntryIndex&) = delete;

    /// The matching data of every entry, in GIO's order.
    const std::vector<DesktopEntryInfo>& matchData();
    /// The entry with desktop id `id` (without ".desktop"); none when there is none.
    const Entry* find(std::string_view id);
    /// Increases whenever the entries were read again.
    unsigned generation() const { return readCount; }

private:
    void refresh();

    std::vector<Entry> entries;
    std::vector<DesktopEntryInfo> matches;
    GAppInfoMonitor* monitor = nullptr;
    unsigned long handler = 0;
    bool stale = true;
    unsigned readCount = 0;
};

} // namespace zentrivo::platform
