#include "app/model/ReticleSpecModel.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

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
    EXPECT_NE(composed, (Action{"/home/u/cafe", ActionType::file}));
    EXPECT_TRUE(std::unordered_set<Action>{composed}.contains(decomposed));
}

// Stored panels and exports name the positions by these keys.
TEST(ReticleSpecJson, EveryPositionKeepsItsKeyBothWaysAndBadRecordsFailWhole) {
    const std::string text =
        R"({"id":1,"tl":{"stringValue":"tl","type":0},"t":{"stringValue":"/t","type":1},)"
        R"("tr":{"stringValue":"","type":2},"l":{"stringValue":"l","type":3},)"
        R"("r":{"stringValue":"r","type":0},"bl":{"stringValue":"bl","type":0},)"
        R"("b":{"stringValue":"b","type":0},"br":{"stringValue":"br","type":0},)"
        R"("c":{"stringValue":"c","type":0}})";
    ASSERT_TRUE(ReticleSpec::fromJsonString(text));
    EXPECT_EQ(ReticleSpec::fromJsonString(text)->toJsonString(), text);

    // Decoding fails for the whole record, or treats null as empty.
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
        {R"({"id":)", false}};
    for (const auto& [text, decodes] : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        const auto spec = ReticleSpec::fromJsonString(text);
        EXPECT_EQ(spec.has_value(), decodes);
        EXPECT_FALSE(spec && spec->tr) << "a null slot is empty";
    }
}

const std::string defaultNear = R"({"id":0,"t":{"stringValue":"org.test.Files","type":0},)"
                                R"("r":{"stringValue":"org.test.Mail","type":0}})";

/// Counts the model's requests for the default panel, which cost application lookups.
struct CountingProfile final : PlatformProfile {
    ReticleSpec defaultMainSpec() const override {
        ++asked;
        return *ReticleSpec::fromJsonString(defaultNear);
    }
    std::string fileManagerId() const override { return "org.test.Files"; }
    mutable int asked = 0;
};

TEST(ReticleSpecModel, LoadsWhatDecodesSavesRingChangesAndLooksUpFarThenNear) {
    test::FakeDefaultsDatabase db;
    // Neither stored text is a panel: the defaults hold until the next save.
    db.values = {{"mainReticleSpec", std::string("{}")}, {"farReticleSpec", std::int64_t{42}}};
    CountingProfile profile;
    Defaults defaults{db};
    ReticleSpecModel model{defaults, profile};
    auto stored = [&](const char* key) { return std::get<std::string>(db.values.at(key)); };
    model.setFarSlot(Action{"x", ActionType::app}, Directional::c);
    model.setMainSlot(Action{"centre", ActionType::app}, Directional::c);
    // Linux file names are bytes; this Latin-1 one cannot be saved, yet the panel keeps it.
    const Action latin1{"/srv/caf\xE9", ActionType::file};
    EXPECT_NO_THROW(model.setMainSlot(latin1, Directional::tl));
    EXPECT_EQ(model.mainSpec().tl, latin1);
    EXPECT_EQ(db.writes, 0) << "neither a centre change nor an unsaveable panel writes";

    model.setMainSlot(std::nullopt, Directional::tl);
    model.setMainSlot(Action{"top", ActionType::app}, Directional::t);
    EXPECT_EQ(
        stored("mainReticleSpec"),
        R"({"id":0,"t":{"stringValue":"top","type":0},)"
        R"("r":{"stringValue":"org.test.Mail","type":0},"c":{"stringValue":"centre","type":0}})");
    model.setFarSlot(Action{"y", ActionType::app}, Directional::tl);
    EXPECT_EQ(stored("farReticleSpec"),
              R"({"id":1,"tl":{"stringValue":"y","type":0},"c":{"stringValue":"x","type":0}})");
    // Only a ring slot makes a far panel count, on loading too; a saved near panel loads as is.
    const std::tuple<Directional, std::optional<Action>, bool> farChanges[] = {
        {Directional::tl, std::nullopt, false},
        {Directional::r, Action{"far.r", ActionType::app}, true}};
    for (const auto& [position, action, anyFar] : farChanges) {
        model.setFarSlot(action, position);
        EXPECT_EQ(model.anyFarSpecConfigured(), anyFar);
        Defaults again{db};
        const ReticleSpecModel loaded{again, profile};
        EXPECT_EQ(loaded.anyFarSpecConfigured(), anyFar);
        EXPECT_EQ(loaded.mainSpec().toJsonString(), stored("mainReticleSpec"));
    }
    EXPECT_EQ(profile.asked, 1) << "the default near panel is asked for only when none loads";

    EXPECT_EQ(model.action(Directional::r, true)->stringValue, "far.r");
    EXPECT_EQ(model.action(Directional::t, true)->stringValue, "top");
    EXPECT_EQ(model.action(Directional::r, false)->stringValue, "org.test.Mail");
    // A last-app action counts only on a ring.
    model.setMainSlot(Action::lastApp(), Directional::c);
    model.setFarSlot(Action::lastApp(), Directional::c);
    EXPECT_FALSE(model.containsLastApp());
    model.setFarSlot(Action::lastApp(), Directional::br);
    EXPECT_TRUE(model.containsLastApp());
}

} // namespace
} // namespace zentrivo
