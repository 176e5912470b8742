#include "CloudImport.h"

#include "CloudConfig.h"
#include "app/core/Notifications.h"

#include <chrono>

namespace zentrivo {

namespace {
constexpr std::chrono::milliseconds debounce{2000};
}

CloudImport::~CloudImport() {
    if (pendingImport)
        pendingImport->cancel();
}

void CloudImport::start() {
    c.store.observeChanges(
        [this](const std::vector<std::string>& changedKeys) { changesDetected(changedKeys); });
}

void CloudImport::changesDetected(std::vector<std::string> changedKeys) {
    if (pendingImport)
        pendingImport->cancel();
    pendingImport = c.mainQueue.postAfter(debounce, [this, keys = std::move(changedKeys)] {
        pendingImport.reset();
        importChanges(keys);
    });
}

void CloudImport::importChanges(const std::vector<std::string>& changedKeys) {
    // The question's window runs the event loop: a change arriving meanwhile waits for the
    // answer instead of asking a second time.
    if (asking) {
        changesDetected(changedKeys);
        return;
    }
    // `zentrivoctl cloud export` records the time of the record it writes, so that this machine
    // neither asks about nor imports its own record.
    c.defaults.lastCloudSync.reload();
    for (const auto& key : changedKeys) {
        if (key != configKey)
            continue;
        const auto text = c.store.string(configKey);
        if (!text)
            continue;
        const auto config = Config::fromJsonString(*text);
        if (!config)
            continue;
        if (const auto& last = c.defaults.lastCloudSync.value()) {
            if (!(config->date() > *last))
                continue;
        } else {
            asking = true;
            const bool yes = c.question.askToImportExisting();
            asking = false;
            if (!yes)
                continue;
        }
        for (Default* setting : c.defaults.cloudSynced())
            if (const auto found = config->defaults.find(setting->key());
                found != config->defaults.end())
                setting->load(found->second);
        const auto& imported = c.defaults.mainReticleSpec.typedValue();
        c.model.setMainSpec(imported ? *imported : c.model.defaultMainSpec());
        c.notificationCenter.post(notifications::configImported);
        c.defaults.lastCloudSync.set(config->date());
    }
}

} // namespace zentrivo
