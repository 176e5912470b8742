#pragma once

#include "AccessibilityAuth.h"
#include "EventListener.h"
#include "EventMonitorService.h"
#include "EventTapListener.h"
#include "RestToOneDelegate.h"
#include "RestToOneRecognizer.h"
#include "app/core/CursorLocation.h"
#include "app/core/Log.h"
#include "app/core/MainQueue.h"
#include "app/core/NotificationCenter.h"
#include "app/reticle/ReticleControl.h"
#include "app/settings/Defaults.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace zentrivo {

/// The ports the coordinator needs to ask for the trackpad permission.
struct AccessibilityPorts {
    InputAccess& access;
    AccessibilityWindowFactory& windows;
    ProcessExit& process;
    /// Told once that there is no trackpad to ask about.
    Log& log;
};

/// Decides when the reticle appears, where the cursor is while it is up and when it goes away,
/// from three triggers: the `reticleFlags` modifiers held alone, the `reticleMouseButton` held,
/// and the rest-to-one trackpad gesture. Everything runs on the main thread.
class MouseGestureManager final : public RestToOneDelegate {
public:
    /// Gesture events (type 29): what the trackpad tap listens to.
    static constexpr EventMask gestureMask = 0x20000000;
    static constexpr EventMask modifierMask = 0x1000;
    static constexpr EventMask moveMask = 0x6A;
    static constexpr EventMask clickMask = 0x0E000000;
    /// The device-independent part of the modifier flags.
    static constexpr std::uint64_t deviceIndependentFlagsMask = 0xFFFF0000;
    static constexpr const char* accessibilityMessage =
        "Accessibility permissions are necessary in order to receive trackpad touch input for "
        "gestures.";

    /// Builds every monitor and the trackpad tap, none of them started. `mainLoop` serves the tap.
    MouseGestureManager(ReticleControl& reticleManager, Defaults& defaults,
                        NotificationCenter& notifications, EventMonitorService& monitors,
                        EventTapService& taps, RunLoop& mainLoop, MainQueue& mainQueue,
                        CursorLocation& cursor, AccessibilityPorts accessibility);
    ~MouseGestureManager() override;
    MouseGestureManager(const MouseGestureManager&) = delete;
    MouseGestureManager& operator=(const MouseGestureManager&) = delete;

    /// Starts the modifier monitor, the trackpad tap when a gesture is configured (after the
    /// permission prompt if needed) and the mouse-button monitor when a button is configured.
    void start();

    void restToOneBegan(std::optional<float> minDist) override;
    void restToOneEnded(bool performAction) override;

    /// Whether `event`'s modifiers are exactly `reticleFlags` (caps lock may be on or off). A
    /// `reticleFlags` of 0 or below turns the modifier trigger off.
    bool modifiersMatch(const InputEvent& event) const;

    bool isMonitoringMove() const { return monitoringMove; }
    bool isGestureTriggered() const { return gestureTriggered; }
    bool isGestureTapActive() const { return gestureMonitor && gestureMonitor->isStarted(); }
    bool isPermissionPending() const { return accessibilityAuth != nullptr; }
    const RestToOneRecognizer& recognizer() const { return restToOneRecognizer; }

private:
    void modifierHandler(const InputEvent* event);
    void moveHandler(const InputEvent* event);
    void clickHandler(const InputEvent* event);
    void updateGesture();
    void requestPermission();
    void startGestureMonitor();

    ReticleControl& reticleManager;
    Defaults& defaults;
    NotificationCenter& notifications;
    MainQueue& mainQueue;
    CursorLocation& cursor;
    AccessibilityPorts accessibility;
    std::unique_ptr<AccessibilityAuth> accessibilityAuth;
    std::unique_ptr<EventListener> modifierMonitor;
    std::unique_ptr<EventListener> clickMonitor;
    std::unique_ptr<EventListener> eventMonitor;
    std::unique_ptr<EventTapListener> gestureMonitor;
    RestToOneRecognizer restToOneRecognizer;
    bool monitoringMove = false;
    bool gestureTriggered = false;
    bool noTrackpadLogged = false;
    std::uint64_t capsLockRaw = 0x10000;
    NotificationCenter::Token gestureSelectedObserver = 0;
};

} // namespace zentrivo
