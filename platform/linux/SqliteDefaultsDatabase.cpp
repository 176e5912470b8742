#include "SqliteDefaultsDatabase.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <pwd.h>
#include <sqlite3.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace zentrivo::platform {
namespace {

namespace fs = std::filesystem;

// A second writer (zentrivoctl, another start of the program) holds the lock for a few
// milliseconds per write; waiting this long only matters on a machine that is stuck anyway.
constexpr int busyTimeoutMillis = 10000;

constexpr const char* schema = "CREATE TABLE IF NOT EXISTS defaults ("
                               "key TEXT PRIMARY KEY NOT NULL, kind TEXT NOT NULL, value)";

// The kind column keeps a value's kind; the value column has no type affinity, so SQLite stores
// each value exactly as bound.
constexpr const char* kindBool = "bool";
constexpr const char* kindInt = "int";
constexpr const char* kindFloat = "float";
constexpr const char* kindDouble = "double";
constexpr const char* kindString = "string";
constexpr const char* kindDate = "date";
constexpr const char* kindData = "data";

int primary(int rc) {
    return rc & 0xff;
}

/// Results that mean the file is not a usable defaults database, as opposed to one that is busy,
/// an I/O problem that may pass, or a file we may not open (permissions, a folder in its place):
/// moving such a file aside would lose the user's settings to a problem the user can mend.
bool meansDamaged(int rc) {
    switch (primary(rc)) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_ERROR: // a file of ours always has our table; anything else is somebody's file
        return true;
    default:
        return false;
    }
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &tm);
    return text;
}

/// Renames without ever replacing an existing file. Returns 0 or an errno value.
int renameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: link then unlink never replaces either.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

/// Resets a statement and drops its bindings when the operation using it ends.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : statement(statement) {}
    ~StatementUse() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* statement;
};

int bindKey(sqlite3_stmt* statement, std::string_view key) {
    return sqlite3_bind_text64(statement, 1, key.data(), key.size(), SQLITE_STATIC, SQLITE_UTF8);
}

int bindValue(sqlite3_stmt* statement, const PropertyValue& value) {
    auto kind = [&](const char* name) {
        return sqlite3_bind_text(statement, 2, name, -1, SQLITE_STATIC);
    };
    auto both = [](int a, int b) { return a != SQLITE_OK ? a : b; };
    if (auto v = std::get_if<bool>(&value))
        return both(kind(kindBool), sqlite3_bind_int64(statement, 3, *v ? 1 : 0));
    if (auto v = std::get_if<std::int64_t>(&value))
        return both(kind(kindInt), sqlite3_bind_int64(statement, 3, *v));
    // SQLite stores a NaN as NULL; the kind column keeps it a float, and reading turns the NULL
    // back into NaN.
    if (auto v = std::get_if<float>(&value))
        return both(kind(kindFloat), sqlite3_bind_double(statement, 3, *v));
    if (auto v = std::get_if<double>(&value))
        return both(kind(kindDouble), sqlite3_bind_double(statement, 3, *v));
    if (auto v = std::get_if<std::string>(&value))
        return both(kind(kindString), sqlite3_bind_text64(statement, 3, v->data(), v->size(),
                                                          SQLITE_STATIC, SQLITE_UTF8));
    if (auto v = std::get_if<Date>(&value))
        return both(kind(kindDate),
                    sqlite3_bind_double(statement, 3, v->time_since_epoch().count()));
    const auto& bytes = std::get<Data>(value).bytes;
    // A null pointer would bind NULL, not an empty blob.
    return both(kind(kindData), bytes.empty() ? sqlite3_bind_zeroblob(statement, 3, 0)
                                              : sqlite3_bind_blob64(statement, 3, bytes.data(),
                                                                    bytes.size(), SQLITE_STATIC));
}

