#include "TestDesktop.h"

#include <csignal>
#include <gtest/gtest.h>
#include <iostream>

namespace zentrivo::e2e {
namespace {

constexpr const char* reticleWindow = "Zentrivo Reticle";
const std::vector<std::string> holdModifiers{"keydown", "Super_L", "keydown", "Alt_L"};
const std::vector<std::string> releaseModifiers{"keyup", "Alt_L", "keyup", "Super_L"};

std::string slotJson(const std::string& position, const std::string& appId) {
    return "\"" + position + "\":{\"stringValue\":\"" + appId + "\",\"type\":0}";
}

/// One running zentrivo on a private desktop, with the panels and settings a test gives it.
class ZentrivoE2eTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (zentrivo) {
            const auto status = zentrivo->stop(SIGTERM, 20s);
            EXPECT_EQ(status, 0) << "zentrivo did not end cleanly on SIGTERM";
            zentrivo->drain();
            if (HasFailure())
                std::cerr << "zentrivo's log:\n" << zentrivo->transcript() << std::endl;
        }
    }

    /// Stores a near panel (and a far one when given), a known trigger and no display delay,
    /// as a user who has run Zentrivo before would have them.
    void configure(const std::string& mainSlots, const std::string& farSlots = {}) {
        write({"mainReticleSpec", "-string", "{\"id\":0," + mainSlots + "}"});
        if (!farSlots.empty())
            write({"farReticleSpec", "-string", "{\"id\":1," + farSlots + "}"});
        write({"lastVersion", "-string", "1"});
        write({"reticleFlags", "-int", "1572864"});
    }

    void write(std::vector<std::string> args) {
        args.insert(args.begin(), {"defaults", "write"});
        const auto result = desktop.ctl(args);
        ASSERT_EQ(result.status, 0) << result.output;
    }

