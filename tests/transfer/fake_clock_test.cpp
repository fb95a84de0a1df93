// The virtual clock that every timer test relies on.
#include <gtest/gtest.h>

#include "fake_window_services.h"

namespace taplink::testing {
namespace {

TEST(FakeClock, AdvanceFiresOnlyTheTimersDueInOrder) {
    FakeWindowServices w;
    std::vector<std::pair<int, long>> fired;
    w.onTimer = [&](int id) { fired.emplace_back(id, static_cast<long>(w.Now().count())); };
    w.StartTimer(kTimerNoResponse, milliseconds{5000});
    w.StartTimer(kTimerRequest, milliseconds{5});
    w.Advance(milliseconds{12});
    EXPECT_EQ(fired, (std::vector<std::pair<int, long>>{{8, 5}, {8, 10}}));
    w.StopTimer(kTimerRequest);
    fired.clear();
    w.Advance(milliseconds{4988});
    EXPECT_EQ(fired, (std::vector<std::pair<int, long>>{{4, 5000}}));
}

TEST(FakeClock, RestartingATimerRestartsItsPeriodAndAHandlerMayStopIt) {
    FakeWindowServices w;
    int fired = 0;
    w.onTimer = [&](int id) {
        ++fired;
        w.StopTimer(id);
    };
    w.StartTimer(kTimerNotReady, milliseconds{100});
    w.Advance(milliseconds{90});
    w.StartTimer(kTimerNotReady, milliseconds{100});
    w.Advance(milliseconds{90});
    EXPECT_EQ(fired, 0);
    w.Advance(milliseconds{1000});
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(w.TimerRunning(kTimerNotReady));
}

}  // namespace
}  // namespace taplink::testing
