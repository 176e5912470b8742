#include "platform/linux/SqliteDefaultsDatabase.h"

#include "tests/fakes/RecordingLog.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <cmath>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <regex>
#include <sqlite3.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo {
namespace {

namespace fs = std::filesystem;
using platform::SqliteDefaultsDatabase;

/// Runs SQL on the file directly, as a user with the sqlite3 tool would; the first value printed.
std::string sql(const fs::path& file, const char* text) {
    const auto keepFirst = [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) = values[0] ? values[0] : "NULL";
        return 1; // the first row is enough
    };
    sqlite3* db = nullptr;
    std::string first;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, text, keepFirst, &first, nullptr);
    sqlite3_close(db);
    return first;
}

/// Without the power to bypass file permissions (effective set only, restored on destruction), a
/// test running as root is stopped by a file without permissions as a user is.
struct WithoutPermissionOverride {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
    WithoutPermissionOverride() {
        ::syscall(SYS_capget, &header, saved);
        __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &header, lowered);
    }
    ~WithoutPermissionOverride() { ::syscall(SYS_capset, &header, saved); }
};

class SqliteDefaultsDatabaseTest : public ::testing::Test {
protected:
    test::TemporaryDirectory dir;
    const fs::path file = dir / "zentrivo" / "defaults.sqlite3";
    test::RecordingLog log;
};

TEST_F(SqliteDefaultsDatabaseTest, ReadingNeverCreatesTheFileAndEveryKindRoundTrips) {
    // clang-format off
    const std::pair<const char*, PropertyValue> values[] = {
        {"bool", true}, {"intMin", std::numeric_limits<std::int64_t>::min()}, {"float", 0.1f},
        {"floatNaN", std::numeric_limits<float>::quiet_NaN()}, {"doubleWhole", 3.0},
        {"stringNul", std::string("a\0b", 3)}, {"stringNotUtf8", std::string("caf\xE9")},
        {"stringNumeric", std::string("42")}, {"dateBefore1970", Date(Date::duration(-86400.25))},
        {"data", Data{{0x00, 0x0a, 0xff}}}, {"dataEmpty", Data{}}};
    // clang-format on
    SqliteDefaultsDatabase writer(file, log);
    EXPECT_FALSE(writer.value("bool"));
    EXPECT_TRUE(writer.keys().empty() && writer.removeValue("bool"));
    EXPECT_FALSE(fs::exists(file.parent_path()));
    for (const auto& [key, value] : values)
        ASSERT_TRUE(writer.setValue(key, value)) << key;
    EXPECT_EQ(sql(file, "PRAGMA journal_mode"), "wal");
    // A second instance reads what the file holds, not a cache.
    SqliteDefaultsDatabase db(file, log);
    for (const auto& [key, value] : values) {
        SCOPED_TRACE(key);
        const auto read = db.value(key);
        ASSERT_TRUE(read);
        if (std::string_view(key) == "floatNaN")
            EXPECT_TRUE(std::holds_alternative<float>(*read) && std::isnan(std::get<float>(*read)));
        else
            EXPECT_EQ(*read, value);
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SqliteDefaultsDatabaseTest, DamagedFilesAreMovedAsideLoggedOnceAndReplaced) {
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "(file is not a database)"}, // garbage bytes
        {"CREATE TABLE defaults (name TEXT, data BLOB)", "(no such column: kind)"},
        {"CREATE TABLE bookmarks (url TEXT)", "(it holds no defaults table)"},
    };
    const std::regex copyName(R"(defaults\.sqlite3\.damaged-\d{8}T\d{6}Z)");
    for (const auto& [create, reason] : cases) {
        SCOPED_TRACE(reason);
        test::TemporaryDirectory root;
        const fs::path f = root / "defaults.sqlite3";
        if (create)
            sql(f, create);
        else
            std::ofstream(f) << std::string(8192, '\x07');
        log.lines.clear();
        const std::string before = test::readFile(f);

        SqliteDefaultsDatabase db(f, log);
        EXPECT_FALSE(db.value("key1"));
        ASSERT_EQ(log.lines.size(), 1u);
        const std::string& message = log.lines[0].message;
        EXPECT_EQ(log.lines[0].level, LogLevel::error);
        EXPECT_NE(message.find("is damaged " + std::string(reason)), std::string::npos) << message;
        std::vector<fs::path> moved;
        for (const auto& entry : fs::directory_iterator(root.path()))
            if (std::regex_match(entry.path().filename().string(), copyName))
                moved.push_back(entry.path());
        ASSERT_EQ(moved.size(), 1u);
        EXPECT_NE(message.find(moved[0].string()), std::string::npos);
        EXPECT_TRUE(test::readFile(moved[0]) == before) << "the copy is kept as it was";

        // Zentrivo carries on with a fresh database, and says nothing more about it.
        EXPECT_TRUE(db.setValue("key1", std::int64_t{1}));
        EXPECT_EQ(SqliteDefaultsDatabase(f, log).value("key1"), PropertyValue{std::int64_t{1}});
        EXPECT_EQ(log.lines.size(), 1u);
    }
}

TEST_F(SqliteDefaultsDatabaseTest, AFileWithoutPermissionIsLeftAsItIs) {
    ASSERT_TRUE(SqliteDefaultsDatabase(file, log).setValue("key1", std::int64_t{7}));
    const std::string before = test::readFile(file);
    const auto entries = [&] {
        return std::distance(fs::directory_iterator(file.parent_path()), {});
    };
    const auto entriesBefore = entries();
    fs::permissions(file, fs::perms::none);
    {
        const WithoutPermissionOverride asUser;
        SqliteDefaultsDatabase db(file, log);
        EXPECT_FALSE(db.value("key1"));
        EXPECT_FALSE(db.setValue("key1", std::int64_t{8}));
    }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(log.lines.size(), 1u);
    const std::string& message = log.lines[0].message;
    EXPECT_EQ(message.find("cannot open the defaults database " + file.string()), 0u) << message;
    EXPECT_NE(message.find("(Permission denied)"), std::string::npos) << message;
    EXPECT_EQ(entries(), entriesBefore) << "nothing is moved aside or added";
    EXPECT_TRUE(test::readFile(file) == before);
    EXPECT_EQ(SqliteDefaultsDatabase(file, log).value("key1"), PropertyValue{std::int64_t{7}});
}

TEST_F(SqliteDefaultsDatabaseTest, TwoProcessesCreatingAndWritingAtOnceLoseNoLastValue) {
    // Both start on a file that does not exist yet when the parent closes the gate, so creating
    // it is raced as well as every write.
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int process = 0; process < 2; ++process)
        if ((children[process] = ::fork()) == 0) {
            ::close(gate[1]);
            char go;
            int status = ::read(gate[0], &go, 1) == 0 ? 0 : 3;
            test::RecordingLog childLog;
            SqliteDefaultsDatabase db(file, childLog);
            for (int n = 0; n < 300 && status == 0; ++n)
                if (!db.setValue(std::to_string(process * 10 + n % 5), std::int64_t{n}))
                    status = 1;
            ::_exit(status != 0 ? status : childLog.lines.empty() ? 0 : 2);
        }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t child : children) {
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(status, 0) << "a failed write or a logged error in a writer";
    }
    SqliteDefaultsDatabase db(file, log);
    EXPECT_EQ(db.keys().size(), 10u);
    for (int process = 0; process < 2; ++process)
        for (std::int64_t k = 0; k < 5; ++k) // the last n with n % 5 == k
            EXPECT_EQ(db.value(std::to_string(process * 10 + k)), PropertyValue{295 + k}) << k;
}

} // namespace
} // namespace zentrivo
