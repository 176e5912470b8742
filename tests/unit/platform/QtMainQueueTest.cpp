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

TEST_F(QtMainQueueTest, postRunsLaterInPostingOrder) {
    std::vector<int> order;
    queue.post([&] { order.push_back(1); });
    queue.post([&] {
        order.push_back(2);
        queue.post([&] { order.push_back(4); }); // posted from a task: after those already queued
    });
    queue.post([&] { order.push_back(3); });
    EXPECT_TRUE(order.empty()) << "post ran a task synchronously";
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (std::vector{1, 2, 3, 4}));
}

TEST_F(QtMainQueueTest, delayedTasksRunByDueTimeAndNotBeforeIt) {
    struct Run {
        int id;
        MonoTime at;
    };
    std::vector<Run> runs;
    const MonoTime start = queue.now();
    const struct {
        int id;
        std::chrono::milliseconds delay;
    } table[] = {{30, 30ms}, {10, 10ms}, {0, 0ms}, {20, 20ms}};
    for (const auto& row : table) {
        queue.postAfter(row.delay, [&, id = row.id] { runs.push_back({id, queue.now()}); });
    }
    EXPECT_TRUE(runs.empty());
    ASSERT_TRUE(pumpUntil([&] { return runs.size() == 4; }));
    const int expectedOrder[] = {0, 10, 20, 30};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(runs[i].id);
        EXPECT_EQ(runs[i].id, expectedOrder[i]);
        // Timers count whole milliseconds from a start rounded to one.
        EXPECT_GE(runs[i].at - start, std::chrono::milliseconds(runs[i].id) - 1ms);
    }
}

TEST_F(QtMainQueueTest, aCancelledTaskNeverRuns) {
    bool cancelledRan = false, laterRan = false;
    auto item = queue.postAfter(5ms, [&] { cancelledRan = true; });
    auto immediate = queue.postAfter(0ms, [&] { cancelledRan = true; });
    queue.postAfter(20ms, [&] { laterRan = true; });
    item->cancel();
    immediate->cancel();
    EXPECT_TRUE(item->isCancelled());
    ASSERT_TRUE(pumpUntil([&] { return laterRan; }));
    EXPECT_FALSE(cancelledRan);
}

TEST_F(QtMainQueueTest, tasksPostedFromOtherThreadsRunOnTheMainThreadInOrder) {
    std::vector<int> order;
    bool delayedRan = false;
    bool allOnMain = true;
    QThread* const mainThread = QThread::currentThread();
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            queue.post([&, i] {
                allOnMain = allOnMain && QThread::currentThread() == mainThread;
                order.push_back(i);
            });
        }
        queue.postAfter(1ms, [&] {
            allOnMain = allOnMain && QThread::currentThread() == mainThread;
            delayedRan = true;
        });
    });
    worker.join();
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 100 && delayedRan; }));
    EXPECT_TRUE(allOnMain);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
    }
}

TEST_F(QtMainQueueTest, tasksOfADestroyedQueueNeverRun) {
    bool ran = false, sentinel = false;
    {
        QtMainQueue shortLived;
        shortLived.post([&] { ran = true; });
        shortLived.postAfter(0ms, [&] { ran = true; });
    }
    queue.postAfter(5ms, [&] { sentinel = true; });
    ASSERT_TRUE(pumpUntil([&] { return sentinel; }));
    EXPECT_FALSE(ran);
}

TEST_F(QtMainQueueTest, theClockIsMonotonic) {
    const MonoTime first = queue.now();
    bool ran = false;
    queue.postAfter(2ms, [&] { ran = true; });
    ASSERT_TRUE(pumpUntil([&] { return ran; }));
    EXPECT_GT(queue.now(), first);
}

} // namespace
} // namespace zentrivo::platform
