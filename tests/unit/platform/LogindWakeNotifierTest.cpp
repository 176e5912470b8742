// The wake notification from logind's PrepareForSleep signal, on a private bus (the session bus
// of run-under-xvfb.sh) where the test owns the logind name.
#include "platform/linux/LogindWakeNotifier.h"

#include "EventLoopWait.h"
#include "tests/fakes/RecordingLog.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <gtest/gtest.h>

namespace zentrivo::platform {
namespace {

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
        ASSERT_TRUE(from->send(signal << sleeping));
        // A round trip to the bus: the signal is routed before the next one is sent, so when the
        // wake is in, the others were handled.
        ASSERT_TRUE(from->interface()->registeredServiceNames().isValid());
    }
    ASSERT_TRUE(test::pumpUntil([&] { return wakes >= 1; }));
    EXPECT_EQ(wakes, 1);

    ASSERT_TRUE(log.lines.empty());
    LogindWakeNotifier nowhere(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"),
                               log);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].message.find("waking from sleep goes unnoticed"), std::string::npos);
}

} // namespace
} // namespace zentrivo::platform
