// The window timers on the event loop, as the window, the command line and
// the station share them.
#include "qt_timers.h"

#include <gtest/gtest.h>

#include <vector>

#include "event_wait.h"

namespace taplink {
namespace {

using namespace std::chrono_literals;

// A one-shot fires once, never before its deadline (at once when that has
// passed); starting it again moves it, stopping it silences it, and a
// repeating timer under its identifier takes its place.
TEST(QtTimers, OneShotsFireOnceNeverBeforeTheirDeadline) {
    std::vector<std::pair<int, std::chrono::nanoseconds>> fired;
    QtTimers timers([&](int id) { fired.push_back({id, QtTimers::Now()}); });
    const auto t0 = QtTimers::Now();
    timers.StartAt(1, t0 + 30ms);
    timers.StartAt(1, t0 + 20ms);
    timers.StartAt(2, t0 + 10ms);
    timers.StartAt(3, t0 + 5ms);
    timers.Stop(3);
    timers.StartAt(4, t0 - 1s);
    timers.StartAt(5, t0 + 5ms);
    timers.Start(5, 10s);
    EXPECT_TRUE(timers.Active(1));
    EXPECT_FALSE(timers.Active(3));
    ASSERT_TRUE(testing::WaitFor([&] { return fired.size() >= 3; }));
    testing::WaitFor([] { return false; }, 50ms);  // and no more
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[0].first, 4);
    EXPECT_EQ(fired[1].first, 2);
    EXPECT_GE(fired[1].second, t0 + 10ms);
    EXPECT_EQ(fired[2].first, 1);
    EXPECT_GE(fired[2].second, t0 + 20ms);
    EXPECT_FALSE(timers.Active(1));
    EXPECT_TRUE(timers.Active(5));
}

}  // namespace
}  // namespace taplink
