#pragma once

#include "app/apps/ReplacePromptPresenter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zentrivo {

class Log;
class MainQueue;
class NotificationCenter;

/// Moves or copies dropped items into a folder. Never overwrites an item that is already there:
/// a taken name, decided at the moment of the move and not by an earlier look, goes to the
/// replace prompt, where the user keeps both, replaces or stops. Paths are byte strings and
/// need not be UTF-8. Runs on the main thread.
class FileUtil {
public:
    struct Collaborators {
        ReplacePromptPresenter& presenter;
        /// Receives "alertWillDisplay" before a prompt shows.
        NotificationCenter& notificationCenter;
        MainQueue& mainQueue;
        Log& log;
    };

    /// What one transfer step did.
    enum class Outcome {
        done,   ///< the item is in place under the target name
        exists, ///< the target name is taken; nothing changed
        failed, ///< nothing changed (or, for a move, the source could only partly be deleted)
    };

    explicit FileUtil(Collaborators collaborators);
    FileUtil(const FileUtil&) = delete;
    FileUtil& operator=(const FileUtil&) = delete;

    /// Moves (`move` true) or copies each of `items` into `folder`; items whose name is taken
    /// there, or whose transfer failed, are offered in one prompt on a later turn of the main
    /// queue.
    void moveOrCopy(const std::vector<std::filesystem::path>& items,
                    const std::filesystem::path& folder, bool move);

    /// One item: true when it needs no prompt (done, already in place, or refused because a
    /// folder cannot go into itself), false when it must be prompted.
    bool transferItem(const std::filesystem::path& item, const std::filesystem::path& folder,
                      bool move);

    /// Carries out the user's decision for `items` and the folder they were dropped on.
    /// Keep-both and replace always move.
    void handleReplaceResponse(ReplaceResponse response,
                               const std::vector<std::filesystem::path>& items,
                               const std::filesystem::path& destination);

    /// The keep-both name for `name` in `folder`: the name itself while it is free, else
    /// "name copy.ext", then "name copy 2.ext", "name copy 3.ext" …
    static std::filesystem::path uniqueDestination(const std::filesystem::path& name,
                                                   const std::filesystem::path& folder);

    /// Moves or copies `item` to exactly `target` (a name in an existing folder) without ever
    /// replacing what is there: a taken target answers `exists` even if it appeared a moment
    /// ago. Across file systems a move is a complete copy, synced, put in place, and only then
    /// the source removed; any failure leaves the source as it was and no partial copy behind.
    /// `error` receives a description of a failure.
    Outcome transfer(const std::filesystem::path& item, const std::filesystem::path& target,
                     bool move, std::string& error);

    /// Puts `item` in place of `target`, which must exist. The old item is removed only after the
    /// new one is complete in place (the two are exchanged atomically); on failure both stay.
    Outcome replace(const std::filesystem::path& item, const std::filesystem::path& target,
                    std::string& error);

    /// A file name as UTF-8 text for people to read: bytes that are not UTF-8 become U+FFFD.
    static std::string displayName(const std::filesystem::path& name);

    /// How `transfer` renames without replacing on file systems that lack RENAME_NOREPLACE: a
    /// hard link plus unlink, or (without hard links, and for folders) an exclusive claim of the
    /// name that the rename then takes over. Answers 0 or the errno, `EEXIST` for a taken name.
    static int renameWithoutReplacingByLink(const std::filesystem::path& from,
                                            const std::filesystem::path& to);

private:
    Collaborators c;
};

} // namespace zentrivo
