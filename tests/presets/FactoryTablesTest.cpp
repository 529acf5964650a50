// Names, globals, the given person rows and the shape of all 12960 person values of the factory
// bank, checked against these tables rather than against the writers' own sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "FactoryBank.h"

namespace {

struct GlobalsRow {
    const char* name;
    float values[9];  // parPopulation .. parSolo, parAllpassSpread, parPitchAll
};
constexpr int kGlobalIndex[9] = {0, 1, 2, 3, 4, 5, 6, 12, 13};

const GlobalsRow kGlobals[kNumPrograms] = {
    {"1 Many Monks", {0.65f, 0.0f, 0.5f, 0.37f, 0.0f, 0.455f, 0.0f, 0.285f, 0.5f}},
    {"2 Crowded Hall", {0.516667f, 0.0f, 0.56f, 0.0f, 0.21f, 0.81f, 0.0f, 0.395f, 0.5f}},
    {"3 Stadium Chant", {0.733333f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.61f, 0.5f}},
    {"4 Hello Planet!", {0.983333f, 0.0f, 0.57f, 0.0f, 0.165f, 0.9f, 0.0f, 1.0f, 0.5f}},
    {"Alien Ripper", {0.566667f, 0.0f, 0.5f, 0.0f, 0.0f, 0.35f, 0.0f, 0.225f, 0.5f}},
    {"Bodiless Robot", {0.716667f, 0.0f, 0.5f, 0.5f, 0.0f, 0.66f, 0.0f, 0.0f, 0.5f}},
    {"Busted Larynx", {0.65f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f}},
    {"Choirish", {0.65f, 0.0f, 0.5f, 0.0f, 0.0f, 0.675f, 0.0f, 0.0f, 0.5f}},
    {"Decender", {0.733333f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.6f, 0.345f}},
    {"Evil Snake", {0.733333f, 0.0f, 0.39f, 0.0f, 0.5f, 0.095f, 0.0f, 0.655f, 0.57f}},
    {"Fat Pack", {0.733333f, 0.0f, 0.5f, 0.0f, 0.27f, 0.755f, 0.0f, 0.115f, 0.5f}},
    {"Gated Layer", {0.133333f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.245f, 0.5f}},
    {"Ghost Maker", {0.65f, 0.0f, 0.5f, 0.0f, 0.0f, 0.17f, 0.0f, 0.765f, 0.88f}},
    {"Lost in the Wash", {0.733333f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.595f, 0.5f}},
    {"Mental Breakage", {0.016667f, 0.0f, 0.515f, 0.205f, 0.0f, 1.0f, 0.0f, 0.545f, 0.5f}},
    {"Metal Ear Box", {0.566667f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.315f, 0.5f}},
    {"Monster Pan", {0.733333f, 0.0f, 0.545f, 0.0f, 0.0f, 0.0f, 0.0f, 0.395f, 0.345f}},
    {"Mouse Delirium", {0.516667f, 0.0f, 0.57f, 0.0f, 0.51f, 1.0f, 0.0f, 0.0f, 1.0f}},
    {"New species 1", {0.033333f, 0.0f, 0.5f, 0.42f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f}},
    {"New species 2", {0.983333f, 0.0f, 0.605f, 0.0f, 0.46f, 0.325f, 0.0f, 0.31f, 0.285f}},
    {"Ocean Deep", {0.983333f, 0.0f, 0.5f, 0.0f, 0.0f, 0.31f, 0.0f, 1.0f, 0.0f}},
    {"Slow Mirror", {0.333333f, 0.0f, 0.62f, 0.5f, 1.0f, 0.21f, 0.0f, 0.495f, 0.5f}},
    {"Spin up", {0.316667f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f}},
    {"Up Lilt", {0.2f, 0.0f, 0.51f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f}},
};

struct PersonRow {
    int program, person;
    float values[9];  // parPitchShift .. parGain, par00
};

const PersonRow kGivenRows[] = {
    {0, 0, {0.560784f, 0.0f, 0.357635f, 0.307985f, 0.16128f, 0.185822f, 0.540785f, 0.5f, 0.5f}},
    {0, 1, {0.44728f, 0.0f, 0.868408f, 0.106464f, 0.273933f, 0.271545f, 0.936556f, 0.5f, 0.0f}},
    {0, 2, {0.607821f, 0.0f, 0.658112f, 0.356863f, 0.305009f, 0.054352f, 0.616314f, 0.5f, 0.0f}},
    {0, 59, {0.429047f, 0.538849f, 0.89679f, 0.594452f, 0.186615f, 0.856201f, 0.504761f, 0.5f, 0.0f}},
    {14, 0, {0.775665f, 0.49f, 0.324116f, 0.0f, 0.095f, 0.330029f, 0.504532f, 0.5f, 0.0f}},
};

// Per field, over all 1440 people: exact counts of 0, 0.5 and 1, and at least how many distinct
// values (programs repeating each other's draws would fall far short).
struct FieldShape {
    const char* field;
    int zeros, halves, ones, minDistinct;
};

const FieldShape kShapes[9] = {
    {"parPitchShift", 0, 42, 0, 1350},    {"parPitchModGain", 263, 0, 104, 1000},
    {"parPitchModSpeed", 40, 40, 40, 1250}, {"parDelayTime", 163, 0, 23, 1180},
    {"parDelayModGain", 65, 0, 90, 1200}, {"parDelayModSpeed", 0, 40, 79, 1250},
    {"parPan", 0, 0, 0, 1400},            {"parGain", 0, 1440, 0, 1},
    // 1125 flags that are off plus persons 45-59 of Decender and Evil Snake.
    {"par00", 1155, 1, 284, 3},
};

TEST(FactoryTables, NamesAndGlobalsOfEveryProgramInBankOrder) {
    EXPECT_EQ(FactoryBank().programVersion, 202);
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(kGlobals[n].name);
        const Program& program = FactoryBank().programs[n];
        EXPECT_STREQ(program.name, kGlobals[n].name);
        for (int g = 0; g < 9; ++g)
            EXPECT_EQ(program.Floats()[kGlobalIndex[g]], kGlobals[n].values[g]) << "global " << kGlobalIndex[g];
    }
}

