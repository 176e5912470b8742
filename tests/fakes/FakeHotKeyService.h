#pragma once

#include "app/input/HotKeyService.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace zentrivo::test {

/// Hot keys in memory: records registrations, refuses the combinations listed in `taken`, and
/// hands events to the installed handler.
class FakeHotKeyService final : public HotKeyService {
public:
    struct Registration {
        HotKeyRef ref;
        std::uint32_t keyCode;
        std::uint32_t carbonModifiers;
        EventHotKeyID hotKeyId;
    };

    std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                            EventHotKeyID hotKeyId) override {
        ++attempts;
        if (taken.count({keyCode, carbonModifiers}))
            return std::nullopt;
        registered.push_back({nextRef, keyCode, carbonModifiers, hotKeyId});
        return nextRef++;
    }
    void unregisterHotKey(HotKeyRef ref) override {
        std::erase_if(registered, [ref](const Registration& r) { return r.ref == ref; });
        ++unregistrations;
    }
    void setEventHandler(Handler newHandler) override {
        handler = std::move(newHandler);
        ++handlerInstalls;
    }

    /// Delivers an event the way the platform would; a missing handler leaves it unhandled.
    HotKeyEventResult send(std::optional<HotKeyEvent> event) {
        if (!handler)
            return HotKeyEventResult::notHandled;
        return handler(event ? &*event : nullptr);
    }
    /// Presses or releases a registered key by its key code; not handled when it is not held.
    HotKeyEventResult press(std::uint32_t keyCode, std::uint32_t kind = hotKeyEventKind::pressed) {
        const auto it =
            std::find_if(registered.begin(), registered.end(),
                         [keyCode](const Registration& r) { return r.keyCode == keyCode; });
        if (it == registered.end())
            return HotKeyEventResult::notHandled;
        return send(HotKeyEvent{kind, it->hotKeyId});
    }

    std::vector<Registration> registered;
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken;
    Handler handler;
    int attempts = 0;
    int unregistrations = 0;
    int handlerInstalls = 0;

private:
    HotKeyRef nextRef = 1;
};

} // namespace zentrivo::test
