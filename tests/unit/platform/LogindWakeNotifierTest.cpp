// The wake notification from logind's PrepareForSleep signal, on a private bus (the session bus
// of run-under-xvfb.sh) where the test owns the logind name.
#include "platform/linux/LogindWakeNotifier.h"

#include "EventLoopWait.h"
#include "tests/fakes/RecordingLog.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <gtest/gtest.h>

namespace zentrivo::platform {
namespace {

void prepareForSleep(QDBusConnection& from, bool sleeping) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("PrepareForSleep"));
    signal << sleeping;
    ASSERT_TRUE(from.send(signal));
    // A round trip to the bus: the signal has been routed before anything this connection sends
    // next.
    ASSERT_TRUE(from.interface()->registeredServiceNames().isValid());
}

TEST(LogindWakeNotifierTest, onlyTheWakeFromTheLogindOwnerReachesTheObservers) {
    QDBusConnection logind =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind"));
    QDBusConnection intruder =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("intruder"));
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    test::RecordingLog log;
    LogindWakeNotifier notifier(QDBusConnection::sessionBus(), log);
    int wakes = 0;
    notifier.addWakeObserver([&] { ++wakes; });

    // Going to sleep, and a wake sent by a program that is not logind, are no wake. The signals
    // arrive in the order sent: when the wake is in, the others were handled.
    prepareForSleep(logind, true);
    prepareForSleep(intruder, false);
    prepareForSleep(logind, false);
    ASSERT_TRUE(test::pumpUntil([&] { return wakes >= 1; }));
    EXPECT_EQ(wakes, 1);
    EXPECT_TRUE(log.lines.empty());
}

TEST(LogindWakeNotifierTest, withoutABusOneLineSaysWakesGoUnnoticed) {
    test::RecordingLog log;
    LogindWakeNotifier notifier(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"),
                                      QStringLiteral("nowhere")),
        log);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].message.find("waking from sleep goes unnoticed"), std::string::npos);
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
