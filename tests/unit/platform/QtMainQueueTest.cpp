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
using test::pumpUntil;

/// A Qt application for the tests of this file; each test gets a fresh one.
class QtMainQueueTest : public ::testing::Test {
protected:
    int argc = 1;
    char name[16] = "queue-test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    QtMainQueue queue;
};

TEST_F(QtMainQueueTest, tasksRunLaterInPostingOrderDelayedOnesByDueTimeCancelledOnesNever) {
    std::vector<int> posted, delayed;
    const MonoTime start = queue.now();
    queue.postAfter(20ms, [&] {
        EXPECT_GE(queue.now() - start, 19ms); // timers count whole milliseconds
        delayed.push_back(20);
    });
    queue.postAfter(5ms, [&] { delayed.push_back(5); });
    queue.postAfter(5ms, [&] { delayed.push_back(-1); })->cancel();
    queue.postAfter(0ms, [&] { delayed.push_back(-2); })->cancel();
    queue.post([&] { posted.push_back(1); });
    queue.post([&] {
        posted.push_back(2);
        queue.post([&] { posted.push_back(4); }); // after the tasks already queued
    });
    queue.post([&] { posted.push_back(3); });
    EXPECT_TRUE(posted.empty() && delayed.empty()) << "a task ran synchronously";
    ASSERT_TRUE(pumpUntil([&] { return posted.size() == 4 && delayed.size() >= 2; }));
    EXPECT_EQ(posted, (std::vector{1, 2, 3, 4}));
    EXPECT_EQ(delayed, (std::vector{5, 20}));
}

TEST_F(QtMainQueueTest, tasksPostedFromOtherThreadsRunOnTheMainThreadInOrder) {
    std::vector<int> order;
    bool allOnMain = true;
    QThread* const mainThread = QThread::currentThread();
    const auto task = [&](int i) {
        return [&, i] {
            allOnMain = allOnMain && QThread::currentThread() == mainThread;
            order.push_back(i);
        };
    };
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            queue.post(task(i));
        queue.postAfter(1ms, task(100));
    });
    worker.join();
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 101; }));
    EXPECT_TRUE(allOnMain);
    std::erase(order, 100); // the delayed one: no order promised against the others
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
}

} // namespace
} // namespace zentrivo::platform
