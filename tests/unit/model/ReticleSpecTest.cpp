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
    EXPECT_EQ(std::hash<Action>{}(composed), std::hash<Action>{}(decomposed));
    EXPECT_TRUE(std::unordered_set<Action>{composed}.contains(decomposed));
}

TEST(ReticleSpecJson, EncodesSetSlotsInDeclarationOrderAndRoundTrips) {
    ReticleSpec spec;
    spec.id = 1;
    EXPECT_EQ(spec.toJsonString(), R"({"id":1})");
    spec.setSlot(Directional::c, Action{"c.app", ActionType::app});
    spec.setSlot(Directional::br, Action::lastApp());
    spec.setSlot(Directional::tl, Action{"/tmp/a b", ActionType::file});
    const std::string text = spec.toJsonString();
    EXPECT_EQ(text, R"({"id":1,"tl":{"stringValue":"/tmp/a b","type":1},)"
                    R"("br":{"stringValue":"","type":2},"c":{"stringValue":"c.app","type":0}})");
    EXPECT_EQ(ReticleSpec::fromJsonString(text), spec);
}

TEST(ReticleSpecJson, DecodingFailsWholeRecordOrTreatsNullAsEmpty) {
    const std::pair<const char*, bool> cases[] = {
        {R"({"id":0,"tr":null})", true},
        {R"({"id":0,"zz":{"bogus":1},"t":{"stringValue":"a","type":0,"extra":1}})", true},
        {R"({"tr":{"stringValue":"a","type":0}})", false},
        {R"({})", false},
        {R"({"id":"0"})", false},
        {R"({"id":18446744073709551615})", false},
        {R"({"id":0,"t":{"stringValue":"a","type":4}})", false},
        {R"({"id":0,"t":{"stringValue":"a","type":-1}})", false},
        {R"({"id":0,"t":{"stringValue":3,"type":0}})", false},
        {R"({"id":0,"t":{"stringValue":"a"}})", false},
        {R"({"id":0,"t":"a"})", false},
        {"not json", false},
    };
    for (const auto& [text, decodes] : cases) {
        SCOPED_TRACE(text);
        const auto spec = ReticleSpec::fromJsonString(text);
        EXPECT_EQ(spec.has_value(), decodes);
        EXPECT_FALSE(spec && spec->tr) << "a null slot is empty";
    }
}

} // namespace
} // namespace zentrivo
