// What the writers, the bank fill and the single restore store, and what they must leave alone.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <memory>
#include <thread>

#include "FactoryBank.h"

namespace {

using Writer = void (*)(Program*);
const Writer kWriters[kNumPrograms] = {
    Preset00, Preset01, Preset02, Preset03, Preset04, Preset05, Preset06, Preset07,
    Preset08, Preset09, Preset10, Preset11, Preset12, Preset13, Preset14, Preset15,
    Preset16, Preset17, Preset18, Preset19, Preset20, Preset21, Preset22, Preset23,
};

constexpr int kFloats = kNumGlobals + kNumPeople * kFloatsPerPerson;
constexpr unsigned char kSentinelByte = 0xA5;  // 0xA5A5A5A5 is a finite float no writer stores

// Whether a writer owns float i: globals 0-6, 12 and 13, and fields 0-8 of every person.
bool Written(int i) {
    return i < kNumGlobals ? i <= 6 || i == 12 || i == 13 : (i - kNumGlobals) % kFloatsPerPerson <= 8;
}

// A bank of its own to edit, filled from fresh random defaults.
std::unique_ptr<ProgramData> FilledBank() { return std::make_unique<ProgramData>(FactoryBank()); }

TEST(PresetWriters, StoreTheirOwnFieldsAndNameAndNothingElse) {
    float sentinel;
    std::memset(&sentinel, kSentinelByte, sizeof sentinel);
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(n);
        Program program;
        std::memset(static_cast<void*>(&program), kSentinelByte, sizeof program);
        kWriters[n](&program);
        for (int i = 0; i < kFloats; ++i) EXPECT_EQ(program.Floats()[i] != sentinel, Written(i)) << "float " << i;
        const size_t length = strnlen(program.name, kProgramNameSize);
        ASSERT_LT(length, static_cast<size_t>(kProgramNameSize));
        for (size_t i = length + 1; i < kProgramNameSize; ++i)
            EXPECT_EQ(static_cast<unsigned char>(program.name[i]), kSentinelByte) << "name byte " << i;
    }
}

TEST(PresetBankFill, SetsTheVersionKeepsTheFlagsAndLeavesNoRandomValue) {
    auto first = std::make_unique<ProgramData>();
    first->programFlags = 0x1234;
    PresetPrograms(first.get());
    EXPECT_EQ(first->programVersion, 202);
    EXPECT_EQ(first->programFlags, 0x1234);
    // Every ProgramData draws fresh rand() values: after the fill two banks must be identical.
    first->programFlags = FactoryBank().programFlags;
    EXPECT_EQ(std::memcmp(first.get(), &FactoryBank(), sizeof(ProgramData)), 0);
}

TEST(PresetRestore, NullOrOutOfRangeTargetsChangeOnlyTheVersion) {
    auto bank = FilledBank();
    bank->programFlags = 0x1234;
    bank->programs[0].parRandLower = 0.25f;
    bank->programs[23].people[4].parPan = 0.125f;
    for (Writer writer : kWriters) writer(nullptr);
    PresetPrograms(nullptr);
    PresetOneProgram(nullptr, 0);
    for (int index : {24, -1, 25, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(index);
        bank->programVersion = 7;
        const auto before = std::make_unique<ProgramData>(*bank);
        PresetOneProgram(bank.get(), index);
        EXPECT_EQ(bank->programVersion, 202);
        EXPECT_EQ(bank->programFlags, 0x1234);
        EXPECT_EQ(std::memcmp(bank->programs, before->programs, sizeof bank->programs), 0);
    }
}

TEST(PresetRestore, EveryProgramGetsItsFactoryFieldsBackAndKeepsTheUsersOthers) {
    auto bank = FilledBank();
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(n);
        const Program& factory = FactoryBank().programs[n];
        Program& program = bank->programs[n];
        for (int i = 0; i < kFloats; ++i) program.Floats()[i] = 2.5f;  // e.g. from a chunk
        program.SetName("Brother Anselm's night choir");  // longer than any factory name
        bank->programVersion = 7;
        const auto before = std::make_unique<ProgramData>(*bank);

        PresetOneProgram(bank.get(), n);

        EXPECT_EQ(bank->programVersion, 202);
        for (int i = 0; i < kFloats; ++i)
            EXPECT_EQ(program.Floats()[i], Written(i) ? factory.Floats()[i] : 2.5f) << "float " << i;
        // The factory name and its zero; the bytes after it keep the user's, which no reader sees.
        EXPECT_STREQ(program.name, factory.name);
        const size_t tail = std::strlen(factory.name) + 1;
        EXPECT_EQ(std::memcmp(program.name + tail, before->programs[n].name + tail, kProgramNameSize - tail), 0);
        for (int m = 0; m < kNumPrograms; ++m)
            EXPECT_TRUE(m == n || std::memcmp(&bank->programs[m], &before->programs[m], sizeof(Program)) == 0) << m;
    }
}

TEST(PresetRestore, ReaderOnAnotherThreadSeesOnlyUserOrFactoryValues) {
    // The audio thread keeps reading the current program while the editor restores it.
    auto bank = FilledBank();
    Program& program = bank->programs[1];
    const int lower = 4, shift = kNumGlobals;  // parRandLower, person 0's pitch shift
    const float factoryLower = program.Load(lower), factoryShift = program.Load(shift);
    std::atomic<bool> done{false};
    int foreign = 0;
    std::thread reader([&] {
        while (!done.load(std::memory_order_acquire)) {
            const float a = program.Load(lower), b = program.Load(shift);
            foreign += (a != factoryLower && a != 0.75f) + (b != factoryShift && b != 0.0625f);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        program.Store(lower, 0.75f);
        program.Store(shift, 0.0625f);
        PresetOneProgram(bank.get(), 1);
    }
    done.store(true, std::memory_order_release);
    reader.join();
    EXPECT_EQ(foreign, 0);
}

}  // namespace
