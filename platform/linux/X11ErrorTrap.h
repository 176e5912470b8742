#pragma once

namespace zentrivo::platform {

/// Keeps Xlib's default error handler, which ends the program, away from requests that may fail
/// in the normal course of things: a window gone a moment ago, an output vanishing during a screen
/// change. Xlib's handler is process-wide, so the trap covers only a batch of requests, which
/// must end in a round trip (or XSync) so that their errors arrive while it is set.
///
/// The header leaves Xlib out: its macros (None, Bool, ...) break Qt's headers when included
/// before them, and the files using the trap include Qt after their own headers.
class X11ErrorTrap {
public:
    X11ErrorTrap();
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    /// Whether any request answered an error since the trap was set.
    bool hasFailed() const;

private:
    void (*previous)(); // the XErrorHandler it replaced
};

} // namespace zentrivo::platform
