#pragma once

#include "app/core/SystemInfo.h"
#include "app/input/EventTapService.h"
#include "app/input/InputAccess.h"
#include "app/input/ProcessExit.h"
#include "app/reticle/Haptics.h"

#include <QCoreApplication>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace zentrivo {

// Small platform answers the main program needs that are one line each on this desktop.

/// Pointing devices on the Linux desktop offer no haptics.
class SilentHaptics final : public Haptics {
public:
    void levelChange() override {}
};

/// The Linux desktop has no system version steps: every facility of the newest generation.
class NewestSystemInfo final : public SystemInfo {
public:
    bool isAtLeast(int, int) const override { return true; }
};

/// Stands in for the touchpad reader until it exists: no tap can be created, so the
/// rest-to-one trigger stays off (as if the device could not be opened).
class NoTouchDevice final : public EventTapService {
public:
    std::unique_ptr<EventTap> createTap(EventMask, Callback) override { return nullptr; }
};

/// The trackpad permission: the process may read at least one input event device node.
class DeviceNodeInputAccess final : public InputAccess {
public:
    bool isTrusted() const override {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/input", error)) {
            const auto name = entry.path().filename().string();
            if (name.rfind("event", 0) == 0 && ::access(entry.path().c_str(), R_OK) == 0)
                return true;
        }
        return false;
    }
};

/// Ends the program through the event loop, so everything is torn down in order.
class EventLoopExit final : public ProcessExit {
public:
    void exitProcess(int status) override { QCoreApplication::exit(status); }
};

} // namespace zentrivo
