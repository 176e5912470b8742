#include "platform/linux/PrimaryScreen.h"

#include <gtest/gtest.h>

namespace zentrivo::platform {
namespace {

TEST(PrimaryScreenTest, convertsBetweenX11AndYUpCoordinatesBothWays) {
    const struct {
        const char* what;
        PrimaryScreen screen;
        X11Point x11;
        Point yUp;
    } table[] = {
        {"top-left pixel", {0, 0, 1280, 800}, {0, 0}, {0, 800}},
        {"bottom row", {0, 0, 1280, 800}, {0, 799}, {0, 1}},
        {"just below the screen", {0, 0, 1280, 800}, {5, 800}, {5, 0}},
        {"middle", {0, 0, 1280, 800}, {640, 400}, {640, 400}},
        {"primary right of another output", {1920, 0, 1280, 800}, {1920, 0}, {0, 800}},
        {"left of the primary", {1920, 0, 1280, 800}, {100, 10}, {-1820, 790}},
        {"primary lower than a taller neighbour", {0, 360, 1920, 1080}, {0, 360}, {0, 1080}},
        {"below the primary's bottom edge", {0, 360, 1920, 1080}, {2000, 1500}, {2000, -60}},
        {"fractions", {0, 0, 100, 100}, {10.5, 20.25}, {10.5, 79.75}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.screen.toYUp(row.x11), row.yUp);
        EXPECT_EQ(row.screen.toX11(row.yUp), row.x11);
    }
}

} // namespace
} // namespace zentrivo::platform
