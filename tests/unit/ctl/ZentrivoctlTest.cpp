#include "ctl/Zentrivoctl.h"

#include "tests/fakes/FakeDefaultsDatabase.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;

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
    FakeDefaultsDatabase db;
    MacPlatformProfile profile;
};

Date at(double seconds) {
    return Date(Date::duration(seconds));
}

TEST_F(ZentrivoctlTest, WriteStoresEachKindAndReadPrintsItBack) {
    struct Case {
        std::vector<std::string> write; // type option and value
        PropertyValue stored;
        const char* printed;
    };
    const Case cases[] = {
        {{"-int", "800"}, std::int64_t{800}, "800"},
        {{"-int", "-3"}, std::int64_t{-3}, "-3"},
        {{"-int", "+7"}, std::int64_t{7}, "7"},
        {{"-int", "9223372036854775807"}, INT64_MAX, "9223372036854775807"},
        {{"-float", "2.5"}, 2.5f, "2.5"},
        {{"-float", "0.1"}, 0.1f, "0.1"},
        {{"-float", "-0.000001"}, -0.000001f, "-1e-06"},
        {{"-bool", "YES"}, true, "1"},
        {{"-bool", "1"}, true, "1"},
        {{"-bool", "no"}, false, "0"},
        {{"-bool", "0"}, false, "0"},
        {{"-string", "hello world"}, std::string("hello world"), "hello world"},
        {{"-string", ""}, std::string(), ""},
        {{"-string", "-int"}, std::string("-int"), "-int"},
        {{"-date", "2024-05-01T12:00:00Z"}, at(1714564800), "2024-05-01T12:00:00Z"},
        {{"-date", "2024-05-01T14:00:00.5+02:00"}, at(1714564800.5), "2024-05-01T12:00:00.5Z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.write[0] + " " + c.write[1]);
        db.values.clear();
        const Outcome write = run({"defaults", "write", "someKey", c.write[0], c.write[1]});
        EXPECT_EQ(write.status, 0) << write.err;
        EXPECT_EQ(write.out + write.err, "");
        ASSERT_TRUE(db.values.contains("someKey"));
        EXPECT_EQ(db.values["someKey"], c.stored);

        const Outcome read = run({"defaults", "read", "someKey"});
        EXPECT_EQ(read.status, 0);
        EXPECT_EQ(read.out, std::string(c.printed) + "\n");
    }
}

TEST_F(ZentrivoctlTest, BadInputExitsTwoNamesTheProblemAndWritesNothing) {
    struct Case {
        std::vector<std::string> args;
        const char* named;
    };
    const Case cases[] = {
        {{}, "missing command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--verbose", "defaults", "read"}, "unknown option '--verbose'"},
        {{"defaults"}, "missing subcommand"},
        {{"defaults", "copy"}, "unknown subcommand 'copy'"},
        {{"defaults", "write"}, "missing key"},
        {{"defaults", "write", "k"}, "missing type"},
        {{"defaults", "write", "k", "-int"}, "missing value after -int"},
        {{"defaults", "write", "k", "-integer"}, "unknown type option '-integer'"},
        {{"defaults", "write", "k", "-integer", "5"}, "unknown type option '-integer'"},
        {{"defaults", "write", "k", "5"}, "unknown type option '5'"},
        {{"defaults", "write", "k", "-int", "12x"}, "'12x' is not a whole number"},
        {{"defaults", "write", "k", "-int", ""}, "'' is not a whole number"},
        {{"defaults", "write", "k", "-int", " 5"}, "' 5' is not a whole number"},
        {{"defaults", "write", "k", "-int", "9223372036854775808"}, "out of the range"},
        {{"defaults", "write", "k", "-float", "abc"}, "'abc' is not a number"},
        {{"defaults", "write", "k", "-float", "nan"}, "not a finite number"},
        {{"defaults", "write", "k", "-float", "inf"}, "not a finite number"},
        {{"defaults", "write", "k", "-float", "1e39"}, "out of the range of a float"},
        {{"defaults", "write", "k", "-float", "0x10"}, "is not a number"},
        {{"defaults", "write", "k", "-bool", "maybe"}, "'maybe' is not a bool"},
        {{"defaults", "write", "k", "-date", "2024-02-30T00:00:00Z"}, "not an ISO 8601 date"},
        {{"defaults", "write", "k", "-date", "2024-05-01T12:00:00"}, "not an ISO 8601 date"},
        {{"defaults", "write", "k", "-int", "5", "6"}, "unexpected argument '6'"},
        {{"defaults", "write", "-int", "5"}, "missing key before '-int'"},
        {{"defaults", "write", "", "-int", "5"}, "the key is empty"},
        {{"defaults", "read", "k", "extra"}, "unexpected argument 'extra'"},
        {{"defaults", "read", "-k"}, "missing key before '-k'"},
        {{"defaults", "delete"}, "missing key"},
        {{"panels", "now"}, "unexpected argument 'now'"},
    };
    db.values["k"] = std::int64_t{1};
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args)
            line += "[" + a + "]";
        SCOPED_TRACE(line);
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(r.err.rfind("zentrivoctl: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line";
        EXPECT_EQ(db.writes, 0);
        EXPECT_EQ(db.reads, 0) << "bad input never reaches the database";
    }
    EXPECT_EQ(db.values["k"], PropertyValue{std::int64_t{1}});
}

