#pragma once

#include "app/core/Log.h"
#include "app/reticle/WindowShape.h"

typedef struct _XDisplay Display;

namespace zentrivo::platform {

/// Window shapes through the X Shape extension on a private Xlib connection: the bounding shape
/// for what is drawn and, from Shape 1.1 on, the input shape for what takes the pointer and
/// drops (the server uses the part of it inside the bounding shape). Without the extension it
/// logs that once and leaves windows whole; without input shapes the drawn shape also takes the
/// input rectangles, so no drop target is lost.
class X11WindowShape final : public WindowShape {
public:
    explicit X11WindowShape(Log& log);
    ~X11WindowShape() override;

    void setShape(std::uint64_t window, const std::vector<ShapeRect>& drawn,
                  const std::vector<ShapeRect>& input) override;
    void clearShape(std::uint64_t window) override;

private:
    Display* display = nullptr;
    bool available = false;
    bool inputShapes = false;
};

} // namespace zentrivo::platform
