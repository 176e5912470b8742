#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace zentrivo {

/// Turns SIGTERM and SIGINT into a clean quit of the Qt event loop: the signal handler only
/// writes a byte to a pipe, and the loop reads it like any other event. One instance per
/// process; it restores the default handlers when destroyed.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    /// False when the pipe or the handlers could not be installed (the signals then keep their
    /// default action, which ends the process without a clean quit).
    bool isInstalled() const noexcept { return notifier != nullptr; }

Q_SIGNALS:
    /// Emitted on the main thread once per received signal, with its number.
    void received(int signal);

private:
    void readPipe();

    int fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};

} // namespace zentrivo