/// The value of a row, or none when its kind is unknown or its value does not fit the kind (a
/// row edited by hand, say).
std::optional<PropertyValue> decodeRow(sqlite3_stmt* statement) {
    const auto* kindText = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    if (!kindText)
        return std::nullopt;
    const std::string_view kind(kindText);
    const int type = sqlite3_column_type(statement, 1);
    const bool isNumber = type == SQLITE_INTEGER || type == SQLITE_FLOAT;

    if (kind == kindBool && type == SQLITE_INTEGER)
        return PropertyValue{sqlite3_column_int64(statement, 1) != 0};
    if (kind == kindInt && type == SQLITE_INTEGER)
        return PropertyValue{static_cast<std::int64_t>(sqlite3_column_int64(statement, 1))};
    if (kind == kindFloat || kind == kindDouble) {
        double d = std::numeric_limits<double>::quiet_NaN();
        if (isNumber)
            d = sqlite3_column_double(statement, 1);
        else if (type != SQLITE_NULL)
            return std::nullopt;
        if (kind == kindDouble)
            return PropertyValue{d};
        // Narrowing a finite double beyond the float range is undefined; such a row is damaged.
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX)
            return std::nullopt;
        return PropertyValue{static_cast<float>(d)};
    }
    if (kind == kindString && type == SQLITE_TEXT) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        const int size = sqlite3_column_bytes(statement, 1);
        return PropertyValue{std::string(text ? text : "", static_cast<std::size_t>(size))};
    }
    if (kind == kindDate && isNumber)
        return PropertyValue{Date(Date::duration(sqlite3_column_double(statement, 1)))};
    if (kind == kindData && type == SQLITE_BLOB) {
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, 1));
        const int size = sqlite3_column_bytes(statement, 1);
        Data data;
        if (bytes)
            data.bytes.assign(bytes, bytes + size);
        return PropertyValue{std::move(data)};
    }
    return std::nullopt;
}

} // namespace

SqliteDefaultsDatabase::SqliteDefaultsDatabase(std::filesystem::path path, Log& log) : log(log) {
    // An absolute path is never taken for an SQLite URI ("file:...").
    std::error_code ec;
    file = fs::absolute(path, ec);
    if (ec)
        file = std::move(path);
}

SqliteDefaultsDatabase::~SqliteDefaultsDatabase() {
    close();
}

std::filesystem::path SqliteDefaultsDatabase::defaultPath() {
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        config = xdg;
    else {
        fs::path home;
        if (const char* env = std::getenv("HOME"); env && *env)
            home = env;
        else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
            home = pw->pw_dir;
        if (home.empty())
            return {};
        config = home / ".config";
    }
    return config / "zentrivo" / "defaults.sqlite3";
}

