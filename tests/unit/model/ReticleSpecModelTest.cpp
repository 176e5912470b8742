#include "app/model/ReticleSpecModel.h"

#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

/// Counts how often the model asks for the platform's default panel, which on Linux means
/// application lookups.
class CountingProfile final : public PlatformProfile {
public:
    ReticleSpec defaultMainSpec() const override {
        ++asked;
        return MacPlatformProfile().defaultMainSpec();
    }
    std::string fileManagerId() const override { return "org.test.Files"; }
    mutable int asked = 0;
};

class ReticleSpecModelTest : public ::testing::Test {
protected:
    std::string stored(const char* key) {
        const auto it = db.values.find(key);
        return it == db.values.end() ? "<none>" : std::get<std::string>(it->second);
    }
    test::FakeDefaultsDatabase db;
    CountingProfile profile;
    Defaults defaults{db};
    ReticleSpecModel model{defaults, profile}; // over an empty database
};

TEST_F(ReticleSpecModelTest, FreshInstallUsesDefaultsAndWritesNothing) {
    EXPECT_EQ(model.mainSpec().t, (Action{"com.apple.finder", ActionType::app}));
    EXPECT_EQ(model.farSpec(), ReticleSpecModel::defaultFarSpec());
    EXPECT_FALSE(model.anyFarSpecConfigured());
    EXPECT_EQ(db.writes, 0);
    EXPECT_EQ(profile.asked, 1);
}

TEST_F(ReticleSpecModelTest, AStoredPanelIsUsedWithoutAskingThePlatform) {
    db.values["mainReticleSpec"] = std::string(R"({"id":0,"b":{"stringValue":"x","type":0}})");
    CountingProfile counting;
    Defaults seeded(db);
    ReticleSpecModel loaded(seeded, counting);
    EXPECT_EQ(loaded.mainSpec().b->stringValue, "x");
    EXPECT_FALSE(loaded.mainSpec().t);
    EXPECT_EQ(counting.asked, 0);
}

TEST_F(ReticleSpecModelTest, CentreChangesStayInMemoryButTravelWithTheNextSave) {
    model.setFarSlot(Action{"x", ActionType::app}, Directional::c);
    model.setMainSlot(Action{"centre", ActionType::app}, Directional::c);
    EXPECT_FALSE(model.anyFarSpecConfigured());
    EXPECT_EQ(db.writes, 0);

    model.setMainSlot(Action{"top", ActionType::app}, Directional::t);
    const auto saved = ReticleSpec::fromJsonString(stored("mainReticleSpec"));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->c, (Action{"centre", ActionType::app}));
    EXPECT_EQ(saved->t, (Action{"top", ActionType::app}));
}

TEST_F(ReticleSpecModelTest, ASlotThatCannotBeSavedStillChangesThePanel) {
    const Action latin1{"/srv/caf\xE9", ActionType::file};
    EXPECT_NO_THROW(model.setMainSlot(latin1, Directional::tl));
    EXPECT_EQ(model.mainSpec().tl, latin1);
    EXPECT_EQ(db.writes, 0);
}

TEST_F(ReticleSpecModelTest, FarRingSlotsDecideAnyFarSpecConfigured) {
    model.setFarSlot(Action{"x", ActionType::app}, Directional::tl);
    EXPECT_TRUE(model.anyFarSpecConfigured());
    EXPECT_EQ(stored("farReticleSpec"), R"({"id":1,"tl":{"stringValue":"x","type":0}})");
    model.setFarSlot(std::nullopt, Directional::tl);
    EXPECT_FALSE(model.anyFarSpecConfigured());
    EXPECT_EQ(stored("farReticleSpec"), R"({"id":1})");
}

TEST_F(ReticleSpecModelTest, UndecodableStoredPanelIsIgnoredAndKeptUntilNextSave) {
    db.values["mainReticleSpec"] = std::string("{}");
    db.values["farReticleSpec"] = std::int64_t{42};
    Defaults seeded(db);
    ReticleSpecModel loaded(seeded, profile);
    EXPECT_EQ(loaded.mainSpec(), MacPlatformProfile().defaultMainSpec());
    EXPECT_EQ(loaded.farSpec(), ReticleSpecModel::defaultFarSpec());
    EXPECT_EQ(stored("mainReticleSpec"), "{}");
    loaded.setMainSlot(std::nullopt, Directional::l);
    EXPECT_NE(stored("mainReticleSpec"), "{}");
}

TEST_F(ReticleSpecModelTest, LookupFallsBackFromFarToNearAndLastAppIgnoresCentres) {
    model.setFarSlot(Action{"far.r", ActionType::app}, Directional::r);
    EXPECT_EQ(model.action(Directional::r, true)->stringValue, "far.r");
    EXPECT_EQ(model.action(Directional::t, true)->stringValue, "com.apple.finder");
    EXPECT_EQ(model.action(Directional::r, false)->stringValue, "com.apple.mail");
    EXPECT_FALSE(model.action(Directional::tl, true));

    model.setMainSlot(Action::lastApp(), Directional::c);
    model.setFarSlot(Action::lastApp(), Directional::c);
    EXPECT_FALSE(model.containsLastApp());
    model.setFarSlot(Action::lastApp(), Directional::br);
    EXPECT_TRUE(model.containsLastApp());
}

} // namespace
} // namespace zentrivo
