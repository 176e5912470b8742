#include "PanelPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zentrivo {

namespace {

/// How far `p` is from `r` (0 inside).
double distance(const Rect& r, Point p) {
    const double dx = std::max({r.minX() - p.x, 0.0, p.x - r.maxX()});
    const double dy = std::max({r.minY() - p.y, 0.0, p.y - r.maxY()});
    return std::hypot(dx, dy);
}

/// `value` moved into [low, high]; `low` when the range is empty (the panel is larger).
double keepWithin(double value, double low, double high) {
    return high < low ? low : std::clamp(value, low, high);
}

} // namespace

Rect placePanel(const std::vector<Rect>& monitors, Point cursor, Size size) {
    Rect frame{{std::floor(cursor.x - size.width / 2), std::floor(cursor.y - size.height / 2)},
               size};
    const Rect* monitor = nullptr;
    double nearest = std::numeric_limits<double>::infinity();
    for (const Rect& candidate : monitors) {
        if (candidate.contains(cursor)) {
            monitor = &candidate;
            break;
        }
        if (const double d = distance(candidate, cursor); d < nearest) {
            nearest = d;
            monitor = &candidate;
        }
    }
    if (!monitor)
        return frame;
    frame.origin.x = keepWithin(frame.origin.x, monitor->minX(), monitor->maxX() - size.width);
    // In y-up terms the top edge is the maximum: a panel taller than the monitor hangs from it.
    const double top =
        size.height > monitor->size.height
            ? monitor->maxY()
            : std::clamp(frame.maxY(), monitor->minY() + size.height, monitor->maxY());
    frame.origin.y = top - size.height;
    return frame;
}

} // namespace zentrivo
