#pragma once

#include "app/core/Geometry.h"

#include <functional>

namespace zentrivo {

/// The small borderless window that carries the reticle. All geometry is in the global y-up
/// screen coordinates of `Geometry.h`; the adapter converts to and from the window system's.
class ReticleWindow {
public:
    ReticleWindow() = default;
    virtual ~ReticleWindow() = default;
    ReticleWindow(const ReticleWindow&) = delete;
    ReticleWindow& operator=(const ReticleWindow&) = delete;

    /// Puts the window on screen in front of other windows, at full opacity. A close still fading
    /// out is cancelled: its completion is then never called.
    virtual void showWindow() = 0;
    /// Starts closing the window. The window may fade out first; once it is really closed the
    /// adapter calls the completion given to `setCloseCompletion` (synchronously, inside `close`,
    /// when there is no fade). Closing a hidden window does nothing.
    virtual void close() = 0;
    /// Called on each real close. Replaces any earlier completion; an empty one clears it.
    virtual void setCloseCompletion(std::function<void()> completion) = 0;

    /// The window's frame in screen coordinates (origin = bottom-left corner).
    virtual Rect frame() const = 0;
    /// Moves the window's bottom-left corner to `origin`, keeping its size. The window system may
    /// still place it elsewhere (at a screen edge, say); `frame()` then reports where it went.
    virtual void setFrameOrigin(Point origin) = 0;
    /// Where the pointer is now, read from the window system (not from a queued event), in the
    /// window's own coordinates: origin at its bottom-left corner, y growing upwards.
    virtual Point mouseLocationInWindow() const = 0;
};

} // namespace zentrivo
