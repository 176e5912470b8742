// Reads come from memory and a write of the value already held costs no database traffic: the
// reticle reads settings on every cursor movement and sliders repeat their value.
#include "app/settings/ColorDefault.h"
#include "app/settings/Defaults.h"
#include "app/settings/DoubleDefault.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <functional>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;

TEST(SettingsTraffic, WritingTheValueAlreadyHeldTouchesNoDatabase) {
    const Date noon(Date::duration(1714564800.5));
    const std::string panel = R"({"id":0,"t":{"stringValue":"org.gnome.Nautilus","type":0}})";
    struct Case {
        const char* kind;
        PropertyValue stored;
        // Creates the setting over `db`, then writes the value it holds (twice), then a new one.
        std::function<void(FakeDefaultsDatabase&)> sameThenNew;
    };
    const Case cases[] = {
        {"bool", true,
         [](auto& db) {
             BoolDefault s(db, "k");
             s.set(true), s.set(true);
             EXPECT_EQ(db.writes, 0);
             s.set(false);
         }},
        {"int", std::int64_t{30},
         [](auto& db) {
             IntDefault s(db, "k", 25);
             s.set(30), s.set(30);
             EXPECT_EQ(db.writes, 0);
             s.set(31);
         }},
        {"int fallback", std::int64_t{0},
         [](auto& db) {
             IntDefault s(db, "k", 25);
             s.set(25); // the fallback is what the setting holds
             EXPECT_EQ(db.writes, 0);
             s.set(0);
         }},
        {"float", 250.0f,
         [](auto& db) {
             FloatDefault s(db, "k", 200.0f);
             s.set(250.0f), s.set(250.0f);
             EXPECT_EQ(db.writes, 0);
             s.set(250.5f);
         }},
        {"double", 0.25,
         [](auto& db) {
             DoubleDefault s(db, "k");
             s.set(0.25), s.set(0.25);
             EXPECT_EQ(db.writes, 0);
             s.set(0.5);
         }},
        {"string", std::string("12"),
         [](auto& db) {
             StringDefault s(db, "k");
             s.set(std::string("12")), s.set(std::string("12"));
             EXPECT_EQ(db.writes, 0);
             s.set(std::nullopt);
         }},
        {"date", noon,
         [noon](auto& db) {
             DateDefault s(db, "k");
             s.set(noon), s.set(noon);
             EXPECT_EQ(db.writes, 0);
             s.set(std::nullopt);
         }},
        {"enum", std::int64_t{3},
         [](auto& db) {
             IntEnumDefault<FolderLabel> s(db, "k", FolderLabel::acronym);
             s.set(FolderLabel::truncatedName), s.set(FolderLabel::truncatedName);
             EXPECT_EQ(db.writes, 0);
             s.set(FolderLabel::off);
         }},
        {"optional bool", std::int64_t{2},
         [](auto& db) {
             OptionalBoolDefault s(db, "k");
             s.set(std::optional<bool>(false)), s.set(std::optional<bool>(false));
             EXPECT_EQ(db.writes, 0);
             s.set(std::optional<bool>());
         }},
        {"json record", panel,
         [](auto& db) {
             JSONDefault<ReticleSpec> s(db, "k");
             const ReticleSpec record = *s.typedValue();
             s.setTypedValue(record), s.setTypedValue(record);
             EXPECT_EQ(db.writes, 0);
             ReticleSpec changed = record;
             changed.setSlot(Directional::b, Action::lastApp());
             s.setTypedValue(changed);
         }},
        {"json text", panel,
         [panel](auto& db) {
             JSONDefault<ReticleSpec> s(db, "k");
             s.set(panel), s.set(panel);
             EXPECT_EQ(db.writes, 0);
             s.set(std::string("{}"));
         }},
        {"colour", std::string(R"({"red":1,"green":0,"blue":0})"),
         [](auto& db) {
             ColorDefault s(db, "k", Color{});
             s.set(R"({"red":1,"green":0,"blue":0})");
             s.set(R"({"red":1,"green":0,"blue":0,"alpha":1})");
             EXPECT_EQ(db.writes, 0);
             s.set(R"({"red":0,"green":1,"blue":0})");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        FakeDefaultsDatabase db;
        db.values["k"] = c.stored;
        c.sameThenNew(db);
        EXPECT_EQ(db.writes, 1) << "a changed value is written once";
        EXPECT_EQ(db.reads, 1) << "only creation reads the database";
    }
}

TEST(SettingsTraffic, TheRegistryReadsEachKeyOnceAndThenOnlyMemory) {
    FakeDefaultsDatabase db;
    db.values["safeAreaSize"] = std::int64_t{40};
    Defaults defaults(db);
    const int readsAtCreation = db.reads;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(defaults.safeAreaSize.value(), 40);
        EXPECT_TRUE(defaults.reticleFade.onUnlessDisabled());
        EXPECT_FALSE(defaults.mainReticleSpec.typedValue());
    }
    EXPECT_EQ(db.reads, readsAtCreation);
    // Someone else changing the database is not seen until the next start.
    db.values["safeAreaSize"] = std::int64_t{50};
    EXPECT_EQ(defaults.safeAreaSize.value(), 40);
}

} // namespace
} // namespace zentrivo
