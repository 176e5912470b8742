#include "app/model/ReticleSpec.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

TEST(ReticleSpecJson, EmptyPanelEncodesOnlyItsId) {
    ReticleSpec spec;
    spec.id = 1;
    EXPECT_EQ(spec.toJsonString(), R"({"id":1})");
}

TEST(ReticleSpecJson, KeysFollowDeclarationOrderAndRoundTrip) {
    ReticleSpec spec;
    spec.setSlot(Directional::c, Action{"c.app", ActionType::app});
    spec.setSlot(Directional::br, Action::lastApp());
    spec.setSlot(Directional::tl, Action{"/tmp/a b", ActionType::file});
    const std::string text = spec.toJsonString();
    EXPECT_EQ(text, R"({"id":0,"tl":{"stringValue":"/tmp/a b","type":1},)"
                    R"("br":{"stringValue":"","type":2},"c":{"stringValue":"c.app","type":0}})");
    EXPECT_EQ(ReticleSpec::fromJsonString(text), spec);
}

TEST(ReticleSpecJson, DecodingFailsWholeRecordOrTreatsNullAsEmpty) {
    struct Case {
        const char* text;
        bool decodes;
    };
    const Case cases[] = {
        {R"({"id":0,"tr":null})", true},
        {R"({"id":0,"zz":{"bogus":1}})", true},
        {R"({"tr":{"stringValue":"a","type":0}})", false},
        {R"({"id":"0"})", false},
        {R"({"id":1.5})", false},
        {R"({"id":0,"t":{"stringValue":"a","type":4}})", false},
        {R"({"id":0,"t":{"stringValue":"a"}})", false},
        {R"({"id":0,"t":"a"})", false},
        {R"({})", false},
        {R"([])", false},
        {"not json", false},
        {"", false},
        {R"({"id":18446744073709551615})", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto spec = ReticleSpec::fromJsonString(c.text);
        EXPECT_EQ(spec.has_value(), c.decodes);
        if (spec) {
            EXPECT_FALSE(spec->tr.has_value());
        }
    }
}

TEST(ReticleSpecSlots, RingActionsSkipEmptySlotsAndTheCentre) {
    ReticleSpec spec;
    spec.setSlot(Directional::c, Action{"centre", ActionType::app});
    spec.setSlot(Directional::br, Action{"last", ActionType::app});
    spec.setSlot(Directional::tl, Action{"first", ActionType::app});
    const auto ring = spec.ringActions();
    ASSERT_EQ(ring.size(), 2u);
    EXPECT_EQ(ring[0].stringValue, "first");
    EXPECT_EQ(ring[1].stringValue, "last");
    spec.setSlot(Directional::tl, std::nullopt);
    EXPECT_FALSE(spec.slot(Directional::tl));
    EXPECT_TRUE(spec.slot(Directional::br));
}

} // namespace
} // namespace zentrivo
