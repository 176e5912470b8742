#pragma once

#include "app/reticle/CompositorWatch.h"

namespace zentrivo::test {

/// A compositor the test starts and stops with `set`, telling the handler as the desktop would.
class FakeCompositorWatch final : public CompositorWatch {
public:
    bool isCompositing() const override { return compositing; }
    void setChangeHandler(std::function<void(bool)> handler) override {
        changeHandler = std::move(handler);
    }

    void set(bool now) {
        compositing = now;
        if (changeHandler)
            changeHandler(now);
    }

    bool compositing = false;
    std::function<void(bool)> changeHandler;
};

} // namespace zentrivo::test
