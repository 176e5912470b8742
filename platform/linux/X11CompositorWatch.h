#pragma once

#include "app/core/Log.h"
#include "app/reticle/CompositorWatch.h"

#include <memory>

typedef struct _XDisplay Display;

namespace zentrivo::platform {

class XConnectionReader;

/// Watches the owner of the `_NET_WM_CM_S<screen>` selection, which a compositing manager takes
/// while it runs (EWMH), on a private Xlib connection with XFixes selection events: a compositor
/// that starts or stops while Zentrivo runs is noticed at once. Without a display or without
/// XFixes it logs that once and reports no compositor, which only costs translucency.
class X11CompositorWatch final : public CompositorWatch {
public:
    explicit X11CompositorWatch(Log& log);
    ~X11CompositorWatch() override;

    bool isCompositing() const override { return compositing; }
    void setChangeHandler(std::function<void(bool compositing)> handler) override;

private:
    void drain();
    bool ownerPresent() const;

    Display* display = nullptr;
    unsigned long selection = 0;
    int fixesEventBase = 0;
    bool compositing = false;
    std::unique_ptr<XConnectionReader> reader;
    std::function<void(bool)> changeHandler;
};

} // namespace zentrivo::platform
