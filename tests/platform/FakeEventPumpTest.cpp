#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/FakeEventPump.h"

using namespace vor;

TEST(FakeEventPump, YieldJumpsToDeadlineWhenNothingIsDue) {
    FakeEventPump pump;
    pump.yieldUntil(2.5);
    EXPECT_DOUBLE_EQ(pump.now(), 2.5);
}

TEST(FakeEventPump, YieldStopsAtTheFirstDueEventAndRunsIt) {
    FakeEventPump pump;
    std::vector<int> ran;
    pump.schedule(1.0, [&] { ran.push_back(1); });
    pump.schedule(1.0, [&] { ran.push_back(2); });
    pump.schedule(3.0, [&] { ran.push_back(3); });
    pump.yieldUntil(10.0);
    EXPECT_DOUBLE_EQ(pump.now(), 1.0);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST(FakeEventPump, PastDeadlineStillMovesTime) {
    FakeEventPump pump;
    pump.yieldUntil(1.0);
    pump.yieldUntil(0.5);
    EXPECT_GT(pump.now(), 1.0);
}

TEST(FakeEventPump, SleepServesNoEvents) {
    FakeEventPump pump;
    bool ran = false;
    pump.schedule(0.5, [&] { ran = true; });
    pump.sleepFor(1.0);
    EXPECT_FALSE(ran);
    EXPECT_GT(pump.now(), 1.0);
}

TEST(FakeEventPump, EndingMakesYieldsThrow) {
    FakeEventPump pump;
    pump.schedule(0.1, [&] { pump.endProgram(); });
    EXPECT_THROW(pump.yieldUntil(1.0), ProgramEnding);
}

TEST(FakeEventPump, LocalTimeAdvancesAcrossMidnight) {
    FakeEventPump pump;
    pump.setLocalTimeBase({2026, 12, 31, 23, 59, 58});
    pump.yieldUntil(3.0);
    const LocalTime t = pump.localTime();
    EXPECT_EQ(t.year, 2027);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.second, 1);
}
