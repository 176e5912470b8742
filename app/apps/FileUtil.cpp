#include "FileUtil.h"

#include "app/core/Log.h"
#include "app/core/MainQueue.h"
#include "app/core/NotificationCenter.h"
#include "app/core/Notifications.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <random>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utf8proc.h>

namespace zentrivo {
namespace {

namespace fs = std::filesystem;

/// Closes a descriptor when it goes out of scope.
struct Fd {
    explicit Fd(int fd = -1) : fd(fd) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int fd;
};

/// True when anything, a dangling symbolic link included, has this name.
bool lexists(const fs::path& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

std::string quoted(const fs::path& p) {
    return "\"" + FileUtil::displayName(p) + "\"";
}

std::string describe(const char* action, const fs::path& item, const fs::path& where, int err) {
    return std::string("Cannot ") + action + " " + quoted(item) + " to " + quoted(where) + ": " +
           std::strerror(err);
}

/// The path without a trailing separator, so that its file name is the item's name.
fs::path clean(const fs::path& p) {
    fs::path normal = p.lexically_normal();
    if (normal.filename().empty() && normal.has_parent_path() && normal != normal.root_path())
        normal = normal.parent_path();
    return normal;
}

/// Same file-system object (device and inode), not following a final symbolic link.
bool sameObject(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

/// True when `folder` is the folder `item` or lies anywhere inside it. Compared by identity, so
/// that symbolic links and other spellings of the same folder are seen through.
bool folderInsideItem(const fs::path& item, const fs::path& folder) {
    struct stat itemStat;
    if (::lstat(item.c_str(), &itemStat) != 0 || !S_ISDIR(itemStat.st_mode))
        return false;
    std::error_code ec;
    fs::path walk = fs::weakly_canonical(folder, ec);
    if (ec)
        return false;
    for (;;) {
        struct stat st;
        if (::stat(walk.c_str(), &st) == 0 && sameObject(st, itemStat))
            return true;
        if (!walk.has_relative_path())
            return false;
        walk = walk.parent_path();
    }
}

/// True when `item` already is the entry `target` (the same name in the same folder).
bool alreadyThere(const fs::path& item, const fs::path& folder) {
    struct stat a, b;
    return ::stat(item.parent_path().empty() ? "." : item.parent_path().c_str(), &a) == 0 &&
           ::stat(folder.c_str(), &b) == 0 && sameObject(a, b);
}

/// A hidden name no one else uses, for an item that is not complete yet.
std::string temporaryName() {
    static std::mt19937_64 random{std::random_device{}()};
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, ".zentrivo-partial-%016llx",
                  static_cast<unsigned long long>(random()));
    return buffer;
}

void syncFolder(const fs::path& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}

/// Removes an item this program created itself, making its folders writable on the way so that
/// a read-only folder from the copy does not keep a partial copy alive.
void removeOwnItem(const fs::path& p) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        ::chmod(p.c_str(), 0700);
        std::error_code ec;
        for (fs::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec))
            removeOwnItem(it->path());
        ::rmdir(p.c_str());
    } else {
        ::unlink(p.c_str());
    }
}

/// Copies extended attributes (tags among them) as far as the destination takes them.
void copyAttributes(int from, int to) {
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0)
        return;
    std::string names(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    for (std::size_t at = 0; got > 0 && at < static_cast<std::size_t>(got);) {
        const char* name = names.c_str() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            continue;
        std::string value(static_cast<std::size_t>(length), '\0');
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read >= 0)
            ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0);
    }
}

