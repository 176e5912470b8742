#include "LogindWakeNotifier.h"

#include <QDBusError>
#include <QObject>
#include <vector>

namespace zentrivo::platform {
namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString interface = QStringLiteral("org.freedesktop.login1.Manager");
const QString member = QStringLiteral("PrepareForSleep");

} // namespace

/// The slot Qt D-Bus calls with the signal's one argument.
class PrepareForSleepReceiver final : public QObject {
    Q_OBJECT
public:
    explicit PrepareForSleepReceiver(std::function<void(bool)> onSignal)
        : onSignal(std::move(onSignal)) {}

public Q_SLOTS:
    void prepareForSleep(bool sleeping) { onSignal(sleeping); }

private:
    std::function<void(bool)> onSignal;
};

LogindWakeNotifier::LogindWakeNotifier(const QDBusConnection& bus, Log& log)
    : bus(bus), receiver(std::make_unique<PrepareForSleepReceiver>(
                    [this](bool sleeping) { prepareForSleep(sleeping); })) {
    if (!this->bus.isConnected()) {
        log.error("no system bus (" + this->bus.lastError().message().toStdString() +
                  "); waking from sleep goes unnoticed");
        return;
    }
    // Matching on the service name makes Qt accept the signal only from the name's owner, so
    // no other program on the bus can fake a wake.
    if (!this->bus.connect(service, path, interface, member, receiver.get(),
                           SLOT(prepareForSleep(bool))))
        log.error("cannot listen to logind's PrepareForSleep (" +
                  this->bus.lastError().message().toStdString() +
                  "); waking from sleep goes unnoticed");
}

LogindWakeNotifier::~LogindWakeNotifier() {
    if (bus.isConnected())
        bus.disconnect(service, path, interface, member, receiver.get(),
                       SLOT(prepareForSleep(bool)));
}

WakeNotifier::Token LogindWakeNotifier::addWakeObserver(Observer observer) {
    const Token token = nextToken++;
    observers.emplace(token, std::make_shared<const Observer>(std::move(observer)));
    return token;
}

void LogindWakeNotifier::removeWakeObserver(Token token) {
    observers.erase(token);
}

void LogindWakeNotifier::prepareForSleep(bool sleeping) {
    // True announces the sleep, false the wake.
    if (sleeping)
        return;
    // An observer may remove itself or others: those removed now are not called.
    std::vector<std::pair<Token, std::shared_ptr<const Observer>>> targets(observers.begin(),
                                                                           observers.end());
    for (const auto& [token, observer] : targets) {
        const auto found = observers.find(token);
        if (found != observers.end() && found->second == observer && *observer)
            (*observer)();
    }
}

} // namespace zentrivo::platform

#include "LogindWakeNotifier.moc"
