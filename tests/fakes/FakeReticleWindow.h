#pragma once

#include "app/reticle/ReticleWindow.h"

#include <optional>

namespace zentrivo::test {

/// A reticle window in memory. Without `fades` a close completes at once; with it, the close
/// stays pending until `finishFade()` (or is cancelled by `showWindow`), like the fading window.
class FakeReticleWindow final : public ReticleWindow {
public:
    void showWindow() override {
        ++showCount;
        visible = true;
        closePending = false;
    }
    void close() override {
        ++closeCount;
        if (!visible)
            return;
        visible = false;
        if (fades) {
            closePending = true;
            return;
        }
        if (closeCompletion)
            closeCompletion();
    }
    void setCloseCompletion(std::function<void()> completion) override {
        closeCompletion = std::move(completion);
    }
    Rect frame() const override { return frameRect; }
    void setFrameOrigin(Point origin) override {
        ++moveCount;
        frameRect.origin = placedAt ? *placedAt : origin;
    }
    Point mouseLocationInWindow() const override { return mouseInWindow; }

    /// The pending close of a fade-out happens now.
    void finishFade() {
        if (!closePending)
            return;
        closePending = false;
        if (closeCompletion)
            closeCompletion();
    }

    Rect frameRect{{0, 0}, {240, 240}};
    /// When set, the window system puts the window here whatever origin is asked for.
    std::optional<Point> placedAt;
    Point mouseInWindow{-1000, -1000};
    bool fades = false;

    bool visible = false;
    bool closePending = false;
    int showCount = 0;
    int closeCount = 0;
    int moveCount = 0;
    std::function<void()> closeCompletion;
};

} // namespace zentrivo::test
