#pragma once

#include "app/apps/WakeNotifier.h"
#include "app/core/Log.h"

#include <QDBusConnection>
#include <map>
#include <memory>

class QObject;

namespace zentrivo::platform {

/// Wakes as logind reports them: `PrepareForSleep(false)` of `org.freedesktop.login1.Manager`
/// on the system bus, sent only by the owner of `org.freedesktop.login1`. Observers run on the
/// thread that created the notifier (the main thread). Without a bus connection one log line
/// says that wakes go unnoticed, and no observer is ever called.
class LogindWakeNotifier final : public WakeNotifier {
public:
    /// Listens on `bus` (the system bus in the program, a private bus in tests).
    LogindWakeNotifier(const QDBusConnection& bus, Log& log);
    ~LogindWakeNotifier() override;

    Token addWakeObserver(Observer observer) override;
    void removeWakeObserver(Token token) override;

private:
    void prepareForSleep(bool sleeping);

    QDBusConnection bus;
    std::map<Token, std::shared_ptr<const Observer>> observers;
    Token nextToken = 1;
    /// Receives the signal; Qt D-Bus delivers to a slot of a QObject.
    std::unique_ptr<QObject> receiver;
};

} // namespace zentrivo::platform
