#pragma once

#include "app/core/Log.h"
#include "app/settings/DefaultsDatabase.h"

#include <filesystem>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace zentrivo::platform {

/// The defaults database in an SQLite file: one row per key with the value's kind next to it, so
/// an integer written is an integer read. Every write is one atomic, durable transaction (WAL,
/// synchronous=FULL) and waits for a second writer (`zentrivoctl`) instead of failing.
///
/// Reading never creates anything: while the file is missing every key reads as missing, and the
/// first write creates the folder and the file. A damaged file (not a database, failing its
/// integrity check, or not ours) is never overwritten: it is renamed to
/// "defaults.sqlite3.damaged-YYYYMMDDTHHMMSSZ" next to itself, one error is logged, and the
/// database starts again empty. A file that cannot be opened (no permission, a folder in its
/// place) is left exactly as it is: one error names the cause, reads answer none and writes fail.
class SqliteDefaultsDatabase final : public DefaultsDatabase {
public:
    /// Nothing is opened until the first read or write.
    SqliteDefaultsDatabase(std::filesystem::path path, Log& log);
    ~SqliteDefaultsDatabase() override;

    /// "$XDG_CONFIG_HOME/zentrivo/defaults.sqlite3"; "~/.config" stands in when XDG_CONFIG_HOME
    /// is unset, empty or relative. Empty when no home folder can be found either.
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const noexcept { return file; }

    /// None also for a row whose kind is unknown or whose value does not fit its kind.
    std::optional<PropertyValue> value(std::string_view key) const override;
    bool setValue(std::string_view key, const PropertyValue& value) override;
    bool removeValue(std::string_view key) override;
    std::vector<std::string> keys() const override;

private:
    enum class Access { read, write };

    /// Opens the file when needed. False when there is nothing to read (no file yet) or the
    /// database cannot be used now; failures are logged.
    bool ensureOpen(Access access) const;
    /// Opens, configures and checks the file; returns the SQLite result of the first failure.
    int openAndCheck(bool create, std::string& detail) const;
    /// `openAndCheck`, tried again while another process keeps the file busy.
    int openWaitingOutOthers(bool create, std::string& detail) const;
    /// Runs `query` and keeps the first column of its first row (empty without rows).
    int firstText(const char* query, std::string& text) const;
    int prepareStatements() const;
    void close() const;
    /// Handles a failed statement; true when the file turned out to be damaged and was moved
    /// aside, so that the operation may be tried once more on a fresh file.
    bool handleFailure(int rc, std::string_view operation) const;
    void moveAside(std::string_view reason) const;
    void reportFailure(std::string_view message) const;
    void reportSuccess() const { failureReported = false; }

    std::filesystem::path file;
    Log& log;
    mutable sqlite3* db = nullptr;
    mutable sqlite3_stmt* selectValue = nullptr;
    mutable sqlite3_stmt* upsertValue = nullptr;
    mutable sqlite3_stmt* deleteValue = nullptr;
    mutable sqlite3_stmt* selectKeys = nullptr;
    // One error line per stretch of failures, so a slider moving during an outage logs once.
    mutable bool failureReported = false;
    // Set when a damaged file could not be moved aside: it is left alone for the rest of the run.
    mutable bool unusable = false;
};

} // namespace zentrivo::platform
