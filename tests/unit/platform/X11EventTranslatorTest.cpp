#include "platform/linux/X11EventTranslator.h"

#include <gtest/gtest.h>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/X.h>

namespace zentrivo::platform {
namespace {

TEST(X11EventTranslatorTest, modifierStatesMapToTheDeviceIndependentFlags) {
    const struct {
        unsigned int xState;
        std::uint64_t flags;
    } table[] = {
        {0, 0},
        {ShiftMask, 0x20000},
        {LockMask, 0x10000},
        {ControlMask, 0x40000},
        {Mod1Mask, 0x80000},
        {Mod4Mask, 0x100000},
        {Mod4Mask | Mod1Mask, 0x180000},
        {Mod4Mask | Mod1Mask | LockMask, 0x190000},
        {ShiftMask | LockMask | ControlMask | Mod1Mask | Mod4Mask, 0x1F0000},
        // Num Lock (Mod2), Mod3, AltGr (Mod5) and pointer buttons have no counterpart.
        {Mod2Mask | Mod3Mask | Mod5Mask | Button1Mask, 0},
        {Mod2Mask | Mod4Mask, 0x100000},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.xState);
        EXPECT_EQ(X11EventTranslator::appKitFlags(row.xState), row.flags);
    }
}

TEST(X11EventTranslatorTest, buttonNumbersSkipTheScrollButtons) {
    const struct {
        int xButton;
        std::optional<std::int64_t> number;
    } table[] = {
        {1, 0},
        {3, 1},
        {2, 2},
        {8, 3},
        {9, 4},
        {4, std::nullopt},
        {5, std::nullopt},
        {6, std::nullopt},
        {7, std::nullopt},
        {0, std::nullopt},
        {10, std::nullopt},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.xButton);
        EXPECT_EQ(X11EventTranslator::buttonNumber(row.xButton), row.number);
    }
}

TEST(X11EventTranslatorTest, aModifierChangeReportsOnlyWhenTheFlagsChange) {
    X11EventTranslator translator;
    translator.resetModifiers(Mod2Mask); // Num Lock on at start: no flags, no report
    EXPECT_EQ(translator.currentFlags(), 0u);

    auto super = translator.modifiersChanged(Mod2Mask | Mod4Mask, 1000);
    ASSERT_TRUE(super);
    EXPECT_EQ(super->type, EventType::flagsChanged);
    EXPECT_EQ(super->modifierFlags, 0x100000u);
    EXPECT_DOUBLE_EQ(super->timestamp, 1.0);

    // Num Lock toggled off while Super is held: nothing the program can see changed.
    EXPECT_FALSE(translator.modifiersChanged(Mod4Mask, 1001));

    auto released = translator.modifiersChanged(0, 1002);
    ASSERT_TRUE(released);
    EXPECT_EQ(released->modifierFlags, 0u);
}

TEST(X11EventTranslatorTest, buttonsAndMotionCarryTheCurrentFlags) {
    X11EventTranslator translator;
    translator.resetModifiers(ShiftMask);
    auto down = translator.button(8, true, 5);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->type, EventType::otherMouseDown);
    EXPECT_EQ(down->buttonNumber, 3);
    EXPECT_EQ(down->modifierFlags, 0x20000u);
    EXPECT_EQ(translator.motion(6).modifierFlags, 0x20000u);
    EXPECT_FALSE(translator.button(4, true, 7));
    EXPECT_FALSE(translator.button(4, false, 8));
}

TEST(X11EventTranslatorTest, motionIsDraggedByTheHeldButtonWithLeftFirst) {
    const struct {
        const char* what;
        std::vector<std::pair<int, bool>> buttons; // X button, pressed
        EventType type;
        std::int64_t number;
    } table[] = {
        {"nothing held", {}, EventType::mouseMoved, 0},
        {"left", {{1, true}}, EventType::leftMouseDragged, 0},
        {"right", {{3, true}}, EventType::rightMouseDragged, 1},
        {"middle", {{2, true}}, EventType::otherMouseDragged, 2},
        {"button 8", {{8, true}}, EventType::otherMouseDragged, 3},
        {"button 9", {{9, true}}, EventType::otherMouseDragged, 4},
        {"left and 8", {{8, true}, {1, true}}, EventType::leftMouseDragged, 0},
        {"right and 9", {{9, true}, {3, true}}, EventType::rightMouseDragged, 1},
        {"8 then 9: the latest", {{8, true}, {9, true}}, EventType::otherMouseDragged, 4},
        {"9 released, 8 still held",
         {{8, true}, {9, true}, {9, false}},
         EventType::otherMouseDragged,
         3},
        {"8 released, 9 still held",
         {{8, true}, {9, true}, {8, false}},
         EventType::otherMouseDragged,
         4},
        {"all released", {{1, true}, {8, true}, {1, false}, {8, false}}, EventType::mouseMoved, 0},
        {"release never pressed", {{9, false}}, EventType::mouseMoved, 0},
        {"scroll does not hold", {{4, true}}, EventType::mouseMoved, 0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        X11EventTranslator translator;
        for (const auto& [button, pressed] : row.buttons) {
            translator.button(button, pressed, 1);
        }
        const InputEvent moved = translator.motion(2);
        EXPECT_EQ(moved.type, row.type);
        EXPECT_EQ(moved.buttonNumber, row.number);
    }
}

TEST(X11EventTranslatorTest, buttonsHeldAtStartCountForDrags) {
    X11EventTranslator translator;
    translator.resetButtons(1u << 9);
    EXPECT_EQ(translator.motion(1).type, EventType::otherMouseDragged);
    EXPECT_EQ(translator.motion(1).buttonNumber, 4);
    translator.resetButtons(0);
    EXPECT_EQ(translator.motion(1).type, EventType::mouseMoved);
}

TEST(X11EventTranslatorTest, modifierKeysAreNoKeyEvents) {
    X11EventTranslator translator;
    EXPECT_FALSE(translator.key(true, true, 1));
    auto down = translator.key(false, true, 2);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->type, EventType::keyDown);
    auto up = translator.key(false, false, 3);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->type, EventType::keyUp);
}

TEST(X11EventTranslatorTest, timestampsStayContinuousAcrossTheServerClockWrap) {
    X11EventTranslator translator;
    const struct {
        unsigned long xTime;
        double seconds;
    } table[] = {
        {0xFFFFFC18ul, 4294967.296 - 1.0}, // one second before the wrap
        {0xFFFFFFFFul, 4294967.295},       {0x000003E8ul, 4294967.296 + 1.0}, // one second after it
        {0xFFFFFFF0ul, 4294967.280}, // a late report from before the wrap
        {0x000007D0ul, 4294967.296 + 2.0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.xTime);
        EXPECT_NEAR(translator.seconds(row.xTime), row.seconds, 1e-9);
    }
}

} // namespace
} // namespace zentrivo::platform
