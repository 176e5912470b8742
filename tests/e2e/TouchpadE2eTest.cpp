// The trackpad gesture on a machine without a touchpad: nothing to ask the user for.
#include "ZentrivoE2eSession.h"

namespace zentrivo::e2e {
namespace {

using TouchpadE2e = ZentrivoE2eTest;

TEST_F(TouchpadE2e, WithoutATouchpadTheGestureShowsNoPromptAndSaysSoOnce) {
    std::error_code noDevices;
    if (!fs::is_empty("/dev/input", noDevices) && !noDevices)
        GTEST_SKIP() << "this machine has input devices, maybe a touchpad";
    write("lastVersion", "-string", "1");
    write("reticleFlags", "-int", "1572864");
    write("restToOneTouches", "-int", "3");
    start();

    // Once the reticle shows, everything zentrivo showed at start-up has reached the server too:
    // the reticle must be its only window on screen.
    const Completed shown = xdotool("keydown Super_L Alt_L search --sync --onlyvisible" + reticle +
                                    " search --onlyvisible --class zentrivo");
    EXPECT_EQ(std::count(shown.output.begin(), shown.output.end(), '\n'), 1) << shown.output;
    ASSERT_EQ(xdotool("keyup Alt_L Super_L").status, 0);
    ASSERT_TRUE(waitGone(20s));

    const std::string log = zentrivo->log(), line = "no trackpad found";
    const auto first = log.find(line);
    EXPECT_TRUE(first != std::string::npos && log.find(line, first + 1) == std::string::npos)
        << log;
}

} // namespace
} // namespace zentrivo::e2e
