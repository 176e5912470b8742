#include "app/apps/FileUtil.h"

#include "app/core/NotificationCenter.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReplacePromptPresenter.h"
#include "tests/fakes/RecordingLog.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrivo::test {
namespace {

namespace fs = std::filesystem;
using Outcome = FileUtil::Outcome;

/// Moved to /dev/shm when that is another file system (a tmpfs usually is); `root` is empty
/// otherwise, and a test that needs it skips.
struct OtherFileSystemDirectory : TemporaryDirectory {
    OtherFileSystemDirectory() {
        std::string pattern = "/dev/shm/zentrivo-test-XXXXXX";
        struct stat a, b;
        fs::remove(root);
        const bool other = ::stat("/dev/shm", &a) == 0 &&
                           ::stat(root.parent_path().c_str(), &b) == 0 && a.st_dev != b.st_dev;
        root = other && ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
};

/// The names in `folder`, sorted, comma-separated: stray partial copies show up here.
std::string listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    std::string joined;
    for (const auto& name : names)
        joined += (joined.empty() ? "" : ",") + name;
    return joined;
}

class FileUtilTest : public ::testing::Test {
protected:
    TemporaryDirectory src, dst;
    RecordingLog log;
    FakeMainQueue queue;
    NotificationCenter center;
    FakeReplacePromptPresenter presenter;
    FileUtil util{{presenter, center, queue, log}};
    /// One entry per "alertWillDisplay", with the number of prompts shown by then.
    std::vector<std::string> events;
    FileUtilTest() {
        center.addObserver("alertWillDisplay", [this](const Notification&) {
            events.push_back("alert, prompts " + std::to_string(presenter.prompts.size()));
        });
    }
    std::string errors() const {
        std::string all;
        for (const auto& line : log.lines)
            if (line.level == LogLevel::error)
                all += line.message + "|";
        return all;
    }
};

TEST_F(FileUtilTest, UniqueDestinationNamesTheKeepBothCopy) {
    const struct Row {
        const char* name;
        std::vector<std::string> taken; // a trailing '@' makes a dangling symbolic link
        const char* expected;
    } rows[] = {
        {"Report.pdf", {}, "Report.pdf"},
        {"Report.pdf", {"Report.pdf"}, "Report copy.pdf"},
        {"Report.pdf", {"Report.pdf", "Report copy.pdf"}, "Report copy 2.pdf"},
        {"Report copy.pdf", {"Report copy.pdf"}, "Report copy 2.pdf"},
        {"Report copy 7.pdf", {"Report copy 7.pdf", "Report copy 8.pdf"}, "Report copy 9.pdf"},
        {"Report copy2.pdf", {"Report copy2.pdf"}, "Report copy2 copy.pdf"},
        {"x copy .txt", {"x copy .txt"}, "x copy.txt"},
        {"n copy 99999999999999999999.txt", {"n copy 99999999999999999999.txt"}, "n copy.txt"},
        {"Photos", {"Photos"}, "Photos copy"},
        {".bashrc", {".bashrc"}, ".bashrc copy"},
        {"archive.tar.gz", {"archive.tar.gz"}, "archive.tar copy.gz"},
        {"link", {"link@"}, "link copy"},
        {"caf\xe9.txt", {"caf\xe9.txt"}, "caf\xe9 copy.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + std::string(" -> ") + row.expected);
        TemporaryDirectory dir;
        for (const std::string& taken : row.taken)
            if (taken.ends_with('@'))
                fs::create_symlink("/nonexistent", dir / taken.substr(0, taken.size() - 1));
            else
                dir.write(taken, "x");
        EXPECT_EQ(FileUtil::uniqueDestination(row.name, dir.path()), dir / row.expected);
    }
}

TEST_F(FileUtilTest, DropMovesFreeItemsAtOnceAndPromptsTheRestAfterAlerting) {
    const std::string b = "r\xe9sum\xe9\xff.txt", bCopy = "r\xe9sum\xe9\xff copy.txt"; // not UTF-8
    for (const std::string& name : {std::string("a.txt"), b, std::string("c.txt")})
        src.write(name, "new " + name);
    dst.write(b, "old b");
    dst.write("c.txt", "old c");
    util.moveOrCopy({src / b, src / "a.txt", src / "c.txt"}, dst.path(), true);

    EXPECT_EQ(listing(src.path()), "c.txt," + b);
    EXPECT_EQ(events, std::vector<std::string>{"alert, prompts 0"});
    EXPECT_TRUE(presenter.prompts.empty()) << "the prompt waits for a later turn";
    queue.runUntilIdle();
    ASSERT_EQ(presenter.prompts.size(), 1u);
    EXPECT_EQ(presenter.prompts[0].items, (std::vector<fs::path>{src / b, src / "c.txt"}));

    const auto answer = presenter.prompts[0].callback; // a copy: more prompts may follow
    answer(ReplaceResponse::keepBoth, {src / b});
    answer(ReplaceResponse::replace, {src / "c.txt"});
    EXPECT_EQ(errors() + "|" + listing(src.path()) + "|" + listing(dst.path()),
              "||a.txt,c.txt," + bCopy + "," + b);
    EXPECT_EQ(readFile(dst / "a.txt") + "|" + readFile(dst / bCopy) + "|" + readFile(dst / b) +
                  "|" + readFile(dst / "c.txt"),
              "new a.txt|new " + b + "|old b|new c.txt");

    // Onto the folder it lies in: nothing happens, no prompt. A copy leaves the source.
    util.moveOrCopy({dst / "a.txt"}, dst.path(), true);
    util.moveOrCopy({dst / "a.txt"}, src.path(), false);
    queue.runUntilIdle();
    EXPECT_EQ(readFile(src / "a.txt") + readFile(dst / "a.txt"), "new a.txtnew a.txt");
    EXPECT_EQ(presenter.prompts.size(), 1u);

    // The first failure of a decision skips the rest.
    answer(ReplaceResponse::keepBoth, {src / "gone", src / "a.txt"});
    EXPECT_EQ(listing(src.path()), "a.txt");
    EXPECT_TRUE(errors().starts_with("Move error:\nCannot move \"")) << errors();
}

TEST_F(FileUtilTest, NameTakenAfterTheLookIsNeverOverwritten) {
    // The clash is there before the step runs, as if it appeared right after transferItem looked.
    // 'm' move, 'c' copy (a move to another file system takes its path), 'l' the link fallback
    // used without RENAME_NOREPLACE; each answers 0, EEXIST or -1.
    const auto step = [this](char how, const fs::path& from, const fs::path& to) {
        std::string error;
        if (how == 'l')
            return FileUtil::renameWithoutReplacingByLink(from, to);
        const Outcome outcome = util.transfer(from, to, how == 'm', error);
        return outcome == Outcome::exists ? EEXIST : outcome == Outcome::done ? 0 : -1;
    };
    for (const char how : {'m', 'c', 'l'})
        for (const std::string at : {"f", "dir/inside"}) { // a file; a folder, its content at `at`
            const std::string item = at.substr(0, at.find('/'));
            SCOPED_TRACE(how + (" " + at));
            src.write(at, "new");
            dst.write(at, "old");
            EXPECT_EQ(step(how, src / item, dst / item), EEXIST);
            EXPECT_EQ(readFile(dst / at) + readFile(src / at), "oldnew");
            EXPECT_EQ(listing(dst.path()), item);
            fs::remove_all(dst / item);
            EXPECT_EQ(step(how, src / item, dst / item), 0) << "the name is free now";
            EXPECT_EQ(readFile(dst / at), "new");
            EXPECT_EQ(fs::exists(src / item), how == 'c');
            fs::remove_all(dst / item);
        }
}

TEST_F(FileUtilTest, MoveToAnotherFileSystemCopiesEverythingOrNothing) {
    OtherFileSystemDirectory other;
    if (other.root.empty())
        GTEST_SKIP() << "/dev/shm is missing or on the temporary folder's file system";
    const std::string album = "Alb\xfcm"; // not UTF-8
    src.write(album + "/deep/photo.jpg", "pixels");
    src.write(album + "/notes", "text");
    fs::create_symlink("deep/photo.jpg", src / album / "latest");
    fs::create_symlink("/nowhere", src / album / "dangling");
    other.write("Old/" + album + "/keep.txt", "old");

    // A socket cannot be copied: the move, and a replace of an older album, fail part-way.
    ASSERT_EQ(::mknod((src / album / "socket").c_str(), S_IFSOCK | 0600, 0), 0);
    util.moveOrCopy({src / album}, other.root, true);
    util.handleReplaceResponse(ReplaceResponse::replace, {src / album}, other.root / "Old");
    // No partial copy stays; the older album and the source are whole.
    EXPECT_EQ(listing(other.root) + "|" + listing(other / "Old") + "|" +
                  readFile(other / ("Old/" + album + "/keep.txt")) + "|" + listing(src / album),
              "Old|" + album + "|old|dangling,deep,latest,notes,socket");
    const std::string socket =
        "Cannot copy \"" + src.path().string() + "/Alb\uFFFDm/socket\" to \"";
    EXPECT_EQ(errors(), "Move/copy error:\n" + socket + other.root.string() +
                            "\": Operation not supported|Move error:\n" + socket +
                            other.root.string() + "/Old\": Operation not supported|");
    queue.runUntilIdle();
    ASSERT_EQ(presenter.prompts.size(), 1u) << "a failed item is offered like a clash";

    // Without it: everything, each item with its mode and the same old time, then no source.
    fs::remove(src / album / "socket");
    const std::pair<const char*, mode_t> items[] = {{"/notes", 0100640},
                                                    {"/deep/photo.jpg", 0100604},
                                                    {"/deep", 040750},
                                                    {"", 040705},
                                                    {"/latest", 0120777}};
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const auto& [p, mode] : items) {
        if (!S_ISLNK(mode))
            ::chmod((src / (album + p)).c_str(), mode & 07777);
        ::utimensat(AT_FDCWD, (src / (album + p)).c_str(), old, AT_SYMLINK_NOFOLLOW);
    }
    log.lines.clear();
    util.moveOrCopy({src / album}, other.root, true);
    const fs::path moved = other.root / album;
    EXPECT_EQ(errors() + "|" + listing(src.path()) + "|" + listing(moved) + "|" +
                  readFile(moved / "deep" / "photo.jpg") + "|" +
                  fs::read_symlink(moved / "latest").string() + "|" +
                  fs::read_symlink(moved / "dangling").string(),
              "||dangling,deep,latest,notes|pixels|deep/photo.jpg|/nowhere");
    for (const auto& [p, mode] : items) {
        SCOPED_TRACE(p);
        struct stat st;
        ASSERT_EQ(::lstat((moved.string() + p).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode, mode);
        EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    }
}

TEST_F(FileUtilTest, ReplaceExchangesAndKeepsTheNewContentWhole) {
    OtherFileSystemDirectory other;
    for (const TemporaryDirectory* to : {&dst, static_cast<TemporaryDirectory*>(&other)}) {
        const fs::path& folder = to->path();
        if (folder.empty())
            continue;
        SCOPED_TRACE(folder.string());
        // A file over a file, a file over a non-empty folder.
        src.write("doc.txt", "new doc");
        to->write("doc.txt", "old doc");
        src.write("notes", "new notes");
        to->write("notes/n1", "old note");
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_DELETE), 0);
        util.handleReplaceResponse(ReplaceResponse::replace, {src / "doc.txt", src / "notes"},
                                   folder);
        // The old items are deleted only under the temporary names they were exchanged to:
        // there was never a moment without an item under the replaced name.
        std::string deleted;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                deleted += std::string(event->name).substr(0, 18) + " ";
                at += sizeof(inotify_event) + event->len;
            }
        ::close(watch);
        EXPECT_EQ(errors() + deleted, ".zentrivo-partial- .zentrivo-partial- ");
        EXPECT_EQ(listing(src.path()) + "|" + listing(folder) + "|" + readFile(folder / "doc.txt") +
                      "|" + readFile(folder / "notes"),
                  "|doc.txt,notes|new doc|new notes");
    }
}

TEST_F(FileUtilTest, FolderIntoItselfIsRefusedAndLogged) {
    src.write("A/sub/f", "f");
    fs::create_symlink(src / "A" / "sub", dst / "alias");
    for (bool move : {true, false})
        for (const fs::path& into : {src / "A", src / "A" / "sub", dst / "alias"})
            util.moveOrCopy({src / "A"}, into, move);
    util.handleReplaceResponse(ReplaceResponse::keepBoth, {src / "A"}, src / "A");
    queue.runUntilIdle();
    EXPECT_EQ(listing(src / "A") + "|" + listing(src / "A" / "sub"), "sub|f");
    EXPECT_TRUE(presenter.prompts.empty());
    const auto intoItself = [](const auto& l) {
        return l.message.find("into itself") != l.message.npos;
    };
    EXPECT_EQ(std::ranges::count_if(log.lines, intoItself), 7) << errors();
}

} // namespace
} // namespace zentrivo::test