void SqliteDefaultsDatabase::close() const {
    for (sqlite3_stmt** statement : {&selectValue, &upsertValue, &deleteValue, &selectKeys}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (db) {
        sqlite3_close_v2(db);
        db = nullptr;
    }
}

int SqliteDefaultsDatabase::openAndCheck(bool create, std::string& detail) const {
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
    auto fail = [&](int code) {
        detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
        // "unable to open database file" alone does not tell the user what to mend.
        if (const int err = db ? sqlite3_system_errno(db) : 0;
            primary(code) == SQLITE_CANTOPEN && err != 0)
            detail += std::string(" (") + std::strerror(err) + ")";
        return code;
    };
    if (rc != SQLITE_OK)
        return fail(rc);
    sqlite3_busy_timeout(db, busyTimeoutMillis);

    // Everything up to the pragmas below only reads, so a file that turns out not to be ours is
    // moved aside exactly as it was found.
    std::string verdict;
    if ((rc = firstText("PRAGMA quick_check", verdict)) != SQLITE_OK)
        return fail(rc);
    if (verdict != "ok") {
        // The verdict spans lines; the log gets one.
        std::replace(verdict.begin(), verdict.end(), '\n', ' ');
        detail = "integrity check: " + verdict.substr(0, 200);
        return SQLITE_CORRUPT;
    }
    std::string objects, ours;
    if ((rc = firstText("SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'",
                        objects)) != SQLITE_OK ||
        (rc = firstText("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                        "name = 'defaults'",
                        ours)) != SQLITE_OK)
        return fail(rc);
    if (ours == "0" && objects != "0") {
        detail = "it holds no defaults table";
        return SQLITE_NOTADB;
    }
    // Preparing checks the columns and the key's uniqueness of a table found in the file.
    if (ours != "0" && (rc = prepareStatements()) != SQLITE_OK)
        return fail(rc);

    // WAL lets readers and one writer work side by side; FULL makes each commit durable.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"})
        if ((rc = sqlite3_exec(db, pragma, nullptr, nullptr, nullptr)) != SQLITE_OK)
            return fail(rc);
    if (ours == "0") {
        if ((rc = sqlite3_exec(db, schema, nullptr, nullptr, nullptr)) != SQLITE_OK ||
            (rc = prepareStatements()) != SQLITE_OK)
            return fail(rc);
    }
    return SQLITE_OK;
}

int SqliteDefaultsDatabase::openWaitingOutOthers(bool create, std::string& detail) const {
    // Some steps of opening (switching to WAL above all) report a busy database at once instead
    // of calling the busy handler, so a second process creating or opening the file at the same
    // moment has to be waited out here, as long as any writer would be.
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(busyTimeoutMillis);
    auto pause = milliseconds(1);
    for (;;) {
        const int rc = openAndCheck(create, detail);
        const bool busy = primary(rc) == SQLITE_BUSY || primary(rc) == SQLITE_LOCKED;
        if (!busy || steady_clock::now() >= deadline)
            return rc;
        close();
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, milliseconds(50));
    }
}

