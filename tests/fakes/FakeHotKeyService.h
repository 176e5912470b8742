#pragma once

#include "app/input/HotKeyService.h"

#include <map>

namespace zentrivo::test {

/// Hot keys in memory: records registrations, refuses the key code another program holds, and
/// hands events to the installed handler.
struct FakeHotKeyService final : HotKeyService {
    struct Registration {
        std::uint32_t keyCode, carbonModifiers;
        EventHotKeyID hotKeyId;
    };

    std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                            EventHotKeyID hotKeyId) override {
        if (keyCode == refused)
            return std::nullopt;
        registered[++lastRef] = {keyCode, carbonModifiers, hotKeyId};
        return lastRef;
    }
    void unregisterHotKey(HotKeyRef ref) override { registered.erase(ref); }
    void setEventHandler(Handler newHandler) override { handler = std::move(newHandler); }

    /// Delivers an event the way the platform would; without a handler it goes unhandled.
    HotKeyEventResult send(std::optional<HotKeyEvent> event) {
        return handler ? handler(event ? &*event : nullptr) : HotKeyEventResult::notHandled;
    }

    std::map<HotKeyRef, Registration> registered; // by reference: 1, 2, … in registration order
    std::optional<std::uint32_t> refused;
    Handler handler;
    HotKeyRef lastRef = 0;
};

} // namespace zentrivo::test
