#include "X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace zentrivo::platform {

namespace {

bool failed = false;

int record(Display*, XErrorEvent*) {
    failed = true;
    return 0;
}

} // namespace

X11ErrorTrap::X11ErrorTrap() : previous(reinterpret_cast<void (*)()>(XSetErrorHandler(record))) {
    failed = false;
}

X11ErrorTrap::~X11ErrorTrap() {
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(previous));
}

bool X11ErrorTrap::hasFailed() const {
    return failed;
}

} // namespace zentrivo::platform
