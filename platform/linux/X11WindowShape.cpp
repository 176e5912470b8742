#include "X11WindowShape.h"

#include "X11ErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace zentrivo::platform {

namespace {

std::vector<XRectangle> xRectangles(const std::vector<ShapeRect>& rects) {
    std::vector<XRectangle> result;
    for (const auto& r : rects)
        if (r.width > 0 && r.height > 0)
            result.push_back({static_cast<short>(r.x), static_cast<short>(r.y),
                              static_cast<unsigned short>(r.width),
                              static_cast<unsigned short>(r.height)});
    return result;
}

} // namespace

X11WindowShape::X11WindowShape(Log& log) {
    display = XOpenDisplay(nullptr);
    int eventBase = 0, errorBase = 0;
    available = display && XShapeQueryExtension(display, &eventBase, &errorBase);
    if (!available) {
        log.error("the X server has no Shape extension: without a compositing manager the "
                  "reticle's clear parts show black");
        return;
    }
    int major = 0, minor = 0;
    XShapeQueryVersion(display, &major, &minor);
    inputShapes = major > 1 || (major == 1 && minor >= 1);
}

X11WindowShape::~X11WindowShape() {
    if (display)
        XCloseDisplay(display);
}

void X11WindowShape::setShape(std::uint64_t window, const std::vector<ShapeRect>& drawn,
                              const std::vector<ShapeRect>& input) {
    if (!available || !window)
        return;
    const X11ErrorTrap trap;
    auto bounding = xRectangles(drawn);
    auto takesInput = xRectangles(input);
    if (!inputShapes)
        bounding.insert(bounding.end(), takesInput.begin(), takesInput.end());
    XShapeCombineRectangles(display, window, ShapeBounding, 0, 0, bounding.data(),
                            static_cast<int>(bounding.size()), ShapeSet, Unsorted);
    if (inputShapes)
        XShapeCombineRectangles(display, window, ShapeInput, 0, 0, takesInput.data(),
                                static_cast<int>(takesInput.size()), ShapeSet, Unsorted);
    XSync(display, False);
}

void X11WindowShape::clearShape(std::uint64_t window) {
    if (!available || !window)
        return;
    const X11ErrorTrap trap;
    XShapeCombineMask(display, window, ShapeBounding, 0, 0, None, ShapeSet);
    if (inputShapes)
        XShapeCombineMask(display, window, ShapeInput, 0, 0, None, ShapeSet);
    XSync(display, False);
}

} // namespace zentrivo::platform
