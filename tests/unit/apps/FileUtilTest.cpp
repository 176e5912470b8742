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
#include <linux/capability.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zentrivo::test {
namespace {

namespace fs = std::filesystem;
using Outcome = FileUtil::Outcome;

/// Takes this thread's power to bypass file permissions away for the guard's life, so that an
/// unreadable file stops a test running as root as it stops a user.
struct WithoutPermissionOverride {
    WithoutPermissionOverride() {
        ::syscall(SYS_capget, &header, saved);
        __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &header, lowered);
    }
    ~WithoutPermissionOverride() { ::syscall(SYS_capset, &header, saved); }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
};

/// A temporary folder on another file system than the usual temporary folder, when there is one
/// (a tmpfs at /dev/shm usually is); `reason` says why not otherwise.
struct OtherFileSystemDirectory {
    explicit OtherFileSystemDirectory(const fs::path& near) {
        std::string pattern = "/dev/shm/zentrivo-test-XXXXXX";
        struct stat a, b;
        if (!::mkdtemp(pattern.data()))
            return;
        root = pattern;
        const bool same =
            ::stat(root.c_str(), &a) || ::stat(near.c_str(), &b) || a.st_dev == b.st_dev;
        reason = same ? "/dev/shm is on the same file system as " + near.string() : "";
    }
    ~OtherFileSystemDirectory() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    bool usable() const { return reason.empty(); }
    fs::path root;
    std::string reason = "no writable /dev/shm";
};

/// The names in `folder`, sorted, comma-separated: stray partial copies show up here.
std::string listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    std::string joined;
    for (const auto& name : names)
        joined += (joined.empty() ? "" : ",") + name;
    return joined;
}

void write(const fs::path& file, const std::string& content) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

