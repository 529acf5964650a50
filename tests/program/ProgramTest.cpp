// The program record: defaults and the order of its random draws, the upgrade from the old
// layout, names cut to the field, and the bank's construction.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ProgramData.h"

namespace {

constexpr int kPersonFloats = kNumPeople * kFloatsPerPerson;

float Draw() { return static_cast<float>(std::rand() & 0x7FFF) * 3.0517578e-5f; }

int PersonIndex(int person, int field) { return kNumGlobals + kFloatsPerPerson * person + field; }

TEST(ProgramDefaults, GlobalValuesAndName) {
    Program program;
    const float expected[kNumGlobals] = {0.5f, 0.0f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f,
                                         0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < kNumGlobals; ++i) EXPECT_EQ(program.Load(i), expected[i]) << i;
    EXPECT_STREQ(program.name, "Init");
    for (int i = 5; i < kProgramNameSize; ++i) EXPECT_EQ(program.name[i], '\0') << i;
}

TEST(ProgramDefaults, PeopleDrawSevenRandomValuesEachInOrder) {
    std::srand(1234);
    Program program;
    std::srand(1234);
    for (int p = 0; p < kNumPeople; ++p) {
        for (int field = 0; field < 7; ++field) {
            const float value = Draw();
            ASSERT_EQ(program.Load(PersonIndex(p, field)), value) << p << "/" << field;
            ASSERT_GE(value, 0.0f);
            ASSERT_LT(value, 1.0f);
        }
        EXPECT_EQ(program.people[p].parGain, 0.5f);
        EXPECT_EQ(program.people[p].par00, 0.0f);
        EXPECT_EQ(program.people[p].par01, 0.0f);
        EXPECT_EQ(program.people[p].par02, 0.0f);
        EXPECT_EQ(program.people[p].par03, 0.0f);
    }
}

TEST(ProgramDefaults, TheBankDrawsProgramByProgram) {
    std::srand(77);
    auto bank = std::make_unique<ProgramData>();
    std::srand(77);
    auto first = std::make_unique<Program>();
    auto second = std::make_unique<Program>();
    EXPECT_EQ(std::memcmp(&bank->programs[0], first.get(), sizeof(Program)), 0);
    EXPECT_EQ(std::memcmp(&bank->programs[1], second.get(), sizeof(Program)), 0);
    EXPECT_EQ(bank->programFlags, 0);
    EXPECT_NE(std::memcmp(&bank->programs[0], &bank->programs[1], sizeof(Program)), 0);
}

TEST(ProgramFloats, IndexIsThePositionInTheRecord) {
    Program program;
    program.Store(0, 0.25f);
    program.Store(PersonIndex(3, 6), 0.75f);
    program.Store(736, 0.125f);  // person 59's par03, the float without a parameter index
    EXPECT_EQ(program.parPopulation, 0.25f);
    EXPECT_EQ(program.people[3].parPan, 0.75f);
    EXPECT_EQ(program.people[59].par03, 0.125f);
    EXPECT_EQ(program.Load(PersonIndex(3, 6)), 0.75f);
}

TEST(ProgramName, SetNameCutsToTwentySevenCharacters) {
    Program program;
    program.SetName("Stadium");
    EXPECT_STREQ(program.name, "Stadium");
    const std::string longName = "A very long crowd program name indeed";
    program.SetName(longName.c_str());
    EXPECT_EQ(std::string(program.name), longName.substr(0, 27));
    EXPECT_EQ(program.name[27], '\0');
    program.SetName(nullptr);
    EXPECT_EQ(std::string(program.name), longName.substr(0, 27));
    program.SetName("");
    EXPECT_STREQ(program.name, "");
}

class ProgramUpgrade : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 16 + kPersonFloats; ++i) old.values[i] = 0.001f * static_cast<float>(i);
        old.values[0] = 30.0f;
        old.values[1] = 15.0f;
        std::strcpy(old.name, "Old Choir");
        // Values the old record cannot carry, to see that they survive.
        program.Store(15, 0.15f);
        program.Store(16, 0.16f);
        for (int p = 0; p < kNumPeople; ++p)
            for (int field = 8; field < 12; ++field) program.Store(PersonIndex(p, field), 0.01f * field);
    }

    Program200 old;
    Program program;
};

TEST_F(ProgramUpgrade, PopulationAndSelectionAreRescaled) {
    program.Upgrade(&old);
    EXPECT_EQ(program.parPopulation, 0.5f);
    EXPECT_EQ(program.parPersonSelected, 0.5f);
}

TEST_F(ProgramUpgrade, GlobalsMoveAndTheNewOnesGetDefaults) {
    program.Store(12, 0.9f);
    program.Store(13, 0.9f);
    program.Upgrade(&old);
    for (int i = 2; i <= 11; ++i) EXPECT_EQ(program.Load(i), old.values[i]) << i;
    EXPECT_EQ(program.Load(14), old.values[14]);
    EXPECT_EQ(program.parAllpassSpread, 0.0f);
    EXPECT_EQ(program.parPitchAll, 0.5f);
    EXPECT_EQ(program.Load(15), 0.15f);
    EXPECT_EQ(program.Load(16), 0.16f);
}

TEST_F(ProgramUpgrade, PeopleMoveByOneFloatAndKeepTheirSpareFields) {
    program.Upgrade(&old);
    for (int p = 0; p < kNumPeople; ++p) {
        for (int field = 0; field < 8; ++field)
            ASSERT_EQ(program.Load(PersonIndex(p, field)), old.values[16 + 12 * p + field]) << p << "/" << field;
        for (int field = 8; field < 12; ++field)
            ASSERT_EQ(program.Load(PersonIndex(p, field)), 0.01f * field) << p << "/" << field;
    }
}

TEST_F(ProgramUpgrade, NamesAreCopiedOrBecomeInit) {
    program.Upgrade(&old);
    EXPECT_STREQ(program.name, "Old Choir");

    std::memset(old.name, 0, sizeof(old.name));
    program.SetName("Something");
    program.Upgrade(&old);
    EXPECT_STREQ(program.name, "Init");
    for (int i = 5; i < kProgramNameSize; ++i) EXPECT_EQ(program.name[i], '\0') << i;

    std::memset(old.name, 'Z', sizeof(old.name));  // no zero inside the field
    program.Upgrade(&old);
    EXPECT_EQ(std::string(program.name), std::string(27, 'Z'));
}

TEST_F(ProgramUpgrade, NoOldPopulationMeansTheFirstPerson) {
    old.values[0] = 0.0f;
    old.values[1] = 12.0f;
    program.Upgrade(&old);
    EXPECT_EQ(program.parPopulation, 0.0f);
    EXPECT_EQ(program.parPersonSelected, 0.0f);
}

TEST_F(ProgramUpgrade, ANullRecordChangesNothing) {
    const auto before = std::make_unique<Program>(program);
    program.Upgrade(nullptr);
    EXPECT_EQ(std::memcmp(before.get(), &program, sizeof(Program)), 0);
}

TEST(Program200Defaults, ZeroValuesAndInit) {
    Program200 old;
    for (float value : old.values) ASSERT_EQ(value, 0.0f);
    EXPECT_STREQ(old.name, "Init");
}

}  // namespace
