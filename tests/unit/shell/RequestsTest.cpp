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
        {"zentrivo://show?foo=1&appearDist=7", show(7.0f)},
        {"zentrivo://close", close(true)},
        {"zentrivo://close?executing=false", close(false)},
    };
    for (const auto& [url, expected] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(CommandUrl::parse(url), expected);
    }
    // The whole text must be consumed, an embedded NUL ends nothing early, a float must hold it,
    // and the first item counts even unread: no distance, but still a show.
    for (const char* query :
         {"appearDist=40%20", "appearDist=4%005", "appearDist=", "appearDist", "appeardist=40",
          "appearDist=1e39", "appearDist=nan", "appearDist=x&appearDist=7"})
        EXPECT_EQ(CommandUrl::parse(std::string("zentrivo://show?") + query), show()) << query;
    for (const char* query : {"?executing=False", "?executing=false%20", "?executing"})
        EXPECT_EQ(CommandUrl::parse(std::string("zentrivo://close") + query), close(true)) << query;
    // Not acted on: a path, an unknown host, no host, or a malformed URL.
    for (const char* url : {"zentrivo://show/", "zentrivo:show", "zentrivo://open",
                            "zentrivo://Show", "zentrivo://show?appearDist=4 0",
                            "zentrivo://show?appearDist=%4", "zentrivo://show?appearDist=%zz"})
        EXPECT_EQ(CommandUrl::parse(url), std::nullopt) << url;
}

// zentrivoctl changed the database behind a running Zentrivo's back: the changed settings are
// read again, then the reaction of the matching control follows, once, seeing the new values.
TEST(LiveSettingsTest, ChangedKeysAreReReadThenPostWhatTheirControlPosts) {
    const std::string nearPanel = R"({"id":0,"tl":{"stringValue":"org.gnome.Terminal","type":0}})";
    const std::string farPanel = R"({"id":1,"b":{"stringValue":"/tmp","type":1}})";
    using Changes = std::vector<std::pair<std::string, std::optional<PropertyValue>>>;
    const auto i = [](std::int64_t n) { return PropertyValue(n); };
    struct Row {
        Changes changes;       ///< none: deleted
        std::string reactions; ///< what was posted or called, with the values it could read
        std::string usedValues = "800 150.000000"; ///< `hoverMillis` and `firstRingDist` after
        std::vector<std::string> keys = {};        ///< none: the changed ones
    };
    const Row rows[] = {
        {{{"mainReticleSpec", nearPanel}}, "appsUpdated tl=org.gnome.Terminal far=0;"},
        {{{"farReticleSpec", farPanel}}, "appsUpdated tl= far=1;"},
        {{{"mainReticleSpec", nearPanel}, {"farReticleSpec", farPanel}},
         "appsUpdated tl=org.gnome.Terminal far=1;"},
        {{{"restToOneTouches", i(3)}}, "gestureSelected touches=3;"},
        {{{"arrowKeysDisplays", i(2)}}, "arrowDisplaysToggled flags=1572864 arrows=2;"},
        {{{"reticleFlags", {}}}, "arrowDisplaysToggled flags=0 arrows=1;"},
        {{{"hideMenuBarIcon", true}}, "showStatusItem hidden=1;"},
        {{{"autoRestartOnWake", i(1)}}, "updateWakeObserver wake=1;"},
        // Read at each use: re-read, nothing to post; a deleted distance falls back.
        {{{"hoverMillis", i(300)}}, "", "300 150.000000"},
        {{{"firstRingDist", {}}}, "", "800 200.000000"},
        // Keys not named keep the value read before, and a key of no setting does nothing.
        {{{"hoverMillis", i(300)}, {"background", i(2)}},
         "backgroundUpdated background=2;",
         "800 150.000000",
         {"noSuchKey", "background"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.changes[0].first + " " + row.reactions);
        test::FakeDefaultsDatabase db;
        db.values = {{"reticleFlags", i(0x180000)},
                     {"arrowKeysDisplays", i(1)},
                     {"hoverMillis", i(800)},
                     {"firstRingDist", 150.0f}};
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
        std::vector<std::string> changed;
        for (const auto& [key, value] : row.changes) {
            value ? void(db.values[key] = *value) : void(db.values.erase(key));
            changed.push_back(key);
        }
        live.settingsChanged(row.keys.empty() ? changed : row.keys);
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
