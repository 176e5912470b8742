// Plays logind for a test: on the bus at DBUS_SYSTEM_BUS_ADDRESS it takes the name
// org.freedesktop.login1, announces a sleep and the wake after it (PrepareForSleep true, then
// false) and exits once the bus has them. Exit status 1 when it cannot.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        std::fprintf(stderr, "fake-logind: cannot take org.freedesktop.login1\n");
        return 1;
    }
    for (const bool sleeping : {true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        bus.send(signal);
    }
    // A round trip: the bus has read everything sent before its answer.
    return bus.interface()->serviceOwner(QStringLiteral("org.freedesktop.login1")).isValid() ? 0
                                                                                             : 1;
}
