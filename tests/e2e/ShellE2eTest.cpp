#include "ZentrivoE2eSession.h"

namespace zentrivo::e2e {
namespace {

/// Zentrivo as a user who has run it before set it up: Super+Alt or three fingers, app-r right,
/// app-l left; command URLs reach `zentrivo` through its own desktop entry, found on PATH.
class ShellE2eTest : public ZentrivoE2eTest {
protected:
    void SetUp() override {
        ZentrivoE2eTest::SetUp();
        for (const char* id : {"app-r", "app-l", "app-new"})
            addApp(id);
        write("mainReticleSpec", "-string", panel(0, {slot("r", "app-r"), slot("l", "app-l")}));
        returningUser();
        // A shown reticle follows the cursor like the trackpad gesture's, which must be set up
        // (no touchpad is needed for that).
        write("restToOneTouches", "-int", "3");
        fs::copy_file(ZENTRIVO_E2E_DESKTOP_ENTRY,
                      applications() / "com.tovelane.ZentrivoPro.desktop");
        std::ofstream(root / "XDG_CONFIG_HOME" / "mimeapps.list")
            << "[Default "
               "Applications]\nx-scheme-handler/zentrivo=com.tovelane.ZentrivoPro.desktop\n";
        for (auto& entry : env)
            if (entry.starts_with("PATH="))
                entry = "PATH=" + fs::path(ZENTRIVO_E2E_ZENTRIVO).parent_path().string() + ":" +
                        entry.substr(5);
    }

    /// Pixels of the tray icon's mid grey at the top right of the screen, where the tray sits.
    int trayGreyPixels() {
        const Completed shot = run({"sh", "-c",
                                    "import -window root -crop 320x32+960+0 -depth 8 txt:- | "
                                    "grep -c '#808080'"});
        return std::atoi(shot.output.c_str());
    }
};

TEST_F(ShellE2eTest, ShowAndCloseByCommandOrUrlRunTheSlotOnlyWhenAskedAndPanelChangesApplyAtOnce) {
    start();
    const std::string ctl = ZENTRIVO_E2E_CTL;
    // how it opens, the move, how it closes, and the app that runs
    const std::tuple<std::string, std::string, std::string, const char*> rows[] = {
        {ctl + " show", "100 0", "xdg-open 'zentrivo://close?executing=false'", nullptr},
        {"xdg-open zentrivo://show", "-100 0", "xdg-open zentrivo://close", "app-l"},
        // A URL with a path is no command: the reticle stays up, the next close runs the slot.
        {ctl + " show", "100 0", "xdg-open zentrivo://close/x; " + ctl + " close", "app-r"},
    };
    for (const auto& [open, move, close, app] : rows) {
        SCOPED_TRACE(open + " / " + close);
        ASSERT_EQ(xdotool("mousemove 640 400").status, 0);
        const Completed opened = run({"sh", "-c", open});
        ASSERT_EQ(opened.status, 0) << opened.output;
        ASSERT_EQ(xdotool("search --sync --onlyvisible" + reticle +
                          " mousemove_relative --sync -- " + move)
                      .status,
                  0);
        const Completed closed = run({"sh", "-c", close});
        ASSERT_EQ(closed.status, 0) << closed.output;
        ASSERT_TRUE(waitGone(20s));
        expectRan(app);
    }

    // A panel changed while running takes effect at once.
    write("mainReticleSpec", "-string", panel(0, {slot("r", "app-new")}));
    ASSERT_TRUE(says(*zentrivo, "settings changed: mainReticleSpec"));
    // With an appear distance the reticle waits for the cursor to travel it.
    ASSERT_EQ(xdotool("mousemove 640 400").status, 0);
    ASSERT_EQ(run({ctl, "show", "--appear-dist", "60"}).status, 0);
    ASSERT_EQ(xdotool("mousemove_relative --sync -- 30 0").status, 0);
    EXPECT_FALSE(visible());
    ASSERT_EQ(xdotool("mousemove_relative --sync -- 50 0").status, 0);
    EXPECT_TRUE(poll([&] { return visible(); }));
    ASSERT_EQ(run({ctl, "close"}).status, 0);
    ASSERT_TRUE(waitGone(20s));
    expectRan("app-new");

    ASSERT_EQ(zentrivo->stop(SIGTERM, 20s), 0);
    const Completed notRunning = run({ctl, "show"});
    EXPECT_EQ(notRunning.status, 1);
    EXPECT_EQ(notRunning.output, "zentrivoctl: Zentrivo is not running\n");
    zentrivo.reset();
}

TEST_F(ShellE2eTest, TheTrayIconShowsInATrayAndHidesAtOnceWhenAskedTo) {
    ChildProcess tray(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"},
        env, root / "trayer.log");
    ASSERT_EQ(xdotool("search --sync --onlyvisible --classname '^panel$'").status, 0);
    EXPECT_EQ(trayGreyPixels(), 0);
    start();
    // The monochrome glyph: eight squares and a dot, over a hundred grey pixels at 16 px.
    EXPECT_TRUE(poll([&] { return trayGreyPixels() > 50; }));
    write("hideMenuBarIcon", "-bool", "true");
    EXPECT_TRUE(poll([&] { return trayGreyPixels() == 0; }));
    write("hideMenuBarIcon", "-bool", "false");
    EXPECT_TRUE(poll([&] { return trayGreyPixels() > 50; }));
}

} // namespace
} // namespace zentrivo::e2e
