#include "SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace zentrivo {

SingleInstance::Outcome SingleInstance::claim(const QString& serviceName, QString* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (error)
            *error = bus.lastError().message();
        return Outcome::noBus;
    }
    // DontQueue: a second start must learn at once that the name is taken, not wait in line.
    const auto reply =
        bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        if (error)
            *error = reply.error().message();
        return Outcome::failed;
    }
    switch (reply.value()) {
    case QDBusConnectionInterface::ServiceRegistered:
        return Outcome::owned;
    case QDBusConnectionInterface::ServiceNotRegistered:
    case QDBusConnectionInterface::ServiceQueued:
        return Outcome::alreadyRunning;
    }
    return Outcome::failed;
}

} // namespace zentrivo
