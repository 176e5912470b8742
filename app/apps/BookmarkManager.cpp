#include "BookmarkManager.h"

#include <algorithm>
#include <chrono>

namespace zentrivo {

namespace {
constexpr std::uint8_t bookmarkVersion = 1;
constexpr std::size_t headerSize = 1 + 8 + 8;

void putNumber(std::vector<std::uint8_t>& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

std::uint64_t getNumber(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= std::uint64_t(in[at + std::size_t(i)]) << (8 * i);
    return value;
}
} // namespace

Data Bookmark::encode() const {
    Data data;
    data.bytes.push_back(bookmarkVersion);
    putNumber(data.bytes, identity.device);
    putNumber(data.bytes, identity.inode);
    const std::string text = path.string();
    data.bytes.insert(data.bytes.end(), text.begin(), text.end());
    return data;
}

std::optional<Bookmark> Bookmark::decode(const Data& data) {
    const auto& bytes = data.bytes;
    if (bytes.size() <= headerSize || bytes[0] != bookmarkVersion)
        return std::nullopt;
    const std::string text(bytes.begin() + headerSize, bytes.end());
    // A path is absolute and cannot hold a NUL; anything else was not written by us.
    if (text.front() != '/' || text.find('\0') != std::string::npos)
        return std::nullopt;
    return Bookmark{text, FileIdentity{getNumber(bytes, 1), getNumber(bytes, 9)}};
}

BookmarkManager::BookmarkManager(Collaborators collaborators) : c(collaborators) {}

std::string BookmarkManager::key(int id) {
    return "bookmark-" + std::to_string(id);
}

void BookmarkManager::storeBookmark(const std::filesystem::path& path, int id) {
    const std::filesystem::path absolute = path.lexically_normal();
    const auto identity = c.files.identity(absolute);
    if (!absolute.is_absolute() || !identity)
        return; // Nothing to bookmark: like a bookmark that cannot be made, nothing is stored.
    if (!c.defaults.database.setValue(key(id), Bookmark{absolute, *identity}.encode()))
        c.log.error("cannot store the bookmark of slot " + std::to_string(id));
}

void BookmarkManager::removeBookmark(const std::filesystem::path&, int id) {
    // Access to files is not scoped on this desktop: there is nothing to stop for the path.
    resolvedSlots.erase(id);
    if (!c.defaults.database.removeValue(key(id)))
        c.log.error("cannot remove the bookmark of slot " + std::to_string(id));
}

void BookmarkManager::loadBookmarks(const std::vector<int>& ids) {
    std::vector<int> failures;
    for (int id : ids) {
        const auto stored = c.defaults.database.value(key(id));
        if (!stored)
            continue;
        const Data* data = std::get_if<Data>(&*stored);
        const auto bookmark = data ? Bookmark::decode(*data) : std::nullopt;
        const auto identity = bookmark ? c.files.identity(bookmark->path) : std::nullopt;
        if (!identity) {
            failures.push_back(id);
            continue;
        }
        // A different file at the same path is used as it is; the bookmark is not rewritten.
        resolvedSlots[id] = Resolved{bookmark->path, *identity != bookmark->identity};
    }
    ++passes;
    if (failures.empty() || passes >= c.defaults.bookmarkLoadAttempts.value())
        return;
    // Bounded so that a wild stored delay neither overflows the clock nor waits forever.
    const std::int64_t seconds =
        std::clamp<std::int64_t>(c.defaults.bookmarkRetryDelay.value(), 0, 24 * 60 * 60);
    c.mainQueue.postAfter(std::chrono::seconds(seconds),
                          [this, failures] { loadBookmarks(failures); });
}

} // namespace zentrivo