int SqliteDefaultsDatabase::firstText(const char* query, std::string& text) const {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, query, -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_step(statement);
    text.clear();
    if (rc == SQLITE_ROW)
        if (const auto* value = sqlite3_column_text(statement, 0))
            text = reinterpret_cast<const char*>(value);
    sqlite3_finalize(statement);
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int SqliteDefaultsDatabase::prepareStatements() const {
    const std::pair<sqlite3_stmt**, const char*> statements[] = {
        {&selectValue, "SELECT kind, value FROM defaults WHERE key = ?1"},
        {&upsertValue,
         "INSERT INTO defaults (key, kind, value) VALUES (?1, ?2, ?3) "
         "ON CONFLICT (key) DO UPDATE SET kind = excluded.kind, value = excluded.value"},
        {&deleteValue, "DELETE FROM defaults WHERE key = ?1"},
        {&selectKeys, "SELECT key FROM defaults ORDER BY key"},
    };
    for (const auto& [statement, sql] : statements) {
        const int rc =
            sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

bool SqliteDefaultsDatabase::ensureOpen(Access access) const {
    if (db)
        return true;
    if (unusable)
        return false;
    std::error_code ec;
    const bool exists = fs::exists(fs::symlink_status(file, ec));
    if (!exists) {
        if (access == Access::read)
            return false;
        fs::create_directories(file.parent_path(), ec);
        if (ec) {
            reportFailure("cannot create the folder of the defaults database " +
                          file.parent_path().string() + ": " + ec.message());
            return false;
        }
    }
    std::string detail;
    int rc = openWaitingOutOthers(!exists, detail);
    if (rc == SQLITE_OK)
        return true;
    close();
    if (exists && meansDamaged(rc)) {
        moveAside(detail);
        if (unusable || access == Access::read)
            return false;
        rc = openWaitingOutOthers(true, detail);
        if (rc == SQLITE_OK)
            return true;
        close();
    }
    reportFailure("cannot open the defaults database " + file.string() + ": " + detail);
    return false;
}

void SqliteDefaultsDatabase::moveAside(std::string_view reason) const {
    close();
    const std::string base = file.string() + ".damaged-" + utcStamp();
    fs::path target = base;
    int err = renameNoReplace(file, target);
    for (int n = 2; err == EEXIST && n < 100; ++n) {
        target = base + "-" + std::to_string(n);
        err = renameNoReplace(file, target);
    }
    if (err != 0) {
        // Keep away from the file for the rest of the run rather than write over it.
        unusable = true;
        reportFailure("the defaults database " + file.string() + " is damaged (" +
                      std::string(reason) + ") and could not be moved aside (" +
                      std::strerror(err) + "); settings use their fallbacks");
        return;
    }
    // A leftover write-ahead log must not be replayed into the fresh database.
    for (const char* suffix : {"-wal", "-shm"}) {
        const fs::path side = file.string() + suffix;
        std::error_code ec;
        if (fs::exists(fs::symlink_status(side, ec)))
            renameNoReplace(side, target.string() + suffix);
    }
    failureReported = false;
    reportFailure("the defaults database " + file.string() + " is damaged (" + std::string(reason) +
                  "); moved it aside to " + target.string() + " and started a fresh one");
}

void SqliteDefaultsDatabase::reportFailure(std::string_view message) const {
    if (failureReported)
        return;
    failureReported = true;
    log.error(message);
}

bool SqliteDefaultsDatabase::handleFailure(int rc, std::string_view operation) const {
    const std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (primary(rc) == SQLITE_CORRUPT || primary(rc) == SQLITE_NOTADB) {
        moveAside(detail);
        return !unusable;
    }
    reportFailure(std::string(operation) + " in the defaults database " + file.string() +
                  " failed: " + detail);
    return false;
}

std::optional<PropertyValue> SqliteDefaultsDatabase::value(std::string_view key) const {
    if (!ensureOpen(Access::read))
        return std::nullopt;
    const StatementUse use(selectValue);
    int rc = bindKey(selectValue, key);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(selectValue);
    if (rc == SQLITE_ROW) {
        reportSuccess();
        return decodeRow(selectValue);
    }
    if (rc == SQLITE_DONE) {
        reportSuccess();
        return std::nullopt;
    }
    handleFailure(rc, "reading " + std::string(key));
    return std::nullopt;
}

bool SqliteDefaultsDatabase::setValue(std::string_view key, const PropertyValue& value) {
    // One retry, on the fresh file that replaces a damaged one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen(Access::write))
            return false;
        const StatementUse use(upsertValue);
        int rc = bindKey(upsertValue, key);
        if (rc == SQLITE_OK)
            rc = bindValue(upsertValue, value);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(upsertValue);
        if (rc == SQLITE_DONE) {
            reportSuccess();
            return true;
        }
        if (!handleFailure(rc, "writing " + std::string(key)))
            return false;
    }
    return false;
}

bool SqliteDefaultsDatabase::removeValue(std::string_view key) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Nothing to remove from a file that does not exist.
        if (!ensureOpen(Access::read))
            return !unusable && !fs::exists(file);
        const StatementUse use(deleteValue);
        int rc = bindKey(deleteValue, key);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(deleteValue);
        if (rc == SQLITE_DONE) {
            reportSuccess();
            return true;
        }
        if (!handleFailure(rc, "removing " + std::string(key)))
            return false;
    }
    return false;
}

std::vector<std::string> SqliteDefaultsDatabase::keys() const {
    std::vector<std::string> result;
    if (!ensureOpen(Access::read))
        return result;
    const StatementUse use(selectKeys);
    int rc;
    while ((rc = sqlite3_step(selectKeys)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(selectKeys, 0));
        const int size = sqlite3_column_bytes(selectKeys, 0);
        result.emplace_back(text ? text : "", static_cast<std::size_t>(size));
    }
    if (rc != SQLITE_DONE) {
        handleFailure(rc, "listing the keys");
        return {};
    }
    reportSuccess();
    return result;
}

} // namespace zentrivo::platform
