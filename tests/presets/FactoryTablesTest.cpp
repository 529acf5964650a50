// Names, global values and the given person rows of the 24 factory programs, checked against
// this table rather than against the writers' own sources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

struct GlobalsRow {
    const char* name;
    float population, selected, wet, dry, randLower, randUpper, solo, allpassSpread, pitchAll;
};

const GlobalsRow kGlobals[kNumPrograms] = {
    {"1 Many Monks", 0.65f, 0.0f, 0.5f, 0.37f, 0.0f, 0.455f, 0.0f, 0.285f, 0.5f},
    {"2 Crowded Hall", 0.516667f, 0.0f, 0.56f, 0.0f, 0.21f, 0.81f, 0.0f, 0.395f, 0.5f},
    {"3 Stadium Chant", 0.733333f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.61f, 0.5f},
    {"4 Hello Planet!", 0.983333f, 0.0f, 0.57f, 0.0f, 0.165f, 0.9f, 0.0f, 1.0f, 0.5f},
    {"Alien Ripper", 0.566667f, 0.0f, 0.5f, 0.0f, 0.0f, 0.35f, 0.0f, 0.225f, 0.5f},
    {"Bodiless Robot", 0.716667f, 0.0f, 0.5f, 0.5f, 0.0f, 0.66f, 0.0f, 0.0f, 0.5f},
    {"Busted Larynx", 0.65f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f},
    {"Choirish", 0.65f, 0.0f, 0.5f, 0.0f, 0.0f, 0.675f, 0.0f, 0.0f, 0.5f},
    {"Decender", 0.733333f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.6f, 0.345f},
    {"Evil Snake", 0.733333f, 0.0f, 0.39f, 0.0f, 0.5f, 0.095f, 0.0f, 0.655f, 0.57f},
    {"Fat Pack", 0.733333f, 0.0f, 0.5f, 0.0f, 0.27f, 0.755f, 0.0f, 0.115f, 0.5f},
    {"Gated Layer", 0.133333f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.245f, 0.5f},
    {"Ghost Maker", 0.65f, 0.0f, 0.5f, 0.0f, 0.0f, 0.17f, 0.0f, 0.765f, 0.88f},
    {"Lost in the Wash", 0.733333f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.595f, 0.5f},
    {"Mental Breakage", 0.016667f, 0.0f, 0.515f, 0.205f, 0.0f, 1.0f, 0.0f, 0.545f, 0.5f},
    {"Metal Ear Box", 0.566667f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.315f, 0.5f},
    {"Monster Pan", 0.733333f, 0.0f, 0.545f, 0.0f, 0.0f, 0.0f, 0.0f, 0.395f, 0.345f},
    {"Mouse Delirium", 0.516667f, 0.0f, 0.57f, 0.0f, 0.51f, 1.0f, 0.0f, 0.0f, 1.0f},
    {"New species 1", 0.033333f, 0.0f, 0.5f, 0.42f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f},
    {"New species 2", 0.983333f, 0.0f, 0.605f, 0.0f, 0.46f, 0.325f, 0.0f, 0.31f, 0.285f},
    {"Ocean Deep", 0.983333f, 0.0f, 0.5f, 0.0f, 0.0f, 0.31f, 0.0f, 1.0f, 0.0f},
    {"Slow Mirror", 0.333333f, 0.0f, 0.62f, 0.5f, 1.0f, 0.21f, 0.0f, 0.495f, 0.5f},
    {"Spin up", 0.316667f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f},
    {"Up Lilt", 0.2f, 0.0f, 0.51f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f},
};

struct PersonRow {
    int program;
    int person;
    float values[9];  // parPitchShift .. parGain, par00
};

const PersonRow kGivenRows[] = {
    {0, 0, {0.560784f, 0.0f, 0.357635f, 0.307985f, 0.16128f, 0.185822f, 0.540785f, 0.5f, 0.5f}},
    {0, 1, {0.44728f, 0.0f, 0.868408f, 0.106464f, 0.273933f, 0.271545f, 0.936556f, 0.5f, 0.0f}},
    {0, 2, {0.607821f, 0.0f, 0.658112f, 0.356863f, 0.305009f, 0.054352f, 0.616314f, 0.5f, 0.0f}},
    {0, 59, {0.429047f, 0.538849f, 0.89679f, 0.594452f, 0.186615f, 0.856201f, 0.504761f, 0.5f, 0.0f}},
    {14, 0, {0.775665f, 0.49f, 0.324116f, 0.0f, 0.095f, 0.330029f, 0.504532f, 0.5f, 0.0f}},
};

TEST(FactoryTables, NamesInBankOrder) {
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(n);
        EXPECT_STREQ(FactoryBank().programs[n].name, kGlobals[n].name);
    }
    EXPECT_EQ(FactoryBank().programVersion, 202);
}

TEST(FactoryTables, NamesFitTheFieldWithTheirZero) {
    for (const Program& program : FactoryBank().programs)
        EXPECT_LT(std::strlen(program.name), static_cast<size_t>(kProgramNameSize));
}

TEST(FactoryTables, GlobalValuesOfEveryProgramAreExact) {
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(kGlobals[n].name);
        const Program& program = FactoryBank().programs[n];
        const GlobalsRow& want = kGlobals[n];
        EXPECT_EQ(program.parPopulation, want.population);
        EXPECT_EQ(program.parPersonSelected, want.selected);
        EXPECT_EQ(program.parGlobalWet, want.wet);
        EXPECT_EQ(program.parGlobalDry, want.dry);
        EXPECT_EQ(program.parRandLower, want.randLower);
        EXPECT_EQ(program.parRandUpper, want.randUpper);
        EXPECT_EQ(program.parSolo, want.solo);
        EXPECT_EQ(program.parAllpassSpread, want.allpassSpread);
        EXPECT_EQ(program.parPitchAll, want.pitchAll);
    }
}

TEST(FactoryTables, PopulationsAreWholeNumbersOfPeople) {
    const int people[kNumPrograms] = {39, 31, 44, 59, 34, 43, 39, 39, 44, 44, 44, 8,
                                      39, 44, 1,  34, 44, 31, 2,  59, 59, 20, 19, 12};
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(kGlobals[n].name);
        const float population = FactoryBank().programs[n].parPopulation;
        EXPECT_NEAR(population * 60.0f, static_cast<float>(people[n]), 0.0001f);
    }
}

TEST(FactoryTables, GivenPersonRowsAreExact) {
    for (const PersonRow& row : kGivenRows) {
        SCOPED_TRACE("program " + std::to_string(row.program) + " person " + std::to_string(row.person));
        const Individual& person = FactoryBank().programs[row.program].people[row.person];
        EXPECT_EQ(person.parPitchShift, row.values[0]);
        EXPECT_EQ(person.parPitchModGain, row.values[1]);
        EXPECT_EQ(person.parPitchModSpeed, row.values[2]);
        EXPECT_EQ(person.parDelayTime, row.values[3]);
        EXPECT_EQ(person.parDelayModGain, row.values[4]);
        EXPECT_EQ(person.parDelayModSpeed, row.values[5]);
        EXPECT_EQ(person.parPan, row.values[6]);
        EXPECT_EQ(person.parGain, row.values[7]);
        EXPECT_EQ(person.par00, row.values[8]);
    }
}

}  // namespace
