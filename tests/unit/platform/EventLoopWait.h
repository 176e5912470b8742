#pragma once

#include <QAbstractEventDispatcher>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace zentrivo::test {

/// Runs the Qt event loop of this thread until `done` holds, blocking between events; false when
/// `timeout` passed first. The wait ends on the condition, never on a guessed delay.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    bool expired = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&expired] { expired = true; });
    timer.start(timeout);
    while (!done()) {
        if (expired) {
            return false;
        }
        QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace zentrivo::test
