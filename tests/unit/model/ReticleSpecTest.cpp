#include "app/model/ReticleSpec.h"

#include <gtest/gtest.h>
#include <unordered_set>

namespace zentrivo {
namespace {

TEST(ActionEquality, TypeAndCanonicalTextDecide) {
    const Action app{"org.example.Mail", ActionType::app};
    EXPECT_NE(app, (Action{"org.example.Mail", ActionType::runningApp}));
    EXPECT_NE(app, (Action{"org.example.mail", ActionType::app}));

    // "é" composed (U+00E9) and decomposed (e + U+0301) name the same file.
    const Action composed{"/home/u/caf\xC3\xA9", ActionType::file};
    const Action decomposed{"/home/u/cafe\xCC\x81", ActionType::file};
    EXPECT_EQ(composed, decomposed);
    EXPECT_TRUE(std::unordered_set<Action>{composed}.contains(decomposed));
}

// Stored panels and exports name the positions by these keys.
TEST(ReticleSpecJson, EveryPositionKeepsItsKeyBothWays) {
    const std::string text =
        R"({"id":1,"tl":{"stringValue":"tl","type":0},"t":{"stringValue":"/t","type":1},)"
        R"("tr":{"stringValue":"","type":2},"l":{"stringValue":"l","type":3},)"
        R"("r":{"stringValue":"r","type":0},"bl":{"stringValue":"bl","type":0},)"
        R"("b":{"stringValue":"b","type":0},"br":{"stringValue":"br","type":0},)"
        R"("c":{"stringValue":"c","type":0}})";
    const std::tuple<Directional, Action> slots[] = {
        {Directional::tl, {"tl", ActionType::app}}, {Directional::t, {"/t", ActionType::file}},
        {Directional::tr, Action::lastApp()},       {Directional::l, {"l", ActionType::runningApp}},
        {Directional::r, {"r", ActionType::app}},   {Directional::bl, {"bl", ActionType::app}},
        {Directional::b, {"b", ActionType::app}},   {Directional::br, {"br", ActionType::app}},
        {Directional::c, {"c", ActionType::app}},
    };
    const auto spec = ReticleSpec::fromJsonString(text);
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->id, 1);
    for (const auto& [position, action] : slots)
        EXPECT_EQ(spec->slot(position), action) << static_cast<int>(position);
    EXPECT_EQ(spec->toJsonString(), text);
    EXPECT_EQ(ReticleSpec{}.toJsonString(), R"({"id":0})") << "an empty slot is no key";
}

TEST(ReticleSpecJson, DecodingFailsWholeRecordOrTreatsNullAsEmpty) {
    const std::pair<std::string, bool> cases[] = {
        {R"({"id":0,"tr":null})", true},
        {R"({"id":0,"zz":{"bogus":1},"t":{"stringValue":"a","type":0,"extra":1}})", true},
        {R"({"tr":{"stringValue":"a","type":0}})", false},
        {R"({"id":"0"})", false},
        {R"({"id":18446744073709551615})", false},
        {R"({"id":0,"t":{"stringValue":"a","type":4}})", false},
        {R"({"id":0,"t":{"stringValue":"a","type":-1}})", false},
        {R"({"id":0,"t":{"stringValue":3,"type":0}})", false},
        {R"({"id":0,"t":{"stringValue":"a"}})", false},
        {R"({"id":)", false},
    };
    for (const auto& [text, decodes] : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        const auto spec = ReticleSpec::fromJsonString(text);
        EXPECT_EQ(spec.has_value(), decodes);
        EXPECT_FALSE(spec && spec->tr) << "a null slot is empty";
    }
}

} // namespace
} // namespace zentrivo
