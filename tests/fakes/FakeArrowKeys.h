#pragma once

#include "app/input/ArrowKeys.h"

namespace zentrivo::test {

/// Keeps the registered key-down callback (empty when none); `press` plays a key-down to it.
class FakeArrowKeys final : public ArrowKeys {
public:
    void registerKeys(Callback onKeyDown, Callback) override { keyDown = std::move(onKeyDown); }
    void unregisterAll() override { keyDown = nullptr; }
    void press(Directional d) {
        if (keyDown)
            keyDown(d);
    }

    Callback keyDown;
};

} // namespace zentrivo::test
