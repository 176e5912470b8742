#include "app/model/ReticleSpecModel.h"

#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

const std::string defaultNear = R"({"id":0,"t":{"stringValue":"org.test.Files","type":0},)"
                                R"("r":{"stringValue":"org.test.Mail","type":0}})";

/// Counts how often the model asks for the platform's default panel, which on Linux means
/// application lookups.
struct CountingProfile final : PlatformProfile {
    ReticleSpec defaultMainSpec() const override {
        ++asked;
        return *ReticleSpec::fromJsonString(defaultNear);
    }
    std::string fileManagerId() const override { return "org.test.Files"; }
    mutable int asked = 0;
};

TEST(ReticleSpecModel, LoadsWhatDecodesElseTheDefaultsAndWritesNothing) {
    const std::string near = R"({"id":0,"b":{"stringValue":"x","type":0}})";
    const std::string farCentre = R"({"id":1,"c":{"stringValue":"x","type":0}})";
    const std::string farRing = R"({"id":1,"tl":{"stringValue":"x","type":0}})";
    // Stored main and far panel, what the model holds, and whether the far panel counts.
    const std::tuple<PropertyValue, PropertyValue, std::string, std::string, bool> rows[] = {
        {near, farRing, near, farRing, true},
        {near, farCentre, near, farCentre, false},
        {std::string("{}"), std::int64_t{42}, defaultNear, R"({"id":1})", false}, // no panels
    };
    for (const auto& [main, far, mainJson, farJson, anyFar] : rows) {
        SCOPED_TRACE(farJson);
        test::FakeDefaultsDatabase db;
        db.values = {{"mainReticleSpec", main}, {"farReticleSpec", far}};
        const auto stored = db.values;
        Defaults defaults(db);
        CountingProfile profile;
        const ReticleSpecModel model(defaults, profile);
        EXPECT_EQ(model.mainSpec().toJsonString(), mainJson);
        EXPECT_EQ(model.farSpec().toJsonString(), farJson);
        EXPECT_EQ(model.anyFarSpecConfigured(), anyFar);
        EXPECT_EQ(profile.asked, mainJson == defaultNear ? 1 : 0);
        EXPECT_EQ(db.values, stored) << "an undecodable text stays until the next save";
        EXPECT_EQ(db.writes, 0);
    }
}

TEST(ReticleSpecModel, RingChangesSaveTheWholePanelAndLookupFallsBackFromFarToNear) {
    test::FakeDefaultsDatabase db;
    CountingProfile profile;
    Defaults defaults{db};
    ReticleSpecModel model{defaults, profile}; // over an empty database, so the default panel
    auto stored = [&](const char* key) { return std::get<std::string>(db.values.at(key)); };
    model.setFarSlot(Action{"x", ActionType::app}, Directional::c);
    model.setMainSlot(Action{"centre", ActionType::app}, Directional::c);
    EXPECT_FALSE(model.anyFarSpecConfigured());
    // Linux file names are bytes; this Latin-1 one cannot be saved, yet the panel keeps it.
    const Action latin1{"/srv/caf\xE9", ActionType::file};
    EXPECT_NO_THROW(model.setMainSlot(latin1, Directional::tl));
    EXPECT_EQ(model.mainSpec().tl, latin1);
    EXPECT_EQ(db.writes, 0) << "a centre change alone saves nothing";

    model.setMainSlot(std::nullopt, Directional::tl);
    model.setMainSlot(Action{"top", ActionType::app}, Directional::t);
    EXPECT_EQ(
        stored("mainReticleSpec"),
        R"({"id":0,"t":{"stringValue":"top","type":0},)"
        R"("r":{"stringValue":"org.test.Mail","type":0},"c":{"stringValue":"centre","type":0}})");
    model.setFarSlot(Action{"y", ActionType::app}, Directional::tl);
    EXPECT_TRUE(model.anyFarSpecConfigured());
    EXPECT_EQ(stored("farReticleSpec"),
              R"({"id":1,"tl":{"stringValue":"y","type":0},"c":{"stringValue":"x","type":0}})");
    model.setFarSlot(std::nullopt, Directional::tl);
    EXPECT_FALSE(model.anyFarSpecConfigured());
    EXPECT_EQ(stored("farReticleSpec"), R"({"id":1,"c":{"stringValue":"x","type":0}})");

    model.setFarSlot(Action{"far.r", ActionType::app}, Directional::r);
    EXPECT_EQ(model.action(Directional::r, true)->stringValue, "far.r");
    EXPECT_EQ(model.action(Directional::t, true)->stringValue, "top");
    EXPECT_EQ(model.action(Directional::r, false)->stringValue, "org.test.Mail");
    EXPECT_FALSE(model.action(Directional::tl, true));
    // A last-app action counts only on a ring.
    model.setMainSlot(Action::lastApp(), Directional::c);
    model.setFarSlot(Action::lastApp(), Directional::c);
    EXPECT_FALSE(model.containsLastApp());
    model.setFarSlot(Action::lastApp(), Directional::br);
    EXPECT_TRUE(model.containsLastApp());
}

} // namespace
} // namespace zentrivo
