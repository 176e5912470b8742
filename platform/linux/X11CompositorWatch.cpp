#include "X11CompositorWatch.h"

#include "XConnectionReader.h"

#include <string>
// After Qt (through XConnectionReader.h's users): Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace zentrivo::platform {

X11CompositorWatch::X11CompositorWatch(Log& log) {
    display = XOpenDisplay(nullptr);
    if (!display) {
        log.error("cannot watch for a compositing manager: no X display; the reticle is drawn "
                  "as for a desktop without one");
        return;
    }
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &fixesEventBase, &errorBase)) {
        log.error("cannot watch for a compositing manager: the X server lacks XFixes; whether "
                  "one runs is read once");
    }
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    selection = XInternAtom(display, name.c_str(), False);
    if (fixesEventBase) {
        XFixesSelectSelectionInput(display, DefaultRootWindow(display), selection,
                                   XFixesSetSelectionOwnerNotifyMask |
                                       XFixesSelectionWindowDestroyNotifyMask |
                                       XFixesSelectionClientCloseNotifyMask);
    }
    // Read after selecting the events, so a compositor starting in between is not missed.
    compositing = ownerPresent();
    if (fixesEventBase)
        reader = std::make_unique<XConnectionReader>(display, [this] { drain(); });
}

X11CompositorWatch::~X11CompositorWatch() {
    reader.reset();
    if (display)
        XCloseDisplay(display);
}

void X11CompositorWatch::setChangeHandler(std::function<void(bool)> handler) {
    changeHandler = std::move(handler);
}

bool X11CompositorWatch::ownerPresent() const {
    return XGetSelectionOwner(display, selection) != None;
}

void X11CompositorWatch::drain() {
    bool selectionChanged = false;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == fixesEventBase + XFixesSelectionNotify)
            selectionChanged = true;
    }
    if (!selectionChanged)
        return;
    // The owner now, not the one an event names: a burst (a compositor restarting) ends in the
    // state that holds.
    const bool now = ownerPresent();
    if (now == compositing)
        return;
    compositing = now;
    if (changeHandler)
        changeHandler(compositing);
}

} // namespace zentrivo::platform
