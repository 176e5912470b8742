#include "AppDelegate.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "platform/linux/DBusShellClient.h"
#include "platform/linux/DBusShellService.h"
#include "platform/linux/SyslogLog.h"
#include "platform/linux/X11InputMonitor.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* serviceName = "com.tovelane.ZentrivoPro";
// The X server lacks what global input needs; distinct from Qt's own failures.
constexpr int exitNoXInput = 3;

/// GIO watches the user's own applications folder for new desktop entries; while that folder is
/// missing it looks for it again every few seconds, which would wake an idle Zentrivo forever.
/// The folder is the standard place for a user's desktop entries, so make sure it exists.
void ensureUserApplicationsFolder(zentrivo::Log& log) {
    std::filesystem::path dataHome;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        dataHome = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        dataHome = std::filesystem::path(home) / ".local" / "share";
    else
        return;
    std::error_code error;
    std::filesystem::create_directories(dataHome / "applications", error);
    if (error)
        log.error("cannot create " + (dataHome / "applications").string() + ": " + error.message());
}

/// The command URLs among the arguments Qt left: those of the program's own scheme.
std::vector<std::string> commandUrls(const QStringList& arguments, zentrivo::Log& log) {
    std::vector<std::string> urls;
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(QLatin1String("zentrivo:"), Qt::CaseInsensitive))
            urls.push_back(argument.toStdString());
        else
            log.error("ignoring the argument '" + argument.toStdString() +
                      "': only zentrivo: URLs are understood");
    }
    return urls;
}

/// A second start hands its request to the running instance: reopen without URLs, else the
/// URLs in order.
int forwardToRunningInstance(const std::vector<std::string>& urls, zentrivo::Log& log) {
    using zentrivo::platform::DBusShellClient;
    DBusShellClient client(QDBusConnection::sessionBus());
    QString error;
    QStringList list;
    for (const auto& url : urls)
        list << QString::fromStdString(url);
    const auto outcome = urls.empty() ? client.reopen(&error) : client.openURLs(list, &error);
    if (outcome == DBusShellClient::Outcome::done) {
        log.log("already running; handed over to the running instance");
        return 0;
    }
    log.error("already running, but the running instance did not take the request: " +
              error.toStdString());
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace zentrivo;

    // Window positions and the cursor are exchanged with the X server in its own pixels; Qt's
    // scaling from Xft.dpi would put the reticle elsewhere than under the cursor.
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zentrivo"));
    QApplication::setDesktopFileName(QString::fromLatin1(serviceName));
    // How the program introduces itself in its own windows (the permission prompt): the
    // desktop entry's name and icon.
    QApplication::setApplicationDisplayName(QStringLiteral("Zentrivo"));
    // The icon is named after the desktop id; run from the build tree, where it is not
    // installed, the theme's generic mouse icon stands in.
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(serviceName),
                                                 QIcon::fromTheme(QStringLiteral("input-mouse"))));
    // A tray-less program with one window that comes and goes: closing it must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);

    // Mirror the log to stderr unless the journal already captures it.
    platform::SyslogLog log("com-tovelane-Zentrivo ", !std::getenv("JOURNAL_STREAM"));

    auto opened = platform::X11InputMonitor::open();
    if (!opened.monitor) {
        std::fprintf(stderr, "%s\n", opened.error.c_str());
        return exitNoXInput;
    }

    const std::vector<std::string> urls = commandUrls(QCoreApplication::arguments(), log);
    // On the bus before the name is: a second start that finds the name finds the object too.
    // Its requests wait in the event loop until launch has finished.
    platform::DBusShellService shellService(QDBusConnection::sessionBus());
    QString busError;
    switch (SingleInstance::claim(QString::fromLatin1(serviceName), &busError)) {
    case SingleInstance::Outcome::owned:
        break;
    case SingleInstance::Outcome::alreadyRunning:
        return forwardToRunningInstance(urls, log);
    case SingleInstance::Outcome::noBus:
        log.error("no session bus (" + busError.toStdString() +
                  "); a second start cannot be detected");
        break;
    case SingleInstance::Outcome::failed:
        log.error("cannot own " + std::string(serviceName) + ": " + busError.toStdString());
        break;
    }

    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::received, &application, [&log](int signal) {
        log.log("quitting on signal " + std::to_string(signal));
        QCoreApplication::quit();
    });

    ensureUserApplicationsFolder(log);
    AppDelegate delegate(log, *opened.monitor);
    delegate.applicationDidFinishLaunching();
    shellService.setHandlers({
        [&delegate] { delegate.applicationShouldHandleReopen(); },
        [&delegate](const QStringList& requested) {
            std::vector<std::string> list;
            for (const QString& url : requested)
                list.push_back(url.toStdString());
            delegate.openURLs(list);
        },
        [&delegate](const QStringList& keys) {
            std::vector<std::string> list;
            for (const QString& key : keys)
                list.push_back(key.toStdString());
            delegate.settingsChanged(list);
        },
    });
    // A first start by a command URL (xdg-open while Zentrivo was not running) carries it out.
    delegate.openURLs(urls);
    log.log("ready");

    const int status = QApplication::exec();
    log.log("stopped");
    return status;
}
