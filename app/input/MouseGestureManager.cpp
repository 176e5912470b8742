#include "MouseGestureManager.h"

#include "EventMonitor.h"
#include "app/core/Notifications.h"

#include <utility>

namespace zentrivo {

MouseGestureManager::MouseGestureManager(ReticleControl& reticleManager, Defaults& defaults,
                                         NotificationCenter& notifications,
                                         EventMonitorService& monitors, EventTapService& taps,
                                         RunLoop& mainLoop, MainQueue& mainQueue,
                                         CursorLocation& cursor, AccessibilityPorts accessibility)
    : reticleManager(reticleManager), defaults(defaults), notifications(notifications),
      mainQueue(mainQueue), cursor(cursor), accessibility(accessibility),
      restToOneRecognizer(defaults.restToOneTouches) {
    modifierMonitor = std::make_unique<EventMonitor>(
        monitors, modifierMask, [this](const InputEvent* event) { modifierHandler(event); });
    eventMonitor = std::make_unique<EventMonitor>(
        monitors, moveMask, [this](const InputEvent* event) { moveHandler(event); });
    clickMonitor = std::make_unique<EventMonitor>(
        monitors, clickMask, [this](const InputEvent* event) { clickHandler(event); });
    restToOneRecognizer.delegate = this;
    gestureMonitor = std::make_unique<EventTapListener>(
        taps, mainLoop, mainQueue, gestureMask, true, nullptr,
        [this](const InputEvent& event) { restToOneRecognizer.handle(event); });
    gestureSelectedObserver = notifications.addObserver(
        notifications::gestureSelected, [this](const Notification&) { updateGesture(); });
}

MouseGestureManager::~MouseGestureManager() {
    notifications.removeObserver(gestureSelectedObserver);
    accessibilityAuth.reset();
    gestureMonitor.reset();
}

void MouseGestureManager::start() {
    modifierMonitor->start();
    updateGesture();
    // Only here: a button configured later takes effect at the next launch.
    if (defaults.reticleMouseButton.value() != 0)
        clickMonitor->start();
}

bool MouseGestureManager::modifiersMatch(const InputEvent& event) const {
    const std::uint64_t flags = event.modifierFlags & deviceIndependentFlagsMask;
    if (flags == 0)
        return false;
    // Stored signed, used as a mask: a negative value (no control writes one) names no set.
    const std::int64_t stored = defaults.reticleFlags.value();
    if (stored <= 0)
        return false;
    const auto reticleFlags = static_cast<std::uint64_t>(stored);
    return flags == reticleFlags || flags == (reticleFlags | capsLockRaw);
}

void MouseGestureManager::modifierHandler(const InputEvent* event) {
    if (!event)
        return;
    if (modifiersMatch(*event)) {
        reticleManager.show(std::nullopt);
        eventMonitor->start();
        monitoringMove = true;
    } else {
        reticleManager.dismiss(true);
        eventMonitor->stop();
        monitoringMove = false;
    }
}

void MouseGestureManager::moveHandler(const InputEvent* event) {
    if (!event)
        return;
    bool active = modifiersMatch(*event);
    if (defaults.restToOneTouches.value() >= 1)
        active = active || gestureTriggered;
    if (!active) {
        // The trigger ended without a flags change reaching us; close at the next movement.
        reticleManager.dismiss(true);
        eventMonitor->stop();
        monitoringMove = false;
        return;
    }
    reticleManager.cursorMoved(cursor.mouseLocation());
}

void MouseGestureManager::clickHandler(const InputEvent* event) {
    if (!event)
        return;
    const std::int64_t button = defaults.reticleMouseButton.value();
    // Compared as `button - 1` without computing it, so that no stored value can overflow.
    if (button < 1 || event->buttonNumber != button - 1 || monitoringMove)
        return;
    switch (event->type) {
    case EventType::otherMouseDown:
        reticleManager.show(std::nullopt);
        break;
    case EventType::otherMouseUp:
        reticleManager.dismiss(true);
        break;
    case EventType::otherMouseDragged:
        reticleManager.cursorMoved(cursor.mouseLocation());
        break;
    default:
        break;
    }
}

void MouseGestureManager::restToOneBegan(std::optional<float> minDist) {
    gestureTriggered = true;
    reticleManager.show(minDist);
    eventMonitor->start();
    monitoringMove = true;
}

void MouseGestureManager::restToOneEnded(bool performAction) {
    gestureTriggered = false;
    reticleManager.dismiss(performAction);
    eventMonitor->stop();
    monitoringMove = false;
}

void MouseGestureManager::updateGesture() {
    if (defaults.restToOneTouches.value() >= 1) {
        if (gestureMonitor && gestureMonitor->isStarted())
            return;
        requestPermission();
    } else if (gestureMonitor) {
        gestureMonitor->stop();
    }
}

void MouseGestureManager::requestPermission() {
    if (!accessibility.access.hasDevice()) {
        // Nothing to ask the user for. The tap still starts: it notices a trackpad plugged in
        // later and reads it if it may.
        if (!std::exchange(noTrackpadLogged, true))
            accessibility.log.log("no trackpad found; the rest-to-one gesture waits for one");
        accessibilityAuth.reset();
        startGestureMonitor();
        return;
    }
    // The new prompt replaces any earlier one, which closes and stops polling with it.
    accessibilityAuth = std::make_unique<AccessibilityAuth>(
        accessibility.access, accessibility.windows, mainQueue, accessibility.process);
    const bool trusted = accessibilityAuth->check(std::nullopt, std::nullopt, accessibilityMessage,
                                                  CloseBehavior::closable, [this] {
                                                      startGestureMonitor();
                                                      accessibilityAuth.reset();
                                                  });
    if (trusted) {
        startGestureMonitor();
        accessibilityAuth.reset();
    }
}

void MouseGestureManager::startGestureMonitor() {
    // The permission may arrive long after the prompt; by then the gesture may be switched off,
    // and the tap must not run for a trigger that is off.
    if (defaults.restToOneTouches.value() >= 1 && gestureMonitor)
        gestureMonitor->start();
}

} // namespace zentrivo