/// Owner (when allowed), mode and times of `st` onto the open item, then to the disk.
int finishItem(int fd, const struct stat& st) {
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not ours to give away: the copy belongs to the user who made it, as with cp.
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(fd, st.st_mode & 07777) != 0 || ::futimens(fd, times) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

int copyData(int in, int out) {
    bool plain = false;
    for (;;) {
        ssize_t n;
        if (!plain) {
            n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (n < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                plain = true;
                continue;
            }
        } else {
            char buffer[1 << 16];
            n = ::read(in, buffer, sizeof buffer);
            for (ssize_t written = 0; n > 0 && written < n;) {
                const ssize_t w =
                    ::write(out, buffer + written, static_cast<std::size_t>(n - written));
                if (w < 0 && errno != EINTR)
                    return errno;
                written += std::max<ssize_t>(w, 0);
            }
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
    }
}

struct CopyFailure {
    int code = 0;
    fs::path path; // the source item that could not be copied
};

/// Copies the item `name` in `fromDir` (a symbolic link as a link, a folder with everything in
/// it) to the new name `newName` in `toDir`, keeping mode and times, each piece synced to disk.
/// `created` tells whether the top item was made, i.e. whether there is anything to clean up.
/// With `checkDeletable`, a folder whose entries could not be removed afterwards fails the copy
/// before anything is deleted.
CopyFailure copyItem(int fromDir, const std::string& name, const fs::path& fromPath, int toDir,
                     const std::string& newName, bool checkDeletable, bool& created) {
    created = false;
    auto failure = [&](int code) { return CopyFailure{code, fromPath}; };
    struct stat st;
    if (::fstatat(fromDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failure(errno);

    if (S_ISREG(st.st_mode)) {
        Fd in(::openat(fromDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (in.fd < 0)
            return failure(errno);
        Fd out(::openat(toDir, newName.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.fd < 0)
            return failure(errno);
        created = true;
        if (int err = copyData(in.fd, out.fd))
            return failure(err);
        copyAttributes(in.fd, out.fd);
        if (int err = finishItem(out.fd, st))
            return failure(err);
        return {};
    }
    if (S_ISDIR(st.st_mode)) {
        Fd in(::openat(fromDir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (in.fd < 0)
            return failure(errno);
        if (checkDeletable && ::faccessat(in.fd, ".", W_OK | X_OK, AT_EACCESS) != 0)
            return failure(errno);
        if (::mkdirat(toDir, newName.c_str(), 0700) != 0)
            return failure(errno);
        created = true;
        Fd out(::openat(toDir, newName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (out.fd < 0)
            return failure(errno);
        DIR* listing = ::fdopendir(::dup(in.fd));
        if (!listing)
            return failure(errno);
        CopyFailure result;
        errno = 0;
        while (dirent* entry = ::readdir(listing)) {
            const std::string child = entry->d_name;
            if (child == "." || child == "..")
                continue;
            bool childCreated = false;
            result = copyItem(in.fd, child, fromPath / child, out.fd, child, checkDeletable,
                              childCreated);
            if (result.code)
                break;
            errno = 0;
        }
        if (!result.code && errno)
            result = failure(errno);
        ::closedir(listing);
        if (result.code)
            return result;
        copyAttributes(in.fd, out.fd);
        // Last, since adding the entries changed the folder's times.
        if (int err = finishItem(out.fd, st))
            return failure(err);
        return {};
    }
    if (S_ISLNK(st.st_mode)) {
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t length = ::readlinkat(fromDir, name.c_str(), link.data(), link.size());
        if (length < 0)
            return failure(errno);
        link.resize(static_cast<std::size_t>(length));
        if (::symlinkat(link.c_str(), toDir, newName.c_str()) != 0)
            return failure(errno);
        created = true;
        if (::fchownat(toDir, newName.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW) != 0) {
            // As for files: the copy may stay the copier's.
        }
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::utimensat(toDir, newName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return failure(errno);
        return {};
    }
    if (S_ISFIFO(st.st_mode)) {
        if (::mkfifoat(toDir, newName.c_str(), 0600) != 0)
            return failure(errno);
        created = true;
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::fchmodat(toDir, newName.c_str(), st.st_mode & 07777, 0) != 0 ||
            ::utimensat(toDir, newName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return failure(errno);
        return {};
    }
    // Devices and sockets belong to the system that made them.
    return failure(EOPNOTSUPP);
}

/// The decimal number `digits` plus one; none when there are no digits or it does not fit.
std::optional<unsigned long long> nextNumber(std::string_view digits) {
    unsigned long long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
        value == ~0ULL)
        return std::nullopt;
    return value + 1;
}

} // namespace

FileUtil::FileUtil(Collaborators collaborators) : c(collaborators) {}

void FileUtil::moveOrCopy(const std::vector<std::filesystem::path>& items,
                          const std::filesystem::path& folder, bool move) {
    std::vector<fs::path> pending;
    for (const fs::path& item : items)
        if (!transferItem(item, folder, move))
            pending.push_back(item);
    if (pending.empty())
        return;
    c.notificationCenter.post(notifications::alertWillDisplay);
    c.mainQueue.post([this, pending, folder] {
        c.presenter.showReplacePrompt(
            pending, [this, folder](ReplaceResponse response, const std::vector<fs::path>& chosen) {
                handleReplaceResponse(response, chosen, folder);
            });
    });
}

bool FileUtil::transferItem(const std::filesystem::path& item, const std::filesystem::path& folder,
                            bool move) {
    const fs::path source = clean(item);
    const fs::path target = folder / source.filename();
    if (alreadyThere(source, folder))
        return true;
    std::string error;
    if (folderInsideItem(source, folder)) {
        // Nothing the prompt could offer would make this possible.
        c.log.error("Move/copy error:\n" + std::string("Cannot put the folder ") + quoted(source) +
                    " into itself (" + quoted(folder) + ")");
        return true;
    }
    // A look first saves copying a large item only to find the name taken; the transfer itself
    // still refuses to replace whatever appears in the meantime.
    if (lexists(target))
        return false;
    switch (transfer(source, target, move, error)) {
    case Outcome::done:
        if (!error.empty())
            c.log.error("Move/copy error:\n" + error);
        return true;
    case Outcome::exists:
        return false;
    case Outcome::failed:
        break;
    }
    c.log.error("Move/copy error:\n" + error);
    return false;
}

void FileUtil::handleReplaceResponse(ReplaceResponse response,
                                     const std::vector<std::filesystem::path>& items,
                                     const std::filesystem::path& destination) {
    if (response == ReplaceResponse::stop)
        return;
    for (const fs::path& item : items) {
        const fs::path source = clean(item);
        std::string error;
        Outcome outcome = Outcome::failed;
        if (alreadyThere(source, destination))
            continue;
        if (folderInsideItem(source, destination)) {
            error = "Cannot put the folder " + quoted(source) + " into itself (" +
                    quoted(destination) + ")";
        } else if (response == ReplaceResponse::keepBoth) {
            // A name taken between choosing it and moving there just means the next one.
            for (int attempt = 0; attempt < 100; ++attempt) {
                outcome = transfer(source, uniqueDestination(source.filename(), destination), true,
                                   error);
                if (outcome != Outcome::exists)
                    break;
            }
        } else {
            const fs::path target = destination / source.filename();
            for (int attempt = 0; attempt < 100; ++attempt) {
                outcome = lexists(target) ? replace(source, target, error)
                                          : transfer(source, target, true, error);
                if (outcome != Outcome::exists)
                    break;
            }
        }
        if (outcome == Outcome::done && error.empty())
            continue;
        c.log.error("Move error:\n" +
                    (error.empty() ? quoted(source) + " found no free name" : error));
        if (outcome != Outcome::done)
            return;
    }
}

std::filesystem::path FileUtil::uniqueDestination(const std::filesystem::path& name,
                                                  const std::filesystem::path& folder) {
    fs::path candidate = folder / name;
    if (!lexists(candidate))
        return candidate;

    const std::string whole = name.native();
    // The extension as a path extension: after the last dot, not a leading or trailing one.
    const std::size_t dot = whole.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0 && dot + 1 < whole.size();
    std::string base = hasExtension ? whole.substr(0, dot) : whole;
    const std::string ext = hasExtension ? whole.substr(dot + 1) : std::string();

    static constexpr std::string_view copySuffix = " copy";
    static constexpr std::string_view numberedSuffix = " copy ";
    unsigned long long n = 1;
    if (base.ends_with(copySuffix)) {
        base.resize(base.size() - copySuffix.size());
        n = 2;
    } else {
        const std::size_t digitsStart = base.find_last_not_of("0123456789") + 1;
        const std::string_view head = std::string_view(base).substr(0, digitsStart);
        if (head.ends_with(numberedSuffix)) {
            const auto next = nextNumber(std::string_view(base).substr(digitsStart));
            base.resize(head.size() - numberedSuffix.size());
            // No usable number: the name itself was taken, so the plain copy name comes next.
            n = next.value_or(1);
        }
    }
    for (;; ++n) {
        std::string candidateName = base + std::string(copySuffix);
        if (n >= 2)
            candidateName += " " + std::to_string(n);
        if (hasExtension)
            candidateName += "." + ext;
        candidate = folder / candidateName;
        if (!lexists(candidate))
            return candidate;
    }
}

int FileUtil::renameWithoutReplacingByLink(const std::filesystem::path& from,
                                           const std::filesystem::path& to) {
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode)) {
        // A second name fails when the target exists, which rename(2) alone would not.
        if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0) {
            if (::unlink(from.c_str()) == 0)
                return 0;
            const int err = errno;
            ::unlink(to.c_str());
            return err;
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return errno;
        // No hard links here either: claim the name with an empty file of our own, then
        // replace that.
        Fd claim(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (claim.fd < 0)
            return errno;
    } else if (::mkdir(to.c_str(), 0700) != 0) {
        // A folder can only replace an empty folder: claim the name with one of our own.
        return errno;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return 0;
    const int err = errno;
    S_ISDIR(st.st_mode) ? ::rmdir(to.c_str()) : ::unlink(to.c_str());
    return err;
}

namespace {

/// rename(2) that never replaces: `EEXIST` when the target name is taken.
int renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    return FileUtil::renameWithoutReplacingByLink(from, to);
}

/// Copies `item` complete and synced into `folder` under a temporary name; empty on failure,
/// with nothing left behind.
std::optional<std::string> copyUnderTemporaryName(const fs::path& item, const fs::path& folder,
                                                  bool checkDeletable, std::string& error) {
    const fs::path parent = item.parent_path().empty() ? fs::path(".") : item.parent_path();
    Fd fromDir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Fd toDir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fromDir.fd < 0 || toDir.fd < 0) {
        error = describe("copy", item, folder, errno);
        return std::nullopt;
    }
    if (checkDeletable && ::faccessat(fromDir.fd, ".", W_OK | X_OK, AT_EACCESS) != 0) {
        error = describe("move", item, folder, errno);
        return std::nullopt;
    }
    const std::string name = temporaryName();
    bool created = false;
    const CopyFailure failure = copyItem(fromDir.fd, item.filename().native(), item, toDir.fd, name,
                                         checkDeletable, created);
    if (failure.code) {
        if (created)
            removeOwnItem(folder / name);
        error = describe("copy", failure.path, folder, failure.code);
        return std::nullopt;
    }
    ::fsync(toDir.fd);
    return name;
}

} // namespace

FileUtil::Outcome FileUtil::transfer(const std::filesystem::path& item,
                                     const std::filesystem::path& target, bool move,
                                     std::string& error) {
    error.clear();
    const fs::path folder = target.parent_path();
    if (folderInsideItem(item, folder)) {
        error = "Cannot put the folder " + quoted(item) + " into itself (" + quoted(folder) + ")";
        return Outcome::failed;
    }
    if (move) {
        const int err = renameWithoutReplacing(item, target);
        if (err == 0) {
            syncFolder(folder);
            return Outcome::done;
        }
        if (err == EEXIST)
            return Outcome::exists;
        if (err != EXDEV) {
            error = describe("move", item, target, err);
            return Outcome::failed;
        }
    }
    // A copy, or a move to another file system: the new item is complete and on disk before it
    // takes the name, and the source goes only after that.
    const auto temporary = copyUnderTemporaryName(item, folder, move, error);
    if (!temporary)
        return Outcome::failed;
    const fs::path partial = folder / *temporary;
    if (const int err = renameWithoutReplacing(partial, target)) {
        removeOwnItem(partial);
        if (err == EEXIST)
            return Outcome::exists;
        error = describe(move ? "move" : "copy", item, target, err);
        return Outcome::failed;
    }
    syncFolder(folder);
    if (move) {
        std::error_code ec;
        fs::remove_all(item, ec);
        if (ec)
            error = quoted(item) + " was moved to " + quoted(target) +
                    " but could not be fully removed from where it was: " + ec.message();
    }
    return Outcome::done;
}

FileUtil::Outcome FileUtil::replace(const std::filesystem::path& item,
                                    const std::filesystem::path& target, std::string& error) {
    error.clear();
    const fs::path folder = target.parent_path();
    if (folderInsideItem(item, folder)) {
        error = "Cannot put the folder " + quoted(item) + " into itself (" + quoted(folder) + ")";
        return Outcome::failed;
    }
    // Bring the new item in beside the old one first.
    fs::path incoming = folder / temporaryName();
    bool copied = false;
    if (const int err = renameWithoutReplacing(item, incoming)) {
        if (err != EXDEV) {
            error = describe("move", item, target, err);
            return Outcome::failed;
        }
        const auto temporary = copyUnderTemporaryName(item, folder, true, error);
        if (!temporary)
            return Outcome::failed;
        incoming = folder / *temporary;
        copied = true;
    }
    auto undo = [&] {
        if (copied)
            removeOwnItem(incoming);
        else if (renameWithoutReplacing(incoming, item) != 0)
            error += "; the item was left at " + quoted(incoming);
    };

    // Swap the two in one step: there is never a moment without an item under the name.
    fs::path old = incoming;
    if (::renameat2(AT_FDCWD, incoming.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
        const int err = errno;
        if (err == ENOENT && !lexists(target)) {
            // The old item went away meanwhile: a plain move will do.
            if (const int again = renameWithoutReplacing(incoming, target)) {
                error = describe("move", item, target, again);
                undo();
                return again == EEXIST ? Outcome::exists : Outcome::failed;
            }
            old.clear();
        } else if (err == EINVAL || err == ENOSYS) {
            // No exchange on this file system: set the old item aside under a temporary name,
            // put the new one in place, and put the old one back if that fails.
            old = folder / temporaryName();
            if (const int aside = renameWithoutReplacing(target, old)) {
                error = describe("replace", target, item, aside);
                undo();
                return Outcome::failed;
            }
            if (const int in = renameWithoutReplacing(incoming, target)) {
                error = describe("move", item, target, in);
                if (renameWithoutReplacing(old, target) != 0)
                    error += "; the replaced item was left at " + quoted(old);
                undo();
                return Outcome::failed;
            }
        } else {
            error = describe("replace", target, item, err);
            undo();
            return Outcome::failed;
        }
    }
    syncFolder(folder);
    if (copied) {
        std::error_code ec;
        fs::remove_all(item, ec);
        if (ec)
            error = quoted(item) + " was moved to " + quoted(target) +
                    " but could not be fully removed from where it was: " + ec.message();
    }
    if (!old.empty()) {
        std::error_code ec;
        fs::remove_all(old, ec);
        if (ec)
            error += (error.empty() ? "" : "; ") + std::string("the replaced item ") +
                     quoted(target) + " could not be fully removed from " + quoted(old) + ": " +
                     ec.message();
    }
    return Outcome::done;
}

std::string FileUtil::displayName(const std::filesystem::path& name) {
    const std::string& bytes = name.native();
    std::string text;
    text.reserve(bytes.size());
    const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(bytes.data());
    utf8proc_ssize_t left = static_cast<utf8proc_ssize_t>(bytes.size());
    while (left > 0) {
        utf8proc_int32_t codePoint = 0;
        utf8proc_ssize_t used = utf8proc_iterate(at, left, &codePoint);
        if (used <= 0) {
            text += "\xEF\xBF\xBD"; // U+FFFD for each byte that is not part of valid UTF-8
            used = 1;
        } else {
            text.append(reinterpret_cast<const char*>(at), static_cast<std::size_t>(used));
        }
        at += used;
        left -= used;
    }
    return text;
}

} // namespace zentrivo
