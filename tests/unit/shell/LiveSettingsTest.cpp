#include "app/shell/LiveSettings.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

// zentrivoctl changed the database behind a running Zentrivo's back: the changed settings are
// read again, then the reaction of the matching control follows, once, seeing the new values.
TEST(LiveSettingsTest, ChangedKeysAreReReadThenPostWhatTheirControlPosts) {
    const std::map<std::string, PropertyValue, std::less<>> before = {
        {"reticleFlags", std::int64_t{0x180000}},
        {"arrowKeysDisplays", std::int64_t{1}},
        {"hoverMillis", std::int64_t{800}},
        {"firstRingDist", 150.0f}};
    const std::string nearPanel = R"({"id":0,"tl":{"stringValue":"org.gnome.Terminal","type":0}})";
    const std::string farPanel = R"({"id":1,"b":{"stringValue":"/tmp","type":1}})";
    using Changes = std::vector<std::pair<std::string, std::optional<PropertyValue>>>;
    const auto i = [](std::int64_t n) { return PropertyValue(n); };
    struct Row {
        std::vector<std::string> keys;
        Changes changes; ///< none: deleted
        /// What was posted or called, each with the value it could read at that moment.
        std::string reactions;
        /// `hoverMillis` and `firstRingDist` afterwards.
        std::string usedValues = "800 150.000000";
    };
    const Row rows[] = {
        {{"mainReticleSpec"},
         {{"mainReticleSpec", nearPanel}},
         "appsUpdated tl=org.gnome.Terminal far=0;"},
        {{"farReticleSpec"}, {{"farReticleSpec", farPanel}}, "appsUpdated tl= far=1;"},
        {{"mainReticleSpec", "farReticleSpec"},
         {{"mainReticleSpec", nearPanel}, {"farReticleSpec", farPanel}},
         "appsUpdated tl=org.gnome.Terminal far=1;"},
        {{"restToOneTouches"}, {{"restToOneTouches", i(3)}}, "gestureSelected touches=3;"},
        {{"arrowKeysDisplays"},
         {{"arrowKeysDisplays", i(2)}},
         "arrowDisplaysToggled flags=1572864 arrows=2;"},
        {{"reticleFlags"}, {{"reticleFlags", {}}}, "arrowDisplaysToggled flags=0 arrows=1;"},
        {{"hideMenuBarIcon"}, {{"hideMenuBarIcon", true}}, "showStatusItem hidden=1;"},
        {{"autoRestartOnWake"}, {{"autoRestartOnWake", i(1)}}, "updateWakeObserver wake=1;"},
        // Read at each use: re-read, nothing to post; a deleted distance falls back.
        {{"hoverMillis"}, {{"hoverMillis", i(300)}}, "", "300 150.000000"},
        {{"firstRingDist"}, {{"firstRingDist", {}}}, "", "800 200.000000"},
        // Keys not named keep the value read before, and a key of no setting does nothing.
        {{"noSuchKey", "background"},
         {{"hoverMillis", i(300)}, {"background", i(2)}},
         "backgroundUpdated background=2;"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keys[0] + " " + row.reactions);
        test::FakeDefaultsDatabase db;
        db.values = before;
        Defaults defaults(db);
        WakeDefaults wakeDefaults(db);
        test::FreedesktopTestProfile profile;
        ReticleSpecModel model(defaults, profile);
        NotificationCenter notifications;
        std::string reactions;
        const auto record = [&](const char* name, const std::string& value) {
            reactions += std::string(name) + " " + value + ";";
        };
        const auto n = [](auto value) { return std::to_string(static_cast<long long>(value)); };
        notifications.addObserver("appsUpdated", [&](const Notification&) {
            const auto& tl = model.mainSpec().tl;
            record("appsUpdated",
                   "tl=" + (tl ? tl->stringValue : "") + " far=" + n(model.anyFarSpecConfigured()));
        });
        notifications.addObserver("gestureSelected", [&](const Notification&) {
            record("gestureSelected", "touches=" + n(defaults.restToOneTouches.value()));
        });
        notifications.addObserver("arrowDisplaysToggled", [&](const Notification&) {
            record("arrowDisplaysToggled", "flags=" + n(defaults.reticleFlags.value()) +
                                               " arrows=" + n(defaults.arrowKeysDisplays.value()));
        });
        notifications.addObserver("backgroundUpdated", [&](const Notification&) {
            record("backgroundUpdated", "background=" + n(defaults.background.value()));
        });
        LiveSettings live(
            {defaults, wakeDefaults, model, notifications,
             [&] { record("showStatusItem", "hidden=" + n(defaults.hideMenuBarIcon.value())); },
             [&] {
                 record("updateWakeObserver", "wake=" + n(wakeDefaults.autoRestartOnWake.value()));
             }});

        for (const auto& [key, value] : row.changes)
            value ? void(db.values[key] = *value) : void(db.values.erase(key));
        live.settingsChanged(row.keys);
        EXPECT_EQ(reactions, row.reactions);
        // Re-reading is no write: the command line's value stays as it wrote it.
        EXPECT_EQ(db.writes, 0);
        EXPECT_EQ(std::to_string(defaults.hoverMillis.value()) + " " +
                      std::to_string(defaults.firstRingDist.value()),
                  row.usedValues);
    }
}

} // namespace
} // namespace zentrivo
