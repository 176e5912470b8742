#include "app/input/ArrowHotKeys.h"
#include "app/input/CarbonKeyboardShortcuts.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeHotKeyService.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Log = std::vector<std::int64_t>;

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

TEST_F(HotKeys, IdsRiseUnderTheSignatureThroughRefusalsAndUnregisterAll) {
    service.taken.insert({123, 0});
    add(123); // refused: it consumes id 1 and records nothing
    add(124);
    ASSERT_EQ(service.registered.size(), 1u);
    EXPECT_EQ(service.registered[0].hotKeyId, (EventHotKeyID{0x5A4E5452, 2}));
    EXPECT_EQ(service.press(124), HotKeyEventResult::handled);
    service.press(124, hotKeyEventKind::released);
    EXPECT_EQ(log, (Log{124, -124}));

    registry.unregisterAll();
    EXPECT_TRUE(service.registered.empty());
    add(125);
    EXPECT_EQ(service.registered.at(0).hotKeyId.id, 3u);
    EXPECT_EQ(service.press(125), HotKeyEventResult::handled); // the handler stayed
}

TEST_F(HotKeys, OutOfRangeShortcutIsRefusedWithoutReachingTheSystem) {
    add(-1);
    add(1, std::int64_t{1} << 32);
    EXPECT_TRUE(service.registered.empty());
    EXPECT_EQ(registry.lastHotKeyId(), 2u);
}

TEST_F(HotKeys, EventsThatAreNotOursAreNotConsumed) {
    add(123);
    const auto ours = service.registered[0].hotKeyId;
    const std::uint32_t pressed = hotKeyEventKind::pressed;
    for (const auto& event :
         {std::optional<HotKeyEvent>{}, std::optional(HotKeyEvent{pressed, {}}),
          std::optional(HotKeyEvent{pressed, EventHotKeyID{0x41424344, ours.id}}),
          std::optional(HotKeyEvent{pressed, EventHotKeyID{ours.signature, 99}}),
          std::optional(HotKeyEvent{7, ours})})
        EXPECT_EQ(service.send(event), HotKeyEventResult::notHandled);
    EXPECT_TRUE(log.empty());
}

TEST_F(HotKeys, CallbackMayUnregisterEverything) {
    registry.registerShortcut(
        {123, 0},
        [this](const Shortcut& s) { registry.unregisterAll(), log.push_back(s.carbonKeyCode); },
        {});
    EXPECT_EQ(service.press(123), HotKeyEventResult::handled);
    EXPECT_EQ(log, Log{123});
    EXPECT_TRUE(registry.hotKeys().empty());
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
            service.press(key.keyCode, hotKeyEventKind::released);
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
