// What reaches a running Zentrivo from outside: command URLs and settings zentrivoctl changed.
#include "app/shell/CommandUrl.h"
#include "app/shell/LiveSettings.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Command = CommandUrl::Command;

CommandUrl show(std::optional<float> appearDist = std::nullopt) {
    return {Command::show, appearDist, true};
}
CommandUrl close(bool executing) {
    return {Command::close, std::nullopt, executing};
}

TEST(CommandUrlTest, HostPathAndFirstQueryItemDecideTheCommand) {
    const std::pair<const char*, std::optional<CommandUrl>> cases[] = {
        {"zentrivo://show", show()},
        {"zentrivo://show?appearDist=40", show(40.0f)},
        {"zentrivo://show?appearDist=40#top", show(40.0f)},
        // A 32-bit reading: the float nearest 0.1, not the double.
        {"zentrivo://show?appearDist=0.1", show(0.1f)},
        {"zentrivo://show?appearDist=4%30", show(40.0f)}, // percent-decoded first
        {"zentrivo://show?appearDist=40%20", show()},     // the whole text must be consumed
        {"zentrivo://show?appearDist=4%005", show()},     // an embedded NUL ends nothing early
        {"zentrivo://show?appearDist=", show()},
        {"zentrivo://show?appearDist", show()},
        {"zentrivo://show?appeardist=40", show()},
        {"zentrivo://show?appearDist=1e39", show()}, // beyond a 32-bit float
        {"zentrivo://show?appearDist=nan", show()},
        {"zentrivo://show?appearDist=x&appearDist=7", show()}, // the first counts even unread
        {"zentrivo://show?foo=1&appearDist=7", show(7.0f)},
        {"zentrivo://close", close(true)},
        {"zentrivo://close?executing=false", close(false)},
        {"zentrivo://close?executing=False", close(true)},
        {"zentrivo://close?executing=false%20", close(true)},
        {"zentrivo://close?executing", close(true)},
        // Not acted on: a path, an unknown host, no host, or a malformed URL.
        {"zentrivo://show/", std::nullopt},
        {"zentrivo:show", std::nullopt},
        {"zentrivo://open", std::nullopt},
        {"zentrivo://Show", std::nullopt},
        {"zentrivo://show?appearDist=4 0", std::nullopt},
        {"zentrivo://show?appearDist=%4", std::nullopt},
        {"zentrivo://show?appearDist=%zz", std::nullopt},
    };
    for (const auto& [url, expected] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(CommandUrl::parse(url), expected);
    }
}

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
