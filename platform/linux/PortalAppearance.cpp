#include "PortalAppearance.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QObject>
#include <optional>
#include <vector>

namespace zentrivo::platform {
namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

/// `Read` wraps the value in one variant more than the signal does; unwrap all of them.
QVariant unwrapped(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

std::optional<ColorScheme> schemeOf(const QVariant& raw) {
    bool ok = false;
    const unsigned value = unwrapped(raw).toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return PortalAppearance::schemeFor(value);
}

} // namespace

/// The slot Qt D-Bus calls with `SettingChanged`'s arguments.
class SettingChangedReceiver final : public QObject {
    Q_OBJECT
public:
    explicit SettingChangedReceiver(std::function<void(const QVariant&)> onScheme)
        : onScheme(std::move(onScheme)) {}

public Q_SLOTS:
    // The whole message: Qt cannot connect a slot that takes the variant argument by itself.
    void settingChanged(const QDBusMessage& message) {
        const QList<QVariant> args = message.arguments();
        if (args.size() == 3 && args[0].toString() == appearanceNamespace &&
            args[1].toString() == colorSchemeKey)
            onScheme(args[2]);
    }

private:
    std::function<void(const QVariant&)> onScheme;
};

ColorScheme PortalAppearance::schemeFor(unsigned value) {
    switch (value) {
    case 1:
        return ColorScheme::dark;
    case 2:
        return ColorScheme::light;
    default:
        return ColorScheme::noPreference;
    }
}

PortalAppearance::PortalAppearance(const QDBusConnection& bus, Log& log)
    : bus(bus), log(log),
      receiver(std::make_unique<SettingChangedReceiver>([this](const QVariant& v) {
          if (const auto s = schemeOf(v))
              update(*s);
      })) {
    if (!this->bus.isConnected()) {
        log.info("no session bus; the colour scheme follows the palette");
        return;
    }
    // Matching on the service name accepts the signal only from the portal itself.
    if (!this->bus.connect(service, path, interface, QStringLiteral("SettingChanged"),
                           receiver.get(), SLOT(settingChanged(QDBusMessage))))
        log.error("cannot follow the settings portal (" +
                  this->bus.lastError().message().toStdString() +
                  "); colour scheme changes go unnoticed until restart");
    // The portal may be started on demand and take a while: never block start-up on it.
    QDBusMessage read =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    read << appearanceNamespace << colorSchemeKey;
    auto* watcher = new QDBusPendingCallWatcher(this->bus.asyncCall(read), receiver.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, receiver.get(),
                     [this](QDBusPendingCallWatcher* call) {
                         call->deleteLater();
                         const QDBusPendingReply<QVariant> reply = *call;
                         if (reply.isError()) {
                             this->log.info("no colour scheme from the settings portal (" +
                                            reply.error().message().toStdString() +
                                            "); it follows the palette");
                             return;
                         }
                         if (const auto s = schemeOf(reply.value()))
                             update(*s);
                     });
}

PortalAppearance::~PortalAppearance() {
    if (bus.isConnected())
        bus.disconnect(service, path, interface, QStringLiteral("SettingChanged"), receiver.get(),
                       SLOT(settingChanged(QDBusMessage)));
}

Appearance::Token PortalAppearance::addObserver(std::function<void()> observer) {
    const Token token = nextToken++;
    observers.emplace(token, std::make_shared<const std::function<void()>>(std::move(observer)));
    return token;
}

void PortalAppearance::removeObserver(Token token) {
    observers.erase(token);
}

void PortalAppearance::update(ColorScheme newScheme) {
    if (newScheme == scheme)
        return;
    scheme = newScheme;
    // An observer may remove itself or others: those removed now are not called.
    std::vector<std::pair<Token, std::shared_ptr<const std::function<void()>>>> targets(
        observers.begin(), observers.end());
    for (const auto& [token, observer] : targets) {
        const auto found = observers.find(token);
        if (found != observers.end() && found->second == observer && *observer)
            (*observer)();
    }
}

} // namespace zentrivo::platform

#include "PortalAppearance.moc"
