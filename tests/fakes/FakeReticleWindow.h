#pragma once

#include "app/reticle/ReticleWindow.h"

#include <functional>
#include <utility>

namespace zentrivo::test {

/// A reticle window in memory. Without `fades` a close completes at once; with it, the window
/// fades out and reports nothing, as when it is shown again before the fade has ended.
class FakeReticleWindow final : public ReticleWindow {
public:
    void showWindow() override { ++showCount, visible = true; }
    void close() override {
        ++closeCount;
        if (std::exchange(visible, false) && !fades && closeCompletion)
            closeCompletion();
    }
    void setCloseCompletion(std::function<void()> completion) override {
        closeCompletion = std::move(completion);
    }
    Rect frame() const override { return frameRect; }
    void setFrameOrigin(Point origin) override { frameRect.origin = origin; }
    Point mouseLocationInWindow() const override { return mouseInWindow; }

    Rect frameRect{{0, 0}, {240, 240}};
    Point mouseInWindow{-1000, -1000};
    bool fades = false;

    bool visible = false;
    int showCount = 0;
    int closeCount = 0;
    std::function<void()> closeCompletion;
};

} // namespace zentrivo::test
