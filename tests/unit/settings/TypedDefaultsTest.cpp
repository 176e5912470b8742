#include "app/settings/ColorDefault.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;
using I = std::int64_t;

/// A setting as a line "key Kind value", in the words of the settings table; the kind zentrivoctl
/// expects for the key must be the kind the setting stores.
template <class S> std::string show(const S& s) {
    const auto line = [&](std::string_view kind, std::string_view type, const std::string& value) {
        EXPECT_EQ(settingKind(s.key()), kind) << s.key();
        return s.key() + " " + std::string(type) + " " + value + "\n";
    };
    if constexpr (std::is_same_v<S, StringDefault> || std::is_same_v<S, JSONDefault<ReticleSpec>>)
        return line("string", std::is_same_v<S, StringDefault> ? "String" : "JSON",
                    s.value().value_or("-"));
    else if constexpr (std::is_same_v<S, DateDefault>)
        return line("date", "Date", s.value() ? "set" : "-");
    else if constexpr (std::is_same_v<S, BoolDefault>)
        return line("bool", "Bool", s.value() ? "true" : "false");
    else if constexpr (std::is_same_v<S, IntDefault>)
        return line("int", "Int", std::to_string(s.value()));
    else if constexpr (std::is_same_v<S, FloatDefault>)
        return line("float", "Float", testing::PrintToString(s.value()));
    else if constexpr (std::is_same_v<S, OptionalBoolDefault> ||
                       std::is_same_v<S, IntEnumDefault<FolderLabel>>)
        return line("int", std::is_same_v<S, OptionalBoolDefault> ? "OptionalBool" : "FolderLabel",
                    std::to_string(static_cast<int>(s.value())));
    else
        static_assert(!sizeof(S*), "a setting type this table does not know");
}

