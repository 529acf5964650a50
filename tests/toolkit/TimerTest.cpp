// Timers on a hand-stepped clock: period, stop and restart, wrap-around, and timers stopped or
// deleted while the timers are being fired.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/Ticks.h"
#include "toolkit/CFrame.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

uint32_t gNow = 0;
uint32_t FakeTicks() { return gNow; }
using Times = std::vector<uint32_t>;

// Notes the clock at every timer message from its timer; onFire runs after.
class Target : public CBaseObject {
public:
    CMessageResult notify(CBaseObject* sender, const char* message) override {
        if (message != CVSTGUITimer::kMsgTimer || std::strcmp(message, "timer fired") != 0) return kMessageUnknown;
        if (timer == nullptr || sender == timer) times.push_back(gNow);
        if (onFire) onFire();
        return kMessageNotified;
    }
    CBaseObject* timer = nullptr;
    Times times;
    std::function<void()> onFire;
};

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        gNow = 1000;
        SetMillisecondTicksForTesting(&FakeTicks);
    }
    void TearDown() override { SetMillisecondTicksForTesting(nullptr); }
    // Fires due timers at every millisecond up to and including until.
    static void runUntil(uint32_t until) {
        while (gNow != until) {
            ++gNow;
            CVSTGUITimer::FireDueTimers();
        }
    }
};

TEST_F(TimerTest, FiresOncePerPeriodWhileStartedOnceWhenLateFromTheFramesIdleAndAcrossTheWrap) {
    Target target;
    CVSTGUITimer timer(&target, 25);
    target.timer = &timer;
    runUntil(1030);
    gNow = 1000;
    EXPECT_TRUE(timer.start());
    runUntil(1060);
    EXPECT_TRUE(timer.stop());
    EXPECT_FALSE(timer.stop());
    runUntil(1100);
    timer.start();  // counts from now
    runUntil(1125);
    gNow = 1200;  // late: one message, and the next period counts from it
    CVSTGUITimer::FireDueTimers();
    CVSTGUITimer::FireDueTimers();
    CFrame frame(CRect(0, 0, 10, 10), nullptr, nullptr);
    gNow = 1224;
    frame.idle();
    gNow = 1225;
    frame.idle();
    EXPECT_FALSE(timer.setFireTime(0));
    EXPECT_FALSE(timer.setFireTime(-5));
    EXPECT_TRUE(timer.setFireTime(100));  // counts from now
    runUntil(1325);
    timer.stop();
    gNow = 0xFFFFFFF0u;
    timer.setFireTime(32);
    timer.start();
    runUntil(0x10u);
    EXPECT_EQ(target.times, (Times{1025, 1050, 1125, 1200, 1225, 1325, 0x10u}));
}

TEST_F(TimerTest, TimersStoppedOrDeletedWhileFiringAreLeftAlone) {
    Target first, second, third;
    auto* doomed = new CVSTGUITimer(&second, 10);
    CVSTGUITimer killer(&first, 10);
    CVSTGUITimer survivor(&third, 10);
    auto* suicidal = new CVSTGUITimer(&third, 5);
    for (CVSTGUITimer* timer : {&killer, doomed, &survivor, suicidal}) timer->start();
    // The first target, notified before the others, deletes one timer and stops itself; the last
    // timer deletes itself.
    first.onFire = [&] {
        delete doomed;
        killer.stop();
    };
    third.onFire = [&] {
        delete suicidal;
        suicidal = nullptr;
    };
    runUntil(1030);
    EXPECT_EQ(first.times, (Times{1010}));
    EXPECT_TRUE(second.times.empty());
    EXPECT_EQ(third.times, (Times{1005, 1010, 1020, 1030}));
}

}  // namespace