struct Rig {
    TemporaryDirectory src, dst;
    RecordingLog log;
    FakeMainQueue queue;
    NotificationCenter center;
    FakeReplacePromptPresenter presenter;
    FileUtil util{{presenter, center, queue, log}};
    /// One entry per "alertWillDisplay", with the number of prompts shown by then.
    std::vector<std::string> events;
    Rig() {
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

TEST(FileUtil, UniqueDestinationNamesTheKeepBothCopy) {
    const struct Row {
        const char* name;
        std::vector<std::string> taken;
        const char* expected;
    } rows[] = {
        {"Report.pdf", {}, "Report.pdf"},
        {"Report.pdf", {"Report.pdf"}, "Report copy.pdf"},
        {"Report.pdf", {"Report.pdf", "Report copy.pdf"}, "Report copy 2.pdf"},
        {"Report.pdf", {"Report.pdf", "Report copy.pdf", "Report copy 2.pdf"}, "Report copy 3.pdf"},
        {"Report copy.pdf", {"Report copy.pdf"}, "Report copy 2.pdf"},
        {"Report copy 7.pdf", {"Report copy 7.pdf"}, "Report copy 8.pdf"},
        {"Report copy 7.pdf", {"Report copy 7.pdf", "Report copy 8.pdf"}, "Report copy 9.pdf"},
        {"a copy.txt", {"a copy.txt", "a copy 2.txt"}, "a copy 3.txt"},
        {"Report copy2.pdf", {"Report copy2.pdf"}, "Report copy2 copy.pdf"},
        {"Report Copy.pdf", {"Report Copy.pdf"}, "Report Copy copy.pdf"},
        {"x copy .txt", {"x copy .txt"}, "x copy.txt"},
        {"n copy 99999999999999999999.txt", {"n copy 99999999999999999999.txt"}, "n copy.txt"},
        {"Photos", {"Photos/"}, "Photos copy"},
        {".bashrc", {".bashrc"}, ".bashrc copy"},
        {"archive.tar.gz", {"archive.tar.gz"}, "archive.tar copy.gz"},
        {"link", {"link@"}, "link copy"},
        {"caf\xe9.txt", {"caf\xe9.txt"}, "caf\xe9 copy.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + std::string(" with ") + std::to_string(row.taken.size()) +
                     " taken");
        TemporaryDirectory dir;
        for (std::string taken : row.taken) {
            if (taken.ends_with('/'))
                fs::create_directory(dir / taken);
            else if (taken.ends_with('@'))
                fs::create_symlink("/nonexistent", dir / taken.substr(0, taken.size() - 1));
            else
                dir.write(taken, "x");
        }
        EXPECT_EQ(FileUtil::uniqueDestination(row.name, dir.path()), dir / row.expected);
    }
}

TEST(FileUtil, DropMovesFreeItemsAtOnceAndPromptsTheRestAfterAlerting) {
    Rig rig;
    const std::string b = "r\xe9sum\xe9\xff.txt"; // not UTF-8
    for (const std::string& name : {std::string("a.txt"), b, std::string("c.txt")})
        write(rig.src / name, "new " + name);
    write(rig.dst / b, "old b");
    write(rig.dst / "c.txt", "old c");
    rig.util.moveOrCopy({rig.src / b, rig.src / "a.txt", rig.src / "c.txt"}, rig.dst.path(), true);

    EXPECT_EQ(listing(rig.src.path()), "c.txt," + b);
    EXPECT_EQ(readFile(rig.dst / "a.txt"), "new a.txt");
    EXPECT_EQ(rig.events, std::vector<std::string>{"alert, prompts 0"});
    EXPECT_TRUE(rig.presenter.prompts.empty()) << "the prompt waits for a later turn";
    rig.queue.runUntilIdle();
    ASSERT_EQ(rig.presenter.prompts.size(), 1u);
    EXPECT_EQ(rig.presenter.prompts[0].items,
              (std::vector<fs::path>{rig.src / b, rig.src / "c.txt"}));

    const auto& answer = rig.presenter.prompts[0].callback;
    answer(ReplaceResponse::keepBoth, {rig.src / b});
    answer(ReplaceResponse::replace, {rig.src / "c.txt"});
    answer(ReplaceResponse::stop, {});
    EXPECT_EQ(listing(rig.src.path()), "");
    EXPECT_EQ(listing(rig.dst.path()), "a.txt,c.txt,r\xe9sum\xe9\xff copy.txt," + b);
    EXPECT_EQ(readFile(rig.dst / "r\xe9sum\xe9\xff copy.txt"), "new " + b);
    EXPECT_EQ(readFile(rig.dst / b), "old b");
    EXPECT_EQ(readFile(rig.dst / "c.txt"), "new c.txt");
    EXPECT_EQ(FileUtil::displayName(b), "r\uFFFDsum\uFFFD\uFFFD.txt");
    EXPECT_EQ(rig.errors(), "");

    // Onto the folder it lies in: nothing happens. A copy leaves the source.
    rig.util.moveOrCopy({rig.dst / "a.txt"}, rig.dst.path(), true);
    rig.util.moveOrCopy({rig.dst / "a.txt"}, rig.src.path(), false);
    rig.queue.runUntilIdle();
    EXPECT_EQ(readFile(rig.src / "a.txt") + readFile(rig.dst / "a.txt"), "new a.txtnew a.txt");
    EXPECT_EQ(rig.events.size(), 1u);
    EXPECT_EQ(rig.presenter.prompts.size(), 1u);

    // The first failure of a decision skips the rest.
    answer(ReplaceResponse::keepBoth, {rig.src / "gone", rig.src / "a.txt"});
    EXPECT_EQ(listing(rig.src.path()), "a.txt");
    EXPECT_TRUE(rig.errors().starts_with("Move error:\nCannot move \"")) << rig.errors();
}

TEST(FileUtil, NameTakenAfterTheLookIsNeverOverwritten) {
    // The clash is in place before the transfer step runs: as if it appeared right after
    // transferItem looked.
    TemporaryDirectory src, dst;
    OtherFileSystemDirectory other(src.path());
    struct Row {
        const char* name;
        fs::path folder;
        bool move;
    };
    std::vector<Row> rows = {{"move", dst.path(), true}, {"copy", dst.path(), false}};
    if (other.usable())
        rows.push_back({"move to another file system", other.root, true});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // A file and a folder, each with its content at `inner`.
        for (const auto& [item, inner] : {std::pair{"f", ""}, std::pair{"dir", "inside"}}) {
            SCOPED_TRACE(item);
            auto at = [&](const fs::path& base) {
                return *inner ? base / item / inner : base / item;
            };
            write(at(src.path()), "new");
            write(at(row.folder), "old");
            Rig rig;
            std::string error;
            EXPECT_EQ(rig.util.transfer(src / item, row.folder / item, row.move, error),
                      Outcome::exists);
            EXPECT_EQ(readFile(at(row.folder)), "old");
            EXPECT_EQ(readFile(at(src.path())), "new");
            EXPECT_EQ(listing(row.folder), item);
            fs::remove_all(src / item);
            fs::remove_all(row.folder / item);
        }
    }
    if (!other.usable())
        GTEST_SKIP() << "the other-file-system row did not run: " << other.reason;
}

TEST(FileUtil, RenameWithoutReplaceSupportFallsBackWithoutOverwriting) {
    TemporaryDirectory dir;
    for (const char* file : {"from", "from-dir/x", "taken", "taken-dir/y"})
        dir.write(file, file);
    EXPECT_EQ(FileUtil::renameWithoutReplacingByLink(dir / "from", dir / "taken"), EEXIST);
    EXPECT_EQ(FileUtil::renameWithoutReplacingByLink(dir / "from-dir", dir / "taken-dir"), EEXIST);
    EXPECT_EQ(FileUtil::renameWithoutReplacingByLink(dir / "from", dir / "free"), 0);
    EXPECT_EQ(FileUtil::renameWithoutReplacingByLink(dir / "from-dir", dir / "free-dir"), 0);
    EXPECT_EQ(listing(dir.path()), "free,free-dir,taken,taken-dir");
    EXPECT_EQ(readFile(dir / "taken") + readFile(dir / "taken-dir" / "y"), "takentaken-dir/y");
    EXPECT_EQ(readFile(dir / "free") + readFile(dir / "free-dir" / "x"), "fromfrom-dir/x");
}

TEST(FileUtil, MoveToAnotherFileSystemCopiesEverythingThenDeletesTheSource) {
    TemporaryDirectory src;
    OtherFileSystemDirectory other(src.path());
    if (!other.usable())
        GTEST_SKIP() << other.reason;
    const std::string album = "Alb\xfcm"; // not UTF-8
    src.write(album + "/deep/photo.jpg", "pixels");
    src.write(album + "/notes", "text");
    fs::create_symlink("deep/photo.jpg", src / album / "latest");
    fs::create_symlink("/nowhere", src / album / "dangling");
    // Each item with its mode; all get the same old time, which the copy must keep.
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
    Rig rig;
    rig.util.moveOrCopy({src / album}, other.root, true);
    EXPECT_EQ(rig.errors(), "");
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(listing(src.path()), "");
    const fs::path moved = other.root / album;
    EXPECT_EQ(listing(other.root), album);
    EXPECT_EQ(listing(moved), "dangling,deep,latest,notes");
    EXPECT_EQ(readFile(moved / "deep" / "photo.jpg"), "pixels");
    EXPECT_EQ(fs::read_symlink(moved / "latest"), "deep/photo.jpg");
    EXPECT_EQ(fs::read_symlink(moved / "dangling"), "/nowhere");
    for (const auto& [p, mode] : items) {
        SCOPED_TRACE(p);
        struct stat st;
        ASSERT_EQ(::lstat((other.root / (album + p)).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode, mode);
        EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    }
}

TEST(FileUtil, FailedCopyLeavesNoPartialItemAndTheSourceAndOldItemIntact) {
    TemporaryDirectory src;
    OtherFileSystemDirectory other(src.path());
    if (!other.usable())
        GTEST_SKIP() << other.reason;
    src.write("Album/a.txt", "a");
    src.write("Album/b.txt", "b");
    ::chmod((src / "Album" / "b.txt").c_str(), 0);
    write(other.root / "Old" / "Album" / "keep.txt", "old");
    Rig rig;
    {
        WithoutPermissionOverride asUser;
        rig.util.moveOrCopy({src / "Album"}, other.root, true);
        rig.util.handleReplaceResponse(ReplaceResponse::replace, {src / "Album"},
                                       other.root / "Old");
    }
    EXPECT_EQ(listing(other.root), "Old") << "the partial copy is gone";
    EXPECT_EQ(listing(other.root / "Old"), "Album");
    EXPECT_EQ(readFile(other.root / "Old" / "Album" / "keep.txt"), "old");
    EXPECT_EQ(listing(src / "Album"), "a.txt,b.txt");
    const std::string errors = rig.errors();
    EXPECT_TRUE(errors.starts_with("Move/copy error:\nCannot copy")) << errors;
    EXPECT_NE(errors.find("b.txt\""), std::string::npos) << errors;
    EXPECT_NE(errors.find("|Move error:\nCannot copy"), std::string::npos) << errors;
    rig.queue.runUntilIdle();
    ASSERT_EQ(rig.presenter.prompts.size(), 1u) << "a failed item is offered like a clash";
}

TEST(FileUtil, ReplaceExchangesAndKeepsTheNewContentWhole) {
    TemporaryDirectory src, dst;
    OtherFileSystemDirectory other(src.path());
    std::vector<fs::path> folders = {dst.path()};
    if (other.usable())
        folders.push_back(other.root);
    for (const fs::path& folder : folders) {
        SCOPED_TRACE(folder.string());
        // A file over a file, a folder over a file, a file over a non-empty folder.
        src.write("doc.txt", "new doc");
        write(folder / "doc.txt", "old doc");
        src.write("pics/1.jpg", "new pic");
        write(folder / "pics", "old file");
        src.write("notes", "new notes");
        write(folder / "notes" / "n1", "old note");
        Rig rig;
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_DELETE), 0);
        rig.util.handleReplaceResponse(ReplaceResponse::replace,
                                       {src / "doc.txt", src / "pics", src / "notes"}, folder);
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
        EXPECT_EQ(deleted, ".zentrivo-partial- .zentrivo-partial- .zentrivo-partial- ");
        EXPECT_EQ(rig.errors(), "");
        EXPECT_EQ(listing(src.path()), "");
        EXPECT_EQ(listing(folder), "doc.txt,notes,pics");
        EXPECT_EQ(readFile(folder / "doc.txt"), "new doc");
        EXPECT_EQ(readFile(folder / "pics" / "1.jpg"), "new pic");
        EXPECT_EQ(readFile(folder / "notes"), "new notes");
    }
    if (!other.usable())
        GTEST_SKIP() << "replace across file systems did not run: " << other.reason;
}

