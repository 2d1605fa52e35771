#include "gui/qt_timer_service.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <thread>
#include <vector>

namespace velmor::gui {
namespace {

// Runs the event loop until `done` holds or a generous bound passes.
template <typename Pred>
bool ProcessUntil(Pred done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

TEST(QtTimerService, TicksCarryTheTimerIdAndStopEndsThem) {
    std::vector<int> ticks;
    QtTimerService timers([&](int id) { ticks.push_back(id); }, nullptr);
    timers.StartTimer(2, 10);
    ASSERT_TRUE(ProcessUntil([&] { return ticks.size() >= 2; }));
    for (int id : ticks) EXPECT_EQ(id, 2);
    timers.StopTimer(2);
    EXPECT_FALSE(timers.IsRunning(2));
    const auto seen = ticks.size();
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks.size(), seen);
}

TEST(QtTimerService, RestartChangesThePeriodAndZeroIsClampedToTenMs) {
    QtTimerService timers([](int) {}, nullptr);
    timers.StartTimer(1, 1000);
    EXPECT_EQ(timers.Interval(1), 1000);
    timers.StartTimer(1, 0);
    EXPECT_TRUE(timers.IsRunning(1));
    EXPECT_EQ(timers.Interval(1), 10);
    EXPECT_EQ(timers.Interval(7), -1);
    timers.StopTimer(7);  // stopping an unknown timer is harmless
}

TEST(QtTimerService, CallsFromAnotherThreadAreQueuedToTheOwner) {
    std::vector<int> ticks;
    QtTimerService timers([&](int id) { ticks.push_back(id); }, nullptr);
    std::thread worker([&] { timers.StartTimer(5, 10); });
    worker.join();
    EXPECT_FALSE(timers.IsRunning(5));  // not yet: the start waits in the queue
    ASSERT_TRUE(ProcessUntil([&] { return !ticks.empty(); }));
    EXPECT_EQ(ticks.front(), 5);
}

}  // namespace
}  // namespace velmor::gui
