#include "DBusNotifications.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QObject>
#include <vector>

namespace zentrivo::platform {
namespace {

QString text(const char* s) {
    return QString::fromLatin1(s);
}
QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

/// The slot Qt D-Bus calls with the signal's two arguments.
class PostedReceiver final : public QObject {
    Q_OBJECT
public:
    explicit PostedReceiver(std::function<void(const QString&, const QString&)> onSignal)
        : onSignal(std::move(onSignal)) {}

public Q_SLOTS:
    void posted(const QString& name, const QString& object) { onSignal(name, object); }

private:
    std::function<void(const QString&, const QString&)> onSignal;
};

DBusNotifications::DBusNotifications(const QDBusConnection& bus, Log& log)
    : bus(bus), log(log),
      receiver(std::make_unique<PostedReceiver>([this](const QString& name, const QString& object) {
          received(name.toStdString(), object.toStdString());
      })) {
    if (!this->bus.isConnected()) {
        log.error("no session bus (" + this->bus.lastError().message().toStdString() +
                  "); the login launcher and this program cannot reach each other");
        return;
    }
    // Any sender: the peer is whichever of our programs runs, under no fixed name.
    if (!this->bus.connect(QString(), text(distributedSignal::path),
                           text(distributedSignal::interface), text(distributedSignal::member),
                           receiver.get(), SLOT(posted(QString, QString))))
        log.error("cannot listen to notifications of the login launcher (" +
                  this->bus.lastError().message().toStdString() + ")");
}

DBusNotifications::~DBusNotifications() {
    if (bus.isConnected())
        bus.disconnect(QString(), text(distributedSignal::path), text(distributedSignal::interface),
                       text(distributedSignal::member), receiver.get(),
                       SLOT(posted(QString, QString)));
}

void DBusNotifications::post(std::string_view name, std::string_view object) {
    if (!bus.isConnected())
        return;
    QDBusMessage message = QDBusMessage::createSignal(text(distributedSignal::path),
                                                      text(distributedSignal::interface),
                                                      text(distributedSignal::member));
    message << text(name) << text(object);
    if (!bus.send(message))
        log.error("cannot send " + std::string(name) + ": " +
                  bus.lastError().message().toStdString());
}

DistributedNotifications::Token DBusNotifications::addObserver(std::string name, std::string object,
                                                               Handler handler) {
    const Token token = nextToken++;
    observers.emplace(token, Observer{std::move(name), std::move(object),
                                      std::make_shared<const Handler>(std::move(handler))});
    return token;
}

void DBusNotifications::removeObserver(Token token) {
    observers.erase(token);
}

bool DBusNotifications::isRunning(std::string_view identifier) const {
    if (!bus.isConnected())
        return false;
    const auto reply = bus.interface()->isServiceRegistered(text(identifier));
    return reply.isValid() && reply.value();
}

void DBusNotifications::received(const std::string& name, const std::string& object) {
    // A handler may remove observers (or end the program): those removed now are not called.
    std::vector<std::pair<Token, std::shared_ptr<const Handler>>> targets;
    for (const auto& [token, observer] : observers)
        if (observer.name == name && observer.object == object)
            targets.emplace_back(token, observer.handler);
    for (const auto& [token, handler] : targets) {
        const auto found = observers.find(token);
        if (found != observers.end() && found->second.handler == handler && *handler)
            (*handler)();
    }
}

} // namespace zentrivo::platform

#include "DBusNotifications.moc"
