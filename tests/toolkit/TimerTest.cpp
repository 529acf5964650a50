// Timers on a hand-stepped clock: period, stop and restart, wrap-around, and timers stopped or
// deleted while the timers are being fired.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "FrameHarness.h"
#include "platform/Ticks.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

uint32_t gNow = 0;
uint32_t FakeTicks() { return gNow; }

// Notes the clock at every timer message; onFire runs after.
class Target : public CBaseObject {
public:
    CMessageResult notify(CBaseObject* sender, const char* message) override {
        if (message != CVSTGUITimer::kMsgTimer || std::strcmp(message, "timer fired") != 0) return kMessageUnknown;
        senders.push_back(sender);
        times.push_back(gNow);
        if (onFire) onFire();
        return kMessageNotified;
    }
    std::vector<CBaseObject*> senders;
    std::vector<uint32_t> times;
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

TEST_F(TimerTest, FiresOncePerPeriodFromTheStart) {
    Target target;
    CVSTGUITimer timer(&target, 25);
    EXPECT_FALSE(timer.isRunning());
    runUntil(1030);
    EXPECT_TRUE(target.times.empty()) << "not started";
    gNow = 1000;
    EXPECT_TRUE(timer.start());
    runUntil(1074);
    EXPECT_EQ(target.times, (std::vector<uint32_t>{1025, 1050}));
    EXPECT_EQ(target.senders, (std::vector<CBaseObject*>{&timer, &timer}));
}

TEST_F(TimerTest, StopStopsAndAStartCountsFromThen) {
    Target target;
    CVSTGUITimer timer(&target, 25);
    timer.start();
    runUntil(1030);
    EXPECT_TRUE(timer.stop());
    EXPECT_FALSE(timer.stop());
    runUntil(1060);
    EXPECT_EQ(target.times, (std::vector<uint32_t>{1025}));
    timer.start();
    runUntil(1090);
    EXPECT_EQ(target.times, (std::vector<uint32_t>{1025, 1085}));
}

TEST_F(TimerTest, ALateCallFiresOnceAndTheNextPeriodCountsFromIt) {
    Target target;
    CVSTGUITimer timer(&target, 25);
    timer.start();
    gNow = 1100;
    CVSTGUITimer::FireDueTimers();
    CVSTGUITimer::FireDueTimers();
    runUntil(1130);
    EXPECT_EQ(target.times, (std::vector<uint32_t>{1100, 1125}));
}

TEST_F(TimerTest, TheClockMayWrap) {
    Target target;
    gNow = 0xFFFFFFF0u;
    CVSTGUITimer timer(&target, 32);
    timer.start();
    runUntil(0x0Fu);
    EXPECT_TRUE(target.times.empty());
    runUntil(0x10u);
    EXPECT_EQ(target.times, (std::vector<uint32_t>{0x10u}));
}

TEST_F(TimerTest, NewPeriodsCountFromNowAndNonsenseIsRefused) {
    Target target;
    CVSTGUITimer timer(&target, 25);
    timer.start();
    runUntil(1010);
    EXPECT_FALSE(timer.setFireTime(0));
    EXPECT_FALSE(timer.setFireTime(-5));
    EXPECT_EQ(timer.getFireTime(), 25);
    EXPECT_TRUE(timer.setFireTime(100));
    runUntil(1109);
    EXPECT_TRUE(target.times.empty());
    runUntil(1110);
    EXPECT_EQ(target.times, (std::vector<uint32_t>{1110}));
}

TEST_F(TimerTest, TimersStoppedOrDeletedWhileFiringAreLeftAlone) {
    Target first;
    Target second;
    Target third;
    auto* doomed = new CVSTGUITimer(&second, 10);
    CVSTGUITimer killer(&first, 10);
    CVSTGUITimer survivor(&third, 10);
    killer.start();
    doomed->start();
    survivor.start();
    // The first target, notified before the others, deletes one timer and stops itself.
    first.onFire = [&] {
        delete doomed;
        doomed = nullptr;
        killer.stop();
    };
    runUntil(1010);
    EXPECT_EQ(first.times.size(), 1u);
    EXPECT_TRUE(second.times.empty());
    EXPECT_EQ(third.times, (std::vector<uint32_t>{1010}));
    runUntil(1030);
    EXPECT_EQ(first.times.size(), 1u);
    EXPECT_EQ(third.times.size(), 3u);
}

TEST_F(TimerTest, ATimerDeletingItselfInItsNotifyIsSafe) {
    Target target;
    auto* timer = new CVSTGUITimer(&target, 5);
    timer->start();
    target.onFire = [&] { delete timer; };
    runUntil(1020);
    EXPECT_EQ(target.times, (std::vector<uint32_t>{1005}));
}

class TimerInFrameTest : public HeadlessFrameTest {
protected:
    void SetUp() override {
        HeadlessFrameTest::SetUp();
        gNow = 0;
        SetMillisecondTicksForTesting(&FakeTicks);
    }
    void TearDown() override {
        SetMillisecondTicksForTesting(nullptr);
        HeadlessFrameTest::TearDown();
    }
};

TEST_F(TimerInFrameTest, TheFramesIdleFiresDueTimers) {
    Target target;
    CVSTGUITimer timer(&target, 40);
    timer.start();
    gNow = 39;
    frame->idle();
    EXPECT_TRUE(target.times.empty());
    gNow = 40;
    frame->idle();
    EXPECT_EQ(target.times, (std::vector<uint32_t>{40}));
}

}  // namespace
