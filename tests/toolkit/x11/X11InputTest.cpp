// The double-click rule on X server times, which wrap every 49.7 days.
#include <gtest/gtest.h>

#include "toolkit/x11/X11Input.h"

namespace {

TEST(DoubleClickDetector, SecondPressOfTheSameButtonNearAndSoonIsADoubleClick) {
    struct Press {
        unsigned long time;
        int x, y;
        unsigned int button;
        bool isDouble;
    };
    const Press sequence[] = {
        {1000, 10, 10, 1, false},
        {1300, 14, 6, 1, true},     // 300 ms and 4 px: the limit is inside
        {1400, 14, 6, 1, false},    // a third press starts afresh
        {1701, 14, 6, 1, false},    // 301 ms: too late, but starts a pair
        {1800, 19, 6, 1, false},    // 5 px away
        {1850, 19, 6, 3, false},    // another button
        {1900, 19, 6, 3, true},
        {0xffffff00UL, 0, 0, 1, false},
        {0x00000010UL, 0, 0, 1, true},  // 272 ms across the wrap
    };
    DoubleClickDetector detector;
    for (const Press& press : sequence) {
        EXPECT_EQ(detector.press(press.time, press.x, press.y, press.button), press.isDouble) << "at " << press.time;
    }
}

}  // namespace
