#include "ZentrivoE2eSession.h"

namespace zentrivo::e2e {
namespace {

TEST_F(ZentrivoE2eTest, TheReticleShowsOnTheCursorAndRunsTheAppReleasedOver) {
    for (const char* id : {"app-r", "app-l", "app-t", "app-b", "far-r"})
        addApp(id);
    write(
        "mainReticleSpec", "-string",
        panel(0, {slot("r", "app-r"), slot("l", "app-l"), slot("t", "app-t"), slot("b", "app-b")}));
    write("farReticleSpec", "-string", panel(1, {slot("r", "far-r")}));
    returningUser();
    // One-based button 4 is the X server's button 8 (the "back" side button).
    write("reticleMouseButton", "-int", "4");
    start();

    // trigger by button 8 (else Super+Alt), cursor, move, app that runs
    const std::tuple<bool, int, int, std::string, const char*> rows[] = {
        {false, 640, 400, "100 0", "app-r"},
        {false, 640, 400, "10 0", nullptr}, // in the 25 px dead zone
        {false, 640, 400, "-100 0", "app-l"},
        {false, 640, 400, "250 0", "far-r"}, // beyond the first ring distance (200 px): far panel
        {false, 640, 400, "100 0", "app-r"}, // the next gesture starts on the near panel again
        {true, 640, 400, "0 -100", "app-t"},
        // Away from the vertical centre of the 800 px high screen, where a y-flipped placement
        // would put the reticle at y 600: X's y grows downwards, so 100 px down is the bottom.
        {false, 300, 200, "0 100", "app-b"},
    };
    for (const auto& [button, x, y, move, app] : rows) {
        SCOPED_TRACE(testing::Message() << (button ? "button 8" : "Super+Alt") << " at " << x << ","
                                        << y << " by " << move);
        const auto [left, top, width, height] =
            geometry("mousemove " + std::to_string(x) + " " + std::to_string(y) +
                     (button ? " mousedown 8" : " keydown Super_L Alt_L") +
                     " search --sync --onlyvisible" + reticle);
        ASSERT_GT(height, 0) << "no reticle";
        // Centred on the cursor, to the pixel (half a pixel either way for an odd size).
        EXPECT_NEAR(left + width / 2.0, x, 0.5);
        EXPECT_NEAR(top + height / 2.0, y, 0.5);
        ASSERT_EQ(xdotool("mousemove_relative --sync -- " + move).status, 0);
        ASSERT_EQ(xdotool(button ? "mouseup 8" : "keyup Alt_L Super_L").status, 0);
        ASSERT_TRUE(waitGone(20s));
        expectRan(app);
    }
}

} // namespace
} // namespace zentrivo::e2e
