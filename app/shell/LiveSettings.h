#pragma once

#include "app/core/NotificationCenter.h"
#include "app/model/ReticleSpecModel.h"
#include "app/settings/Defaults.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

/// What a running Zentrivo does after a setting changed behind its back, so that the change
/// takes effect as if its control in the preferences had been used.
enum class LiveReaction {
    /// Post "appsUpdated": the tray menu, the reticle's images and last-app tracking reload.
    appsUpdated,
    /// Post "gestureSelected": the trackpad gesture and the wake observer follow.
    gestureSelected,
    /// Post "arrowDisplaysToggled": the arrow-key hot keys follow.
    arrowDisplaysToggled,
    /// Post "backgroundUpdated": the reticle's background follows.
    backgroundUpdated,
    /// Show the tray icon again, which applies `hideMenuBarIcon`.
    showStatusItem,
    /// Register or remove the wake observer.
    updateWakeObserver,
};

struct LiveSettingRule {
    std::string_view key;
    LiveReaction reaction;
};

/// Which reaction each setting key calls for. A key that is read at each use needs no row.
inline constexpr LiveSettingRule liveSettingRules[] = {
    {"mainReticleSpec", LiveReaction::appsUpdated},
    {"farReticleSpec", LiveReaction::appsUpdated},
    {"restToOneTouches", LiveReaction::gestureSelected},
    {"arrowKeysDisplays", LiveReaction::arrowDisplaysToggled},
    {"reticleFlags", LiveReaction::arrowDisplaysToggled},
    {"background", LiveReaction::backgroundUpdated},
    {"hideMenuBarIcon", LiveReaction::showStatusItem},
    {"autoRestartOnWake", LiveReaction::updateWakeObserver},
};

/// The reactions `keys` call for, each once, in the order of `liveSettingRules`.
std::vector<LiveReaction> liveReactions(const std::vector<std::string>& keys);

/// The notification a reaction posts; none for the reactions that are calls.
std::optional<std::string_view> notificationName(LiveReaction reaction);

/// Applies settings that another process (zentrivoctl) changed in the database: re-reads
/// them, then reacts as `liveSettingRules` says.
class LiveSettings {
public:
    struct Collaborators {
        Defaults& defaults;
        WakeDefaults& wakeDefaults;
        ReticleSpecModel& model;
        NotificationCenter& notifications;
        std::function<void()> showStatusItem;
        std::function<void()> updateWakeObserver;
    };

    explicit LiveSettings(Collaborators collaborators);
    LiveSettings(const LiveSettings&) = delete;
    LiveSettings& operator=(const LiveSettings&) = delete;

    /// `keys` were written or deleted. Keys that are no setting are ignored.
    void settingsChanged(const std::vector<std::string>& keys);

private:
    Collaborators c;
};

} // namespace zentrivo
