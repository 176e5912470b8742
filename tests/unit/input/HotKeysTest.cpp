#include "app/input/ArrowHotKeys.h"
#include "app/input/CarbonKeyboardShortcuts.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeHotKeyService.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Log = std::vector<std::int64_t>;
constexpr std::uint32_t zntr = 0x5A4E5452, pressed = 5, released = 6;

class HotKeys : public ::testing::Test {
protected:
    void add(std::int64_t keyCode, std::int64_t modifiers = 0) {
        registry.registerShortcut(
            {keyCode, modifiers}, [this](const Shortcut& s) { log.push_back(s.carbonKeyCode); },
            [this](const Shortcut& s) { log.push_back(-s.carbonKeyCode); });
    }

    test::FakeHotKeyService service;
    CarbonKeyboardShortcuts registry{service};
    Log log; // key codes pressed, negated when released
};

TEST_F(HotKeys, EveryAttemptTakesAnIdAndOnlyFreeKeysThatFitIn32BitsRegister) {
    service.refused = 123;
    add(123); // 1: held by another program
    add(-1);  // 2
    add(1, std::int64_t{1} << 32);
    add(0, 0xFFFFFFFF);
    add(124);                                 // 5
    EXPECT_EQ(registry.hotKeys().size(), 2u); // what the system refused is not kept either
    ASSERT_EQ(service.registered.size(), 2u);
    EXPECT_EQ(service.registered[0].hotKeyId, (EventHotKeyID{zntr, 4}));
    EXPECT_EQ(service.registered[1].hotKeyId, (EventHotKeyID{zntr, 5}));
    EXPECT_EQ(service.press(124), HotKeyEventResult::handled);
    EXPECT_EQ(service.press(124, released), HotKeyEventResult::handled);
    EXPECT_EQ(log, (Log{124, -124}));

    registry.unregisterAll();
    EXPECT_TRUE(service.registered.empty());
    add(125);
    EXPECT_EQ(service.registered.at(0).hotKeyId, (EventHotKeyID{zntr, 6}));
    EXPECT_EQ(service.press(125), HotKeyEventResult::handled); // the handler stayed
}

TEST_F(HotKeys, OnlyOurOwnPressesAndReleasesAreConsumedAndACallbackMayUnregisterAll) {
    registry.registerShortcut(
        {123, 0},
        [this](const Shortcut& s) { registry.unregisterAll(), log.push_back(s.carbonKeyCode); },
        {});
    const EventHotKeyID ours{zntr, 1};
    for (const auto& event : {std::optional<HotKeyEvent>{},
                              std::optional(HotKeyEvent{pressed, EventHotKeyID{0x41424344, 1}}),
                              std::optional(HotKeyEvent{pressed, EventHotKeyID{zntr, 2}}),
                              std::optional(HotKeyEvent{7, ours})})
        EXPECT_EQ(service.send(event), HotKeyEventResult::notHandled);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(service.send(HotKeyEvent{pressed, ours}), HotKeyEventResult::handled);
    EXPECT_EQ(log, Log{123});
    EXPECT_TRUE(service.registered.empty());
}

TEST(HotKeyRegistry, DestructionUnregistersAndRemovesTheHandler) {
    test::FakeHotKeyService service;
    CarbonKeyboardShortcuts(service).registerShortcut({123, 0}, [](const Shortcut&) {}, {});
    EXPECT_TRUE(service.registered.empty());
    EXPECT_FALSE(service.handler);
}

TEST_F(HotKeys, ArrowKeysTakeTheChosenSetWithTranslatedModifiersAndReportDirections) {
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    ArrowHotKeys arrows{registry, defaults};
    // Command, shift, option and control translate bit by bit; caps lock and function are dropped.
    const std::tuple<std::int64_t, OptionalBool, Log, std::uint32_t> cases[] = {
        {0x1E0000, OptionalBool::undefined, {123, 124, 126, 125}, 0x1B00},
        {0x990000, OptionalBool::userDisabled, {123, 124, 126, 125}, 0x900},
        {0x140000, OptionalBool::userEnabled, {4, 37, 40, 38}, 0x1100},
        {0, OptionalBool::undefined, {123, 124, 126, 125}, 0},
        {-1, OptionalBool::undefined, {}, 0},
    };
    for (const auto& [reticleFlags, vim, keyCodes, carbonModifiers] : cases) {
        SCOPED_TRACE(reticleFlags);
        defaults.reticleFlags.set(reticleFlags);
        defaults.vimKeyShortcuts.set(vim);
        std::vector<Directional> downs, ups;
        arrows.unregisterAll();
        arrows.registerKeys([&](Directional d) { downs.push_back(d); },
                            [&](Directional d) { ups.push_back(d); });
        Log registered;
        for (const auto& key : service.registered) {
            registered.push_back(key.keyCode);
            EXPECT_EQ(key.carbonModifiers, carbonModifiers);
            service.press(key.keyCode);
            service.press(key.keyCode, released);
        }
        EXPECT_EQ(registered, keyCodes);
        using enum Directional; // left, right, up, down
        const auto expected =
            keyCodes.empty() ? std::vector<Directional>{} : std::vector{l, r, t, b};
        EXPECT_EQ(std::pair(downs, ups), std::pair(expected, expected));
    }
}

} // namespace
} // namespace zentrivo
