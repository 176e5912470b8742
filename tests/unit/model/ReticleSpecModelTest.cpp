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
class CountingProfile final : public PlatformProfile {
public:
    ReticleSpec defaultMainSpec() const override {
        ++asked;
        return *ReticleSpec::fromJsonString(defaultNear);
    }
    std::string fileManagerId() const override { return "org.test.Files"; }
    mutable int asked = 0;
};

TEST(ReticleSpecModel, LoadsWhatDecodesElseTheDefaultsAndWritesNothing) {
    using I = std::int64_t;
    const std::string near = R"({"id":0,"b":{"stringValue":"x","type":0}})";
    const std::string far = R"({"id":1,"c":{"stringValue":"x","type":0}})";
    const std::string farRing = R"({"id":1,"tl":{"stringValue":"x","type":0}})";
    const std::string emptyFar = R"({"id":1})";
    const struct {
        const char* name;
        std::optional<PropertyValue> main, far;
        std::string mainJson, farJson;
        bool anyFar;
    } rows[] = {
        {"fresh", {}, {}, defaultNear, emptyFar, false},
        {"stored", near, farRing, near, farRing, true},
        {"far centre only", near, far, near, far, false},
        {"not text", I{42}, I{42}, defaultNear, emptyFar, false},
        {"no id", std::string("{}"), std::string("{}"), defaultNear, emptyFar, false},
        {"truncated", std::string(R"({"id":)"), emptyFar, defaultNear, emptyFar, false},
        {"nested too deep", std::string(100000, '[') + std::string(100000, ']'), emptyFar,
         defaultNear, emptyFar, false},
        {"id beyond a double", std::string(R"({"id":1e999})"), emptyFar, defaultNear, emptyFar,
         false},
        {"not UTF-8", std::string("{\"id\":0,\"t\":{\"stringValue\":\"caf\xE9\",\"type\":0}}"),
         emptyFar, defaultNear, emptyFar, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeDefaultsDatabase db;
        for (const auto& [key, value] :
             {std::pair("mainReticleSpec", row.main), {"farReticleSpec", row.far}})
            if (value)
                db.values[key] = *value;
        const auto stored = db.values;
        Defaults defaults(db);
        CountingProfile profile;
        const ReticleSpecModel model(defaults, profile);
        EXPECT_EQ(model.mainSpec().toJsonString(), row.mainJson);
        EXPECT_EQ(model.farSpec().toJsonString(), row.farJson);
        EXPECT_EQ(model.anyFarSpecConfigured(), row.anyFar);
        EXPECT_EQ(profile.asked, row.mainJson == defaultNear ? 1 : 0);
        EXPECT_EQ(db.values, stored) << "an undecodable text stays until the next save";
        EXPECT_EQ(db.writes, 0);
    }
}

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

TEST_F(ReticleSpecModelTest, CentreChangesStayInMemoryButTravelWithTheNextSave) {
    model.setFarSlot(Action{"x", ActionType::app}, Directional::c);
    model.setMainSlot(Action{"centre", ActionType::app}, Directional::c);
    EXPECT_FALSE(model.anyFarSpecConfigured());
    EXPECT_EQ(db.writes, 0);

    model.setMainSlot(Action{"top", ActionType::app}, Directional::t);
    EXPECT_EQ(
        stored("mainReticleSpec"),
        R"({"id":0,"t":{"stringValue":"top","type":0},)"
        R"("r":{"stringValue":"org.test.Mail","type":0},"c":{"stringValue":"centre","type":0}})");
}

TEST_F(ReticleSpecModelTest, ASlotThatCannotBeSavedStillChangesThePanel) {
    // Linux file names are bytes; this one is Latin-1, not UTF-8.
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

TEST_F(ReticleSpecModelTest, LookupFallsBackFromFarToNearAndLastAppIgnoresCentres) {
    model.setFarSlot(Action{"far.r", ActionType::app}, Directional::r);
    EXPECT_EQ(model.action(Directional::r, true)->stringValue, "far.r");
    EXPECT_EQ(model.action(Directional::t, true)->stringValue, "org.test.Files");
    EXPECT_EQ(model.action(Directional::r, false)->stringValue, "org.test.Mail");
    EXPECT_FALSE(model.action(Directional::tl, true));

    model.setMainSlot(Action::lastApp(), Directional::c);
    model.setFarSlot(Action::lastApp(), Directional::c);
    EXPECT_FALSE(model.containsLastApp());
    model.setFarSlot(Action::lastApp(), Directional::br);
    EXPECT_TRUE(model.containsLastApp());
}

} // namespace
} // namespace zentrivo
