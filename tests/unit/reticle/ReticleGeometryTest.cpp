#include "ReticleFixture.h"

#include <cmath>
#include <limits>

namespace zentrivo::test {
namespace {

using D = Directional;

/// A quotient dy/dx whose arctangent is exactly `bound` (`offset` 0), or the nearest double on
/// either side whose arctangent lies beyond it (`offset` +1: larger angle, -1: smaller angle).
double quotientAt(double bound, int offset) {
    double q = std::tan(bound);
    for (int i = 0; i < 1000 && std::atan(q) < bound; ++i)
        q = std::nextafter(q, std::numeric_limits<double>::infinity());
    for (int i = 0; i < 1000 && std::atan(q) > bound; ++i)
        q = std::nextafter(q, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(std::atan(q), bound) << "no quotient hits the bound exactly";
    const double step = offset > 0 ? std::numeric_limits<double>::infinity()
                                   : -std::numeric_limits<double>::infinity();
    while (offset != 0 && std::atan(q) == bound)
        q = std::nextafter(q, step);
    return q;
}

class ReticleGeometryTest : public ReticleFixture {
protected:
    /// The slot selected after one move from `origin` to `to` on a fresh gesture.
    std::optional<Directional> selectionFor(Point origin, Point to) {
        manager().dismiss(false);
        showAt(origin);
        manager().cursorMoved(to);
        return state().directional;
    }
};

TEST_F(ReticleGeometryTest, SectorsAroundTheOrigin) {
    // dx is 64 (a power of two), so dy / dx reproduces the chosen quotient exactly.
    const double q30 = quotientAt(ReticleManager::posLowBound, 0);
    const double q30above = quotientAt(ReticleManager::posLowBound, +1);
    const double q72 = quotientAt(ReticleManager::posHighBound, 0);
    const double q72above = quotientAt(ReticleManager::posHighBound, +1);
    const double qm30 = quotientAt(ReticleManager::negLowBound, 0);
    const double qm30below = quotientAt(ReticleManager::negLowBound, -1);
    const double qm72 = quotientAt(ReticleManager::negHighBound, 0);
    const double qm72below = quotientAt(ReticleManager::negHighBound, -1);
    const double t80 = std::tan(80 * M_PI / 180);

    struct Row {
        const char* name;
        Point origin, to;
        std::optional<D> expected;
    };
    const Row rows[] = {
        {"inside the dead zone (14.1)", {100, 100}, {110, 110}, std::nullopt},
        {"right", {100, 100}, {140, 100}, D::r},
        {"left", {100, 100}, {60, 100}, D::l},
        {"exactly 30 degrees is horizontal", {0, 0}, {64, 64 * q30}, D::r},
        {"just above 30 degrees is diagonal", {0, 0}, {64, 64 * q30above}, D::tr},
        {"exactly 72 degrees is diagonal", {0, 0}, {64, 64 * q72}, D::tr},
        {"just above 72 degrees is vertical", {0, 0}, {64, 64 * q72above}, D::t},
        {"exactly -30 degrees is horizontal", {0, 0}, {64, 64 * qm30}, D::r},
        {"just below -30 degrees is diagonal", {0, 0}, {64, 64 * qm30below}, D::br},
        {"exactly -72 degrees is diagonal", {0, 0}, {64, 64 * qm72}, D::br},
        {"just below -72 degrees is vertical", {0, 0}, {64, 64 * qm72below}, D::b},
        {"left side, 30 degrees is horizontal", {0, 0}, {-64, -64 * q30}, D::l},
        {"left side, above 30 degrees is bottom left", {0, 0}, {-64, -64 * q30above}, D::bl},
        {"left side, -30 degrees is horizontal", {0, 0}, {-64, -64 * qm30}, D::l},
        {"left side, below -30 degrees is top left", {0, 0}, {-64, -64 * qm30below}, D::tl},
        {"80 degrees is top", {0, 0}, {64, 64 * t80}, D::t},
        {"straight up (dx 0)", {100, 100}, {100, 160}, D::t},
        {"straight down (dx 0)", {100, 100}, {100, 40}, D::b},
        {"up-left 45 degrees", {100, 100}, {60, 140}, D::tl},
        {"down-left 45 degrees", {100, 100}, {60, 60}, D::bl},
        {"down-right 45 degrees", {100, 100}, {140, 60}, D::br},
        {"up-right 45 degrees", {100, 100}, {140, 140}, D::tr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(selectionFor(row.origin, row.to), row.expected);
    }
}

TEST_F(ReticleGeometryTest, DeadZoneAndOuterLimitEdges) {
    struct Row {
        const char* name;
        std::int64_t safeArea;
        float outer;
        Point to; // from (0, 0)
        std::optional<D> expected;
    };
    const Row rows[] = {
        {"just inside the dead zone", 25, 1001, {24.9, 0}, std::nullopt},
        {"on the dead zone's edge", 25, 1001, {25, 0}, D::r},
        {"no dead zone: the origin itself falls through to b", -1, 1001, {0, 0}, D::b},
        {"on the outer limit", 25, 300, {300, 0}, D::r},
        {"beyond the outer limit", 25, 300, {301, 0}, std::nullopt},
        {"outer limit 1000 still applies", 25, 1000, {1000.5, 0}, std::nullopt},
        {"outer limit 1001 means none", 25, 1001, {0, -5000}, D::b},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        defaults.safeAreaSize.set(row.safeArea);
        defaults.outerSafeArea.set(row.outer);
        EXPECT_EQ(selectionFor({0, 0}, row.to), row.expected);
        EXPECT_EQ(view.highlighted, row.expected);
    }
}

TEST_F(ReticleGeometryTest, DistanceIsMeasuredInSinglePrecision) {
    showAt({0, 0});
    manager().cursorMoved({120, 160});
    EXPECT_EQ(state().dist, 200.0f);
    manager().cursorMoved({0.1, 0});
    EXPECT_EQ(state().dist, 0.1f);
}

TEST_F(ReticleGeometryTest, FarPanelSwitchesStrictlyBeyondTheFirstRing) {
    configureFar();
    struct Row {
        const char* name;
        bool farConfigured;
        Point to;
        bool far;
    };
    const Row rows[] = {
        {"200.0 stays near", true, {200, 0}, false},
        {"200 off-axis stays near", true, {120, 160}, false},
        {"200.5 switches to far", true, {200.5, 0}, true},
        {"an empty far panel never shows", false, {500, 0}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.farConfigured)
            model.setFarSlot(std::nullopt, Directional::t);
        manager().dismiss(false);
        window.finishFade();
        showAt({0, 0});
        manager().cursorMoved(row.to);
        EXPECT_EQ(state().far, row.far);
    }
}

TEST_F(ReticleGeometryTest, FarStaysUntilTheDeadZoneThenReturnsToNear) {
    configureFar();
    showAt({0, 0});
    manager().cursorMoved({0, 300});
    ASSERT_TRUE(state().far);
    EXPECT_EQ(haptics.levelChanges, 1);
    EXPECT_EQ(view.reloads, std::vector<bool>{true});

    manager().cursorMoved({0, 100});
    EXPECT_TRUE(state().far) << "moving back inside the first ring keeps the far panel";
    manager().cursorMoved({0, 300});
    EXPECT_EQ(haptics.levelChanges, 1) << "no second switch while far";

    manager().cursorMoved({3, 3});
    EXPECT_FALSE(state().far);
    EXPECT_EQ(view.reloads.back(), false);
    EXPECT_EQ(haptics.levelChanges, 1);
}

TEST_F(ReticleGeometryTest, HapticFollowsItsSettingButTheViewAlwaysReloads) {
    configureFar();
    for (auto setting :
         {OptionalBool::undefined, OptionalBool::userEnabled, OptionalBool::userDisabled}) {
        SCOPED_TRACE(static_cast<int>(setting));
        defaults.hapticFeedback.set(setting);
        const int before = haptics.levelChanges;
        const auto reloadsBefore = view.reloads.size();
        showAt({0, 0});
        manager().cursorMoved({0, 300});
        EXPECT_EQ(haptics.levelChanges - before, setting == OptionalBool::userDisabled ? 0 : 1);
        EXPECT_EQ(view.reloads.size(), reloadsBefore + 1);
        manager().dismiss(false);
    }
}

TEST_F(ReticleGeometryTest, FirstRingDistanceOfTheSettingIsUsed) {
    configureFar();
    defaults.firstRingDist.set(80.0f);
    showAt({0, 0});
    manager().cursorMoved({80, 0});
    EXPECT_FALSE(state().far);
    manager().cursorMoved({81, 0});
    EXPECT_TRUE(state().far);
}

TEST_F(ReticleGeometryTest, OuterLimitClearsTheSelectionButKeepsThePanel) {
    configureFar();
    defaults.outerSafeArea.set(300.0f);
    showAt({0, 0});
    manager().cursorMoved({0, 250});
    ASSERT_TRUE(state().far);
    ASSERT_EQ(state().directional, D::t);
    manager().cursorMoved({0, 301});
    EXPECT_EQ(state().directional, std::nullopt);
    EXPECT_FALSE(view.highlighted);
    EXPECT_TRUE(state().far);

    manager().dismiss(true);
    EXPECT_TRUE(launchedPaths().empty()) << "a release beyond the outer limit performs nothing";
}

TEST_F(ReticleGeometryTest, HighlightOnlyWhenTheSelectionChanges) {
    showAt({0, 0});
    manager().cursorMoved({100, 0});
    manager().cursorMoved({120, 5});
    manager().cursorMoved({130, -5});
    EXPECT_EQ(view.highlightCalls, (std::vector<std::optional<D>>{D::r}));
    manager().cursorMoved({0, 100});
    EXPECT_EQ(view.highlightCalls.back(), D::t);
    EXPECT_EQ(view.highlightCalls.size(), 2u);
}

TEST_F(ReticleGeometryTest, DeferredDisplayAppearsStrictlyBeyondMinDist) {
    manager();
    cursor.location = {0, 0};
    manager().show(50.0f);
    EXPECT_FALSE(state().reticleDisplayed);
    EXPECT_EQ(window.showCount, 0);
    EXPECT_TRUE(state().cursorOrigin) << "armed: the origin is recorded";

    EXPECT_FALSE(manager().cursorMoved({50, 0}));
    EXPECT_FALSE(state().reticleDisplayed);
    EXPECT_TRUE(manager().cursorMoved({50.5, 0}));
    EXPECT_TRUE(state().reticleDisplayed);
    EXPECT_EQ(window.showCount, 1);
    EXPECT_EQ(view.delegate, &manager());
}

TEST_F(ReticleGeometryTest, ReleaseBeforeADeferredDisplayPerformsNothing) {
    cursor.location = {0, 0};
    manager().show(50.0f);
    manager().cursorMoved({40, 0}); // beyond the dead zone, not yet displayed
    manager().dismiss(true);
    EXPECT_TRUE(launchedPaths().empty());
    EXPECT_TRUE(workspace.activated.empty());
    EXPECT_EQ(window.closeCount, 0) << "nothing was shown, so nothing closes";
}

TEST_F(ReticleGeometryTest, MinDistComesFromTheSettingUnlessGiven) {
    defaults.reticleDisplayMinDist.set(5.0f);
    cursor.location = {0, 0};
    manager().show(std::nullopt);
    EXPECT_FALSE(state().reticleDisplayed);
    manager().cursorMoved({6, 0});
    EXPECT_TRUE(state().reticleDisplayed);
    manager().dismiss(false);

    manager().show(0.0f);
    EXPECT_TRUE(state().reticleDisplayed) << "an explicit 0 displays at once";
    manager().dismiss(false);
    EXPECT_EQ(state().minDist, 5.0f) << "dismiss restores the setting";
}

TEST_F(ReticleGeometryTest, NegativeOrUndefinedMinDistDisplaysAtOnce) {
    for (float minDist : {-5.0f, std::numeric_limits<float>::quiet_NaN()}) {
        SCOPED_TRACE(minDist);
        cursor.location = {0, 0};
        manager().show(minDist);
        EXPECT_TRUE(state().reticleDisplayed);
        manager().dismiss(false);
    }
}

TEST_F(ReticleGeometryTest, CentringPlacesTheWindowOnTheCursorInWholePoints) {
    window.frameRect.size = {100, 99};
    cursor.location = {500.7, 300.2};
    manager().show(0.0f);
    EXPECT_EQ(window.frameRect.origin, (Point{450, 250})) << "rounded down, not to nearest";
    EXPECT_EQ(state().reticleWindowPosition, (Point{450, 250}));
    EXPECT_EQ(state().cursorOrigin, (Point{500.7, 300.2}));

    cursor.location = {10, 10};
    manager().show(0.0f);
    EXPECT_EQ(window.showCount, 1) << "a second show only re-centres";
    EXPECT_EQ(state().cursorOrigin, (Point{10, 10}));
    EXPECT_EQ(window.frameRect.origin, (Point{-40, -40}));
}

TEST_F(ReticleGeometryTest, WindowPlacedElsewhereMovesTheOriginToItsCentre) {
    window.placedAt = Point{0, 0};
    cursor.location = {10, 10};
    manager().show(0.0f);
    manager().windowAppeared(window.frame());
    EXPECT_EQ(state().cursorOrigin, (Point{120, 120}));
    manager().cursorMoved({10, 120});
    EXPECT_EQ(state().directional, D::l) << "directions are measured from the real centre";

    window.placedAt.reset();
    manager().dismiss(false);
    cursor.location = {500, 500};
    manager().show(0.0f);
    manager().windowAppeared(window.frame());
    EXPECT_EQ(state().cursorOrigin, (Point{500, 500})) << "placed as asked: origin unchanged";

    manager().dismiss(false);
    manager().windowAppeared({{0, 0}, {240, 240}}); // late news of a closed reticle
    EXPECT_FALSE(state().cursorOrigin);
    EXPECT_FALSE(manager().cursorMoved({0, 200}));
}

TEST_F(ReticleGeometryTest, NoGestureMeansNoSteering) {
    EXPECT_FALSE(manager().cursorMoved({100, 100}));
    EXPECT_EQ(view.highlightCalls.size(), 0u);
    showAt({0, 0});
    EXPECT_TRUE(manager().cursorMoved({100, 0}));
    manager().dismiss(false);
    EXPECT_FALSE(manager().cursorMoved({0, 100}));
    EXPECT_EQ(state().directional, std::nullopt);
}

} // namespace
} // namespace zentrivo::test
