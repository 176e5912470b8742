#include "app/settings/ColorDefault.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;
using I = std::int64_t;

/// A setting's kind and the value it holds, in the words of the settings table.
std::string describe(const Default& s) {
    static const char* const switches[] = {"undefined", "userEnabled", "userDisabled"};
    static const char* const labels[] = {"?", "off", "acronym", "truncatedName"};
    std::ostringstream out;
    if (auto* p = dynamic_cast<const JSONDefault<ReticleSpec>*>(&s))
        out << "JSON " << p->value().value_or("none");
    else if (auto* p = dynamic_cast<const StringDefault*>(&s))
        out << "String " << p->value().value_or("none");
    else if (auto* p = dynamic_cast<const DateDefault*>(&s))
        out << "Date " << (p->value() ? "set" : "none");
    else if (auto* p = dynamic_cast<const BoolDefault*>(&s))
        out << "Bool " << std::boolalpha << p->value();
    else if (auto* p = dynamic_cast<const IntDefault*>(&s))
        out << "Int " << p->value();
    else if (auto* p = dynamic_cast<const FloatDefault*>(&s))
        out << "Float " << p->value();
    else if (auto* p = dynamic_cast<const OptionalBoolDefault*>(&s))
        out << "OptionalBool " << switches[static_cast<int>(p->value())];
    else if (auto* p = dynamic_cast<const IntEnumDefault<FolderLabel>*>(&s))
        out << "FolderLabel " << labels[static_cast<int>(p->value())];
    return out.str();
}

// Users' databases and zentrivoctl name settings by these strings, so a misspelt key or a
// changed fallback must fail here. A stored 0 reads like a missing value for every key.
TEST(SettingKeys, EveryKeyHasItsNameKindAndFallback) {
    FakeDefaultsDatabase fresh, zeros;
    for (FakeDefaultsDatabase* db : {&fresh, &zeros}) {
        SCOPED_TRACE(db == &fresh ? "fresh database" : "every key holds 0");
        Defaults d(*db);
        WakeDefaults w(*db);
        const std::tuple<const char*, const Default*, const char*> keys[] = {
            {"mainReticleSpec", &d.mainReticleSpec, "JSON none"},
            {"farReticleSpec", &d.farReticleSpec, "JSON none"},
            {"safeAreaSize", &d.safeAreaSize, "Int 25"},
            {"reticleDisplayMinDist", &d.reticleDisplayMinDist, "Float 0"},
            {"firstRingDist", &d.firstRingDist, "Float 200"},
            {"outerSafeArea", &d.outerSafeArea, "Float 1001"},
            {"hoverMillis", &d.hoverMillis, "Int 0"},
            {"reticleFlags", &d.reticleFlags, "Int 0"},
            {"reticleMouseButton", &d.reticleMouseButton, "Int 0"},
            {"restToOneTouches", &d.restToOneTouches, "Int 0"},
            {"arrowKeysDisplays", &d.arrowKeysDisplays, "OptionalBool undefined"},
            {"vimKeyShortcuts", &d.vimKeyShortcuts, "OptionalBool undefined"},
            {"background", &d.background, "OptionalBool undefined"},
            {"reticleFade", &d.reticleFade, "OptionalBool undefined"},
            {"hapticFeedback", &d.hapticFeedback, "OptionalBool undefined"},
            {"relaunchActive", &d.relaunchActive, "OptionalBool undefined"},
            {"hideFrontmost", &d.hideFrontmost, "OptionalBool undefined"},
            {"lastFrontAppCanBeZentrivo", &d.lastFrontAppCanBeZentrivo, "OptionalBool undefined"},
            {"dropInReticleReplaces", &d.dropInReticleReplaces, "OptionalBool undefined"},
            {"showTags", &d.showTags, "OptionalBool undefined"},
            {"folderLabel", &d.folderLabel, "FolderLabel acronym"},
            {"hideMenuBarIcon", &d.hideMenuBarIcon, "Bool false"},
            {"launchOnLogin", &d.launchOnLogin, "Bool false"},
            {"relaunchOpensMenu", &d.relaunchOpensMenu, "Bool false"},
            {"lastVersion", &d.lastVersion, "String none"},
            {"autoRestartOnWake", &w.autoRestartOnWake, "OptionalBool undefined"},
            {"restartOnWakeDelay", &w.restartOnWakeDelay, "Float 1"},
            {"bookmarkLoadAttempts", &d.bookmarkLoadAttempts, "Int 3"},
            {"bookmarkRetryDelay", &d.bookmarkRetryDelay, "Int 5"},
            {"iCloudSync", &d.iCloudSync, "OptionalBool undefined"},
            {"lastCloudSync", &d.lastCloudSync, "Date none"},
        };
        for (const auto& [name, setting, holds] : keys) {
            SCOPED_TRACE(name);
            EXPECT_EQ(setting->key(), name);
            EXPECT_EQ(describe(*setting), holds);
            zeros.values[name] = I{0};
        }
        EXPECT_EQ(db->writes, 0);
    }
}

