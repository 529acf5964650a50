// The person values across the whole factory bank: exact counts of the special values 0, 0.5
// and 1 per field, a real spread elsewhere, range and six-decimal form of every stored value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "presets/FactoryPresets.h"

namespace {

const ProgramData& FactoryBank() {
    static const ProgramData* bank = [] {
        auto* filled = new ProgramData();
        PresetPrograms(filled);
        return filled;
    }();
    return *bank;
}

constexpr int kWrittenFields = 9;  // parPitchShift .. parGain, par00
constexpr int kAllPeople = kNumPrograms * kNumPeople;

float Field(const Individual& person, int field) { return (&person.parPitchShift)[field]; }

int CountEqual(int field, float value) {
    int count = 0;
    for (const Program& program : FactoryBank().programs)
        for (const Individual& person : program.people) count += Field(person, field) == value ? 1 : 0;
    return count;
}

struct SpecialCounts {
    const char* field;
    int zeros;
    int halves;
    int ones;
};

// Fields in Individual order. Where a value is not special for a field it never occurs there:
// drawn values avoid 0, 0.5 and 1 so that these counts stay exact.
const SpecialCounts kCounts[kWrittenFields] = {
    {"parPitchShift", 0, 42, 0},
    {"parPitchModGain", 263, 0, 104},
    {"parPitchModSpeed", 40, 40, 40},
    {"parDelayTime", 163, 0, 23},
    {"parDelayModGain", 65, 0, 90},
    {"parDelayModSpeed", 0, 40, 79},
    {"parPan", 0, 0, 0},
    {"parGain", 0, kAllPeople, 0},
    // 1155 zeros: 1125 flags that are off plus persons 45-59 of Decender and Evil Snake.
    {"par00", 1155, 1, 284},
};

TEST(FactoryPeople, SpecialValueCountsPerField) {
    for (int f = 0; f < kWrittenFields; ++f) {
        SCOPED_TRACE(kCounts[f].field);
        EXPECT_EQ(CountEqual(f, 0.0f), kCounts[f].zeros);
        EXPECT_EQ(CountEqual(f, 0.5f), kCounts[f].halves);
        EXPECT_EQ(CountEqual(f, 1.0f), kCounts[f].ones);
    }
}

TEST(FactoryPeople, FlagFieldHoldsOnlyZeroHalfAndOne) {
    EXPECT_EQ(CountEqual(8, 0.0f) + CountEqual(8, 0.5f) + CountEqual(8, 1.0f), kAllPeople);
    EXPECT_EQ(FactoryBank().programs[0].people[0].par00, 0.5f);
}

TEST(FactoryPeople, DecenderAndEvilSnakeTailFlagsAreClean) {
    // A debug-heap fill pattern (bits 0xCDCDCDCD, about -4.3e8) once sat in these slots.
    for (int n : {8, 9}) {
        for (int p = 45; p < kNumPeople; ++p) {
            SCOPED_TRACE(testing::Message() << "program " << n << " person " << p);
            EXPECT_EQ(FactoryBank().programs[n].people[p].par00, 0.0f);
        }
    }
}

TEST(FactoryPeople, DrawnFieldsAreSpread) {
    // Nearly every person that is neither pinned to 0, 0.5 or 1 nor a Slow Mirror twin holds a
    // value of its own; programs repeating each other's draws would fall far short.
    const int kMinDistinct[7] = {1350, 1000, 1250, 1180, 1200, 1250, 1400};
    for (int f = 0; f < 7; ++f) {
        SCOPED_TRACE(kCounts[f].field);
        std::set<float> distinct;
        for (const Program& program : FactoryBank().programs)
            for (const Individual& person : program.people) distinct.insert(Field(person, f));
        EXPECT_GE(static_cast<int>(distinct.size()), kMinDistinct[f]);
    }
}

TEST(FactoryPeople, ShiftAndPanCoverTheWholeRange) {
    for (int f : {0, 6}) {
        SCOPED_TRACE(kCounts[f].field);
        int tenths[10] = {};
        for (const Program& program : FactoryBank().programs)
            for (const Individual& person : program.people)
                ++tenths[std::min(9, static_cast<int>(Field(person, f) * 10.0f))];
        for (int t = 0; t < 10; ++t) EXPECT_GE(tenths[t], 30) << "tenth " << t;
    }
}

TEST(FactoryPeople, EveryStoredValueIsFiniteInRangeAndSixDecimals) {
    int checked = 0;
    for (int n = 0; n < kNumPrograms; ++n) {
        for (int p = 0; p < kNumPeople; ++p) {
            for (int f = 0; f < kWrittenFields; ++f) {
                const float v = Field(FactoryBank().programs[n].people[p], f);
                SCOPED_TRACE(testing::Message() << "program " << n << " person " << p << " field " << f);
                ASSERT_TRUE(std::isfinite(v));
                EXPECT_GE(v, 0.0f);
                EXPECT_LE(v, 1.0f);
                // Printing six decimals and reading back must give the very same float.
                char text[32];
                std::snprintf(text, sizeof text, "%.6f", static_cast<double>(v));
                EXPECT_EQ(std::strtof(text, nullptr), v) << text;
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 12960);
}

TEST(FactoryPeople, GlobalValuesAreSixDecimals) {
    for (const Program& program : FactoryBank().programs) {
        SCOPED_TRACE(program.name);
        for (float v : {program.parPopulation, program.parPersonSelected, program.parGlobalWet, program.parGlobalDry,
                        program.parRandLower, program.parRandUpper, program.parSolo, program.parAllpassSpread,
                        program.parPitchAll}) {
            char text[32];
            std::snprintf(text, sizeof text, "%.6f", static_cast<double>(v));
            EXPECT_EQ(std::strtof(text, nullptr), v) << text;
            EXPECT_GE(v, 0.0f);
            EXPECT_LE(v, 1.0f);
        }
    }
}

}  // namespace
