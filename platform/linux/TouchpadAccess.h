#pragma once

#include "TouchpadDevices.h"
#include "app/input/InputAccess.h"

namespace zentrivo::platform {

/// The trackpad permission on Linux: trusted when this process may read at least one touchpad's
/// event node. Other input devices never count, so no wider access than the touchpad's is ever
/// asked for. Main thread only.
class TouchpadAccess final : public InputAccess {
public:
    TouchpadAccess() : context(touchpads::open()) {}

    bool isTrusted() const override;
    bool hasDevice() const override;

private:
    UdevContext context;
};

} // namespace zentrivo::platform
