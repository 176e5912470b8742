#include "app/settings/ColorDefault.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;

TEST(TypedReaders, FollowThePlatformConversions) {
    // A value, and what it reads as an integer, a bool and a double.
    const std::tuple<PropertyValue, std::int64_t, bool, double> cases[] = {
        {true, 1, true, 1},
        {std::int64_t{7}, 7, true, 7},
        {3.9f, 3, true, 3.9f},
        {std::string("42"), 42, true, 42},
        {std::string(" 2.5 "), 2, true, 2.5},
        {std::string("YES"), 0, true, 0},
        {std::string("no"), 0, false, 0},
        {std::string("12abc"), 0, false, 0},
        {std::string("9223372036854775807"), INT64_MAX, true, 9223372036854775807.0},
        {Data{{1, 2}}, 0, false, 0},
    };
    for (const auto& [value, asInt, asBool, asDouble] : cases) {
        SCOPED_TRACE(testing::PrintToString(value.index()) + " " + std::to_string(asDouble));
        EXPECT_EQ(readInteger(&value), asInt);
        EXPECT_EQ(readBool(&value), asBool);
        EXPECT_FLOAT_EQ(static_cast<float>(readDouble(&value)), static_cast<float>(asDouble));
    }
    EXPECT_EQ(readInteger(nullptr), 0);
    const PropertyValue number = std::int64_t{3};
    EXPECT_EQ(readString(&number), nullptr);
    EXPECT_EQ(readDate(&number), nullptr);
}

/// Creates a setting over a database holding `stored`, sets `same` twice and then `changed`:
/// only the change reaches the database, and only creation reads it.
template <class Make, class Same, class Changed>
void expectOnlyTheChangeWritten(const char* kind, const PropertyValue& stored, Make make,
                                const Same& same, const Changed& changed) {
    SCOPED_TRACE(kind);
    FakeDefaultsDatabase db;
    db.values["k"] = stored;
    auto&& setting = make(db);
    setting.set(same);
    setting.set(same);
    EXPECT_EQ(db.writes, 0);
    setting.set(changed);
    EXPECT_EQ(db.writes, 1);
    EXPECT_EQ(db.reads, 1);
}

TEST(SettingsTraffic, WritingTheValueAlreadyHeldTouchesNoDatabase) {
    using I = std::int64_t;
    const Date noon(Date::duration(1714564800.5));
    const std::string panel = R"({"id":0,"t":{"stringValue":"org.gnome.Nautilus","type":0}})";
    expectOnlyTheChangeWritten(
        "bool", true, [](auto& db) { return BoolDefault(db, "k"); }, true, false);
    // A stored 0 reads as the fallback, so the fallback is what the setting holds.
    expectOnlyTheChangeWritten(
        "int fallback", I{0}, [](auto& db) { return IntDefault(db, "k", 25); }, I{25}, I{0});
    expectOnlyTheChangeWritten(
        "float", 250.0f, [](auto& db) { return FloatDefault(db, "k", 200.0f); }, 250.0f, 250.5f);
    expectOnlyTheChangeWritten(
        "string", std::string("12"), [](auto& db) { return StringDefault(db, "k"); },
        std::string("12"), std::nullopt);
    expectOnlyTheChangeWritten(
        "date", noon, [](auto& db) { return DateDefault(db, "k"); }, noon, std::nullopt);
    expectOnlyTheChangeWritten(
        "optional bool", I{2}, [](auto& db) { return OptionalBoolDefault(db, "k"); },
        std::optional<bool>(false), std::optional<bool>());
    expectOnlyTheChangeWritten(
        "json text", panel, [](auto& db) { return JSONDefault<ReticleSpec>(db, "k"); }, panel,
        std::string("{}"));
    // The same colour in other words is the same colour.
    expectOnlyTheChangeWritten(
        "colour", std::string(R"({"red":1,"green":0,"blue":0})"),
        [](auto& db) { return ColorDefault(db, "k", Color{}); },
        std::string(R"({"red":1,"green":0,"blue":0,"alpha":1})"),
        std::string(R"({"red":0,"green":1,"blue":0})"));
}

TEST(IntDefault, StoredZeroReadsAsFallbackUntilSetThisRun) {
    FakeDefaultsDatabase db;
    db.values["safeAreaSize"] = std::int64_t{0};
    IntDefault area(db, "safeAreaSize", 25);
    EXPECT_EQ(area.value(), 25);
    area.set(0);
    EXPECT_EQ(area.value(), 0);
    EXPECT_EQ(db.writes, 1);
    EXPECT_EQ(IntDefault(db, "safeAreaSize", 25).value(), 25); // the next start
    EXPECT_EQ(IntDefault(db, "safeAreaSize").value(), 0);
}

TEST(IntEnumDefault, RawValuesOutsideTheEnumReadAsTheFallback) {
    using I = std::int64_t;
    const std::tuple<PropertyValue, FolderLabel, OptionalBool> cases[] = {
        {I{0}, FolderLabel::acronym, OptionalBool::undefined},
        {I{4}, FolderLabel::acronym, OptionalBool::undefined},
        {I{7}, FolderLabel::acronym, OptionalBool::undefined},
        {I{-1}, FolderLabel::acronym, OptionalBool::undefined},
        {std::string("zz"), FolderLabel::acronym, OptionalBool::undefined},
        {I{1}, FolderLabel::off, OptionalBool::userEnabled},
        {I{3}, FolderLabel::truncatedName, OptionalBool::undefined},
    };
    for (const auto& [stored, label, optionalBool] : cases) {
        SCOPED_TRACE(testing::PrintToString(stored.index()) + " " +
                     std::to_string(readInteger(&stored)));
        FakeDefaultsDatabase db;
        db.values["k"] = stored;
        EXPECT_EQ(IntEnumDefault<FolderLabel>(db, "k", FolderLabel::acronym).value(), label);
        EXPECT_EQ(OptionalBoolDefault(db, "k").value(), optionalBool);
    }
    FakeDefaultsDatabase db;
    OptionalBoolDefault(db, "k").set(std::optional<bool>(false));
    EXPECT_EQ(db.values["k"], PropertyValue{I{2}});
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

TEST(Defaults, FreshDatabaseYieldsTheFallbacks) {
    FakeDefaultsDatabase db;
    Defaults d(db);
    EXPECT_EQ(d.safeAreaSize.value(), 25);
    EXPECT_EQ(d.firstRingDist.value(), 200.0f);
    EXPECT_EQ(d.outerSafeArea.value(), 1001.0f);
    EXPECT_EQ(d.folderLabel.value(), FolderLabel::acronym);
    EXPECT_TRUE(d.reticleFade.onUnlessDisabled());
    EXPECT_FALSE(d.background.offUnlessEnabled());
    EXPECT_FALSE(d.lastCloudSync.value());
    EXPECT_EQ(WakeDefaults(db).restartOnWakeDelay.value(), 1.0f);
    EXPECT_EQ(db.writes, 0);
}

} // namespace
} // namespace zentrivo
