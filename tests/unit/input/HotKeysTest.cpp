#include "app/input/ArrowHotKeys.h"
#include "app/input/CarbonKeyboardShortcuts.h"
#include "app/input/HotKeyService.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>
#include <map>

namespace zentrivo {
namespace {

/// Hot keys in memory: refuses the key code another program holds, and hands events to the
/// installed handler.
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
    HotKeyEventResult send(std::optional<HotKeyEvent> event) {
        return handler ? handler(event ? &*event : nullptr) : HotKeyEventResult::notHandled;
    }

    std::map<HotKeyRef, Registration> registered; // by reference: 1, 2, … in registration order
    std::optional<std::uint32_t> refused;
    Handler handler;
    HotKeyRef lastRef = 0;
};

using Log = std::vector<std::int64_t>;
using enum HotKeyEventResult;
constexpr std::uint32_t zntr = 0x5A4E5452, pressed = 5, released = 6;

TEST(HotKeys, EveryAttemptTakesAnIdOnlyOurOwnEventsAreConsumedAndTheRegistryCleansUp) {
    FakeHotKeyService service;
    auto registry = std::make_unique<CarbonKeyboardShortcuts>(service);
    Log log; // key codes pressed, negated when released
    const auto send = [&](std::uint32_t kind, std::uint32_t id, std::uint32_t signature = zntr) {
        return service.send(HotKeyEvent{kind, EventHotKeyID{signature, id}});
    };
    service.refused = 123; // held by another program
    // ids 1 to 5: only the last two fit in 32 bits and are free
    for (const Shortcut shortcut :
         {Shortcut{123, 0}, {-1, 0}, {1, std::int64_t{1} << 32}, {0, 0xFFFFFFFF}, {124, 0}})
        registry->registerShortcut(
            shortcut, [&](const Shortcut& s) { log.push_back(s.carbonKeyCode); },
            [&](const Shortcut& s) { log.push_back(-s.carbonKeyCode); });
    EXPECT_EQ(std::pair(service.registered.at(1).hotKeyId, service.registered.at(2).hotKeyId),
              std::pair(EventHotKeyID{zntr, 4}, EventHotKeyID{zntr, 5}));
    EXPECT_EQ(std::vector({send(pressed, 5), send(released, 5)}), std::vector(2, handled));
    // no event, another program's key, the id the system refused, another kind of event
    EXPECT_EQ(std::vector({service.send(std::nullopt), send(pressed, 5, 0x41424344),
                           send(pressed, 1), send(7, 5)}),
              std::vector(4, notHandled));
    EXPECT_EQ(log, (Log{124, -124}));

    registry->unregisterAll();  // the handler stays for the keys that follow
    registry->registerShortcut( // a callback may unregister every key, its own included
        {125, 0},
        [&](const Shortcut& s) { registry->unregisterAll(), log.push_back(s.carbonKeyCode); }, {});
    EXPECT_EQ(send(pressed, 6), handled);
    EXPECT_EQ(log, (Log{124, -124, 125}));

    registry->registerShortcut({126, 0}, {}, {});
    registry.reset();
    EXPECT_EQ(std::pair(service.registered.size(), bool(service.handler)), std::pair(0ul, false));
}

TEST(HotKeys, ArrowKeysTakeTheChosenSetWithTranslatedModifiersAndReportDirections) {
    FakeHotKeyService service;
    CarbonKeyboardShortcuts registry{service};
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    ArrowHotKeys arrows{registry, defaults};
    using enum Directional; // left, right, up, down
    std::vector<Directional> downs, ups;
    // Command, shift, option and control translate bit by bit; caps lock and function are dropped.
    const std::tuple<std::int64_t, OptionalBool, Log, std::uint32_t> cases[] = {
        {0x9F0000, OptionalBool::userDisabled, {123, 124, 126, 125}, 0x1B00},
        {0x140000, OptionalBool::userEnabled, {4, 37, 40, 38}, 0x1100},
        {0, OptionalBool::undefined, {123, 124, 126, 125}, 0},
        {-1, OptionalBool::undefined, {}, 0},
    };
    for (const auto& [reticleFlags, vim, keyCodes, carbonModifiers] : cases) {
        SCOPED_TRACE(reticleFlags);
        defaults.reticleFlags.set(reticleFlags);
        defaults.vimKeyShortcuts.set(vim);
        arrows.unregisterAll();
        arrows.registerKeys([&](Directional d) { downs.push_back(d); },
                            [&](Directional d) { ups.push_back(d); });
        Log registered;
        for (const auto& [ref, key] : service.registered) {
            registered.push_back(key.keyCode);
            EXPECT_EQ(key.carbonModifiers, carbonModifiers);
            service.send(HotKeyEvent{pressed, key.hotKeyId});
            service.send(HotKeyEvent{released, key.hotKeyId});
        }
        EXPECT_EQ(registered, keyCodes);
    }
    const std::vector directions{l, r, t, b, l, r, t, b, l, r, t, b}; // the first three rows' keys
    EXPECT_EQ(std::pair(downs, ups), std::pair(directions, directions));
}

} // namespace
} // namespace zentrivo
