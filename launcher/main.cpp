#include "AppDelegate.h"
#include "app/login/Identifiers.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/QtProcessStarter.h"
#include "platform/linux/SyslogLog.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <cstdlib>

namespace {

/// Ends the launcher through its event loop.
class EventLoopExit final : public zentrivo::ProcessExit {
public:
    void exitProcess(int status) override { QCoreApplication::exit(status); }
};

} // namespace

int main(int argc, char* argv[]) {
    using namespace zentrivo;

    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentrivo-launcher"));
    platform::SyslogLog log("com-tovelane-ZentrivoLauncher ", !std::getenv("JOURNAL_STREAM"));

    QDBusConnection bus = QDBusConnection::sessionBus();
    // Holding the name is what makes the launcher "running" for the main program, which asks
    // it to quit at every start.
    if (bus.isConnected()) {
        const auto reply = bus.interface()->registerService(
            QString::fromLatin1(identifiers::launcher), QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered)
            log.log("another launcher holds " + std::string(identifiers::launcher));
    }

    platform::QtMainQueue mainQueue;
    platform::DBusNotifications notifications(bus, log);
    platform::QtProcessStarter starter;
    EventLoopExit exit;

    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        arguments.push_back(all[i].toStdString());
    const auto mainProgram =
        launcher::mainProgramPath(QCoreApplication::applicationFilePath().toStdString());

    launcher::AppDelegate delegate({notifications, notifications, mainQueue, starter, exit, log},
                                   mainProgram, std::move(arguments));
    delegate.applicationDidFinishLaunching();
    return QCoreApplication::exec();
}
