#pragma once

#include "app/apps/Workspace.h"
#include "app/model/InstalledApp.h"
#include "app/settings/OptionalBool.h"

#include <optional>
#include <string_view>

namespace zentrivo {

class PlatformProfile;
class ReticleSpecModel;
struct ReticleSpec;

/// Remembers which regular applications were in front, so that a last-application slot can
/// return to the one before the current one. Listens to the workspace only while switched on.
class FrontmostAppDetection {
public:
    FrontmostAppDetection(Workspace& workspace, const ReticleSpecModel& model,
                          const PlatformProfile& profile);
    ~FrontmostAppDetection();
    FrontmostAppDetection(const FrontmostAppDetection&) = delete;
    FrontmostAppDetection& operator=(const FrontmostAppDetection&) = delete;

    /// Starts observing activations and records the application in front now. Does nothing
    /// while already listening.
    void startListening();
    /// Stops observing and forgets the whole history. Does nothing while not listening.
    void stopListening();
    bool listening() const noexcept { return isListening; }

    /// One activation: `app` came to the front. Applications that are not regular, or whose
    /// identifier, name or bundle path is unknown, are ignored.
    void receiveFrontAppChange(const RunningApp& app);

    /// The application that was in front before `currentApp`.
    const std::optional<InstalledApp>& lastAnyApp() const noexcept { return lastAny; }
    /// The most recent former front application that the near panel's ring does not offer.
    const std::optional<InstalledApp>& lastNonZentrivoApp() const noexcept {
        return lastNonZentrivo;
    }
    /// The application in front now, as last reported.
    const std::optional<InstalledApp>& currentApp() const noexcept { return current; }

    /// The application a last-application slot stands for under the setting
    /// "lastFrontAppCanBeZentrivo": `lastNonZentrivoApp` when the user disabled it, otherwise
    /// `lastAnyApp`. None when there is no such application.
    const std::optional<InstalledApp>&
    lastApp(OptionalBool lastFrontAppCanBeZentrivo) const noexcept;

    /// Whether the ring of `spec` (the eight slots, not the centre) already offers the
    /// application: an `app` slot for it, or, for the file manager, any `file` slot.
    static bool isPanelApplication(const ReticleSpec& spec, std::string_view bundleId,
                                   std::string_view fileManagerId);

private:
    Workspace& workspace;
    const ReticleSpecModel& model;
    const PlatformProfile& profile;
    std::optional<InstalledApp> lastAny;
    std::optional<InstalledApp> lastNonZentrivo;
    std::optional<InstalledApp> current;
    bool isListening = false;
    Workspace::Token observerToken = 0;
};

} // namespace zentrivo
