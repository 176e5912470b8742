#include "platform/linux/SqliteDefaultsDatabase.h"

#include "tests/fakes/RecordingLog.h"
#include "tests/unit/platform/ScopedEnvironment.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <regex>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo {
namespace {

namespace fs = std::filesystem;
using platform::SqliteDefaultsDatabase;
using test::RecordingLog;
using test::TemporaryDirectory;

/// Runs one SQL text on the file directly, as a user with the sqlite3 tool would.
std::string sql(const fs::path& file, const std::string& text) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 10000);
        char* error = nullptr;
        sqlite3_exec(
            db, text.c_str(),
            [](void* out, int columns, char** values, char**) {
                auto& r = *static_cast<std::string*>(out);
                for (int i = 0; i < columns; ++i)
                    r += std::string(values[i] ? values[i] : "NULL") +
                         (i + 1 < columns ? "|" : "\n");
                return 0;
            },
            &result, &error);
        if (error) {
            result += std::string("error: ") + error;
            sqlite3_free(error);
        }
    }
    sqlite3_close(db);
    return result;
}

std::vector<fs::path> damagedCopies(const fs::path& folder) {
    std::vector<fs::path> found;
    const std::regex name(R"(defaults\.sqlite3\.damaged-\d{8}T\d{6}Z(-\d+)?)");
    if (fs::exists(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (std::regex_match(entry.path().filename().string(), name))
                found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

bool sameValue(const PropertyValue& a, const PropertyValue& b) {
    if (a.index() != b.index())
        return false;
    if (auto f = std::get_if<float>(&a); f && std::isnan(*f))
        return std::isnan(std::get<float>(b));
    if (auto d = std::get_if<double>(&a); d && std::isnan(*d))
        return std::isnan(std::get<double>(b));
    return a == b;
}

class SqliteDefaultsDatabaseTest : public ::testing::Test {
protected:
    fs::path file() const { return dir / "zentrivo" / "defaults.sqlite3"; }
    TemporaryDirectory dir;
    RecordingLog log;
};

TEST(SqliteDefaultsDatabasePath, FollowsXdgConfigHomeThenHome) {
    struct Case {
        const char* xdg; // nullptr: unset
        const char* expected;
    };
    const Case cases[] = {
        {"/cfg", "/cfg/zentrivo/defaults.sqlite3"},
        {"", "/home/u/.config/zentrivo/defaults.sqlite3"},
        {"relative/cfg", "/home/u/.config/zentrivo/defaults.sqlite3"},
        {nullptr, "/home/u/.config/zentrivo/defaults.sqlite3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdg ? c.xdg : "(unset)");
        test::ScopedEnvironment env;
        env.set("HOME", "/home/u");
        if (c.xdg)
            env.set("XDG_CONFIG_HOME", c.xdg);
        else
            env.unset("XDG_CONFIG_HOME");
        EXPECT_EQ(SqliteDefaultsDatabase::defaultPath(), fs::path(c.expected));
    }
}

TEST_F(SqliteDefaultsDatabaseTest, EveryKindRoundTripsThroughTheFile) {
    const std::pair<const char*, PropertyValue> values[] = {
        {"boolTrue", true},
        {"boolFalse", false},
        {"int", std::int64_t{-42}},
        {"intMax", std::numeric_limits<std::int64_t>::max()},
        {"intMin", std::numeric_limits<std::int64_t>::min()},
        {"float", 0.1f},
        {"floatNaN", std::numeric_limits<float>::quiet_NaN()},
        {"floatInf", -std::numeric_limits<float>::infinity()},
        {"double", 1e300},
        {"doubleWhole", 3.0},
        {"string", std::string("hello, world")},
        {"stringEmpty", std::string()},
        {"stringNul", std::string("a\0b", 3)},
        {"stringNotUtf8", std::string("caf\xE9")},
        {"stringNumeric", std::string("42")},
        {"date", Date(Date::duration(1714564800.5))},
        {"dateBefore1970", Date(Date::duration(-86400.25))},
        {"data", Data{{0x00, 0x0a, 0xff}}},
        {"dataEmpty", Data{}},
    };
    {
        SqliteDefaultsDatabase db(file(), log);
        for (const auto& [key, value] : values)
            ASSERT_TRUE(db.setValue(key, value)) << key;
    }
    // A second instance reads what the file holds, not a cache.
    SqliteDefaultsDatabase db(file(), log);
    for (const auto& [key, value] : values) {
        SCOPED_TRACE(key);
        const auto read = db.value(key);
        ASSERT_TRUE(read);
        EXPECT_TRUE(sameValue(*read, value)) << "kind " << read->index();
    }
    const auto keys = db.keys();
    EXPECT_EQ(keys.size(), std::size(values));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SqliteDefaultsDatabaseTest, OneRowPerKeyAndTheLastKindWins) {
    SqliteDefaultsDatabase db(file(), log);
    ASSERT_TRUE(db.setValue("k", std::int64_t{5}));
    ASSERT_TRUE(db.setValue("k", std::string("five")));
    EXPECT_EQ(db.value("k"), PropertyValue{std::string("five")});
    EXPECT_EQ(db.keys(), std::vector<std::string>{"k"});
    EXPECT_EQ(sql(file(), "SELECT count(*) FROM defaults"), "1\n");

    ASSERT_TRUE(db.removeValue("k"));
    EXPECT_FALSE(db.value("k"));
    EXPECT_TRUE(db.removeValue("k")); // a missing key is removed already
}

TEST_F(SqliteDefaultsDatabaseTest, ReadingNeverCreatesTheFileTheFirstWriteDoes) {
    SqliteDefaultsDatabase db(file(), log);
    EXPECT_FALSE(db.value("safeAreaSize"));
    EXPECT_TRUE(db.keys().empty());
    EXPECT_TRUE(db.removeValue("safeAreaSize"));
    EXPECT_FALSE(fs::exists(file().parent_path()));

    ASSERT_TRUE(db.setValue("safeAreaSize", std::int64_t{30}));
    EXPECT_TRUE(fs::is_regular_file(file()));
    EXPECT_EQ(sql(file(), "PRAGMA journal_mode"), "wal\n");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SqliteDefaultsDatabaseTest, DamagedFilesAreMovedAsideLoggedOnceAndReplaced) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> damage;
        const char* reason;
    };
    const Case cases[] = {
        {"garbage bytes",
         [](const fs::path& f) {
             std::string junk(8192, '\0');
             for (std::size_t i = 0; i < junk.size(); ++i)
                 junk[i] = static_cast<char>((i * 7919) % 251);
             std::ofstream(f, std::ios::binary) << junk;
         },
         "(file is not a database)"},
        {"another program's database",
         [](const fs::path& f) { sql(f, "CREATE TABLE defaults (name TEXT, data BLOB)"); },
         "(no such column: kind)"},
        {"a database of tables that are not ours",
         [](const fs::path& f) { sql(f, "CREATE TABLE bookmarks (url TEXT)"); },
         "(it holds no defaults table)"},
        {"a damaged page of a real one",
         [this](const fs::path& f) {
             SqliteDefaultsDatabase(f, log).setValue("key0", std::string(100, 'x'));
             sql(f,
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                 "INSERT INTO defaults SELECT 'key' || i, 'string', printf('%.100c', 'x') FROM n;"
                 "PRAGMA wal_checkpoint(TRUNCATE)");
             std::fstream out(f, std::ios::in | std::ios::out | std::ios::binary);
             out.seekp(4096 + 16);
             out << std::string(2000, '\x5a');
         },
         "(integrity check: "},
        {"a folder where the file belongs", [](const fs::path& f) { fs::create_directories(f); },
         "(unable to open database file)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryDirectory root;
        const fs::path f = root / "defaults.sqlite3";
        c.damage(f);
        log.lines.clear();
        const std::string before = fs::is_regular_file(f) ? test::readFile(f) : "";

        SqliteDefaultsDatabase db(f, log);
        EXPECT_FALSE(db.value("key1"));
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].level, LogLevel::error);
        EXPECT_NE(log.lines[0].message.find("is damaged " + std::string(c.reason)),
                  std::string::npos)
            << log.lines[0].message;
        EXPECT_EQ(log.lines[0].message.find('\n'), std::string::npos);
        const auto moved = damagedCopies(root.path());
        ASSERT_EQ(moved.size(), 1u);
        EXPECT_NE(log.lines[0].message.find(moved[0].string()), std::string::npos);
        if (!before.empty()) {
            EXPECT_TRUE(test::readFile(moved[0]) == before) << "the copy is kept as it was";
        }

        // Zentrivo carries on with a fresh database, and says nothing more about it.
        EXPECT_TRUE(db.setValue("key1", std::int64_t{1}));
        EXPECT_EQ(db.value("key1"), PropertyValue{std::int64_t{1}});
        EXPECT_EQ(SqliteDefaultsDatabase(f, log).value("key1"), PropertyValue{std::int64_t{1}});
        EXPECT_EQ(log.lines.size(), 1u);
    }
}

TEST_F(SqliteDefaultsDatabaseTest, ASecondDamagedFileNeverReplacesTheFirstCopy) {
    fs::create_directories(file().parent_path());
    for (const char* junk : {"first junk, not a database at all", "second junk, not one either"}) {
        std::ofstream(file(), std::ios::binary) << std::string(junk) + std::string(600, '!');
        SqliteDefaultsDatabase db(file(), log);
        EXPECT_FALSE(db.value("k"));
    }
    const auto moved = damagedCopies(file().parent_path());
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_NE(test::readFile(moved[0]), test::readFile(moved[1]));
    EXPECT_EQ(log.lines.size(), 2u);
}

TEST_F(SqliteDefaultsDatabaseTest, RowsEditedByHandReadAsMissingNeverCrash) {
    {
        SqliteDefaultsDatabase db(file(), log);
        ASSERT_TRUE(db.setValue("good", std::int64_t{7}));
    }
    sql(file(), "INSERT INTO defaults VALUES ('unknownKind', 'colour', 1);"
                "INSERT INTO defaults VALUES ('intAsText', 'int', 'seven');"
                "INSERT INTO defaults VALUES ('boolAsReal', 'bool', 0.5);"
                "INSERT INTO defaults VALUES ('floatTooBig', 'float', 1e300);"
                "INSERT INTO defaults VALUES ('stringAsBlob', 'string', x'00ff');"
                "INSERT INTO defaults VALUES ('dataAsText', 'data', 'abc');"
                "INSERT INTO defaults VALUES ('dateAsText', 'date', '2024-01-01');"
                "INSERT INTO defaults VALUES ('dateAsInteger', 'date', 86400);"
                "INSERT INTO defaults VALUES ('floatNull', 'float', NULL);");
    SqliteDefaultsDatabase db(file(), log);
    for (const char* key : {"unknownKind", "intAsText", "boolAsReal", "floatTooBig", "stringAsBlob",
                            "dataAsText", "dateAsText"}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(db.value(key));
    }
    EXPECT_EQ(db.value("dateAsInteger"), PropertyValue{Date(Date::duration(86400))});
    const auto nan = db.value("floatNull");
    ASSERT_TRUE(nan && std::holds_alternative<float>(*nan));
    EXPECT_TRUE(std::isnan(std::get<float>(*nan)));
    EXPECT_EQ(db.value("good"), PropertyValue{std::int64_t{7}});
    EXPECT_EQ(db.keys().size(), 10u);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(damagedCopies(file().parent_path()).empty());
}

/// Starts a child that runs `body` and exits with its result; the child never returns into the
/// test framework.
pid_t forkChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

int exitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(SqliteDefaultsDatabaseTest, TwoProcessesWritingDifferentKeysLoseNothing) {
    constexpr int writes = 300;
    constexpr int keysPerProcess = 7;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        children.push_back(forkChild([&, process] {
            ::close(gate[1]);
            char go;
            if (::read(gate[0], &go, 1) != 0) // both start when the parent closes the gate
                return 3;
            RecordingLog childLog;
            SqliteDefaultsDatabase db(file(), childLog);
            for (int n = 0; n < writes; ++n) {
                const std::string key =
                    "p" + std::to_string(process) + ".k" + std::to_string(n % keysPerProcess);
                if (!db.setValue(key, std::int64_t{n}))
                    return 1;
            }
            return childLog.lines.empty() ? 0 : 2;
        }));
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t child : children)
        EXPECT_EQ(exitStatus(child), 0);

    SqliteDefaultsDatabase db(file(), log);
    EXPECT_EQ(db.keys().size(), 2u * keysPerProcess);
    for (int process = 0; process < 2; ++process)
        for (int k = 0; k < keysPerProcess; ++k) {
            const std::int64_t last = (writes - 1) - ((writes - 1 - k) % keysPerProcess);
            EXPECT_EQ(db.value("p" + std::to_string(process) + ".k" + std::to_string(k)),
                      PropertyValue{last})
                << process << "/" << k;
        }
}

