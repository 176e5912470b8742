#pragma once

#include <functional>
#include <memory>

class QObject;
class QSocketNotifier;
typedef struct _XDisplay Display;

namespace zentrivo::platform {

/// Reads a private Xlib connection from the Qt event loop: `drain` runs when the connection's
/// socket has data, and before the loop goes to sleep while Xlib's own queue holds events. A
/// round trip (a grab, XQueryPointer, XSync) reads events into that queue, where the socket
/// notifier cannot see them. Main thread only; the connection must outlive the reader.
class XConnectionReader {
public:
    XConnectionReader(Display* display, std::function<void()> drain);
    ~XConnectionReader();
    XConnectionReader(const XConnectionReader&) = delete;
    XConnectionReader& operator=(const XConnectionReader&) = delete;

    /// Lives exactly as long as the reader: a context for calls queued on the event loop that
    /// must not run once the reader is gone.
    QObject* context() const;

private:
    std::unique_ptr<QSocketNotifier> notifier;
};

} // namespace zentrivo::platform
