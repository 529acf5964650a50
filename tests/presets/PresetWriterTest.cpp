// What the writers, the bank fill and the single restore store, and what they must leave alone.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

#include "presets/FactoryPresets.h"

namespace {

using Writer = void (*)(Program*);
const Writer kWriters[kNumPrograms] = {
    Preset00, Preset01, Preset02, Preset03, Preset04, Preset05, Preset06, Preset07,
    Preset08, Preset09, Preset10, Preset11, Preset12, Preset13, Preset14, Preset15,
    Preset16, Preset17, Preset18, Preset19, Preset20, Preset21, Preset22, Preset23,
};

constexpr uint32_t kSentinel = 0xA5A5A5A5u;  // a finite float that no writer stores
constexpr unsigned char kSentinelByte = 0xA5;

uint32_t Bits(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

float FloatOf(uint32_t bits) {
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Globals that no writer may touch: the action and display slots and the two spares.
constexpr int kForeignGlobals[] = {7, 8, 9, 10, 11, 14, 15, 16};
constexpr int kWrittenGlobals[] = {0, 1, 2, 3, 4, 5, 6, 12, 13};

int PersonIndex(int person, int field) { return kNumGlobals + kFloatsPerPerson * person + field; }

std::unique_ptr<ProgramData> FactoryBank() {
    auto bank = std::make_unique<ProgramData>();
    PresetPrograms(bank.get());
    return bank;
}

TEST(PresetWriters, StoreOnlyTheirOwnFields) {
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(n);
        Program program;
        std::memset(static_cast<void*>(&program), kSentinelByte, sizeof program);
        kWriters[n](&program);
        const float* floats = program.Floats();

        for (int g : kForeignGlobals) EXPECT_EQ(Bits(floats[g]), kSentinel) << "global " << g;
        for (int g : kWrittenGlobals) EXPECT_NE(Bits(floats[g]), kSentinel) << "global " << g;
        for (int p = 0; p < kNumPeople; ++p) {
            for (int f = 0; f <= 8; ++f) EXPECT_NE(Bits(floats[PersonIndex(p, f)]), kSentinel) << p << ":" << f;
            for (int f = 9; f <= 11; ++f) EXPECT_EQ(Bits(floats[PersonIndex(p, f)]), kSentinel) << p << ":" << f;
        }

        const size_t length = std::strlen(program.name);
        ASSERT_LT(length, static_cast<size_t>(kProgramNameSize));
        for (size_t i = length + 1; i < kProgramNameSize; ++i)
            EXPECT_EQ(static_cast<unsigned char>(program.name[i]), kSentinelByte) << "name byte " << i;
    }
}

TEST(PresetWriters, NullTargetsAreRefusedWithoutSideEffects) {
    auto bank = FactoryBank();
    bank->programVersion = 7;
    const auto before = std::make_unique<ProgramData>(*bank);
    for (Writer writer : kWriters) writer(nullptr);
    PresetPrograms(nullptr);
    PresetOneProgram(nullptr, 0);
    PresetOneProgram(nullptr, 24);
    EXPECT_EQ(std::memcmp(bank.get(), before.get(), sizeof(ProgramData)), 0);
}

TEST(PresetBankFill, SetsVersionAndEveryProgramAndKeepsFlags) {
    auto bank = std::make_unique<ProgramData>();
    bank->programFlags = 0x1234;
    PresetPrograms(bank.get());
    EXPECT_EQ(bank->programVersion, 202);
    EXPECT_EQ(bank->programFlags, 0x1234);
    for (int n = 0; n < kNumPrograms; ++n) {
        Program expected;
        std::memcpy(&expected, &bank->programs[n], sizeof expected);
        kWriters[n](&expected);  // writing again over the filled program changes nothing
        EXPECT_EQ(std::memcmp(&expected, &bank->programs[n], sizeof expected), 0) << n;
        EXPECT_STRNE(bank->programs[n].name, "Init") << n;
    }
}

TEST(PresetBankFill, RandomDefaultsNeverSurviveTheFill) {
    // Each ProgramData draws fresh rand() values; after the fill two banks must be identical.
    auto first = FactoryBank();
    auto second = FactoryBank();
    EXPECT_EQ(std::memcmp(first.get(), second.get(), sizeof(ProgramData)), 0);
}

TEST(PresetRestore, OutOfRangeIndexChangesOnlyTheVersion) {
    for (int index : {24, -1, 25, 1000, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(index);
        auto bank = FactoryBank();
        bank->programVersion = 7;
        bank->programs[0].parRandLower = 0.25f;
        bank->programs[23].people[4].parPan = 0.125f;
        auto before = std::make_unique<ProgramData>(*bank);
        PresetOneProgram(bank.get(), index);
        EXPECT_EQ(bank->programVersion, 202);
        EXPECT_EQ(bank->programFlags, before->programFlags);
        EXPECT_EQ(std::memcmp(bank->programs, before->programs, sizeof bank->programs), 0);
    }
}

TEST(PresetRestore, WriterFieldsComeBackOthersStayAsTheUserLeftThem) {
    auto bank = FactoryBank();
    const auto factory = FactoryBank();
    Program& program = bank->programs[3];
    program.parRandLower = 0.9f;
    program.Floats()[7] = 0.75f;  // preset-menu slot
    program.parPitchAll = 0.1f;
    program.people[5].parPitchShift = 0.1f;
    program.people[5].par00 = 0.3f;
    program.people[5].par01 = 0.3f;
    bank->programs[4].parRandLower = 0.9f;  // another program: not restored
    const auto before = std::make_unique<ProgramData>(*bank);

    PresetOneProgram(bank.get(), 3);

    EXPECT_EQ(program.parRandLower, 0.165f);
    EXPECT_EQ(program.Floats()[7], 0.75f);
    EXPECT_EQ(program.parPitchAll, 0.5f);
    EXPECT_EQ(program.people[5].parPitchShift, factory->programs[3].people[5].parPitchShift);
    EXPECT_EQ(program.people[5].par00, factory->programs[3].people[5].par00);
    EXPECT_EQ(program.people[5].par01, 0.3f);
    EXPECT_EQ(bank->programs[4].parRandLower, 0.9f);
    for (int n = 0; n < kNumPrograms; ++n) {
        if (n == 3) continue;
        EXPECT_EQ(std::memcmp(&bank->programs[n], &before->programs[n], sizeof(Program)), 0) << n;
    }
}

TEST(PresetRestore, EveryProgramComesBackExactlyAfterItsValuesWereScrambled) {
    const auto factory = FactoryBank();
    auto bank = FactoryBank();
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(n);
        Program& program = bank->programs[n];
        for (int g : kWrittenGlobals) program.Floats()[g] = FloatOf(kSentinel);
        for (int p = 0; p < kNumPeople; ++p)
            for (int f = 0; f <= 8; ++f) program.Floats()[PersonIndex(p, f)] = 0.123457f;
        program.SetName("Scrambled");
        PresetOneProgram(bank.get(), n);
        // Every float; the name only up to its zero, since the bytes after it keep "Scrambled".
        EXPECT_EQ(std::memcmp(program.Floats(), factory->programs[n].Floats(), offsetof(Program, name)), 0);
        EXPECT_STREQ(program.name, factory->programs[n].name);
    }
}

TEST(PresetRestore, LongerUserNameLeavesFactoryNameThenZeroThenOldBytes) {
    auto bank = FactoryBank();
    Program& program = bank->programs[0];
    const char* userName = "Brother Anselm's night choir";  // 28 characters: cut to 27
    program.SetName(userName);
    ASSERT_EQ(std::strlen(program.name), 27u);
    char old[kProgramNameSize];
    std::memcpy(old, program.name, sizeof old);

    PresetOneProgram(bank.get(), 0);

    EXPECT_STREQ(program.name, "1 Many Monks");
    const size_t length = std::strlen("1 Many Monks");
    EXPECT_EQ(program.name[length], '\0');
    EXPECT_EQ(std::memcmp(program.name + length + 1, old + length + 1, kProgramNameSize - length - 1), 0);
    EXPECT_EQ(program.name[kProgramNameSize - 1], '\0');
}

TEST(PresetRestore, ReaderOnAnotherThreadSeesOnlyUserOrFactoryValues) {
    // The audio thread keeps reading the current program while the editor restores it.
    auto bank = FactoryBank();
    Program& program = bank->programs[1];
    const int lower = 4;                    // parRandLower: factory 0.21
    const int shift = kNumGlobals + 0;      // person 0's pitch shift
    const float factoryShift = program.Load(shift);
    std::atomic<bool> done{false};
    int foreign = 0;
    std::thread reader([&] {
        while (!done.load(std::memory_order_acquire)) {
            const float a = program.Load(lower);
            const float b = program.Load(shift);
            foreign += (a != 0.21f && a != 0.75f) + (b != factoryShift && b != 0.0625f);
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
    EXPECT_EQ(program.Load(lower), 0.21f);
    EXPECT_EQ(program.Load(shift), factoryShift);
}

}  // namespace
