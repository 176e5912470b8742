#pragma once

namespace zentrivo {

/// Whether the program has the permission the trackpad trigger needs: on Linux, whether the
/// process may read the touchpad's input device.
class InputAccess {
public:
    InputAccess() = default;
    virtual ~InputAccess() = default;
    InputAccess(const InputAccess&) = delete;
    InputAccess& operator=(const InputAccess&) = delete;

    /// True when trusted. Cheap enough to be asked several times a second; never fails (an
    /// answer that cannot be found out is false).
    virtual bool isTrusted() const = 0;
    /// Whether the machine has the device at all. Without one there is nothing to ask the user
    /// for. Never fails; an answer that cannot be found out is true, so no prompt is lost.
    virtual bool hasDevice() const { return true; }
};

} // namespace zentrivo
