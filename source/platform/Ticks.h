// The UI's millisecond clock (monotonic, wraps in 32 bits). Tests replace it to step time by hand.
#pragma once

#include <cstdint>

// UI thread: milliseconds since an arbitrary start.
uint32_t MillisecondTicks();
// Tests: ticks come from source until reset with null.
void SetMillisecondTicksForTesting(uint32_t (*source)());
