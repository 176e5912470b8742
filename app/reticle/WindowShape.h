#pragma once

#include <cstdint>
#include <vector>

namespace zentrivo {

/// A rectangle in a window's own pixels: origin at its top-left corner, y growing downwards.
struct ShapeRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ShapeRect&) const = default;
};

/// Cuts a top-level window to rectangles, for a desktop without a compositing manager, where a
/// window's transparent pixels come out black: outside its shape the desktop shows through.
/// Main thread only; failures (no shape support, a window already gone) leave the window as it
/// was.
class WindowShape {
public:
    WindowShape() = default;
    virtual ~WindowShape() = default;
    WindowShape(const WindowShape&) = delete;
    WindowShape& operator=(const WindowShape&) = delete;

    /// Only `drawn` of the native window `window` is drawn, and only the part of `input` inside
    /// it takes the pointer and drops.
    virtual void setShape(std::uint64_t window, const std::vector<ShapeRect>& drawn,
                          const std::vector<ShapeRect>& input) = 0;
    /// The whole window is drawn and takes input again.
    virtual void clearShape(std::uint64_t window) = 0;
};

} // namespace zentrivo
