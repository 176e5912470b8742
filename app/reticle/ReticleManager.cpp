#include "ReticleManager.h"

#include "app/apps/FrontmostAppDetection.h"
#include "app/core/CursorLocation.h"
#include "app/core/Log.h"
#include "app/core/Notifications.h"
#include "app/core/SystemInfo.h"
#include "app/input/ArrowKeys.h"
#include "app/model/PlatformProfile.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/Haptics.h"
#include "app/reticle/ReticleView.h"
#include "app/reticle/ReticleWindow.h"
#include "app/settings/Defaults.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

namespace zentrivo {
namespace {

constexpr std::chrono::milliseconds skipInButtonDuration{100};
/// "outerSafeArea" at or above this means there is no outer limit.
constexpr float noOuterLimit = 1001.0f;
/// Longer hover delays are taken as this one; the main queue's clock cannot represent much more.
constexpr std::int64_t longestHoverMillis = std::numeric_limits<std::int32_t>::max();

/// The part after the last dot of the path's last component ("app" for "/A/Mail.app/").
std::string_view pathExtension(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

bool isDirectory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

} // namespace

ReticleManager::ReticleManager(const Collaborators& collaborators) : c(collaborators) {
    s.minDist = c.defaults.reticleDisplayMinDist.value();
    std::weak_ptr<int> alive = lifetime;
    c.window.setCloseCompletion([this, alive] {
        if (alive.lock())
            resetFar();
    });
    if (c.model.containsLastApp())
        c.frontmostAppDetection.startListening();
    observerTokens.push_back(c.notificationCenter.addObserver(
        notifications::appsUpdated, [this](const Notification&) { updateFrontmostListening(); }));
    observerTokens.push_back(c.notificationCenter.addObserver(
        notifications::alertWillDisplay, [this](const Notification&) { dismiss(false); }));
    observerTokens.push_back(
        c.notificationCenter.addObserver(notifications::arrowDisplaysToggled,
                                         [this](const Notification&) { registerArrowKeys(true); }));
    registerArrowKeys(false);
}

ReticleManager::~ReticleManager() {
    for (auto token : observerTokens)
        c.notificationCenter.removeObserver(token);
    if (s.hoverWorkItem)
        s.hoverWorkItem->cancel();
    if (skipInButtonWorkItem)
        skipInButtonWorkItem->cancel();
    c.window.setCloseCompletion({});
}

// MARK: Showing

void ReticleManager::centerAtCursor() {
    const Point cursor = c.cursorLocation.mouseLocation();
    s.cursorOrigin = cursor;
    const Size size = c.window.frame().size;
    const Point origin{std::floor(cursor.x - size.width / 2),
                       std::floor(cursor.y - size.height / 2)};
    c.window.setFrameOrigin(origin);
    s.reticleWindowPosition = origin;
}

void ReticleManager::show(std::optional<float> minDist) {
    // A window shown again while its previous close was still fading never reports that close,
    // so the far reset is done here: a new gesture always starts on the near panel.
    if (!s.cursorOrigin && s.far)
        resetFar();
    centerAtCursor();
    if (minDist)
        s.minDist = *minDist;
    // Only a positive distance defers the display; a negative or undefined one would otherwise
    // keep the reticle from ever appearing.
    if (s.minDist > 0)
        return;
    displayReticle();
}

void ReticleManager::displayReticle() {
    if (s.reticleDisplayed)
        return;
    // The delegate goes first so that the view can report the window's real frame while it
    // appears.
    c.view.setDelegate(this);
    c.window.showWindow();
    setReticleDisplayed(true);
}

void ReticleManager::setReticleDisplayed(bool displayed) {
    s.reticleDisplayed = displayed;
    if (displayed) {
        const auto& last =
            c.frontmostAppDetection.lastApp(c.defaults.lastFrontAppCanBeZentrivo.value());
        s.lastReadFrontAppId = last ? std::optional<std::string>(last->bundleId) : std::nullopt;
        s.currentFrontApp = c.workspace.frontmostApplication();
    } else {
        s.lastReadFrontAppId.reset();
        s.currentFrontApp.reset();
    }
}

void ReticleManager::windowAppeared(Rect frame) {
    if (!s.reticleDisplayed)
        return;
    if (!s.reticleWindowPosition || *s.reticleWindowPosition != frame.origin)
        s.cursorOrigin = frame.center();
}

// MARK: Steering

bool ReticleManager::cursorMoved(Point to) {
    if (!s.cursorOrigin)
        return false;

    // A hidden reticle has no visible slots for the cursor to rest on.
    std::optional<Directional> hit;
    if (s.reticleDisplayed)
        hit = c.view.slotWithImageAt(c.window.mouseLocationInWindow());
    if (s.inButton && hit == s.inButton)
        return s.reticleDisplayed;
    if (s.inButton || hit) {
        setInButton(hit);
        if (s.inButton)
            return s.reticleDisplayed;
    }

    const double dx = to.x - s.cursorOrigin->x;
    const double dy = to.y - s.cursorOrigin->y;
    s.dist = std::hypot(static_cast<float>(dx), static_cast<float>(dy));

    const float firstRingDist = c.defaults.firstRingDist.value();
    if (!s.far && firstRingDist > 0 && c.model.anyFarSpecConfigured() && firstRingDist < s.dist)
        setFar(true);

    if (s.minDist > 0 && s.minDist < s.dist && !s.reticleDisplayed)
        displayReticle();

    if (s.dist < static_cast<float>(c.defaults.safeAreaSize.value())) {
        s.directional.reset();
        s.inButton.reset();
        if (!s.skipInButton)
            scheduleHover();
        c.view.clearHighlight();
        if (s.far)
            setFar(false);
        return s.reticleDisplayed;
    }

    const float outerSafeArea = c.defaults.outerSafeArea.value();
    if (outerSafeArea < noOuterLimit && s.dist > outerSafeArea) {
        s.directional.reset();
        s.inButton.reset();
        if (!s.skipInButton)
            scheduleHover();
        c.view.clearHighlight();
        return s.reticleDisplayed;
    }

    // dx == 0 gives an infinite quotient and so plus or minus pi/2; 0/0 gives NaN, which matches
    // no band and ends up as `b`.
    const double angle = std::atan(dy / dx);
    Directional position;
    if (negLowBound <= angle && angle <= posLowBound)
        position = dx > 0 ? Directional::r : Directional::l;
    else if (posLowBound <= angle && angle <= posHighBound)
        position = dx > 0 ? Directional::tr : Directional::bl;
    else if (negHighBound <= angle && angle <= negLowBound)
        position = dx > 0 ? Directional::br : Directional::tl;
    else
        position = dy > 0 ? Directional::t : Directional::b;

    if (s.directional != position) {
        s.directional = position;
        c.view.highlight(position);
    }
    return s.reticleDisplayed;
}

void ReticleManager::setInButton(std::optional<Directional> position) {
    s.inButton = position;
    if (s.skipInButton)
        return;
    if (position && s.reticleDisplayed) {
        s.directional = position;
        c.view.highlight(position);
    }
    scheduleHover();
}

void ReticleManager::setFar(bool far) {
    s.far = far;
    if (far && c.defaults.hapticFeedback.onUnlessDisabled())
        c.haptics.levelChange();
    c.view.reloadSlots(far);
}

void ReticleManager::resetFar() {
    if (!s.far)
        return;
    s.far = false;
    c.view.reloadSlots(false);
}

void ReticleManager::setIsReceivingDrag(bool receiving) {
    s.isReceivingDrag = receiving;
    if (receiving && s.directional) {
        c.view.hideHighlight(*s.directional);
        s.directional.reset();
    }
}

void ReticleManager::slotReplacedByDrop() {
    s.directional.reset();
    s.inButton.reset();
    if (!s.skipInButton)
        scheduleHover();
    c.view.clearHighlight();
}

// MARK: Hover

void ReticleManager::scheduleHover() {
    // A pending hover is cancelled even when hover selection has been switched off since it was
    // armed; otherwise it could still fire after the reticle closed.
    if (s.hoverWorkItem) {
        s.hoverWorkItem->cancel();
        s.hoverWorkItem.reset();
    }
    const std::int64_t millis = c.defaults.hoverMillis.value();
    if (millis < 1 || !s.inButton)
        return;
    const Directional position = *s.inButton;
    std::weak_ptr<int> alive = lifetime;
    s.hoverWorkItem = c.mainQueue.postAfter(
        std::chrono::milliseconds(std::min(millis, longestHoverMillis)), [this, alive, position] {
            if (alive.lock())
                hoverFired(position);
        });
}

void ReticleManager::hoverFired(Directional directional) {
    const auto& slot = c.model.action(directional, s.far);
    if (!slot)
        return;
    // A copy: the centre slot may change below.
    const Action action = *slot;
    const auto front = c.workspace.frontmostApplication();

    // Hover opens folders and applications, never documents: resting on a document slot is too
    // easy to do by accident.
    if (action.type == ActionType::file && !isDirectory(action.stringValue) &&
        pathExtension(action.stringValue) != c.profile.applicationBundleExtension())
        return;

    if (front && front->bundleIdentifier) {
        const std::string& frontId = *front->bundleIdentifier;
        if (action.type == ActionType::app && action.stringValue == frontId)
            return;
        if (action.type == ActionType::lastApp && s.lastReadFrontAppId == frontId)
            return;
        // The application being left waits in the centre slot, so hovering the centre returns to
        // it, unless the ring already offers it.
        if (directional != Directional::c && frontId != c.profile.selfBundleId() &&
            c.workspace.applicationPath(frontId) &&
            !FrontmostAppDetection::isPanelApplication(c.model.mainSpec(), frontId,
                                                       c.profile.fileManagerId())) {
            c.model.setMainSlot(Action{frontId, ActionType::app}, Directional::c);
            c.view.showCentreApp(front);
        }
    }
    c.view.pulseHighlight();
    perform(action);
}

// MARK: Closing

void ReticleManager::dismiss(bool performAction) {
    if (s.directional) {
        if (const auto& action = c.model.action(*s.directional, s.far)) {
            // A reticle whose display was still deferred has shown nothing to choose from.
            if (performAction && s.reticleDisplayed)
                perform(*action);
            c.view.clearHighlight();
        }
    }
    if (s.reticleDisplayed) {
        setReticleDisplayed(false);
        s.reticleWindowPosition.reset();
        c.window.close();
    }
    if (c.model.mainSpec().c) {
        c.model.setMainSlot(std::nullopt, Directional::c);
        c.view.clearCentreImage();
    }
    s.cursorOrigin.reset();
    s.directional.reset();
    s.inButton.reset();
    // The gesture is over: no hover may fire for it any more, even during the arrow-key pause.
    scheduleHover();
    s.dist = 0;
    s.minDist = c.defaults.reticleDisplayMinDist.value();
}

// MARK: Arrow keys

void ReticleManager::arrowSelected(Directional directional) {
    if (!s.reticleDisplayed) {
        if (!s.cursorOrigin && s.far)
            resetFar();
        centerAtCursor();
        displayReticle();
        // The window appears under a cursor that may already rest on a slot; that must not
        // override the arrow's choice straight away.
        s.skipInButton = true;
        if (skipInButtonWorkItem)
            skipInButtonWorkItem->cancel();
        std::weak_ptr<int> alive = lifetime;
        skipInButtonWorkItem = c.mainQueue.postAfter(skipInButtonDuration, [this, alive] {
            if (alive.lock())
                s.skipInButton = false;
        });
    }
    c.view.arrowNavigate(directional);
}

void ReticleManager::registerArrowKeys(bool toggle) {
    switch (c.defaults.arrowKeysDisplays.value()) {
    case OptionalBool::userEnabled:
        // With the Function key in the trigger the arrows are already the trigger's own keys.
        if ((c.defaults.reticleFlags.value() & modifierFlags::function) == 0) {
            std::weak_ptr<int> alive = lifetime;
            c.arrowKeys.registerKeys(
                [this, alive](Directional d) {
                    if (alive.lock())
                        arrowSelected(d);
                },
                {});
        }
        break;
    case OptionalBool::userDisabled:
        if (toggle)
            c.arrowKeys.unregisterAll();
        break;
    case OptionalBool::undefined:
        break;
    }
}

void ReticleManager::updateFrontmostListening() {
    if (c.model.containsLastApp())
        c.frontmostAppDetection.startListening();
    else
        c.frontmostAppDetection.stopListening();
}

// MARK: Action execution

void ReticleManager::perform(const Action& action) {
    switch (action.type) {
    case ActionType::app:
        launchApp(action.stringValue);
        break;
    case ActionType::file:
        // A missing file simply fails to open; there is no one to tell.
        (void)c.workspace.openFile(action.stringValue);
        break;
    case ActionType::lastApp:
        if (s.lastReadFrontAppId)
            launchApp(*s.lastReadFrontAppId);
        break;
    case ActionType::runningApp:
        for (const auto& app : c.workspace.runningApplications()) {
            if (app.bundleIdentifier == action.stringValue) {
                c.workspace.activate(app);
                break;
            }
        }
        break;
    }
}

void ReticleManager::launchApp(const std::string& bundleId) {
    // Read now: by the time the work runs the reticle has closed and forgotten it.
    std::optional<RunningApp> front = s.currentFrontApp;
    std::weak_ptr<int> alive = lifetime;
    c.mainQueue.post([this, alive, bundleId, front = std::move(front)] {
        if (!alive.lock())
            return;
        if (c.defaults.hideFrontmost.offUnlessEnabled() && front &&
            front->bundleIdentifier == bundleId) {
            c.workspace.hide(*front);
            return;
        }
        if (!c.defaults.relaunchActive.offUnlessEnabled()) {
            for (const auto& app : c.workspace.runningApplications()) {
                if (app.bundleIdentifier == bundleId) {
                    c.workspace.activate(app);
                    return;
                }
            }
        }
        openApplication(bundleId);
    });
}

void ReticleManager::openApplication(const std::string& bundleId) {
    const auto path = c.workspace.applicationPath(bundleId);
    if (!path)
        return;
    if (c.systemInfo.isAtLeast(10, 15)) {
        std::weak_ptr<int> alive = lifetime;
        Log& log = c.log;
        c.workspace.openApplication(*path, [alive, &log](std::optional<std::string> error) {
            if (error && alive.lock())
                log.info("launch app error:\n" + *error);
        });
    } else {
        // Older systems start applications without reporting the outcome.
        c.workspace.openApplication(*path, [](std::optional<std::string>) {});
    }
}

} // namespace zentrivo