TEST(FactoryTables, GivenPersonRowsAreExact) {
    for (const PersonRow& row : kGivenRows)
        for (int f = 0; f < 9; ++f)
            EXPECT_EQ(Field(FactoryBank().programs[row.program].people[row.person], f), row.values[f])
                << "program " << row.program << " person " << row.person << " field " << f;
}

TEST(FactoryTables, EveryPersonValueIsSixDecimalsInRangeAndEachFieldHasItsShape) {
    for (int f = 0; f < 9; ++f) {
        SCOPED_TRACE(kShapes[f].field);
        int zeros = 0, halves = 0, ones = 0, tenths[10] = {};
        std::set<float> distinct;
        for (const Program& program : FactoryBank().programs) {
            for (const Individual& person : program.people) {
                const float v = Field(person, f);
                ASSERT_TRUE(std::isfinite(v) && v >= 0.0f && v <= 1.0f) << program.name << ": " << v;
                // Printing six decimals and reading back must give the very same float.
                char text[32];
                std::snprintf(text, sizeof text, "%.6f", static_cast<double>(v));
                EXPECT_EQ(std::strtof(text, nullptr), v) << program.name << ": " << text;
                zeros += v == 0.0f;
                halves += v == 0.5f;
                ones += v == 1.0f;
                ++tenths[std::min(9, static_cast<int>(v * 10.0f))];
                distinct.insert(v);
            }
        }
        EXPECT_EQ(zeros, kShapes[f].zeros);
        EXPECT_EQ(halves, kShapes[f].halves);
        EXPECT_EQ(ones, kShapes[f].ones);
        EXPECT_GE(static_cast<int>(distinct.size()), kShapes[f].minDistinct);
        for (int t = 0; t < 10; ++t)  // shift and pan cover the whole range
            EXPECT_TRUE((f != 0 && f != 6) || tenths[t] >= 30) << "tenth " << t << ": " << tenths[t];
    }
}

TEST(FactoryTables, DecenderAndEvilSnakeTailFlagsAreZero) {
    // A debug-heap fill pattern (bits 0xCDCDCDCD, about -4.3e8) once sat in these slots.
    for (int n : {8, 9})
        for (int p = 45; p < kNumPeople; ++p)
            EXPECT_EQ(FactoryBank().programs[n].people[p].par00, 0.0f) << "program " << n << " person " << p;
}

}  // namespace
