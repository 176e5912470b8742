// zentrivoctl: the command users have for settings without a control in the preferences.
#include "ctl/Zentrivoctl.h"
#include "platform/linux/DBusShellClient.h"
#include "platform/linux/LinuxPlatformProfile.h"
#include "platform/linux/SqliteDefaultsDatabase.h"
#include "platform/linux/SyslogLog.h"

#include <QCoreApplication>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

/// The running Zentrivo on the session bus, reached only when a command needs it (the bus
/// connection costs a few milliseconds every other command need not pay).
class BusRunningZentrivo final : public zentrivo::RunningZentrivo {
public:
    BusRunningZentrivo(int& argc, char** argv) : argc(argc), argv(argv) {}
    ~BusRunningZentrivo() override {
        // Closed while the application object still exists: a connection left to the end of the
        // process is torn down after Qt's types, and warns about them.
        if (bus) {
            bus.reset();
            QDBusConnection::disconnectFromBus(QLatin1String(connectionName));
        }
    }

    Outcome openURL(const std::string& url, std::string& error) override {
        QString message;
        const auto outcome = client().openURLs({QString::fromStdString(url)}, &message);
        error = message.toStdString();
        switch (outcome) {
        case Client::Outcome::done:
            return Outcome::done;
        case Client::Outcome::notRunning:
            return Outcome::notRunning;
        case Client::Outcome::failed:
            break;
        }
        return Outcome::failed;
    }

    void settingsChanged(const std::vector<std::string>& keys) override {
        QStringList list;
        for (const auto& key : keys)
            list << QString::fromStdString(key);
        client().announceDefaultsChanged(list);
    }

private:
    using Client = zentrivo::platform::DBusShellClient;
    Client& client() {
        if (!bus) {
            // Qt serves only as the bus transport here: its own warnings (Qt D-Bus warns about
            // its types while a connection is torn down) are not the user's business.
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
            // Qt D-Bus wants an application object; made after the command line was read.
            application = std::make_unique<QCoreApplication>(argc, argv);
            bus = std::make_unique<Client>(QDBusConnection::connectToBus(
                QDBusConnection::SessionBus, QLatin1String(connectionName)));
        }
        return *bus;
    }

    static constexpr const char* connectionName = "zentrivoctl";
    int& argc;
    char** argv;
    std::unique_ptr<QCoreApplication> application;
    std::unique_ptr<Client> bus;
};

} // namespace

int main(int argc, char** argv) {
    using namespace zentrivo;
    // Mirrored to stderr: the user running the command should see why a database was moved aside.
    platform::SyslogLog log("com-tovelane-Zentrivo ", true);
    const auto path = platform::SqliteDefaultsDatabase::defaultPath();
    if (path.empty()) {
        std::cerr << "zentrivoctl: cannot find the settings folder: neither XDG_CONFIG_HOME nor "
                     "HOME is set\n";
        return ctlStatus::failed;
    }
    platform::SqliteDefaultsDatabase db(path, log);
    const platform::LinuxPlatformProfile profile;
    const std::vector<std::string> args(argv + 1, argv + argc);
    BusRunningZentrivo running(argc, argv);
    const int status = runZentrivoctl(args, std::cout, std::cerr, db, profile, &running);
    std::cout.flush();
    if (!std::cout)
        return ctlStatus::failed;
    return status;
}
