#pragma once

namespace zentrivo {

/// Tactile feedback on the pointing device.
class Haptics {
public:
    Haptics() = default;
    virtual ~Haptics() = default;
    Haptics(const Haptics&) = delete;
    Haptics& operator=(const Haptics&) = delete;

    /// Plays the "level change" tick now. Devices without haptics ignore it; never fails.
    virtual void levelChange() = 0;
};

} // namespace zentrivo