TEST(FileUtil, FolderIntoItselfIsRefusedAndLogged) {
    Rig rig;
    write(rig.src / "A" / "sub" / "f", "f");
    fs::create_symlink(rig.src / "A" / "sub", rig.dst / "alias");
    for (bool move : {true, false}) {
        SCOPED_TRACE(move ? "move" : "copy");
        rig.util.moveOrCopy({rig.src / "A"}, rig.src / "A", move);
        rig.util.moveOrCopy({rig.src / "A"}, rig.src / "A" / "sub", move);
        rig.util.moveOrCopy({rig.src / "A"}, rig.dst / "alias", move);
    }
    rig.util.handleReplaceResponse(ReplaceResponse::keepBoth, {rig.src / "A"}, rig.src / "A");
    rig.queue.runUntilIdle();
    EXPECT_EQ(listing(rig.src / "A"), "sub");
    EXPECT_EQ(listing(rig.src / "A" / "sub"), "f");
    EXPECT_TRUE(rig.presenter.prompts.empty());
    const auto intoItself = [](const auto& l) {
        return l.message.find("into itself") != l.message.npos;
    };
    EXPECT_EQ(std::ranges::count_if(rig.log.lines, intoItself), 7) << rig.errors();
}

} // namespace
} // namespace zentrivo::test
