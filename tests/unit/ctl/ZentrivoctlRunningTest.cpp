#include "ctl/Zentrivoctl.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>
#include <sstream>

namespace zentrivo {
namespace {

/// A running Zentrivo that records what it was sent ("url ...", "changed key...").
class RecordingZentrivo final : public RunningZentrivo {
public:
    Outcome openURL(const std::string& url, std::string& error) override {
        sent.push_back("url " + url);
        error = "refused";
        return answer;
    }
    void settingsChanged(const std::vector<std::string>& keys) override {
        std::string line = "changed";
        for (const auto& key : keys)
            line += " " + key;
        sent.push_back(line);
    }
    Outcome answer = Outcome::done;
    std::vector<std::string> sent;
};

// show and close become the command URLs the running program reads; a command line that is
// not understood sends nothing, and a missing program is exit status 1 with a clear line.
TEST(ZentrivoctlRunningTest, ShowAndCloseSendTheirUrlOrSayWhyNot) {
    using Outcome = RunningZentrivo::Outcome;
    struct Row {
        std::vector<std::string> args;
        Outcome answer;
        /// "status|stderr|what was sent"
        std::string expected;
    };
    const Row rows[] = {
        {{"show"}, Outcome::done, "0||url zentrivo://show"},
        {{"show", "--appear-dist", "40"}, Outcome::done, "0||url zentrivo://show?appearDist=40"},
        {{"show", "--appear-dist=2.5"}, Outcome::done, "0||url zentrivo://show?appearDist=2.5"},
        {{"close"}, Outcome::done, "0||url zentrivo://close"},
        {{"close", "--no-execute"}, Outcome::done, "0||url zentrivo://close?executing=false"},
        {{"show"},
         Outcome::notRunning,
         "1|zentrivoctl: Zentrivo is not running\n|url zentrivo://show"},
        {{"close"},
         Outcome::failed,
         "1|zentrivoctl: Zentrivo did not take the request: refused\n|url zentrivo://close"},
        {{"show", "--appear-dist", "abc"},
         Outcome::done,
         "2|zentrivoctl: show: 'abc' is not a distance in pixels, such as 40; see zentrivoctl "
         "--help\n|"},
        {{"show", "--appear-dist", " 40"},
         Outcome::done,
         "2|zentrivoctl: show: ' 40' is not a distance in pixels, such as 40; see zentrivoctl "
         "--help\n|"},
        {{"show", "--appear-dist"},
         Outcome::done,
         "2|zentrivoctl: show: missing distance after --appear-dist; see zentrivoctl --help\n|"},
        {{"show", "40"},
         Outcome::done,
         "2|zentrivoctl: show: unknown argument '40' (use --appear-dist N); see zentrivoctl "
         "--help\n|"},
        {{"show", "--appear-dist", "4", "5"},
         Outcome::done,
         "2|zentrivoctl: unexpected argument '5'; see zentrivoctl --help\n|"},
        {{"close", "--no-execute", "x"},
         Outcome::done,
         "2|zentrivoctl: unexpected argument 'x'; see zentrivoctl --help\n|"},
        {{"close", "--dry"},
         Outcome::done,
         "2|zentrivoctl: close: unknown argument '--dry' (use --no-execute); see zentrivoctl "
         "--help\n|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.size() > 1 ? row.args[0] + " " + row.args[1] : row.args[0]);
        test::FakeDefaultsDatabase db;
        test::FreedesktopTestProfile profile;
        RecordingZentrivo running;
        running.answer = row.answer;
        std::ostringstream out, err;
        const int status = runZentrivoctl(row.args, out, err, db, profile, &running);
        std::string sent;
        for (const auto& line : running.sent)
            sent += line;
        EXPECT_EQ(std::to_string(status) + "|" + err.str() + "|" + sent, row.expected);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(db.writes, 0);
    }
}

TEST(ZentrivoctlRunningTest, OnlyAStoredChangeIsAnnouncedToTheRunningProgram) {
    test::FakeDefaultsDatabase db;
    test::FreedesktopTestProfile profile;
    RecordingZentrivo running;
    std::ostringstream out, err;
    const auto run = [&](std::vector<std::string> args) {
        return runZentrivoctl(args, out, err, db, profile, &running);
    };
    EXPECT_EQ(run({"defaults", "write", "hoverMillis", "-int", "300"}), 0);
    EXPECT_EQ(run({"defaults", "read", "hoverMillis"}), 0);
    EXPECT_EQ(run({"defaults", "delete", "hoverMillis"}), 0);
    EXPECT_EQ(run({"defaults", "delete", "hoverMillis"}), 1); // nothing stored any more
    EXPECT_EQ(run({"defaults", "write", "hoverMillis", "-int", "x"}), 2);
    db.failWrites = true;
    EXPECT_EQ(run({"defaults", "write", "background", "-int", "2"}), 1);
    EXPECT_EQ(running.sent,
              (std::vector<std::string>{"changed hoverMillis", "changed hoverMillis"}));
    // Without a way to reach a running program, show cannot succeed.
    EXPECT_EQ(runZentrivoctl({"show"}, out, err, db, profile), 1);
}

} // namespace
} // namespace zentrivo
