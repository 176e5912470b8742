#include "app/apps/BookmarkManager.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

/// Files by path, as the test arranges them; records every look-up.
struct FakeFileIdentities final : FileIdentities {
    std::optional<FileIdentity> identity(const std::filesystem::path& path) const override {
        queried.push_back(path);
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }
    std::map<std::filesystem::path, FileIdentity> files;
    mutable std::vector<std::filesystem::path> queried;
};

struct BookmarkRig {
    test::FakeDefaultsDatabase db;
    test::FakeMainQueue queue;
    FakeFileIdentities files;
    test::RecordingLog log;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<BookmarkManager> manager;

    /// Settings as stored before the start (none: the fallbacks 3 passes, 5 s).
    explicit BookmarkRig(std::optional<std::int64_t> attempts = {},
                         std::optional<std::int64_t> delay = {}) {
        if (attempts)
            db.values["bookmarkLoadAttempts"] = *attempts;
        if (delay)
            db.values["bookmarkRetryDelay"] = *delay;
        defaults = std::make_unique<Defaults>(db);
        manager = std::make_unique<BookmarkManager>(
            BookmarkManager::Collaborators{*defaults, queue, files, log});
    }
    /// A bookmark of `path` (identity 1/`inode`) stored for slot `id` as an earlier run left it.
    void stored(int id, const std::string& path, std::uint64_t inode) {
        db.values["bookmark-" + std::to_string(id)] = Bookmark{path, {1, inode}}.encode();
    }
};

const std::vector<int> ids0to20{0,  1,  2,  3,  4,  5,  6,  7,  8,  9, 10,
                                11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

TEST(BookmarkManager, PassesRetryOnlyFailuresAtTheConfiguredDelayUpToTheAttempts) {
    struct Row {
        const char* name;
        std::optional<std::int64_t> attempts, delay;
        bool failing;
        int calls;
        std::vector<int> passes; // at 0, 4.999, 5, 9.999, 10 s and after an hour
    };
    const Row rows[] = {
        {"no bookmarks: one pass, nothing scheduled", {}, {}, false, 1, {1, 1, 1, 1, 1, 1}},
        {"always failing: three passes 5 s apart", {}, {}, true, 1, {1, 1, 2, 2, 3, 3}},
        {"attempts 1: no retry", 1, {}, true, 1, {1, 1, 1, 1, 1, 1}},
        {"attempts 5, delay 10 s", 5, 10, true, 1, {1, 1, 1, 1, 2, 5}},
        // Both calls stay below 3 and schedule a retry; those two, passes 3 and 4, schedule none.
        {"a second call counts against the same limit", {}, {}, true, 2, {2, 2, 4, 4, 4, 4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BookmarkRig rig(row.attempts, row.delay);
        if (row.failing)
            rig.stored(7, "/media/usb/notes.txt", 42);
        for (int call = 0; call < row.calls; ++call)
            rig.manager->loadBookmarks(ids0to20);
        std::vector<int> passes;
        for (const std::chrono::milliseconds step : {0ms, 4999ms, 1ms, 4999ms, 1ms, 1h + 0ms}) {
            rig.queue.advance(step);
            passes.push_back(rig.manager->loadPass());
        }
        EXPECT_EQ(passes, row.passes);
        // Every pass after the first looks at the failed slot alone.
        EXPECT_EQ(rig.files.queried.size(), std::size_t(row.failing ? row.passes.back() : 0));
        EXPECT_TRUE(rig.db.values.contains("bookmark-7") == row.failing) << "kept for next start";
    }
}

TEST(BookmarkManager, ARetryResolvesWhatWasMountedMeanwhileAndUsesAReplacedFileAsItIs) {
    BookmarkRig rig;
    rig.stored(1, "/home/u/a.txt", 10);
    rig.stored(2, "/mnt/net/b", 20);   // never mounted
    rig.stored(3, "/media/usb/c", 30); // mounted after 4 s
    rig.stored(4, "/home/u/d.txt", 40);
    rig.db.values["bookmark-5"] = std::string("/home/u/text-is-no-bookmark");
    rig.files.files["/home/u/a.txt"] = {1, 10};
    rig.files.files["/home/u/d.txt"] = {1, 41}; // replaced by another file since
    rig.manager->loadBookmarks(ids0to20);
    rig.queue.advance(4s);
    rig.files.files["/media/usb/c"] = {1, 30};
    rig.queue.advance(1h);
    // The first pass, then the retries at 5 s and 10 s.
    EXPECT_EQ(rig.files.queried, (std::vector<std::filesystem::path>{
                                     "/home/u/a.txt", "/mnt/net/b", "/media/usb/c", "/home/u/d.txt",
                                     "/mnt/net/b", "/media/usb/c", "/mnt/net/b"}));
    using Resolved = BookmarkManager::Resolved;
    EXPECT_EQ(rig.manager->resolved(), (std::map<int, Resolved>{{1, {"/home/u/a.txt", false}},
                                                                {3, {"/media/usb/c", false}},
                                                                {4, {"/home/u/d.txt", true}}}));
    // Stale bookmarks are not rewritten.
    EXPECT_EQ(rig.db.values.at("bookmark-4"),
              PropertyValue(Bookmark{"/home/u/d.txt", {1, 40}}.encode()));
}

TEST(BookmarkManager, StoresWhatExistsAndRemovesTheSlotsKey) {
    BookmarkRig rig;
    rig.files.files["/home/u/Music"] = {3, 99};
    rig.manager->storeBookmark("/home/u/./Music", 6);
    rig.manager->storeBookmark("/home/u/nothing-here", 8);
    EXPECT_EQ(rig.db.values, (decltype(rig.db.values){
                                 {"bookmark-6", Bookmark{"/home/u/Music", {3, 99}}.encode()}}));
    rig.manager->removeBookmark("/home/u/Music", 6);
    EXPECT_TRUE(rig.db.values.empty());
}

TEST(Bookmark, DecodesOnlyWhatItEncodes) {
    const Bookmark bookmark{"/home/u/ä b\"c", {0x0102030405060708, 0xfffffffffffffffe}};
    EXPECT_EQ(Bookmark::decode(bookmark.encode()), bookmark);
    const auto data = [](std::uint8_t version, std::string path) {
        Data d{std::vector<std::uint8_t>(17, 0)};
        d.bytes[0] = version;
        d.bytes.insert(d.bytes.end(), path.begin(), path.end());
        return d;
    };
    EXPECT_EQ(Bookmark::decode(data(1, "/")), (Bookmark{"/", {0, 0}}));
    for (const Data& bad :
         {Data{}, data(1, ""), data(2, "/a"), data(1, "a/b"), data(1, std::string("/a\0b", 4))})
        EXPECT_EQ(Bookmark::decode(bad), std::nullopt) << bad.bytes.size();
}

} // namespace
} // namespace zentrivo
