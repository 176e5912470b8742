#pragma once

#include "FileIdentity.h"
#include "app/core/Log.h"
#include "app/core/MainQueue.h"
#include "app/settings/Defaults.h"
#include "app/settings/PropertyValue.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zentrivo {

/// The stored form of a file slot's bookmark: the path the user picked and the identity the file
/// had then. Versioned so that a later format can still read this one.
struct Bookmark {
    std::filesystem::path path;
    FileIdentity identity;

    bool operator==(const Bookmark&) const = default;

    /// Version byte 1, then device and inode (8 bytes each, little endian), then the path's
    /// bytes to the end.
    Data encode() const;
    /// None for data that is not a bookmark of a known version, or that holds an empty path.
    static std::optional<Bookmark> decode(const Data& data);
};

/// Keeps the files and folders of file slots reachable across restarts: a bookmark per slot in
/// the defaults database under "bookmark-" + slot id, resolved at every start, with retries for
/// the ones that could not be resolved yet (a removable or network drive mounted late).
class BookmarkManager {
public:
    struct Collaborators {
        Defaults& defaults;
        MainQueue& mainQueue;
        FileIdentities& files;
        Log& log;
    };

    /// A bookmark that resolved in a load pass.
    struct Resolved {
        std::filesystem::path path;
        /// The file at the path is not the one bookmarked (replaced since). It is used as it is.
        bool stale = false;
        bool operator==(const Resolved&) const = default;
    };

    explicit BookmarkManager(Collaborators collaborators);
    BookmarkManager(const BookmarkManager&) = delete;
    BookmarkManager& operator=(const BookmarkManager&) = delete;

    /// Stores a bookmark of `path` under "bookmark-" + id. When nothing is at the path the
    /// bookmark cannot be made and nothing is stored.
    void storeBookmark(const std::filesystem::path& path, int id);
    /// Ends the use of the slot's current file and removes "bookmark-" + id.
    void removeBookmark(const std::filesystem::path& path, int id);
    /// One load pass over `ids`; failures are retried in later passes, `bookmarkRetryDelay`
    /// seconds apart, until `bookmarkLoadAttempts` passes have run in this process.
    void loadBookmarks(const std::vector<int>& ids);

    /// How many load passes have run since the manager was made.
    int loadPass() const noexcept { return passes; }
    /// The slots whose bookmark resolved, by id.
    const std::map<int, Resolved>& resolved() const noexcept { return resolvedSlots; }

    /// The defaults key of slot `id`.
    static std::string key(int id);

private:
    Collaborators c;
    int passes = 0;
    std::map<int, Resolved> resolvedSlots;
};

} // namespace zentrivo
