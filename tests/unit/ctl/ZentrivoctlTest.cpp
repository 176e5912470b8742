#include "ctl/Zentrivoctl.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace zentrivo {
namespace {

using namespace testing;

/// A running Zentrivo that records what it was sent ("url ...", "changed key...").
class RecordingZentrivo final : public RunningZentrivo {
public:
    Outcome openURL(const std::string& url, std::string& error) override {
        sent += "url " + url;
        error = "refused";
        return answer;
    }
    void settingsChanged(const std::vector<std::string>& keys) override {
        sent += "changed";
        for (const auto& key : keys)
            sent += " " + key;
        sent += ";";
    }
    Outcome answer = Outcome::done;
    std::string sent;
};

struct ZentrivoctlTest : ::testing::Test {
    /// The exit status, what went to stdout and what went to stderr: "status|out|err".
    std::string run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = runZentrivoctl(args, out, err, db, profile, &running);
        return std::to_string(status) + "|" + out.str() + "|" + err.str();
    }
    test::FakeDefaultsDatabase db;
    test::FreedesktopTestProfile profile; // its default near panel is empty
    RecordingZentrivo running;
};

TEST_F(ZentrivoctlTest, WriteStoresEachKindAndReadPrintsItBack) {
    const std::string unknown = "zentrivoctl: warning: 'someKey' is no setting of Zentrivo; "
                                "nothing reads it\n";
    // Key, type option, value, what is stored, what read prints, the warning of the write.
    const std::tuple<const char*, const char*, const char*, PropertyValue, const char*, std::string>
        cases[] = {
            {"hoverMillis", "-int", "+7", std::int64_t{7}, "7", ""},
            {"someKey", "-int", "-9223372036854775808", INT64_MIN, "-9223372036854775808", unknown},
            {"lastVersion", "-int", "41", std::int64_t{41}, "41",
             "zentrivoctl: warning: 'lastVersion' is a -string setting; Zentrivo may read this "
             "-int value as unset\n"},
            {"outerSafeArea", "-float", "0.1", 0.1f, "0.1", ""},
            {"hoverMillis", "-float", "0.1", 0.1f, "0.1",
             "zentrivoctl: warning: 'hoverMillis' is a -int setting; Zentrivo may read this "
             "-float value as unset\n"},
            {"hideMenuBarIcon", "-bool", "YES", true, "1", ""},
            {"lastVersion", "-string", "", std::string(), "", ""},
            {"someKey", "-string", "a\nb\r\tc\x01\x7f\\n\xc3\xa9",
             std::string("a\nb\r\tc\x01\x7f\\n\xc3\xa9"), R"(a\nb\r\tc\x01\x7f\né)", unknown},
            {"lastCloudSync", "-date", "2024-05-01T14:00:00.5+02:00",
             Date(Date::duration(1714564800.5)), "2024-05-01T12:00:00.5Z", ""},
        };
    for (const auto& [key, type, value, stored, printed, warning] : cases) {
        SCOPED_TRACE(std::string(key) + " " + type + " " + value);
        EXPECT_EQ(run({"defaults", "write", key, type, value}), "0||" + warning);
        EXPECT_EQ(db.values[key], stored);
        EXPECT_EQ(run({"defaults", "read", key}), "0|" + std::string(printed) + "\n|");
    }
    // Every value on a line of its own.
    EXPECT_EQ(run({"defaults", "read"}),
              "0|hideMenuBarIcon = 1\nhoverMillis = 0.1\nlastCloudSync = 2024-05-01T12:00:00.5Z\n"
              "lastVersion = \nouterSafeArea = 0.1\n"
              R"(someKey = a\nb\r\tc\x01\x7f\né)"
              "\n|");
}

