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
};

} // namespace zentrivo
