// The program record: defaults and the order of its random draws, the upgrade from the old
// layout, names cut to the field, and the bank's construction.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ProgramData.h"

namespace {

int PersonIndex(int person, int field) { return kNumGlobals + kFloatsPerPerson * person + field; }

const std::string kInitField = std::string("Init") + std::string(24, '\0');  // the whole 28-byte field

TEST(ProgramDefaults, GlobalsNameAndPeopleDrawnInOrderAndProgramByProgram) {
    std::srand(1234);
    auto bank = std::make_unique<ProgramData>();
    std::srand(1234);
    const float globals[kNumGlobals] = {0.5f, 0.0f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f,
                                        0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f};
    for (const Program& program : {bank->programs[0], bank->programs[1]}) {
        for (int i = 0; i < kNumGlobals; ++i) EXPECT_EQ(program.Load(i), globals[i]) << i;
        // Per person: seven values drawn in field order, then gain 0.5 and four zeros.
        for (int p = 0; p < kNumPeople; ++p)
            for (int field = 0; field < 12; ++field)
                ASSERT_EQ(program.Load(PersonIndex(p, field)),
                          field < 7 ? static_cast<float>(std::rand() & 0x7FFF) / 32768.0f : field == 7 ? 0.5f : 0.0f)
                    << p << "/" << field;
        EXPECT_EQ(std::string(program.name, sizeof(program.name)), kInitField);
    }
    EXPECT_EQ(bank->programFlags, 0);
    Program200 old;
    for (float value : old.values) ASSERT_EQ(value, 0.0f);
    EXPECT_STREQ(old.name, "Init");
}

TEST(ProgramFloats, IndexIsThePositionInTheRecordAndNamesAreCut) {
    Program program;
    program.Store(0, 0.25f);
    program.Store(PersonIndex(3, 6), 0.75f);
    program.Store(736, 0.125f);  // person 59's par03, the float without a parameter index
    EXPECT_EQ(program.parPopulation, 0.25f);
    EXPECT_EQ(program.people[3].parPan, 0.75f);
    EXPECT_EQ(program.people[59].par03, 0.125f);
    const std::string longName = "A very long crowd program name indeed";
    program.SetName(longName.c_str());
    program.SetName(nullptr);
    EXPECT_EQ(std::string(program.name), longName.substr(0, 27));
    program.SetName("");
    EXPECT_STREQ(program.name, "");
}

TEST(ProgramUpgrade, RescalesMovesKeepsWhatTheOldRecordLacksAndMendsWhatItCannotTake) {
    Program200 old;
    for (int i = 0; i < 16 + kNumPeople * kFloatsPerPerson; ++i) old.values[i] = 0.001f * static_cast<float>(i);
    old.values[0] = 30.0f;
    old.values[1] = 15.0f;
    std::strcpy(old.name, "Old Choir");
    Program program;  // with values the old record cannot carry, to see that they survive
    for (int i : {12, 13, 15, 16}) program.Store(i, 0.9f);
    for (int p = 0; p < kNumPeople; ++p)
        for (int field = 8; field < 12; ++field) program.Store(PersonIndex(p, field), 0.01f * field);
    program.Upgrade(&old);
    EXPECT_EQ(program.parPopulation, 0.5f);      // 30 people of 60
    EXPECT_EQ(program.parPersonSelected, 0.5f);  // person 15 of 30
    // 12 and 13 are new (defaults), 15 and 16 never came from the old record.
    for (int i = 2; i < kNumGlobals; ++i)
        EXPECT_EQ(program.Load(i), i == 12 ? 0.0f : i == 13 ? 0.5f : i >= 15 ? 0.9f : old.values[i]) << i;
    for (int p = 0; p < kNumPeople; ++p)
        for (int field = 0; field < 12; ++field)
            ASSERT_EQ(program.Load(PersonIndex(p, field)), field < 8 ? old.values[16 + 12 * p + field] : 0.01f * field)
                << p << "/" << field;
    EXPECT_STREQ(program.name, "Old Choir");

    // Names and populations that cannot be taken as they are.
    std::memset(old.name, 0, sizeof(old.name));
    program.SetName("Something longer");
    program.Upgrade(&old);
    EXPECT_EQ(std::string(program.name, sizeof(program.name)), kInitField);
    std::memset(old.name, 'Z', sizeof(old.name));  // no zero inside the field
    old.values[0] = 0.0f;                          // no people: the selection falls to the first person
    program.Upgrade(&old);
    EXPECT_EQ(std::string(program.name), std::string(27, 'Z'));
    EXPECT_EQ(program.parPopulation, 0.0f);
    EXPECT_EQ(program.parPersonSelected, 0.0f);
    const auto before = std::make_unique<Program>(program);
    program.Upgrade(nullptr);
    EXPECT_EQ(std::memcmp(before.get(), &program, sizeof(Program)), 0);
}

}  // namespace