TEST(StoredValues, ReadAsTheirNumberOrElseAsUnset) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    // A stored value, and what it reads as: an int with fallback 25, a bool, a float with
    // fallback 200, a folder label (raw; fallback 2, acronym) and an optional bool (raw).
    const std::tuple<const char*, PropertyValue, I, bool, float, int, int> cases[] = {
        {"true", true, 1, true, 1, 1, 1},
        {"2", I{2}, 2, true, 2, 2, 2},
        {"3", I{3}, 3, true, 3, 3, 0},
        {"4", I{4}, 4, true, 4, 2, 0},
        {"-1", I{-1}, -1, true, -1, 2, 0},
        {"float", 3.9f, 3, true, 3.9f, 3, 0},
        {"numeric text", std::string("42"), 42, true, 42, 2, 0},
        {"blanks around", std::string(" 2.5 "), 2, true, 2.5, 2, 2},
        {"YES", std::string("YES"), 25, true, 200, 2, 0},
        {"trailing letters", std::string("12abc"), 25, false, 200, 2, 0},
        {"full 64 bits", std::string("9223372036854775807"), INT64_MAX, true, 9.223372e18f, 2, 0},
        {"a date", Date(Date::duration(1e9)), 25, false, 200, 2, 0},
        {"float NaN", static_cast<float>(nan), 25, false, 200, 2, 0},
        {"double NaN", nan, 25, false, 200, 2, 0},
        {"minus infinity", -std::numeric_limits<float>::infinity(), 25, false, 200, 2, 0},
        {"beyond the float range", 1e300, INT64_MAX, true, 200, 2, 0},
    };
    for (const auto& [name, stored, asInt, asBool, asFloat, label, choice] : cases) {
        SCOPED_TRACE(name);
        FakeDefaultsDatabase db;
        db.values["k"] = stored;
        EXPECT_EQ(IntDefault(db, "k", 25).value(), asInt);
        EXPECT_EQ(BoolDefault(db, "k").value(), asBool);
        EXPECT_FLOAT_EQ(FloatDefault(db, "k", 200.0f).value(), asFloat);
        EXPECT_EQ(static_cast<int>(IntEnumDefault(db, "k", FolderLabel::acronym).value()), label);
        EXPECT_EQ(static_cast<int>(OptionalBoolDefault(db, "k").value()), choice);
    }
}

// A slider that reports the same value again must cause no database traffic.
TEST(SettingsTraffic, WritingTheValueAlreadyHeldTouchesNoDatabase) {
    const Date noon(Date::duration(1714564800.5));
    const std::string panel = R"({"id":0,"t":{"stringValue":"org.gnome.Nautilus","type":0}})";
    FakeDefaultsDatabase db;
    // A stored 0 reads as the fallback 25, so 25 is what "i" holds.
    db.values = {{"b", true},   {"i", I{0}},
                 {"f", 250.0f}, {"s", std::string("12")},
                 {"d", noon},   {"o", I{2}},
                 {"j", panel},  {"c", std::string(R"({"red":1,"green":0,"blue":0})")}};
    BoolDefault b(db, "b");
    IntDefault i(db, "i", 25);
    FloatDefault f(db, "f", 200.0f);
    StringDefault s(db, "s");
    DateDefault d(db, "d");
    OptionalBoolDefault o(db, "o");
    JSONDefault<ReticleSpec> j(db, "j");
    ColorDefault c(db, "c", Color{});
    for (int twice = 0; twice < 2; ++twice) {
        b.set(true), i.set(25), f.set(250.0f), s.set("12"), d.set(noon), o.set(false);
        j.setTypedValue(*j.typedValue());
        c.set(R"({"red":1,"green":0,"blue":0,"alpha":1})"); // the same colour in other words
    }
    EXPECT_EQ(db.writes, 0);
    b.set(false), i.set(0), f.set(250.5f), s.set(std::nullopt), d.set(std::nullopt);
    o.set(std::nullopt), j.set("{}"), c.set(R"({"red":0,"green":1,"blue":0})");
    EXPECT_EQ(db.writes, 8);
    EXPECT_EQ(db.reads, 8) << "only creation reads";
    EXPECT_EQ(i.value(), 0);
    EXPECT_EQ(IntDefault(db, "i", 25).value(), 25) << "a stored 0 reads 25 at the next start";
}

// An import record's number that its member cannot hold would wrap or be undefined behaviour.
TEST(CodableDefaultJson, NumbersOutsideTheirMembersRangeAreRejected) {
    for (const auto& [text, decodes] :
         {std::pair{R"({"int":9223372036854775807,"float":3.4e38})", true},
          {R"({"int":9223372036854775808})", false},
          {R"({"float":-1e300})", false},
          {R"({"double":1e300})", true}}) {
        SCOPED_TRACE(text);
        const auto json = nlohmann::ordered_json::parse(text);
        if (decodes)
            EXPECT_NO_THROW(CodableDefault::fromJson(json));
        else
            EXPECT_ANY_THROW(CodableDefault::fromJson(json));
    }
}

} // namespace
} // namespace zentrivo
