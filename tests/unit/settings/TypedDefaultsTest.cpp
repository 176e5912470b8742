#include "app/settings/ColorDefault.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;

TEST(TypedReaders, FollowThePlatformConversions) {
    struct Case {
        PropertyValue value;
        std::int64_t asInt;
        bool asBool;
        double asDouble;
    };
    const Case cases[] = {
        {true, 1, true, 1},
        {std::int64_t{7}, 7, true, 7},
        {3.9f, 3, true, 3.9f},
        {std::string("42"), 42, true, 42},
        {std::string(" 2.5 "), 2, true, 2.5},
        {std::string("YES"), 0, true, 0},
        {std::string("true"), 0, true, 0},
        {std::string("1"), 1, true, 1},
        {std::string("no"), 0, false, 0},
        {std::string("12abc"), 0, false, 0},
        {std::string("9223372036854775807"), INT64_MAX, true, 9223372036854775807.0},
        {Data{{1, 2}}, 0, false, 0},
        {Date(Date::duration(5)), 0, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.asDouble));
        EXPECT_EQ(readInteger(&c.value), c.asInt);
        EXPECT_EQ(readBool(&c.value), c.asBool);
        EXPECT_FLOAT_EQ(static_cast<float>(readDouble(&c.value)), static_cast<float>(c.asDouble));
    }
    EXPECT_EQ(readInteger(nullptr), 0);
    const PropertyValue number = std::int64_t{3};
    EXPECT_EQ(readString(&number), nullptr);
    EXPECT_EQ(readDate(&number), nullptr);
}

TEST(IntDefault, StoredZeroReadsAsFallbackAndWritesCompareFirst) {
    FakeDefaultsDatabase db;
    db.values["safeAreaSize"] = std::int64_t{0};
    IntDefault area(db, "safeAreaSize", 25);
    EXPECT_EQ(area.value(), 25);
    area.set(0);
    EXPECT_EQ(area.value(), 0);
    EXPECT_EQ(db.writes, 1);
    area.set(0);
    EXPECT_EQ(db.writes, 1);
    EXPECT_EQ(IntDefault(db, "safeAreaSize", 25).value(), 25); // the next start
    EXPECT_EQ(IntDefault(db, "safeAreaSize").value(), 0);
}

TEST(OptionalBoolDefault, InvalidRawValuesFallBackToUndefined) {
    for (const PropertyValue& stored :
         {PropertyValue{std::int64_t{7}}, PropertyValue{std::int64_t{-1}}, PropertyValue{std::string("x")}}) {
        FakeDefaultsDatabase db;
        db.values["hapticFeedback"] = stored;
        OptionalBoolDefault setting(db, "hapticFeedback");
        EXPECT_EQ(setting.value(), OptionalBool::undefined);
        EXPECT_TRUE(setting.onUnlessDisabled());
        EXPECT_FALSE(setting.offUnlessEnabled());
    }
    FakeDefaultsDatabase db;
    OptionalBoolDefault setting(db, "hideFrontmost");
    setting.set(std::optional<bool>(false));
    EXPECT_EQ(std::get<std::int64_t>(db.values["hideFrontmost"]), 2);
    setting.set(std::optional<bool>(true));
    EXPECT_TRUE(setting.offUnlessEnabled());
    setting.set(std::optional<bool>());
    EXPECT_EQ(std::get<std::int64_t>(db.values["hideFrontmost"]), 0);
}

TEST(IntEnumDefault, FolderLabelAcceptsOneToThree) {
    const std::pair<PropertyValue, FolderLabel> cases[] = {
        {std::int64_t{0}, FolderLabel::acronym},      {std::int64_t{4}, FolderLabel::acronym},
        {std::string("zz"), FolderLabel::acronym},    {std::int64_t{1}, FolderLabel::off},
        {std::int64_t{3}, FolderLabel::truncatedName},
    };
    for (const auto& [stored, expected] : cases) {
        FakeDefaultsDatabase db;
        db.values["folderLabel"] = stored;
        EXPECT_EQ(IntEnumDefault<FolderLabel>(db, "folderLabel", FolderLabel::acronym).value(), expected);
    }
}

