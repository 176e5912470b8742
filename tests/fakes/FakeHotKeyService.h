#pragma once

#include "app/input/HotKeyService.h"

#include <vector>

namespace zentrivo::test {

/// Hot keys in memory: records registrations, refuses the key code another program holds, and
/// hands events to the installed handler.
class FakeHotKeyService final : public HotKeyService {
public:
    struct Registration {
        HotKeyRef ref;
        std::uint32_t keyCode, carbonModifiers;
        EventHotKeyID hotKeyId;
    };

    std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                            EventHotKeyID hotKeyId) override {
        if (keyCode == refused)
            return std::nullopt;
        registered.push_back({++lastRef, keyCode, carbonModifiers, hotKeyId});
        return lastRef;
    }
    void unregisterHotKey(HotKeyRef ref) override {
        std::erase_if(registered, [ref](const Registration& r) { return r.ref == ref; });
    }
    void setEventHandler(Handler newHandler) override { handler = std::move(newHandler); }

    /// Delivers an event the way the platform would; without a handler it goes unhandled.
    HotKeyEventResult send(std::optional<HotKeyEvent> event) {
        return handler ? handler(event ? &*event : nullptr) : HotKeyEventResult::notHandled;
    }

    std::vector<Registration> registered;
    std::optional<std::uint32_t> refused;
    Handler handler;

private:
    HotKeyRef lastRef = 0;
};

} // namespace zentrivo::test
