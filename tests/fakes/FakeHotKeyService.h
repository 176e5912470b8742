#pragma once

#include "app/input/HotKeyService.h"

#include <algorithm>
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
        std::uint32_t keyCode, carbonModifiers;
        EventHotKeyID hotKeyId;
    };

    std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                            EventHotKeyID hotKeyId) override {
        if (taken.count({keyCode, carbonModifiers}))
            return std::nullopt;
        registered.push_back({++lastRef, keyCode, carbonModifiers, hotKeyId});
        return lastRef;
    }
    void unregisterHotKey(HotKeyRef ref) override {
        std::erase_if(registered, [ref](const Registration& r) { return r.ref == ref; });
    }
    void setEventHandler(Handler newHandler) override { handler = std::move(newHandler); }

    /// Delivers an event the way the platform would; a missing handler leaves it unhandled.
    HotKeyEventResult send(std::optional<HotKeyEvent> event) {
        return handler ? handler(event ? &*event : nullptr) : HotKeyEventResult::notHandled;
    }
    /// Presses or releases a registered key by its key code; not handled when none is registered.
    HotKeyEventResult press(std::uint32_t keyCode, std::uint32_t kind = hotKeyEventKind::pressed) {
        const auto it = std::ranges::find(registered, keyCode, &Registration::keyCode);
        return it == registered.end() ? HotKeyEventResult::notHandled
                                      : send(HotKeyEvent{kind, it->hotKeyId});
    }

    std::vector<Registration> registered;
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken;
    Handler handler;

private:
    HotKeyRef lastRef = 0;
};

} // namespace zentrivo::test
