#include "app/input/ArrowHotKeys.h"
#include "app/input/CarbonKeyboardShortcuts.h"
#include "app/input/Shortcut.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeHotKeyService.h"

#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <unordered_set>

namespace zentrivo {
namespace {

using test::FakeHotKeyService;

TEST(Shortcut, TranslatesModifiersBitByBit) {
    struct Case {
        std::uint64_t flags;
        std::int64_t carbon;
    };
    const Case cases[] = {
        {0, 0},
        {0x100000, 0x100},
        {0x20000, 0x200},
        {0x80000, 0x800},
        {0x40000, 0x1000},
        {0x180000, 0x900},
        {0xC0000, 0x1800},
        {0x1E0000, 0x1B00},
        {0x190000, 0x900}, // caps lock dropped
        {0x880000, 0x800}, // function dropped
        {0xFFFF, 0},       // device-dependent bits dropped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(Shortcut::carbonModifiersFrom(c.flags), c.carbon);
        // Back again, only the four translatable bits survive.
        EXPECT_EQ(Shortcut::modifierFlagsFrom(c.carbon), c.flags & 0x1E0000);
    }
    EXPECT_EQ(Shortcut::fromModifierFlags(123, 0x180000), (Shortcut{123, 0x900}));
    EXPECT_EQ((Shortcut{123, 0x1800}).modifierFlags(), 0xC0000u);
}

TEST(Shortcut, CodesAsAKeyedRecordAndRejectsBadRecords) {
    const Shortcut shortcut{126, 0x900};
    EXPECT_EQ(shortcut.toJson().dump(), R"({"carbonKeyCode":126,"carbonModifiers":2304})");
    EXPECT_EQ(Shortcut::fromJsonString(shortcut.toJson().dump()), shortcut);
    for (const char* bad : {"", "[]", R"({"carbonKeyCode":1})", R"({"carbonModifiers":1})",
                            R"({"carbonKeyCode":"1","carbonModifiers":0})",
                            R"({"carbonKeyCode":1.5,"carbonModifiers":0})",
                            R"({"carbonKeyCode":18446744073709551615,"carbonModifiers":0})"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Shortcut::fromJsonString(bad).has_value());
    }
    std::unordered_set<Shortcut> set{shortcut, Shortcut{126, 0x900}, Shortcut{125, 0x900}};
    EXPECT_EQ(set.size(), 2u);
}

class HotKeyRegistry : public ::testing::Test {
protected:
    FakeHotKeyService service;
    CarbonKeyboardShortcuts registry{service};
    std::vector<std::string> log;
    CarbonKeyboardShortcuts::Callback record(std::string what) {
        return [this, what](const Shortcut& s) {
            log.push_back(what + " " + std::to_string(s.carbonKeyCode));
        };
    }
};

TEST_F(HotKeyRegistry, RegistersUnderSignatureAndRisingIds) {
    registry.registerShortcut({123, 0x900}, record("down"), record("up"));
    registry.registerShortcut({124, 0x900}, record("down"), record("up"));
    ASSERT_EQ(service.registered.size(), 2u);
    EXPECT_EQ(service.registered[0].hotKeyId, (EventHotKeyID{0x5A4E5452, 1}));
    EXPECT_EQ(service.registered[1].hotKeyId, (EventHotKeyID{0x5A4E5452, 2}));
    EXPECT_EQ(service.registered[0].carbonModifiers, 0x900u);
    EXPECT_EQ(registry.hotKeys().size(), 2u);
    EXPECT_EQ(service.handlerInstalls, 1); // installed once

    EXPECT_EQ(service.press(124), HotKeyEventResult::handled);
    EXPECT_EQ(service.press(124, hotKeyEventKind::released), HotKeyEventResult::handled);
    EXPECT_EQ(log, (std::vector<std::string>{"down 124", "up 124"}));
}

TEST_F(HotKeyRegistry, RefusedRegistrationConsumesAnIdAndRecordsNothing) {
    service.taken.insert({123, 0x900});
    registry.registerShortcut({123, 0x900}, record("down"), record("up"));
    EXPECT_TRUE(registry.hotKeys().empty());
    EXPECT_EQ(service.handlerInstalls, 0); // only a successful registration installs it
    registry.registerShortcut({124, 0x900}, record("down"), record("up"));
    ASSERT_EQ(registry.hotKeys().size(), 1u);
    EXPECT_EQ(registry.hotKeys().begin()->first, 2u);
}

TEST_F(HotKeyRegistry, OutOfRangeShortcutIsRefusedWithoutReachingTheSystem) {
    registry.registerShortcut({-1, 0}, record("down"), nullptr);
    registry.registerShortcut({1, std::int64_t{1} << 32}, record("down"), nullptr);
    EXPECT_EQ(service.attempts, 0);
    EXPECT_TRUE(registry.hotKeys().empty());
    EXPECT_EQ(registry.lastHotKeyId(), 2u);
}

TEST_F(HotKeyRegistry, IdsContinueAfterUnregisterAll) {
    registry.registerShortcut({123, 0}, record("down"), record("up"));
    registry.registerShortcut({124, 0}, record("down"), record("up"));
    registry.unregisterAll();
    EXPECT_TRUE(registry.hotKeys().empty());
    EXPECT_TRUE(service.registered.empty());
    EXPECT_EQ(service.unregistrations, 2);
    EXPECT_TRUE(service.handler); // the handler stays

    registry.registerShortcut({123, 0}, record("down"), record("up"));
    ASSERT_EQ(service.registered.size(), 1u);
    EXPECT_EQ(service.registered[0].hotKeyId.id, 3u);
}

TEST_F(HotKeyRegistry, EventsThatAreNotOursAreNotConsumed) {
    registry.registerShortcut({123, 0}, record("down"), record("up"));
    const auto ours = service.registered[0].hotKeyId;
    struct Case {
        const char* what;
        std::optional<HotKeyEvent> event;
    };
    const Case cases[] = {
        {"no event", std::nullopt},
        {"no id", HotKeyEvent{hotKeyEventKind::pressed, std::nullopt}},
        {"foreign signature",
         HotKeyEvent{hotKeyEventKind::pressed, EventHotKeyID{0x41424344, ours.id}}},
        {"unknown id", HotKeyEvent{hotKeyEventKind::pressed, EventHotKeyID{ours.signature, 99}}},
        {"other kind", HotKeyEvent{7, ours}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(service.send(c.event), HotKeyEventResult::notHandled);
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(HotKeyRegistry, CallbackMayUnregisterEverything) {
    registry.registerShortcut(
        {123, 0},
        [this](const Shortcut& s) {
            registry.unregisterAll();
            log.push_back("down " + std::to_string(s.carbonKeyCode));
        },
        nullptr);
    EXPECT_EQ(service.press(123), HotKeyEventResult::handled);
    EXPECT_EQ(log, (std::vector<std::string>{"down 123"}));
    EXPECT_TRUE(registry.hotKeys().empty());
}

TEST(HotKeyRegistryLifetime, DestructionUnregistersAndRemovesTheHandler) {
    FakeHotKeyService service;
    {
        CarbonKeyboardShortcuts registry(service);
        registry.registerShortcut(
            {123, 0}, [](const Shortcut&) {}, nullptr);
    }
    EXPECT_TRUE(service.registered.empty());
    EXPECT_FALSE(service.handler);
}

class ArrowKeys : public ::testing::Test {
protected:
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    FakeHotKeyService service;
    CarbonKeyboardShortcuts registry{service};
    ArrowHotKeys arrows{registry, defaults};
    std::vector<Directional> downs, ups;

    std::vector<std::uint32_t> keyCodes() const {
        std::vector<std::uint32_t> codes;
        for (const auto& r : service.registered)
            codes.push_back(r.keyCode);
        return codes;
    }
};

TEST_F(ArrowKeys, RegistersTheChosenKeySetWithTranslatedModifiers) {
    struct Case {
        std::int64_t reticleFlags;
        OptionalBool vim;
        std::vector<std::uint32_t> keyCodes;
        std::uint32_t carbonModifiers;
    };
    const Case cases[] = {
        {0xC0000, OptionalBool::undefined, {123, 124, 126, 125}, 0x1800},
        {0x180000, OptionalBool::userDisabled, {123, 124, 126, 125}, 0x900},
        {0x190000, OptionalBool::undefined, {123, 124, 126, 125}, 0x900},
        {0x180000, OptionalBool::userEnabled, {4, 37, 40, 38}, 0x900},
        {0, OptionalBool::undefined, {123, 124, 126, 125}, 0},
        {-1, OptionalBool::undefined, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reticleFlags);
        arrows.unregisterAll();
        defaults.reticleFlags.set(c.reticleFlags);
        defaults.vimKeyShortcuts.set(c.vim);
        arrows.registerKeys([](Directional) {}, nullptr);
        EXPECT_EQ(keyCodes(), c.keyCodes);
        for (const auto& r : service.registered)
            EXPECT_EQ(r.carbonModifiers, c.carbonModifiers);
    }
}

TEST_F(ArrowKeys, KeysCallTheCallerWithTheirDirection) {
    struct Case {
        OptionalBool vim;
        std::uint32_t keyCode;
        Directional direction;
    };
    const Case cases[] = {
        {OptionalBool::undefined, 123, Directional::l},
        {OptionalBool::undefined, 124, Directional::r},
        {OptionalBool::undefined, 126, Directional::t},
        {OptionalBool::undefined, 125, Directional::b},
        {OptionalBool::userEnabled, 4, Directional::l},
        {OptionalBool::userEnabled, 37, Directional::r},
        {OptionalBool::userEnabled, 40, Directional::t},
        {OptionalBool::userEnabled, 38, Directional::b},
    };
    defaults.reticleFlags.set(0xC0000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyCode);
        arrows.unregisterAll();
        downs.clear();
        defaults.vimKeyShortcuts.set(c.vim);
        arrows.registerKeys([this](Directional d) { downs.push_back(d); }, nullptr);
        EXPECT_EQ(service.press(c.keyCode), HotKeyEventResult::handled);
        // No key-up function: the release is consumed and calls nothing.
        EXPECT_EQ(service.press(c.keyCode, hotKeyEventKind::released), HotKeyEventResult::handled);
        EXPECT_EQ(downs, (std::vector<Directional>{c.direction}));
    }
    // The other key set is not registered.
    defaults.vimKeyShortcuts.set(OptionalBool::userEnabled);
    arrows.unregisterAll();
    arrows.registerKeys([this](Directional d) { downs.push_back(d); }, nullptr);
    EXPECT_EQ(service.press(123), HotKeyEventResult::notHandled);
}

TEST_F(ArrowKeys, KeyUpReachesTheKeyUpFunction) {
    arrows.registerKeys(nullptr, [this](Directional d) { ups.push_back(d); });
    service.press(126);
    service.press(126, hotKeyEventKind::released);
    EXPECT_EQ(ups, (std::vector<Directional>{Directional::t}));
    EXPECT_TRUE(downs.empty());
}

} // namespace
} // namespace zentrivo
