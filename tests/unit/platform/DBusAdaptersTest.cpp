// The adapters that follow D-Bus signals (logind's sleep, the settings portal's colour scheme), on
// the private session bus of run-under-xvfb.sh, where the test plays logind and the portal.
#include "EventLoopWait.h"
#include "platform/linux/LogindWakeNotifier.h"
#include "platform/linux/PortalAppearance.h"
#include "tests/fakes/RecordingLog.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <gtest/gtest.h>

namespace zentrivo::platform {
namespace {

const QString portalName = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

/// Sends `signal`, then makes a round trip to the bus: the signal is routed before the next one
/// is sent, so once the last one has been handled, so have the others.
bool sendRouted(QDBusConnection& from, const QDBusMessage& signal) {
    return from.send(signal) && from.interface()->registeredServiceNames().isValid();
}

TEST(LogindWakeNotifierTest, onlyTheWakeFromTheLogindOwnerCountsAndWithoutABusOneLineSaysSo) {
    QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "logind");
    QDBusConnection intruder = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other");
    ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));
    test::RecordingLog log;
    LogindWakeNotifier notifier(QDBusConnection::sessionBus(), log);
    int wakes = 0;
    notifier.addWakeObserver([&] { ++wakes; });
    // Going to sleep, and a wake sent by a program that is not logind, are no wake.
    for (auto [from, sleeping] : {std::pair{&logind, true}, {&intruder, false}, {&logind, false}}) {
        QDBusMessage signal = QDBusMessage::createSignal(
            "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
        ASSERT_TRUE(sendRouted(*from, signal << sleeping));
    }
    ASSERT_TRUE(test::pumpUntil([&] { return wakes >= 1; }));
    EXPECT_EQ(wakes, 1);

    ASSERT_TRUE(log.lines.empty());
    LogindWakeNotifier nowhere(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"),
                               log);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].message.find("waking from sleep goes unnoticed"), std::string::npos);
}

/// The portal's Settings interface: answers `Read` with the variant-in-a-variant the portal
/// sends, for the appearance's colour scheme only.
class FakeSettingsPortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint colorScheme = 0;

public Q_SLOTS:
    QDBusVariant Read(const QString& ns, const QString& key) {
        if (ns != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme"))
            return QDBusVariant(QVariant::fromValue(QDBusVariant(QString())));
        return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant(colorScheme))));
    }
};

bool sendChange(QDBusConnection& from, const QString& ns, const QString& key, uint value) {
    QDBusMessage signal =
        QDBusMessage::createSignal(portalPath, "org.freedesktop.portal.Settings", "SettingChanged");
    return sendRouted(from, signal << ns << key << QVariant::fromValue(QDBusVariant(value)));
}

TEST(PortalAppearanceTest, FollowsOnlyThePortalsColorSchemeAndWithoutItSaysWhyOnce) {
    // No portal on the bus, or no bus at all: no preference, and a line each.
    test::RecordingLog log;
    PortalAppearance noPortal(QDBusConnection::sessionBus(), log);
    ASSERT_TRUE(test::pumpUntil([&] { return !log.lines.empty(); }));
    EXPECT_EQ(noPortal.colorScheme(), ColorScheme::noPreference);
    EXPECT_NE(log.lines[0].message.find("follows the palette"), std::string::npos);
    PortalAppearance noBus(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"), log);
    ASSERT_EQ(log.lines.size(), 2u);
    log.lines.clear();

    QDBusConnection portalBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "portal");
    QDBusConnection intruder = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other");
    FakeSettingsPortal portal;
    portal.colorScheme = 1;
    ASSERT_TRUE(portalBus.registerObject(portalPath, &portal, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(portalBus.registerService(portalName));

    PortalAppearance appearance(QDBusConnection::sessionBus(), log);
    std::vector<ColorScheme> seen;
    appearance.addObserver([&] { seen.push_back(appearance.colorScheme()); });
    EXPECT_EQ(appearance.colorScheme(), ColorScheme::noPreference) << "the read never blocks";
    ASSERT_TRUE(test::pumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(appearance.colorScheme(), ColorScheme::dark);

    const QString ns = QStringLiteral("org.freedesktop.appearance");
    const QString key = QStringLiteral("color-scheme");
    // Each row: who sends, namespace, key, value; only the portal's own colour-scheme counts.
    ASSERT_TRUE(sendChange(intruder, ns, key, 2));
    ASSERT_TRUE(sendChange(portalBus, ns, QStringLiteral("accent-color"), 2));
    ASSERT_TRUE(sendChange(portalBus, QStringLiteral("org.gnome.desktop.interface"), key, 2));
    ASSERT_TRUE(sendChange(portalBus, ns, key, 1)); // no change
    ASSERT_TRUE(sendChange(portalBus, ns, key, 2));
    ASSERT_TRUE(sendChange(portalBus, ns, key, 0));
    ASSERT_TRUE(sendChange(portalBus, ns, key, 7)); // unknown: still no preference
    ASSERT_TRUE(test::pumpUntil([&] { return seen.size() >= 3; }));
    // One more round trip on our side: anything still queued would have arrived by now.
    ASSERT_TRUE(QDBusConnection::sessionBus().interface()->registeredServiceNames().isValid());
    EXPECT_EQ(seen,
              (std::vector{ColorScheme::dark, ColorScheme::light, ColorScheme::noPreference}));
    EXPECT_TRUE(log.lines.empty());
    portalBus.unregisterService(portalName);
}

} // namespace
} // namespace zentrivo::platform

#include "DBusAdaptersTest.moc"
