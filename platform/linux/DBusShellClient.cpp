#include "DBusShellClient.h"

#include "DBusShellService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace zentrivo::platform {

DBusShellClient::DBusShellClient(const QDBusConnection& connection) : bus(connection) {}

DBusShellClient::Outcome DBusShellClient::call(const char* method, const QVariantList& arguments,
                                               QString* error) {
    if (!bus.isConnected()) {
        if (error)
            *error = bus.lastError().message();
        return Outcome::notRunning;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(shellBus::service), QString::fromLatin1(shellBus::path),
        QString::fromLatin1(shellBus::interface), QString::fromLatin1(method));
    message.setArguments(arguments);
    // Nothing on the bus starts Zentrivo on demand: a missing owner is an answer, not a wait.
    message.setAutoStartService(false);
    const QDBusMessage reply = bus.call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Outcome::done;
    if (error)
        *error = reply.errorMessage();
    const QString name = reply.errorName();
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return Outcome::notRunning;
    return Outcome::failed;
}

DBusShellClient::Outcome DBusShellClient::reopen(QString* error) {
    return call(shellBus::reopen, {}, error);
}

DBusShellClient::Outcome DBusShellClient::openURLs(const QStringList& urls, QString* error) {
    return call(shellBus::openURLs, {QVariant(urls)}, error);
}

bool DBusShellClient::announceDefaultsChanged(const QStringList& keys) {
    if (!bus.isConnected())
        return false;
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(shellBus::defaultsPath),
                                   QString::fromLatin1(shellBus::defaultsInterface),
                                   QString::fromLatin1(shellBus::defaultsChanged));
    signal << keys;
    if (!bus.send(signal))
        return false;
    // The bus handles one connection's messages in order: once it answered this question, it
    // has routed the signal sent before it.
    return bus.interface()->isServiceRegistered(QString::fromLatin1(shellBus::service)).isValid();
}

} // namespace zentrivo::platform