// Users' databases and zentrivoctl name settings by these strings, so a misspelt key or a
// changed fallback must fail here. OptionalBool 0 is undefined; FolderLabel 2 is acronym.
TEST(SettingKeys, EveryKeyHasItsNameKindAndFallback) {
    FakeDefaultsDatabase db;
    Defaults d(db);
    WakeDefaults w(db);
    const std::string shown =
        show(d.mainReticleSpec) + show(d.farReticleSpec) + show(d.safeAreaSize) +
        show(d.reticleDisplayMinDist) + show(d.firstRingDist) + show(d.outerSafeArea) +
        show(d.hoverMillis) + show(d.reticleFlags) + show(d.reticleMouseButton) +
        show(d.restToOneTouches) + show(d.arrowKeysDisplays) + show(d.vimKeyShortcuts) +
        show(d.background) + show(d.reticleFade) + show(d.hapticFeedback) + show(d.relaunchActive) +
        show(d.hideFrontmost) + show(d.lastFrontAppCanBeZentrivo) + show(d.dropInReticleReplaces) +
        show(d.showTags) + show(d.folderLabel) + show(d.hideMenuBarIcon) + show(d.launchOnLogin) +
        show(d.relaunchOpensMenu) + show(d.lastVersion) + show(w.autoRestartOnWake) +
        show(w.restartOnWakeDelay) + show(d.bookmarkLoadAttempts) + show(d.bookmarkRetryDelay) +
        show(d.iCloudSync) + show(d.lastCloudSync) + show(d.cloudFolder);
    EXPECT_EQ(shown,
              "mainReticleSpec JSON -\nfarReticleSpec JSON -\nsafeAreaSize Int 25\n"
              "reticleDisplayMinDist Float 0\nfirstRingDist Float 200\nouterSafeArea Float 1001\n"
              "hoverMillis Int 0\nreticleFlags Int 0\nreticleMouseButton Int 0\n"
              "restToOneTouches Int 0\narrowKeysDisplays OptionalBool 0\n"
              "vimKeyShortcuts OptionalBool 0\nbackground OptionalBool 0\n"
              "reticleFade OptionalBool 0\nhapticFeedback OptionalBool 0\n"
              "relaunchActive OptionalBool 0\nhideFrontmost OptionalBool 0\n"
              "lastFrontAppCanBeZentrivo OptionalBool 0\ndropInReticleReplaces OptionalBool 0\n"
              "showTags OptionalBool 0\nfolderLabel FolderLabel 2\nhideMenuBarIcon Bool false\n"
              "launchOnLogin Bool false\nrelaunchOpensMenu Bool false\nlastVersion String -\n"
              "autoRestartOnWake OptionalBool 0\nrestartOnWakeDelay Float 1\n"
              "bookmarkLoadAttempts Int 3\nbookmarkRetryDelay Int 5\niCloudSync OptionalBool 0\n"
              "lastCloudSync Date -\ncloudFolder String -\n");
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
        {"blanks around", std::string(" 2.5 "), 2, true, 2.5, 2, 2},
        {"YES", std::string("YES"), 25, true, 200, 2, 0},
        {"trailing letters", std::string("12abc"), 25, false, 200, 2, 0},
        {"2^53 + 1", std::string("9007199254740993"), 9007199254740993, true, 9.007199e15f, 2, 0},
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

// A slider that reports the same value again must cause no database traffic; a value the
// database refused is not held as stored, so setting it again writes it.
TEST(SettingsTraffic, WritingTheValueAlreadyHeldTouchesNoDatabase) {
    const Date noon(Date::duration(1714564800.5)), evening(Date::duration(1714590000.0));
    const std::string panel = R"({"id":0,"t":{"stringValue":"org.gnome.Nautilus","type":0}})";
    const std::string red = R"({"red":1,"green":0,"blue":0})",
                      blue = R"({"red":0,"green":0,"blue":1})";
    FakeDefaultsDatabase db;
    // A stored 0 reads as the fallback 25, so 25 is what "i" holds.
    // clang-format off
    db.values = {{"b", true}, {"i", I{0}}, {"f", 250.0f}, {"s", std::string("12")}, {"d", noon},
                 {"o", I{2}}, {"j", panel}, {"c", red}};
    // clang-format on
    BoolDefault b(db, "b");
    IntDefault i(db, "i", 25);
    FloatDefault f(db, "f", 200.0f);
    StringDefault s(db, "s");
    DateDefault d(db, "d");
    OptionalBoolDefault o(db, "o");
    JSONDefault<ReticleSpec> j(db, "j");
    ColorDefault c(db, "c", Color{});
    b.set(true), i.set(25), f.set(250.0f), s.set("12"), d.set(noon), o.set(false);
    j.setTypedValue(*j.typedValue());
    c.set(R"({"red":1,"green":0,"blue":0,"alpha":1})"); // the same colour in other words
    EXPECT_EQ(db.writes, 0);
    b.set(false), i.set(0), f.set(250.5f), s.set(std::nullopt), d.set(std::nullopt);
    o.set(std::nullopt), j.set("{}"), c.set(R"({"red":0,"green":1,"blue":0})");
    EXPECT_EQ(db.writes, 8);
    EXPECT_EQ(db.reads, 8) << "only creation reads";
    EXPECT_EQ(i.value(), 0);
    EXPECT_EQ(IntDefault(db, "i", 25).value(), 25) << "a stored 0 reads 25 at the next start";

    // A full disk: each change is tried three times, and memory keeps the change; once stored,
    // the same values are skipped again.
    const auto farPanel = ReticleSpec::fromJsonString(R"({"id":1})");
    ASSERT_TRUE(farPanel);
    for (const auto& [failing, writes] :
         {std::pair(true, 8 + 8 * 3), std::pair(false, 40), std::pair(false, 40)}) {
        db.failWrites = failing;
        b.set(true), i.set(7), f.set(2.5f), s.set("13"), d.set(evening), o.set(true);
        j.setTypedValue(*farPanel), c.set(blue);
        EXPECT_EQ(db.writes, writes) << failing;
        EXPECT_EQ(o.value(), OptionalBool::userEnabled);
        EXPECT_EQ(j.value(), R"({"id":1})");
    }
    // clang-format off
    const decltype(db.values) expected = {{"b", true}, {"i", I{7}}, {"f", 2.5f},
        {"s", std::string("13")}, {"d", evening}, {"o", I{1}}, {"j", std::string(R"({"id":1})")},
        {"c", blue}};
    // clang-format on
    EXPECT_EQ(db.values, expected);
}

// An import record's number that its member cannot hold would wrap or be undefined behaviour.
TEST(CodableDefaultJson, NumbersOutsideTheirMembersRangeAreRejected) {
    auto decode = [](const char* text) {
        return CodableDefault::fromJson(nlohmann::ordered_json::parse(text));
    };
    EXPECT_NO_THROW(decode(R"({"int":9223372036854775807,"float":3.4e38,"double":1e300})"));
    EXPECT_ANY_THROW(decode(R"({"int":9223372036854775808})"));
    EXPECT_ANY_THROW(decode(R"({"float":-1e300})"));
}

} // namespace
} // namespace zentrivo
