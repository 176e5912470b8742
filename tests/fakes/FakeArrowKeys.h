#pragma once

#include "app/input/ArrowKeys.h"

namespace zentrivo::test {

/// Records whether keys are registered; `press` plays a key-down to the registered callback.
class FakeArrowKeys final : public ArrowKeys {
public:
    void registerKeys(Callback onKeyDown, Callback) override {
        keyDown = std::move(onKeyDown);
        registered = true;
    }
    void unregisterAll() override {
        keyDown = nullptr;
        registered = false;
    }
    void press(Directional d) {
        if (keyDown)
            keyDown(d);
    }

    bool registered = false;
    Callback keyDown;
};

} // namespace zentrivo::test
