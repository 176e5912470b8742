#include "XConnectionReader.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
// After Qt: Xlib defines macros (Bool, Status) that Qt headers use as names.
#include <X11/Xlib.h>

namespace zentrivo::platform {

XConnectionReader::XConnectionReader(Display* display, std::function<void()> drain)
    : notifier(
          std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read)) {
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), drain);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     notifier.get(), [display, drain] {
                         if (XEventsQueued(display, QueuedAlready) > 0)
                             drain();
                     });
}

XConnectionReader::~XConnectionReader() = default;

QObject* XConnectionReader::context() const {
    return notifier.get();
}

} // namespace zentrivo::platform
