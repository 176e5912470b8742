#include "platform/linux/QtMainQueue.h"

#include "EventLoopWait.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace zentrivo::platform {
namespace {

using namespace std::chrono_literals;

TEST(QtMainQueueTest, tasksRunLaterOnTheMainThreadInOrderDelayedOnesByDueTimeCancelledOnesNever) {
    int argc = 1;
    char name[] = "queue-test", *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QtMainQueue queue;
    std::vector<int> posted, delayed;
    const auto note = [&](std::vector<int>& into, int value) { // negative when off the main thread
        return [&, value] {
            into.push_back(QThread::currentThread() == app.thread() ? value : -value);
        };
    };
    const MonoTime start = queue.now();
    queue.postAfter(20ms, note(delayed, 20));
    queue.postAfter(5ms, note(delayed, 5));
    queue.postAfter(5ms, note(delayed, 99))->cancel();
    queue.postAfter(0ms, note(delayed, 98))->cancel();
    for (int i : {1, 2, 3})
        queue.post(note(posted, i));
    std::thread([&] {
        queue.post(note(posted, 4));
        queue.postAfter(1ms, note(posted, 5));
    }).join();
    EXPECT_TRUE(posted.empty() && delayed.empty()) << "a task ran synchronously";
    ASSERT_TRUE(test::pumpUntil([&] { return posted.size() >= 5 && delayed.size() >= 2; }));
    EXPECT_EQ(posted, (std::vector{1, 2, 3, 4, 5}));
    EXPECT_EQ(delayed, (std::vector{5, 20}));
    EXPECT_GE(queue.now() - start, 19ms); // timers count whole milliseconds
}

} // namespace
} // namespace zentrivo::platform