    std::string read(const std::string& key) {
        const auto result = desktop.ctl({"defaults", "read", key});
        EXPECT_EQ(result.status, 0) << result.output;
        auto text = result.output;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

    void start() {
        bool ready = false;
        zentrivo = desktop.startZentrivo(&ready);
        ASSERT_TRUE(ready) << "zentrivo did not get ready:\n" << zentrivo->transcript();
    }

    /// Presses the trigger, waits until the reticle is on screen, moves, releases and waits
    /// until the reticle is gone. Starts from the middle of the screen.
    void gesture(const std::vector<std::string>& press, const std::vector<std::string>& moves,
                 const std::vector<std::string>& release) {
        std::vector<std::string> commands{"moveto", "640", "400", "sync"};
        commands.insert(commands.end(), press.begin(), press.end());
        commands.insert(commands.end(), {"waitmap", reticleWindow, "20000"});
        commands.insert(commands.end(), moves.begin(), moves.end());
        commands.push_back("sync");
        commands.insert(commands.end(), release.begin(), release.end());
        commands.insert(commands.end(), {"waitunmap", reticleWindow, "20000"});
        const auto result = desktop.send(commands);
        ASSERT_EQ(result.status, 0) << result.output;
    }

    void modifierGesture(int dx, int dy) {
        gesture(holdModifiers, {"move", std::to_string(dx), std::to_string(dy)}, releaseModifiers);
    }

    TestDesktop desktop;
    std::unique_ptr<ChildProcess> zentrivo;
};

TEST_F(ZentrivoE2eTest, ModifierGestureRunsTheSlotsApplicationExactlyOnce) {
    desktop.addApp("test-app-r", "Test App R", "utilities-terminal");
    desktop.addApp("test-app-l", "Test App L");
    configure(slotJson("r", "test-app-r") + "," + slotJson("l", "test-app-l"));
    start();

    ASSERT_NO_FATAL_FAILURE(modifierGesture(100, 0));
    ASSERT_TRUE(desktop.waitForRun("test-app-r"));

    // A second launch of the first slot would have started before this gesture's.
    ASSERT_NO_FATAL_FAILURE(modifierGesture(-100, 0));
    ASSERT_TRUE(desktop.waitForRun("test-app-l"));
    EXPECT_EQ(desktop.runCount("test-app-r"), 1);
    EXPECT_EQ(desktop.runCount("test-app-l"), 1);
}

TEST_F(ZentrivoE2eTest, ReleaseInsideTheDeadZoneRunsNothing) {
    desktop.addApp("test-app-r", "Test App R");
    desktop.addApp("test-app-l", "Test App L");
    configure(slotJson("r", "test-app-r") + "," + slotJson("l", "test-app-l"));
    start();

    // 10 px to the right: inside the 25 px dead zone, towards slot r.
    ASSERT_NO_FATAL_FAILURE(modifierGesture(10, 0));
    ASSERT_NO_FATAL_FAILURE(modifierGesture(-100, 0));
    ASSERT_TRUE(desktop.waitForRun("test-app-l"));
    EXPECT_EQ(desktop.runCount("test-app-r"), 0);
}

TEST_F(ZentrivoE2eTest, FarPanelTakesOverBeyondFirstRingDistance) {
    desktop.addApp("near-app-r", "Near App R");
    desktop.addApp("far-app-r", "Far App R");
    configure(slotJson("r", "near-app-r"), slotJson("r", "far-app-r"));
    start();

    // Beyond the default first ring distance of 200 px.
    ASSERT_NO_FATAL_FAILURE(modifierGesture(250, 0));
    ASSERT_TRUE(desktop.waitForRun("far-app-r"));

    // The next gesture starts on the near panel again.
    ASSERT_NO_FATAL_FAILURE(modifierGesture(100, 0));
    ASSERT_TRUE(desktop.waitForRun("near-app-r"));
    EXPECT_EQ(desktop.runCount("far-app-r"), 1);
    EXPECT_EQ(desktop.runCount("near-app-r"), 1);
}

TEST_F(ZentrivoE2eTest, ExtraMouseButtonTriggersTheReticle) {
    desktop.addApp("test-app-t", "Test App T");
    configure(slotJson("t", "test-app-t"));
    // One-based button 4 is the X server's button 8 (the "back" side button).
    write({"reticleMouseButton", "-int", "4"});
    start();

    ASSERT_NO_FATAL_FAILURE(gesture({"buttondown", "8"}, {"move", "0", "-100"}, {"buttonup", "8"}));
    ASSERT_TRUE(desktop.waitForRun("test-app-t"));
    EXPECT_EQ(desktop.runCount("test-app-t"), 1);
}

TEST_F(ZentrivoE2eTest, ReticleIsOnScreenWhileTheTriggerIsHeldAndGoneAfter) {
    desktop.addApp("test-app-r", "Terminal", "utilities-terminal");
    desktop.addApp("test-app-t", "Folders", "folder");
    desktop.addApp("test-app-b", "No Theme Icon");
    configure(slotJson("r", "test-app-r") + "," + slotJson("t", "test-app-t") + "," +
              slotJson("b", "test-app-b"));
    desktop.startCompositor();
    start();

    auto held =
        desktop.send({"moveto", "640", "400", "sync", "keydown", "Super_L", "keydown", "Alt_L",
                      "waitmap", reticleWindow, "20000", "move", "100", "0", "sync"});
    ASSERT_EQ(held.status, 0) << held.output;
    const auto shot = artifactsDir() / "reticle.png";
    EXPECT_TRUE(desktop.screenshot(shot));
    std::cout << "reticle screenshot: " << shot.string() << std::endl;

    // Still on screen while held: waiting for it to go away must time out.
    const auto stillThere = desktop.send({"waitunmap", reticleWindow, "300"});
    EXPECT_EQ(stillThere.status, 1) << stillThere.output;

    const auto released =
        desktop.send({"keyup", "Alt_L", "keyup", "Super_L", "waitunmap", reticleWindow, "20000"});
    EXPECT_EQ(released.status, 0) << released.output;
    EXPECT_TRUE(desktop.waitForRun("test-app-r"));
}

TEST_F(ZentrivoE2eTest, SecondStartLeavesTheRunningInstanceAlone) {
    desktop.addApp("test-app-r", "Test App R");
    configure(slotJson("r", "test-app-r"));
    start();

    ChildProcess::Options options;
    options.argv = {ZENTRIVO_E2E_ZENTRIVO};
    options.environment = desktop.environment();
    options.pipeStderr = true;
    ChildProcess second(options);
    EXPECT_EQ(second.waitForExit(30s), 0) << second.transcript();
    second.drain();
    EXPECT_NE(second.transcript().find("already running"), std::string::npos)
        << second.transcript();
    EXPECT_TRUE(zentrivo->isRunning());

    const auto windows = runProgram({"xwininfo", "-root", "-tree"}, desktop.environment(), 20s);
    std::size_t reticles = 0;
    for (auto at = windows.output.find(reticleWindow); at != std::string::npos;
         at = windows.output.find(reticleWindow, at + 1))
        ++reticles;
    EXPECT_EQ(reticles, 1u) << windows.output;

    // The first instance still answers the trigger, once.
    ASSERT_NO_FATAL_FAILURE(modifierGesture(100, 0));
    ASSERT_TRUE(desktop.waitForRun("test-app-r"));
    EXPECT_EQ(desktop.runCount("test-app-r"), 1);
}

TEST_F(ZentrivoE2eTest, FirstRunDefaultsSurviveATermination) {
    // A new user has no applications folder of their own; GIO would poll for it while idle.
    const auto applications = desktop.root() / "data" / "applications";
    std::filesystem::remove_all(applications);
    start();
    EXPECT_TRUE(std::filesystem::is_directory(applications));

    const auto status = zentrivo->stop(SIGTERM, 20s);
    EXPECT_EQ(status, 0);
    zentrivo->drain();
    EXPECT_NE(zentrivo->transcript().find("com-tovelane-Zentrivo stopped"), std::string::npos)
        << zentrivo->transcript();
    zentrivo.reset();

    EXPECT_EQ(read("reticleFlags"), "1572864");
    EXPECT_EQ(read("reticleDisplayMinDist"), "5");
    EXPECT_EQ(read("lastVersion"), std::to_string(ZENTRIVO_BUILD_NUMBER));
}

} // namespace
} // namespace zentrivo::e2e
