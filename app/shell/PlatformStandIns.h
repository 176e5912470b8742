#pragma once

#include "app/core/SystemInfo.h"
#include "app/input/ProcessExit.h"
#include "app/reticle/Haptics.h"

#include <QCoreApplication>

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

/// Ends the program through the event loop, so everything is torn down in order.
class EventLoopExit final : public ProcessExit {
public:
    void exitProcess(int status) override { QCoreApplication::exit(status); }
};

} // namespace zentrivo
