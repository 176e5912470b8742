#include "ctl/Zentrivoctl.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>
#include <sstream>

namespace zentrivo {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class ZentrivoctlTest : public ::testing::Test {
protected:
    Outcome run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = runZentrivoctl(args, out, err, db, profile);
        return {status, out.str(), err.str()};
    }
    test::FakeDefaultsDatabase db;
    test::FreedesktopTestProfile profile; // its default near panel is empty
};

TEST_F(ZentrivoctlTest, WriteStoresEachKindAndReadPrintsItBack) {
    // Type option, value, what is stored, what read prints.
    const std::tuple<const char*, const char*, PropertyValue, const char*> cases[] = {
        {"-int", "+7", std::int64_t{7}, "7"},
        {"-int", "-9223372036854775808", INT64_MIN, "-9223372036854775808"},
        {"-float", "0.1", 0.1f, "0.1"},
        {"-float", "-0.000001", -0.000001f, "-1e-06"},
        {"-bool", "YES", true, "1"},
        {"-string", "", std::string(), ""},
        {"-string", "-int", std::string("-int"), "-int"},
        {"-date", "2024-05-01T14:00:00.5+02:00", Date(Date::duration(1714564800.5)),
         "2024-05-01T12:00:00.5Z"},
    };
    for (const auto& [type, value, stored, printed] : cases) {
        SCOPED_TRACE(std::string(type) + " " + value);
        const Outcome write = run({"defaults", "write", "someKey", type, value});
        EXPECT_EQ(write.status, 0) << write.err;
        EXPECT_EQ(write.out + write.err, "");
        EXPECT_EQ(db.values["someKey"], stored);

        const Outcome read = run({"defaults", "read", "someKey"});
        EXPECT_EQ(read.status, 0);
        EXPECT_EQ(read.out, std::string(printed) + "\n");
    }
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
        {{"defaults", "write", "k", "-float", "1e39"}, "out of the range of a float"},
        {{"defaults", "write", "k", "-bool", "maybe"}, "'maybe' is not a bool"},
        {{"defaults", "write", "k", "-date", "2024-05-01T12:00:00"}, "not an ISO 8601 date"},
        {{"defaults", "write", "k", "-date", "2023-02-29T00:00:00Z"}, "not an ISO 8601 date"},
        {{"defaults", "write", "k", "-int", "5", "6"}, "unexpected argument '6'"},
        {{"defaults", "write", "-int", "5"}, "missing key before '-int'"},
        {{"defaults", "write", "", "-int", "5"}, "the key is empty"},
        {{"defaults", "read", "k", "extra"}, "unexpected argument 'extra'"},
    };
    db.values["k"] = std::int64_t{1};
    for (const auto& [args, named] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_EQ(r.err.rfind("zentrivoctl: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line";
        EXPECT_EQ(db.reads + db.writes, 0) << "bad input never reaches the database";
    }
}

TEST_F(ZentrivoctlTest, ReadDeleteAndPanelsFollowTheDatabaseAndMissingKeysExitOne) {
    const std::string far = R"({"id":1,"bl":{"stringValue":"/home/u/notes.txt","type":1}})";
    // Each command in turn, its exit status and what it prints; a failure explains itself.
    const std::tuple<std::vector<std::string>, int, std::string> steps[] = {
        {{"defaults", "read", "hoverMillis"}, 1, ""},
        {{"defaults", "delete", "hoverMillis"}, 1, ""},
        {{"defaults", "write", "hoverMillis", "-int", "800"}, 0, ""},
        {{"defaults", "write", "farReticleSpec", "-string", far}, 0, ""},
        // "{}" has no id, so it is no panel and the default shows.
        {{"defaults", "write", "mainReticleSpec", "-string", "{}"}, 0, ""},
        {{"panels"}, 0, "{\"id\":0}\n" + far + "\n"},
        {{"defaults", "delete", "farReticleSpec"}, 0, ""},
        {{"defaults", "read"}, 0, "hoverMillis = 800\nmainReticleSpec = {}\n"},
    };
    for (const auto& [args, status, printed] : steps) {
        SCOPED_TRACE(testing::PrintToString(args));
        const Outcome r = run(args);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, printed);
        EXPECT_EQ(r.err.find("'hoverMillis'") != std::string::npos, status == 1) << r.err;
    }
    db.failWrites = true;
    const Outcome r = run({"defaults", "write", "hoverMillis", "-int", "801"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("could not store 'hoverMillis'"), std::string::npos);
}

} // namespace
} // namespace zentrivo
