#include "DBusShellService.h"

namespace zentrivo::platform {

DBusShellService::DBusShellService(const QDBusConnection& connection) : bus(connection) {
    if (!bus.isConnected())
        return;
    isRegistered = bus.registerObject(QString::fromLatin1(shellBus::path), this,
                                      QDBusConnection::ExportScriptableContents |
                                          QDBusConnection::ExportAllSlots);
    bus.connect(QString(), QString::fromLatin1(shellBus::defaultsPath),
                QString::fromLatin1(shellBus::defaultsInterface),
                QString::fromLatin1(shellBus::defaultsChanged), this,
                SLOT(receiveDefaultsChanged(QStringList)));
}

DBusShellService::~DBusShellService() {
    if (!bus.isConnected())
        return;
    bus.disconnect(QString(), QString::fromLatin1(shellBus::defaultsPath),
                   QString::fromLatin1(shellBus::defaultsInterface),
                   QString::fromLatin1(shellBus::defaultsChanged), this,
                   SLOT(receiveDefaultsChanged(QStringList)));
    if (isRegistered)
        bus.unregisterObject(QString::fromLatin1(shellBus::path));
}

void DBusShellService::setHandlers(Handlers newHandlers) {
    handlers = std::move(newHandlers);
    hasHandlers = true;
    for (const auto& request : std::exchange(pending, {}))
        request(handlers);
}

void DBusShellService::deliver(std::function<void(const Handlers&)> request) {
    if (hasHandlers)
        request(handlers);
    else
        pending.push_back(std::move(request));
}

void DBusShellService::Reopen() {
    deliver([](const Handlers& h) {
        if (h.reopen)
            h.reopen();
    });
}

void DBusShellService::OpenURLs(const QStringList& urls) {
    deliver([urls](const Handlers& h) {
        if (h.openURLs)
            h.openURLs(urls);
    });
}

void DBusShellService::receiveDefaultsChanged(const QStringList& keys) {
    deliver([keys](const Handlers& h) {
        if (h.defaultsChanged)
            h.defaultsChanged(keys);
    });
}

} // namespace zentrivo::platform
