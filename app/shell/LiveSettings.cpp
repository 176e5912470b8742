#include "LiveSettings.h"

#include "app/core/Notifications.h"

#include <algorithm>

namespace zentrivo {

std::vector<LiveReaction> liveReactions(const std::vector<std::string>& keys) {
    std::vector<LiveReaction> reactions;
    for (const auto& rule : liveSettingRules) {
        const bool changed = std::find(keys.begin(), keys.end(), rule.key) != keys.end();
        if (changed &&
            std::find(reactions.begin(), reactions.end(), rule.reaction) == reactions.end())
            reactions.push_back(rule.reaction);
    }
    return reactions;
}

std::optional<std::string_view> notificationName(LiveReaction reaction) {
    switch (reaction) {
    case LiveReaction::appsUpdated:
        return notifications::appsUpdated;
    case LiveReaction::gestureSelected:
        return notifications::gestureSelected;
    case LiveReaction::arrowDisplaysToggled:
        return notifications::arrowDisplaysToggled;
    case LiveReaction::backgroundUpdated:
        return notifications::backgroundUpdated;
    case LiveReaction::showStatusItem:
    case LiveReaction::updateWakeObserver:
        return std::nullopt;
    }
    return std::nullopt;
}

LiveSettings::LiveSettings(Collaborators collaborators) : c(std::move(collaborators)) {}

void LiveSettings::settingsChanged(const std::vector<std::string>& keys) {
    // Every changed value is read first, so each reaction sees all of them.
    bool panelChanged = false;
    for (const auto& key : keys) {
        if (Default* setting = c.defaults.setting(key)) {
            setting->reload();
            panelChanged |=
                setting == &c.defaults.mainReticleSpec || setting == &c.defaults.farReticleSpec;
        } else if (Default* wake = c.wakeDefaults.setting(key)) {
            wake->reload();
        }
    }
    if (panelChanged)
        c.model.reload();
    for (LiveReaction reaction : liveReactions(keys)) {
        if (const auto name = notificationName(reaction))
            c.notifications.post(*name);
        else if (reaction == LiveReaction::showStatusItem && c.showStatusItem)
            c.showStatusItem();
        else if (reaction == LiveReaction::updateWakeObserver && c.updateWakeObserver)
            c.updateWakeObserver();
    }
}

} // namespace zentrivo