TEST_F(ZentrivoctlTest, ReadWithoutKeyPrintsEveryValueSortedByKey) {
    db.values["zeta"] = std::string("last one");
    db.values["alpha"] = true;
    db.values["Beta"] = std::int64_t{-1};
    db.values["blob"] = Data{{0x0a, 0x1b, 0xff}};
    db.values["when"] = at(0);
    db.values["ratio"] = 1.0 / 3.0;
    const Outcome r = run({"defaults", "read"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Beta = -1\n"
                     "alpha = 1\n"
                     "blob = <0a1bff>\n"
                     "ratio = 0.3333333333333333\n"
                     "when = 1970-01-01T00:00:00Z\n"
                     "zeta = last one\n");
    EXPECT_EQ(db.writes, 0);

    db.values.clear();
    EXPECT_EQ(run({"defaults", "read"}).out, "");
}

TEST_F(ZentrivoctlTest, MissingKeysAndRefusedWritesExitOne) {
    Outcome r = run({"defaults", "read", "hoverMillis"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("'hoverMillis'"), std::string::npos);

    r = run({"defaults", "delete", "hoverMillis"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(db.writes, 0);

    db.values["hoverMillis"] = std::int64_t{800};
    r = run({"defaults", "delete", "hoverMillis"});
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(db.values.contains("hoverMillis"));

    db.failWrites = true;
    r = run({"defaults", "write", "hoverMillis", "-int", "800"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("could not store 'hoverMillis'"), std::string::npos);
}

TEST_F(ZentrivoctlTest, HelpDocumentsEveryCommandAndOption) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"},
                                                                  {"-h"},
                                                                  {"help"},
                                                                  {"defaults", "--help"},
                                                                  {"defaults", "write", "--help"},
                                                                  {"defaults", "read", "-h"},
                                                                  {"panels", "--help"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        for (const char* word : {"defaults read", "defaults write", "defaults delete", "panels",
                                 "-int", "-float", "-bool", "-string", "-date", "Exit status"})
            EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
    EXPECT_EQ(db.reads + db.writes, 0);

    // Where a value belongs, "--help" is the value, and "help" is a key like any other.
    EXPECT_EQ(run({"defaults", "write", "help", "-string", "--help"}).status, 0);
    EXPECT_EQ(db.values["help"], PropertyValue{std::string("--help")});
}

TEST_F(ZentrivoctlTest, PanelsPrintWhatTheModelLoads) {
    const std::string defaultNear = profile.defaultMainSpec().toJsonString();

    Outcome r = run({"panels"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, defaultNear + "\n{\"id\":1}\n");

    // "{}" has no id, so it is no panel: the default shows and the stored text stays.
    db.values["mainReticleSpec"] = std::string("{}");
    db.values["farReticleSpec"] =
        std::string(R"({"id":1,"bl":{"stringValue":"/home/u/notes.txt","type":1},"zz":1})");
    r = run({"panels"});
    EXPECT_EQ(r.out, defaultNear + "\n" +
                         R"({"id":1,"bl":{"stringValue":"/home/u/notes.txt","type":1}})" + "\n");
    EXPECT_EQ(db.values["mainReticleSpec"], PropertyValue{std::string("{}")});

    db.values["mainReticleSpec"] =
        std::string(R"({"id":0,"c":null,"r":{"stringValue":"","type":2}})");
    r = run({"panels"});
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), R"({"id":0,"r":{"stringValue":"","type":2}})");
    EXPECT_EQ(db.writes, 0);
}

TEST(IsoDate, ParsesZonesFractionsAndRealDaysOnly) {
    struct Case {
        const char* text;
        std::optional<double> seconds;
    };
    const Case cases[] = {
        {"1970-01-01T00:00:00Z", 0},
        {"1970-01-01t00:00:00z", 0},
        {"2024-02-29T23:59:59Z", 1709251199},
        {"2024-05-01T12:00:00.25Z", 1714564800.25},
        {"2024-05-01T12:00:00,5Z", 1714564800.5},
        {"2024-05-01T17:30:00+05:30", 1714564800},
        {"2024-05-01T17:30:00+0530", 1714564800},
        {"2024-05-01T04:00:00-08", 1714564800},
        {"1969-12-31T23:59:59.5Z", -0.5},
        {"2023-02-29T00:00:00Z", std::nullopt},
        {"2024-13-01T00:00:00Z", std::nullopt},
        {"2024-00-10T00:00:00Z", std::nullopt},
        {"2024-05-01T24:00:00Z", std::nullopt},
        {"2024-05-01T12:60:00Z", std::nullopt},
        {"2024-05-01T12:00:60Z", std::nullopt},
        {"2024-05-01T12:00:00+24:00", std::nullopt},
        {"2024-05-01T12:00:00+5", std::nullopt},
        {"2024-05-01T12:00:00.Z", std::nullopt},
        {"2024-05-01T12:00:00.1234567890Z", std::nullopt},
        {"2024-05-01 12:00:00Z", std::nullopt},
        {"2024-05-01T12:00Z", std::nullopt},
        {"2024-05-01", std::nullopt},
        {"2024-05-01T12:00:00Zjunk", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto date = parseIsoDate(c.text);
        ASSERT_EQ(date.has_value(), c.seconds.has_value());
        if (date) {
            EXPECT_DOUBLE_EQ(date->time_since_epoch().count(), *c.seconds);
        }
    }
}

TEST(FormatDefaultsValue, PrintsShortestNumbersAndUtcDates) {
    const std::pair<PropertyValue, const char*> cases[] = {
        {0.1f, "0.1"},
        {16777216.0f, "16777216"},
        {0.1, "0.1"},
        {1e21, "1e+21"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
        {at(-0.5), "1969-12-31T23:59:59.5Z"},
        {at(1714564800.000001), "2024-05-01T12:00:00.000001Z"},
        {at(253402300799), "9999-12-31T23:59:59Z"},
        {at(-62167219200), "0000-01-01T00:00:00Z"},
        {at(1e300), "1e+300 (seconds since 1970-01-01T00:00:00Z)"},
        {at(std::nan("")), "nan (seconds since 1970-01-01T00:00:00Z)"},
        {Data{}, "<>"},
        {std::string("two\nlines"), "two\nlines"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(formatDefaultsValue(value), text);
    }
}

} // namespace
} // namespace zentrivo
