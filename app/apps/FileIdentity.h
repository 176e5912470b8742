#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace zentrivo {

/// What makes a file the same file after a rename or a remount: its device and inode numbers.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

/// Looks files up by path, for bookmarks that must tell "gone" from "replaced".
class FileIdentities {
public:
    FileIdentities() = default;
    virtual ~FileIdentities() = default;
    FileIdentities(const FileIdentities&) = delete;
    FileIdentities& operator=(const FileIdentities&) = delete;

    /// The identity of whatever is at `path` now (symbolic links followed), or none when nothing
    /// is there or it cannot be examined (a drive that is not mounted, no permission).
    virtual std::optional<FileIdentity> identity(const std::filesystem::path& path) const = 0;
};

} // namespace zentrivo
