// How long one pointer event takes in the reticle manager, and whether it allocates.

#include "AllocationCounter.h"
#include "app/apps/FrontmostAppDetection.h"
#include "app/core/CursorLocation.h"
#include "app/core/Log.h"
#include "app/core/NotificationCenter.h"
#include "app/core/SystemInfo.h"
#include "app/input/ArrowKeys.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/Haptics.h"
#include "app/reticle/ReticleManager.h"
#include "app/reticle/ReticleView.h"
#include "app/reticle/ReticleWindow.h"
#include "app/reticle/SlotContainers.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace zentrivo {
namespace {

class NoopQueue final : public MainQueue {
public:
    void post(std::function<void()>) override {}
    std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds, std::function<void()>) override {
        return std::make_shared<WorkItem>();
    }
    MonoTime now() const override { return MonoTime{0}; }
};

class NoopWorkspace final : public Workspace {
public:
    std::optional<RunningApp> frontmostApplication() const override { return std::nullopt; }
    std::vector<RunningApp> runningApplications() const override { return {}; }
    void activate(const RunningApp&) override {}
    void hide(const RunningApp&) override {}
    std::optional<std::string> applicationPath(std::string_view) const override { return {}; }
    void openApplication(const std::string&, OpenCompletion) override {}
    bool openFile(const std::string&) override { return false; }
    bool openURLs(const std::vector<std::string>&, const std::string&) override { return false; }
    std::optional<InstalledApp> applicationAt(const std::string&) const override { return {}; }
    Token addActivationObserver(std::function<void(const RunningApp&)>) override { return 1; }
    void removeActivationObserver(Token) override {}
};

class NoopHaptics final : public Haptics {
public:
    void levelChange() override {}
};
class NewestSystem final : public SystemInfo {
public:
    bool isAtLeast(int, int) const override { return true; }
};
class NoArrowKeys final : public ArrowKeys {
public:
    void registerKeys(Callback, Callback) override {}
    void unregisterAll() override {}
};
class FixedCursor final : public CursorLocation {
public:
    Point mouseLocation() const override { return {1000, 1000}; }
};
class NoLog final : public Log {
public:
    void write(LogLevel, std::string_view) override {}
};
class NoProfile final : public PlatformProfile {
public:
    ReticleSpec defaultMainSpec() const override { return {}; }
    std::string fileManagerId() const override { return {}; }
};

class NoopWindow final : public ReticleWindow {
public:
    void showWindow() override {}
    void close() override {}
    void setCloseCompletion(std::function<void()>) override {}
    Rect frame() const override { return {{880, 880}, {240, 240}}; }
    void setFrameOrigin(Point) override {}
    Point mouseLocationInWindow() const override { return mouse; }
    Point mouse{-1, -1};
};

/// Does nothing but answer the in-slot test the way a real view does.
class NoopView final : public ReticleView {
public:
    NoopView() {
        for (Directional d : allDirections) {
            const int i = rawValue(d) - 1;
            containers.setFrame(d, {{80.0 * (i % 3), 80.0 * (2 - i / 3)}, {80, 80}});
            containers.setHasImage(d, d != Directional::c);
        }
    }
    void setDelegate(ReticleViewDelegate*) override {}
    void highlight(std::optional<Directional>) override {}
    void clearHighlight() override {}
    void hideHighlight(Directional) override {}
    void pulseHighlight() override {}
    void reloadSlots(bool) override {}
    void showCentreApp(const std::optional<RunningApp>&) override {}
    void clearCentreImage() override {}
    void arrowNavigate(Directional) override {}
    std::optional<Directional> slotWithImageAt(Point p) const override { return containers.hit(p); }
    SlotContainers containers;
};

struct Rig {
    Rig() {
        ReticleSpec near;
        for (Directional d : ringDirections)
            near.setSlot(d, Action{"app", ActionType::app});
        model.setMainSpec(near);
        model.setFarSlot(Action{"far", ActionType::app}, Directional::t);
        manager.show(0.0f);
    }
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    NoProfile profile;
    ReticleSpecModel model{defaults, profile};
    NoopQueue queue;
    NotificationCenter notifications;
    NoopWorkspace workspace;
    NoopHaptics haptics;
    NewestSystem system;
    NoArrowKeys arrowKeys;
    FixedCursor cursor;
    FrontmostAppDetection tracker{workspace, model, profile};
    NoLog log;
    NoopWindow window;
    NoopView view;
    ReticleManager manager{{defaults, model, queue, notifications, workspace, haptics, system,
                            arrowKeys, cursor, tracker, log, profile, window, view}};
};

std::vector<Point> circle(double radius) {
    std::vector<Point> points;
    for (int degree = 0; degree < 360; ++degree) {
        const double a = degree * M_PI / 180;
        points.push_back({1000 + radius * std::cos(a), 1000 + radius * std::sin(a)});
    }
    return points;
}

void run(benchmark::State& state, Rig& rig, const std::vector<Point>& points) {
    std::size_t i = 0;
    const std::size_t before = bench::allocationCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.manager.cursorMoved(points[i]));
        if (++i == points.size())
            i = 0;
    }
    state.counters["allocs/call"] = benchmark::Counter(
        static_cast<double>(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
}

/// The cursor circles the origin on the near ring: the selection changes every few events.
void BM_CursorMovedNearRing(benchmark::State& state) {
    Rig rig;
    const auto points = circle(120);
    run(state, rig, points);
}
BENCHMARK(BM_CursorMovedNearRing);

/// Beyond the first ring: the far panel shows after the first event.
void BM_CursorMovedFarRing(benchmark::State& state) {
    Rig rig;
    const auto points = circle(400);
    run(state, rig, points);
}
BENCHMARK(BM_CursorMovedFarRing);

/// The cursor rests in a slot's visible area: the in-slot test ends the step.
void BM_CursorMovedInsideSlot(benchmark::State& state) {
    Rig rig;
    rig.window.mouse = {120, 200};
    const auto points = circle(60);
    run(state, rig, points);
}
BENCHMARK(BM_CursorMovedInsideSlot);

/// Back and forth across the dead zone's edge: clears and re-selects on every event.
void BM_CursorMovedDeadZoneEdge(benchmark::State& state) {
    Rig rig;
    const std::vector<Point> points{{1010, 1000}, {1040, 1000}};
    run(state, rig, points);
}
BENCHMARK(BM_CursorMovedDeadZoneEdge);

/// With hover selection on, every entry into a slot arms a hover task (a work item and its
/// closure): the one step that allocates, and only when the slot under the cursor changes.
void BM_CursorMovedEnteringSlotsWithHover(benchmark::State& state) {
    Rig rig;
    rig.defaults.hoverMillis.set(800);
    const std::vector<Point> points{{1000, 1080}, {1000, 1080}};
    std::size_t i = 0;
    const std::size_t before = bench::allocationCount();
    for (auto _ : state) {
        rig.window.mouse = (i++ % 2) ? Point{120, 200} : Point{-1, -1};
        benchmark::DoNotOptimize(rig.manager.cursorMoved(points[i % 2]));
    }
    state.counters["allocs/call"] = benchmark::Counter(
        static_cast<double>(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CursorMovedEnteringSlotsWithHover);

} // namespace
} // namespace zentrivo
