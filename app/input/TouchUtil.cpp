#include "TouchUtil.h"

#include <cmath>

namespace zentrivo {

int TouchUtil::phaseCounts(const std::vector<Touch>& touches) {
    int counts = 0;
    for (const auto& touch : touches) {
        switch (touch.phase) {
        case touchPhaseBegan:
            counts += beginning;
            break;
        case touchPhaseMoved:
        case touchPhaseStationary:
            counts += touching;
            break;
        case touchPhaseEnded:
            counts += ending;
            break;
        default:
            break;
        }
    }
    return counts;
}

const Touch* TouchUtil::touchWithIdentity(const std::vector<Touch>& touches, const Touch& touch) {
    for (const auto& candidate : touches)
        if (candidate.identity == touch.identity)
            return &candidate;
    return nullptr;
}

bool TouchUtil::fartherApart(const Touch& a, const Touch& b, double tolerance) {
    const double dx = a.normalizedX * a.deviceWidth - b.normalizedX * b.deviceWidth;
    const double dy = a.normalizedY * a.deviceHeight - b.normalizedY * b.deviceHeight;
    return std::fabs(dx) > tolerance || std::fabs(dy) > tolerance;
}

bool TouchUtil::stayedPut(const std::vector<Touch>& rest, const std::vector<Touch>& current,
                          double tolerance) {
    for (const auto& rested : rest) {
        const Touch* now = touchWithIdentity(current, rested);
        if (now && fartherApart(rested, *now, tolerance))
            return false;
    }
    return true;
}

} // namespace zentrivo
