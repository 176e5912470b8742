#include "FrontmostAppDetection.h"

#include "app/model/PlatformProfile.h"
#include "app/model/ReticleSpecModel.h"

namespace zentrivo {

FrontmostAppDetection::FrontmostAppDetection(Workspace& workspace, const ReticleSpecModel& model,
                                             const PlatformProfile& profile)
    : workspace(workspace), model(model), profile(profile) {}

FrontmostAppDetection::~FrontmostAppDetection() {
    if (isListening)
        workspace.removeActivationObserver(observerToken);
}

void FrontmostAppDetection::startListening() {
    if (isListening)
        return;
    observerToken = workspace.addActivationObserver(
        [this](const RunningApp& app) { receiveFrontAppChange(app); });
    if (const auto front = workspace.frontmostApplication())
        receiveFrontAppChange(*front);
    isListening = true;
}

void FrontmostAppDetection::stopListening() {
    if (!isListening)
        return;
    workspace.removeActivationObserver(observerToken);
    lastAny.reset();
    lastNonZentrivo.reset();
    current.reset();
    isListening = false;
}

void FrontmostAppDetection::receiveFrontAppChange(const RunningApp& app) {
    // Menu-bar agents and background programs (this one included) never count as the
    // application the user was working in.
    if (app.activationPolicy != ActivationPolicy::regular)
        return;
    if (!app.bundleIdentifier || !app.localizedName || !app.bundlePath)
        return;
    InstalledApp now{*app.localizedName, *app.bundleIdentifier, *app.bundlePath};
    if (current && *current == now)
        return;
    lastAny = current;
    if (current &&
        !isPanelApplication(model.mainSpec(), current->bundleId, profile.fileManagerId()))
        lastNonZentrivo = current;
    current = std::move(now);
}

const std::optional<InstalledApp>&
FrontmostAppDetection::lastApp(OptionalBool lastFrontAppCanBeZentrivo) const noexcept {
    return lastFrontAppCanBeZentrivo == OptionalBool::userDisabled ? lastNonZentrivo : lastAny;
}

bool FrontmostAppDetection::isPanelApplication(const ReticleSpec& spec, std::string_view bundleId,
                                               std::string_view fileManagerId) {
    const bool isFileManager = !fileManagerId.empty() && bundleId == fileManagerId;
    for (Directional d : ringDirections) {
        const auto& action = spec.slot(d);
        if (!action)
            continue;
        if (action->type == ActionType::app && action->stringValue == bundleId)
            return true;
        // A panel that opens files or folders makes the file manager one of its applications.
        if (action->type == ActionType::file && isFileManager)
            return true;
    }
    return false;
}

} // namespace zentrivo
