#pragma once

#include "app/core/Log.h"
#include "app/input/EventTapService.h"

namespace zentrivo::platform {

/// Taps on every touchpad through evdev (libevdev), found and watched for hot-plugging through
/// udev. A tap reads the devices on the loop it is added to and never grabs them: the desktop
/// keeps its touchpad. Each multitouch frame becomes one gesture event (`TouchpadFrameDecoder`).
///
/// A tap is created when at least one touchpad can be read, and also when there is no touchpad
/// at all, so that one plugged in later is noticed; it is not created when every touchpad present
/// refuses to be read. A touchpad that fails to read or goes away, or a readable one that
/// appears, disables the tap (`TapNotice::disabledBySystem`): its owner makes a new one, which
/// opens the devices present then.
class TouchpadTapService final : public EventTapService {
public:
    explicit TouchpadTapService(Log& log) : log(log) {}

    /// Main thread only.
    std::unique_ptr<EventTap> createTap(EventMask mask, Callback callback) override;

private:
    Log& log;
    bool hotPlugFailureLogged = false;
};

} // namespace zentrivo::platform
