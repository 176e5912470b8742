#pragma once

#include "app/core/Geometry.h"

namespace zentrivo::platform {

/// A position in X11 root-window coordinates: pixels, origin at the top left of the X screen,
/// y growing downwards.
struct X11Point {
    double x = 0, y = 0;
    bool operator==(const X11Point&) const = default;
};

/// The primary screen's rectangle in X11 root coordinates, and the conversions between those
/// coordinates and the program's global y-up coordinates, whose origin is the primary screen's
/// bottom-left corner. The conversions are exact inverses of each other.
struct PrimaryScreen {
    int left = 0, top = 0, width = 0, height = 0;

    bool operator==(const PrimaryScreen&) const = default;

    Point toYUp(X11Point p) const { return {p.x - left, top + height - p.y}; }
    X11Point toX11(Point p) const { return {p.x + left, top + height - p.y}; }
};

} // namespace zentrivo::platform
