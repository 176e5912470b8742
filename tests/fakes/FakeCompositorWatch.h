#pragma once

#include "app/reticle/CompositorWatch.h"

namespace zentrivo::test {

/// A compositing manager the test starts and stops.
class FakeCompositorWatch final : public CompositorWatch {
public:
    bool isCompositing() const override { return compositing; }
    void setChangeHandler(std::function<void(bool)> handler) override {
        changeHandler = std::move(handler);
    }

    /// Starts (true) or stops (false) the compositor and tells the handler, as the desktop would.
    void set(bool now) {
        compositing = now;
        if (changeHandler)
            changeHandler(now);
    }

    bool compositing = false;
    std::function<void(bool)> changeHandler;
};

} // namespace zentrivo::test
