#pragma once

#include "CloudImportQuestion.h"
#include "CloudStore.h"
#include "Defaults.h"
#include "app/core/MainQueue.h"
#include "app/core/NotificationCenter.h"
#include "app/model/ReticleSpecModel.h"

#include <memory>
#include <string>
#include <vector>

namespace zentrivo {

/// Applies a configuration record from the cloud store to the synced settings and the near
/// panel: two seconds after the last of a burst of changes, newer records only, and the first
/// one on this machine only when the user agrees.
class CloudImport {
public:
    struct Collaborators {
        Defaults& defaults;
        ReticleSpecModel& model;
        CloudStore& store;
        CloudImportQuestion& question;
        MainQueue& mainQueue;
        NotificationCenter& notificationCenter;
    };

    explicit CloudImport(Collaborators collaborators) : c(collaborators) {}
    ~CloudImport();
    CloudImport(const CloudImport&) = delete;
    CloudImport& operator=(const CloudImport&) = delete;

    /// Starts observing the store.
    void start();
    /// The store reports `changedKeys`; the import runs 2 seconds after the last such report.
    void changesDetected(std::vector<std::string> changedKeys);

    /// The record stored under this key of the store.
    static constexpr const char* configKey = "config";

private:
    void importChanges(const std::vector<std::string>& changedKeys);

    Collaborators c;
    std::shared_ptr<WorkItem> pendingImport;
    /// True while the first-import question is open.
    bool asking = false;
};

} // namespace zentrivo
