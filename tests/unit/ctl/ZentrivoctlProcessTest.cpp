// Runs the built zentrivoctl against a private settings folder.
#include "platform/linux/SqliteDefaultsDatabase.h"
#include "tests/fakes/RecordingLog.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <cstring>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo {
namespace {

namespace fs = std::filesystem;
using test::TemporaryDirectory;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class ZentrivoctlProcessTest : public ::testing::Test {
protected:
    ZentrivoctlProcessTest() {
        // A desktop of our own: a file manager is the only application, so the default near
        // panel is known exactly.
        home.write("data/applications/org.test.Files.desktop",
                   "[Desktop Entry]\nType=Application\nName=Files\nExec=/bin/true %U\n"
                   "MimeType=inode/directory;\n");
        home.write("config/mimeapps.list",
                   "[Default Applications]\ninode/directory=org.test.Files.desktop\n");
        fs::create_directories(home / "datadirs");
        fs::create_directories(home / "configdirs");
    }

    fs::path databaseFile() const { return home / "config/zentrivo/defaults.sqlite3"; }

    /// Runs zentrivoctl with exactly the environment the test chooses (the sanitizer settings
    /// are passed on), collecting its output and exit status.
    Outcome run(const std::vector<std::string>& args) const {
        std::vector<std::string> env = {
            "HOME=" + home.path().string(),
            "XDG_CONFIG_HOME=" + (home / "config").string(),
            "XDG_DATA_HOME=" + (home / "data").string(),
            "XDG_DATA_DIRS=" + (home / "datadirs").string(),
            "XDG_CONFIG_DIRS=" + (home / "configdirs").string(),
            "XDG_RUNTIME_DIR=" + home.path().string(),
            "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/zentrivo-test-bus",
            "GIO_USE_VFS=local",
            "PATH=/usr/bin:/bin",
        };
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* value = std::getenv(name))
                env.push_back(std::string(name) + "=" + value);

        std::vector<char*> argv{const_cast<char*>(ZENTRIVOCTL_PATH)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        int outPipe[2], errPipe[2];
        if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0)
            return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
        pid_t pid = 0;
        const int spawned =
            ::posix_spawn(&pid, ZENTRIVOCTL_PATH, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(outPipe[1]);
        ::close(errPipe[1]);

        Outcome result;
        // Drain both pipes together so a chatty child can never block on a full one.
        pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
        std::string* sinks[2] = {&result.out, &result.err};
        int open = 2;
        while (spawned == 0 && open > 0 && ::poll(fds, 2, -1) > 0) {
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                    continue;
                char buffer[4096];
                const auto n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(n));
                } else {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        int status = 0;
        if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.status = WEXITSTATUS(status);
        return result;
    }

    /// Everything SQLite keeps on disk for the database, to show that nothing was written.
    std::string diskState() const {
        return test::readFile(databaseFile()) + "|" +
               test::readFile(databaseFile().string() + "-wal");
    }

    TemporaryDirectory home;
};

const std::string defaultNear = R"({"id":0,"t":{"stringValue":"org.test.Files","type":0}})";

TEST_F(ZentrivoctlProcessTest, ReadingAFreshSetupCreatesNothing) {
    Outcome r = run({"defaults", "read"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    r = run({"defaults", "read", "hoverMillis"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("hoverMillis"), std::string::npos);
    r = run({"panels"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, defaultNear + "\n{\"id\":1}\n");
    EXPECT_FALSE(fs::exists(databaseFile().parent_path()));
}

TEST_F(ZentrivoctlProcessTest, EveryKindRoundTripsThroughTheRealDatabase) {
    struct Case {
        const char* key;
        const char* type;
        const char* value;
        const char* printed;
        PropertyValue stored;
    };
    const Case cases[] = {
        {"anInt", "-int", "-9000000000", "-9000000000", std::int64_t{-9000000000}},
        {"aFloat", "-float", "0.3", "0.3", 0.3f},
        {"aBool", "-bool", "yes", "1", true},
        {"aString", "-string", "two words, ünïcode", "two words, ünïcode",
         std::string("two words, ünïcode")},
        {"aDate", "-date", "2024-05-01T14:00:00.5+02:00", "2024-05-01T12:00:00.5Z",
         Date(Date::duration(1714564800.5))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Outcome r = run({"defaults", "write", c.key, c.type, c.value});
        ASSERT_EQ(r.status, 0) << r.err;
        r = run({"defaults", "read", c.key});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, std::string(c.printed) + "\n");
    }
    EXPECT_EQ(run({"defaults", "read"}).out, "aBool = 1\n"
                                             "aDate = 2024-05-01T12:00:00.5Z\n"
                                             "aFloat = 0.3\n"
                                             "aString = two words, ünïcode\n"
                                             "anInt = -9000000000\n");

    // The file holds each value with its kind, as the program will read it.
    test::RecordingLog log;
    platform::SqliteDefaultsDatabase db(databaseFile(), log);
    for (const auto& c : cases)
        EXPECT_EQ(db.value(c.key), c.stored) << c.key;

    EXPECT_EQ(run({"defaults", "delete", "aBool"}).status, 0);
    EXPECT_EQ(run({"defaults", "read", "aBool"}).status, 1);
    EXPECT_FALSE(db.value("aBool"));
}

TEST_F(ZentrivoctlProcessTest, BadInputExitsTwoAndLeavesTheFileAlone) {
    const std::vector<std::vector<std::string>> bad = {
        {"defaults", "write", "hoverMillis", "-int", "eight hundred"},
        {"defaults", "write", "hoverMillis", "-int"},
        {"defaults", "write", "hoverMillis", "-long", "800"},
        {"defaults", "write", "lastCloudSync", "-date", "2024-05-01"},
        {"defaults", "remove", "hoverMillis"},
        {"--verbose"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(args.back());
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("zentrivoctl: "), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(databaseFile()));

    ASSERT_EQ(run({"defaults", "write", "hoverMillis", "-int", "800"}).status, 0);
    const std::string before = diskState();
    for (const auto& args : bad)
        EXPECT_EQ(run(args).status, 2);
    EXPECT_EQ(diskState(), before);
    EXPECT_EQ(run({"defaults", "read", "hoverMillis"}).out, "800\n");
}

TEST_F(ZentrivoctlProcessTest, PanelsReflectAStoredPanelOrTheDefaultForEmptyText) {
    ASSERT_EQ(run({"defaults", "write", "mainReticleSpec", "-string", "{}"}).status, 0);
    Outcome r = run({"panels"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, defaultNear + "\n{\"id\":1}\n");
    EXPECT_EQ(run({"defaults", "read", "mainReticleSpec"}).out, "{}\n");

    const std::string near = R"({"id":0,"l":{"stringValue":"org.test.Term","type":3}})";
    const std::string far = R"({"id":1,"br":{"stringValue":"","type":2}})";
    ASSERT_EQ(run({"defaults", "write", "mainReticleSpec", "-string", near}).status, 0);
    ASSERT_EQ(run({"defaults", "write", "farReticleSpec", "-string", far}).status, 0);
    r = run({"panels"});
    EXPECT_EQ(r.out, near + "\n" + far + "\n");
}

TEST_F(ZentrivoctlProcessTest, ADamagedDatabaseIsMovedAsideAndReported) {
    home.write("config/zentrivo/defaults.sqlite3", std::string(3000, '\x07'));
    Outcome r = run({"defaults", "read"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("com-tovelane-Zentrivo "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(databaseFile()));

    ASSERT_EQ(run({"defaults", "write", "safeAreaSize", "-int", "30"}).status, 0);
    r = run({"defaults", "read", "safeAreaSize"});
    EXPECT_EQ(r.out, "30\n");
    EXPECT_EQ(r.err, "");
}

} // namespace
} // namespace zentrivo
