#pragma once

#include "app/input/ArrowKeys.h"

namespace zentrivo::test {

/// Records registrations; `press` plays a key-down to the last registered callback.
class FakeArrowKeys final : public ArrowKeys {
public:
    void registerKeys(Callback onKeyDown, Callback onKeyUp) override {
        ++registerCount;
        keyDown = std::move(onKeyDown);
        keyUp = std::move(onKeyUp);
        registered = true;
    }
    void unregisterAll() override {
        ++unregisterCount;
        keyDown = nullptr;
        keyUp = nullptr;
        registered = false;
    }
    void press(Directional d) {
        if (keyDown)
            keyDown(d);
    }

    int registerCount = 0;
    int unregisterCount = 0;
    bool registered = false;
    Callback keyDown;
    Callback keyUp;
};

} // namespace zentrivo::test
