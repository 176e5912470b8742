#include "app/shell/LiveSettings.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Values = std::map<std::string, PropertyValue, std::less<>>;

// zentrivoctl changed the database behind a running Zentrivo's back: the changed settings are
// read again, then the reaction of the matching control follows, once, seeing the new values.
TEST(LiveSettingsTest, ChangedKeysAreReReadThenPostWhatTheirControlPosts) {
    const Values before = {
        {"reticleFlags", std::int64_t{0x180000}},
        {"arrowKeysDisplays", std::int64_t{1}},
        {"restToOneTouches", std::int64_t{0}},
        {"hoverMillis", std::int64_t{800}},
        {"firstRingDist", 150.0f},
        {"hideMenuBarIcon", false},
        {"background", std::int64_t{1}},
        {"autoRestartOnWake", std::int64_t{0}},
    };
    const std::string nearPanel = R"({"id":0,"tl":{"stringValue":"org.gnome.Terminal","type":0}})";
    const std::string farPanel = R"({"id":1,"b":{"stringValue":"/tmp","type":1}})";
    struct Row {
        const char* name;
        std::vector<std::string> keys;
        Values written;
        std::vector<std::string> deleted;
        /// What was posted or called, each with the value it could read at that moment.
        std::vector<std::string> reactions;
        /// `hoverMillis` and `firstRingDist` afterwards.
        std::string usedValues = "800 150.000000";
    };
    const Row rows[] = {
        {"near panel",
         {"mainReticleSpec"},
         {{"mainReticleSpec", nearPanel}},
         {},
         {"appsUpdated tl=org.gnome.Terminal far=0"}},
        {"far panel",
         {"farReticleSpec"},
         {{"farReticleSpec", farPanel}},
         {},
         {"appsUpdated tl= far=1"}},
        {"both panels post once",
         {"mainReticleSpec", "farReticleSpec"},
         {{"mainReticleSpec", nearPanel}, {"farReticleSpec", farPanel}},
         {},
         {"appsUpdated tl=org.gnome.Terminal far=1"}},
        {"gesture",
         {"restToOneTouches"},
         {{"restToOneTouches", std::int64_t{3}}},
         {},
         {"gestureSelected touches=3"}},
        {"arrow display",
         {"arrowKeysDisplays"},
         {{"arrowKeysDisplays", std::int64_t{2}}},
         {},
         {"arrowDisplaysToggled flags=1572864 arrows=2"}},
        {"modifiers",
         {"reticleFlags"},
         {{"reticleFlags", std::int64_t{0x840000}}},
         {},
         {"arrowDisplaysToggled flags=8650752 arrows=1"}},
        {"modifiers and arrows post once",
         {"reticleFlags", "arrowKeysDisplays"},
         {{"reticleFlags", std::int64_t{0x40000}}, {"arrowKeysDisplays", std::int64_t{2}}},
         {},
         {"arrowDisplaysToggled flags=262144 arrows=2"}},
        {"deleted modifiers read as unset",
         {"reticleFlags"},
         {},
         {"reticleFlags"},
         {"arrowDisplaysToggled flags=0 arrows=1"}},
        {"background",
         {"background"},
         {{"background", std::int64_t{2}}},
         {},
         {"backgroundUpdated background=2"}},
        {"tray icon",
         {"hideMenuBarIcon"},
         {{"hideMenuBarIcon", true}},
         {},
         {"showStatusItem hidden=1"}},
        {"wake",
         {"autoRestartOnWake"},
         {{"autoRestartOnWake", std::int64_t{1}}},
         {},
         {"updateWakeObserver wake=1"}},
        // Read at each use: re-read, nothing to post.
        {"hover delay",
         {"hoverMillis"},
         {{"hoverMillis", std::int64_t{300}}},
         {},
         {},
         "300 150.000000"},
        {"deleted distance falls back",
         {"firstRingDist"},
         {},
         {"firstRingDist"},
         {},
         "800 200.000000"},
        {"unnamed keys keep their value",
         {"background"},
         {{"hoverMillis", std::int64_t{300}}, {"background", std::int64_t{2}}},
         {},
         {"backgroundUpdated background=2"}},
        {"no setting", {"noSuchKey"}, {{"noSuchKey", std::int64_t{1}}}, {}, {}},
        {"nothing", {}, {{"background", std::int64_t{2}}}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeDefaultsDatabase db;
        db.values = before;
        Defaults defaults(db);
        WakeDefaults wakeDefaults(db);
        test::FreedesktopTestProfile profile;
        ReticleSpecModel model(defaults, profile);
        NotificationCenter notifications;
        std::vector<std::string> reactions;
        const auto record = [&](std::string name, std::string detail) {
            reactions.push_back(std::move(name) + " " + detail);
        };
        notifications.addObserver("appsUpdated", [&](const Notification&) {
            const auto& tl = model.mainSpec().tl;
            record("appsUpdated", "tl=" + (tl ? tl->stringValue : "") +
                                      " far=" + std::to_string(model.anyFarSpecConfigured()));
        });
        notifications.addObserver("gestureSelected", [&](const Notification&) {
            record("gestureSelected",
                   "touches=" + std::to_string(defaults.restToOneTouches.value()));
        });
        notifications.addObserver("arrowDisplaysToggled", [&](const Notification&) {
            record("arrowDisplaysToggled",
                   "flags=" + std::to_string(defaults.reticleFlags.value()) + " arrows=" +
                       std::to_string(static_cast<int>(defaults.arrowKeysDisplays.value())));
        });
        notifications.addObserver("backgroundUpdated", [&](const Notification&) {
            record("backgroundUpdated",
                   "background=" + std::to_string(static_cast<int>(defaults.background.value())));
        });
        LiveSettings live({defaults, wakeDefaults, model, notifications,
                           [&] {
                               record("showStatusItem",
                                      "hidden=" + std::to_string(defaults.hideMenuBarIcon.value()));
                           },
                           [&] {
                               record("updateWakeObserver",
                                      "wake=" + std::to_string(static_cast<int>(
                                                    wakeDefaults.autoRestartOnWake.value())));
                           }});

        for (const auto& [key, value] : row.written)
            db.values[key] = value;
        for (const auto& key : row.deleted)
            db.values.erase(key);
        live.settingsChanged(row.keys);
        EXPECT_EQ(reactions, row.reactions);
        // Re-reading is no write: the command line's value stays as it wrote it.
        EXPECT_EQ(db.writes, 0);
        // The settings read at each use hold the new values (a deleted distance its fallback).
        EXPECT_EQ(std::to_string(defaults.hoverMillis.value()) + " " +
                      std::to_string(defaults.firstRingDist.value()),
                  row.usedValues);
    }
}

} // namespace
} // namespace zentrivo
