#pragma once

#include <cmath>

namespace zentrivo {

/// A point in global screen coordinates: points, origin at the bottom left of the primary
/// screen, y growing upwards.
struct Point {
    double x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

/// A rectangle in the same y-up coordinates; `origin` is its bottom-left corner.
struct Rect {
    Point origin;
    Size size;
    bool operator==(const Rect&) const = default;

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    Point center() const { return {origin.x + size.width / 2, origin.y + size.height / 2}; }
    /// Half-open on the far edges, like the platform's mouse-in-rect test in unflipped views.
    bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y > minY() && p.y <= maxY();
    }
};

} // namespace zentrivo