TEST(StringDefault, KeepsOnlyTextAndWritesOnlyChanges) {
    FakeDefaultsDatabase db;
    db.values["lastVersion"] = std::int64_t{5};
    StringDefault version(db, "lastVersion");
    EXPECT_FALSE(version.value());
    version.set(std::string("12"));
    version.set(std::string("12"));
    EXPECT_EQ(db.writes, 1);
    version.set(std::nullopt);
    EXPECT_FALSE(db.values.contains("lastVersion"));
}

TEST(JSONDefault, UndecodableTextGivesNoRecordAndStaysUntilAssigned) {
    FakeDefaultsDatabase db;
    db.values["farReticleSpec"] = std::string("{\"id\":");
    JSONDefault<ReticleSpec> far(db, "farReticleSpec");
    EXPECT_FALSE(far.typedValue());
    EXPECT_EQ(db.writes, 0);
    ReticleSpec spec;
    spec.id = 1;
    far.setTypedValue(spec);
    far.setTypedValue(spec);
    EXPECT_EQ(db.writes, 1);
    EXPECT_EQ(std::get<std::string>(db.values["farReticleSpec"]), R"({"id":1})");
}

TEST(DefaultLoad, MissingMembersFollowEachKindsRule) {
    FakeDefaultsDatabase db;
    db.values["hideMenuBarIcon"] = true;
    db.values["lastVersion"] = std::string("3");
    db.values["mainReticleSpec"] = std::string(R"({"id":0})");
    Defaults defaults(db);

    defaults.hideMenuBarIcon.load(CodableDefault{});
    EXPECT_TRUE(defaults.hideMenuBarIcon.value());
    defaults.lastVersion.load(CodableDefault{});
    EXPECT_FALSE(db.values.contains("lastVersion"));

    CodableDefault spec;
    spec.stringValue = "not a panel";
    defaults.mainReticleSpec.load(spec);
    EXPECT_FALSE(defaults.mainReticleSpec.typedValue());
    EXPECT_EQ(std::get<std::string>(db.values["mainReticleSpec"]), "not a panel");

    CodableDefault seven;
    seven.intValue = 7;
    defaults.iCloudSync.load(seven);
    EXPECT_EQ(defaults.iCloudSync.value(), OptionalBool::undefined);
    EXPECT_EQ(std::get<std::int64_t>(db.values["iCloudSync"]), 0);
}

TEST(ColorDefault, MissingAlphaIsOpaqueAndBadTextKeepsColour) {
    FakeDefaultsDatabase db;
    ColorDefault color(db, "tint", Color{0, 0, 0, 0.5});
    color.set(R"({"red":1,"green":0.5,"blue":0})");
    EXPECT_EQ(color.value(), (Color{1, 0.5, 0, 1}));
    color.set(R"({"red":1})");
    EXPECT_EQ(color.value(), (Color{1, 0.5, 0, 1}));
    EXPECT_EQ(db.writes, 1);
}

TEST(Defaults, FreshDatabaseYieldsTheFallbacks) {
    FakeDefaultsDatabase db;
    Defaults d(db);
    EXPECT_EQ(d.safeAreaSize.value(), 25);
    EXPECT_EQ(d.firstRingDist.value(), 200.0f);
    EXPECT_EQ(d.outerSafeArea.value(), 1001.0f);
    EXPECT_EQ(d.hoverMillis.value(), 0);
    EXPECT_EQ(d.reticleFlags.value(), 0);
    EXPECT_EQ(d.reticleDisplayMinDist.value(), 0.0f);
    EXPECT_EQ(d.folderLabel.value(), FolderLabel::acronym);
    EXPECT_EQ(d.bookmarkLoadAttempts.value(), 3);
    EXPECT_EQ(d.bookmarkRetryDelay.value(), 5);
    EXPECT_TRUE(d.reticleFade.onUnlessDisabled());
    EXPECT_FALSE(d.background.offUnlessEnabled());
    EXPECT_FALSE(d.lastCloudSync.value());
    EXPECT_EQ(WakeDefaults(db).restartOnWakeDelay.value(), 1.0f);
    EXPECT_EQ(db.writes, 0);
}

} // namespace
} // namespace zentrivo