TEST_F(SqliteDefaultsDatabaseTest, AWriterKilledMidWriteLeavesAnIntactDatabase) {
    int progress[2];
    ASSERT_EQ(::pipe(progress), 0);
    const pid_t child = forkChild([&] {
        ::close(progress[0]);
        RecordingLog childLog;
        SqliteDefaultsDatabase db(file(), childLog);
        // Large values keep every commit busy writing pages when the kill arrives.
        const std::string big(64 * 1024, 'v');
        for (std::int64_t n = 0;; ++n) {
            db.setValue("counter", n);
            db.setValue("big" + std::to_string(n % 5), big + std::to_string(n));
            if (n == 20) {
                const char ready = 'r';
                if (::write(progress[1], &ready, 1) != 1)
                    return 1;
            }
        }
    });
    ::close(progress[1]);
    char ready = 0;
    const auto got = ::read(progress[0], &ready, 1);
    ::close(progress[0]);
    ::kill(child, SIGKILL);
    EXPECT_EQ(exitStatus(child), 128 + SIGKILL);
    ASSERT_EQ(got, 1);

    EXPECT_EQ(sql(file(), "PRAGMA integrity_check"), "ok\n");
    SqliteDefaultsDatabase db(file(), log);
    const auto counter = db.value("counter");
    ASSERT_TRUE(counter);
    EXPECT_GE(std::get<std::int64_t>(*counter), 20);
    EXPECT_TRUE(db.setValue("after", true));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(damagedCopies(file().parent_path()).empty());
}

} // namespace
} // namespace zentrivo
