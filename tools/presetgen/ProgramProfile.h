// How one factory program should sound, as the generator's input: name, intent, the fixed global
// values, how each person value is spread, how many people hold an exact special value, and rows
// that are given outright. Values are whole millionths, so every one is an exact six-decimal number.
#pragma once

#include <vector>

constexpr int kUnits = 1000000;  // 1.0
constexpr int kHalf = kUnits / 2;
constexpr int kPersonFields = 9;  // the person values a writer stores
constexpr int kDrawnFields = 7;   // pitch shift .. pan are drawn; gain and par00 are not
constexpr int kGlobalFields = 9;

// Column order of the person tables.
enum PersonField { kShift, kPitchModGain, kPitchModSpeed, kDelayTime, kDelayModGain, kDelayModSpeed, kPan, kGain, kFlag };

// A decimal with at most six digits written as millionths: U(0.516667) == 516667.
constexpr int U(double value) { return static_cast<int>(value * kUnits + 0.5); }

enum class Shape {
    Uniform,   // a .. b
    Triangle,  // peaks at a, reaches a - b and a + b
    Edges,     // within a of either end, never in the middle
};

struct Spread {
    Shape shape;
    int a;
    int b;
};

// `count` people of the program hold exactly `value` in `field` (fixed rows included).
struct Pin {
    PersonField field;
    int value;
    int count;
};

struct FixedRow {
    int person;
    int values[kPersonFields];
};

struct ProgramProfile {
    const char* name;
    const char* intent;
    // population, selected, wet, dry, rand lower, rand upper, solo, allpass spread, pitch all
    int globals[kGlobalFields];
    Spread spread[kDrawnFields];
    std::vector<Pin> pins;
    // Person 2k+1 mirrors person 2k: opposite shift and pan, the same time and motion.
    bool mirrored = false;
    std::vector<FixedRow> fixed = {};
};

// The 24 factory programs in bank order.
const std::vector<ProgramProfile>& FactoryProfiles();