TEST_F(ZentrivoctlTest, BadInputExitsTwoNamesTheProblemAndWritesNothing) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "missing command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--verbose", "defaults", "read"}, "unknown option '--verbose'"},
        {{"defaults", "copy"}, "unknown subcommand 'copy'"},
        {{"defaults", "write", "k"}, "missing type"},
        {{"defaults", "write", "k", "-int"}, "missing value after -int"},
        {{"defaults", "write", "k", "-integer", "5"}, "unknown type option '-integer'"},
        {{"defaults", "write", "k", "-int", " 5"}, "' 5' is not a whole number"},
        {{"defaults", "write", "k", "-int", "9223372036854775808"}, "out of the range"},
        {{"defaults", "write", "k", "-float", "nan"}, "not a finite number"},
        {{"defaults", "write", "k", "-bool", "maybe"}, "'maybe' is not a bool"},
        {{"defaults", "write", "k", "-date", "2024-05-01T12:00:00"}, "not an ISO 8601 date"},
        {{"defaults", "write", "k", "-date", "2023-02-29T00:00:00Z"}, "not an ISO 8601 date"},
        {{"defaults", "write", "k", "-int", "5", "6"}, "unexpected argument '6'"},
        {{"defaults", "write", "-int", "5"}, "missing key before '-int'"},
        {{"defaults", "write", "", "-int", "5"}, "the key is empty"},
        {{"defaults", "read", "k", "extra"}, "unexpected argument 'extra'"},
        {{"show", "--appear-dist", " 40"}, "show: ' 40' is not a distance in pixels, such as 40"},
        {{"show", "--appear-dist"}, "show: missing distance after --appear-dist"},
        {{"show", "40"}, "show: unknown argument '40' (use --appear-dist N)"},
        {{"show", "--appear-dist", "4", "5"}, "unexpected argument '5'"},
        {{"close", "--no-execute", "x"}, "unexpected argument 'x'"},
        {{"close", "--dry"}, "close: unknown argument '--dry' (use --no-execute)"},
    };
    for (const auto& [args, named] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const std::string r = run(args);
        EXPECT_THAT(r, AllOf(StartsWith("2||zentrivoctl: "), HasSubstr(named),
                             EndsWith("; see zentrivoctl --help\n")));
        EXPECT_EQ(std::count(r.begin(), r.end(), '\n'), 1) << "one line";
    }
    EXPECT_EQ(db.reads + db.writes, 0) << "bad input never reaches the database";
    EXPECT_EQ(running.sent, "");
}

TEST_F(ZentrivoctlTest, ReadDeleteAndPanelsFollowTheDatabaseAndMissingKeysExitOne) {
    const std::string far = R"({"id":1,"bl":{"stringValue":"/home/u/notes.txt","type":1}})";
    // Each command in turn and "status|out|err"; a missing key exits 1 and names the key. Only
    // what was stored or deleted is announced to the running program.
    const std::pair<std::vector<std::string>, std::string> steps[] = {
        {{"defaults", "read", "hoverMillis"}, "1||"},
        {{"defaults", "delete", "hoverMillis"}, "1||"},
        {{"defaults", "write", "hoverMillis", "-int", "800"}, "0||"},
        {{"defaults", "read", "hoverMillis"}, "0|800\n|"},
        {{"defaults", "write", "farReticleSpec", "-string", far}, "0||"},
        // "{}" has no id, so it is no panel and the default shows.
        {{"defaults", "write", "mainReticleSpec", "-string", "{}"}, "0||"},
        {{"panels"}, "0|{\"id\":0}\n" + far + "\n|"},
        {{"defaults", "delete", "farReticleSpec"}, "0||"},
        {{"defaults", "read"}, "0|hoverMillis = 800\nmainReticleSpec = {}\n|"},
    };
    for (const auto& [args, expected] : steps) {
        SCOPED_TRACE(testing::PrintToString(args));
        const std::string r = run(args);
        const bool missing = expected == "1||";
        EXPECT_EQ(missing ? r.substr(0, 3) : r, expected);
        EXPECT_EQ(r.find("'hoverMillis'") != std::string::npos, missing) << r;
    }
    db.failWrites = true;
    EXPECT_THAT(run({"defaults", "write", "hoverMillis", "-int", "801"}),
                AllOf(StartsWith("1||"), HasSubstr("could not store 'hoverMillis'")));
    EXPECT_EQ(running.sent, "changed hoverMillis;changed farReticleSpec;changed mainReticleSpec;"
                            "changed farReticleSpec;");
}

// A missing program or a refused request is exit status 1 with a clear line.
TEST_F(ZentrivoctlTest, ShowAndCloseSendTheirUrlOrSayWhyNot) {
    using enum RunningZentrivo::Outcome;
    // The command line, the running program's answer and "status|out|err|what was sent".
    const std::tuple<std::vector<std::string>, RunningZentrivo::Outcome, std::string> rows[] = {
        {{"show"}, done, "0|||url zentrivo://show"},
        {{"show", "--appear-dist", "40"}, done, "0|||url zentrivo://show?appearDist=40"},
        {{"show", "--appear-dist=2.5"}, done, "0|||url zentrivo://show?appearDist=2.5"},
        {{"close"}, done, "0|||url zentrivo://close"},
        {{"close", "--no-execute"}, done, "0|||url zentrivo://close?executing=false"},
        {{"show"}, notRunning, "1||zentrivoctl: Zentrivo is not running\n|url zentrivo://show"},
        {{"close"},
         failed,
         "1||zentrivoctl: Zentrivo did not take the request: refused\n|url zentrivo://close"},
    };
    for (const auto& [args, answer, expected] : rows) {
        SCOPED_TRACE(testing::PrintToString(args));
        running.answer = answer;
        running.sent.clear();
        EXPECT_EQ(run(args) + "|" + running.sent, expected);
    }
    // Without a way to reach a running program, show cannot succeed.
    std::ostringstream out, err;
    EXPECT_EQ(runZentrivoctl({"show"}, out, err, db, profile), 1);
}

} // namespace
} // namespace zentrivo
