#pragma once

#include "InputEvent.h"

#include <vector>

namespace zentrivo {

/// Stateless computations on the touches of one gesture frame.
class TouchUtil {
public:
    /// Weights of the three 4-bit counters of `phaseCounts`.
    static constexpr int beginning = 0x001;
    static constexpr int touching = 0x010;
    static constexpr int ending = 0x100;
    static constexpr int endingMask = 0xF00;

    /// Counts began touches in bits 0-3, moved or stationary ones in bits 4-7 and ended ones in
    /// bits 8-11; cancelled touches are not counted. The counters are not guarded against
    /// carrying over: a touchpad reports far fewer than 16 touches.
    static int phaseCounts(const std::vector<Touch>& touches);

    /// The first touch of `touches` with the same identity as `touch`, or none.
    static const Touch* touchWithIdentity(const std::vector<Touch>& touches, const Touch& touch);

    /// True when the two touches, taken as points on the surface (normalized position times
    /// device size), are more than `tolerance` apart along x or along y.
    static bool fartherApart(const Touch& a, const Touch& b, double tolerance);

    /// Whether every touch of `rest` that is still in `current` (by identity) stayed within
    /// `tolerance` of where it rested; touches no longer present are skipped.
    static bool stayedPut(const std::vector<Touch>& rest, const std::vector<Touch>& current,
                          double tolerance);
};

} // namespace zentrivo
