// Chunks as a host saves and restores them: one program or the whole bank, the two old layouts,
// refused sizes, and bytes a host should never have sent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "ProgramData.h"
#include "TestHost.h"
#include "shell/EffectVST.h"

namespace {

constexpr VstInt32 kProgramBytes = 2976;
constexpr VstInt32 kOldProgramBytes = 2972;
constexpr VstInt32 kBankBytes = 71428;
constexpr VstInt32 kOldBankBytes = 71332;
constexpr size_t kNameOffset = 2948;
constexpr size_t kOldNameOffset = 2944;

using Bytes = std::vector<unsigned char>;

float FloatAt(const Bytes& bytes, size_t index) {
    float value;
    std::memcpy(&value, bytes.data() + 4 * index, sizeof(value));
    return value;
}

void PutFloat(Bytes& bytes, size_t index, float value) { std::memcpy(bytes.data() + 4 * index, &value, 4); }

class ShellChunks : public ::testing::Test {
protected:
    void SetUp() override {
        effect = host.Load();
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override { TestHost::Unload(effect); }

    Bytes GetChunk(bool preset) {
        void* data = nullptr;
        const VstIntPtr size = TestHost::Dispatch(effect, effGetChunk, preset ? 1 : 0, 0, &data);
        if (data == nullptr || size <= 0) return {};
        const auto* begin = static_cast<const unsigned char*>(data);
        return Bytes(begin, begin + size);
    }
    VstIntPtr SetChunk(Bytes& bytes, bool preset) {
        return TestHost::Dispatch(effect, effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(bytes.size()),
                                  bytes.data());
    }
    float Get(VstInt32 index) { return effect->getParameter(effect, index); }
    std::string ProgramName() {
        char text[32] = {};
        TestHost::Dispatch(effect, effGetProgramName, 0, 0, text);
        return text;
    }

    // An old program whose floats are easy to recognise: float i holds i / 1000 + offset.
    static Bytes OldProgram(float offset) {
        Bytes old(kOldProgramBytes, 0);
        for (size_t i = 0; i < 736; ++i) PutFloat(old, i, static_cast<float>(i) / 1000.0f + offset);
        PutFloat(old, 0, 30.0f);
        PutFloat(old, 1, 15.0f);
        std::strcpy(reinterpret_cast<char*>(old.data() + kOldNameOffset), "Old Hall");
        return old;
    }

    TestHost host;
    AEffect* effect = nullptr;
};

TEST_F(ShellChunks, GetChunkHandsOutTheCurrentProgramOrTheWholeBank) {
    TestHost::Dispatch(effect, effSetProgram, 0, 4);
    effect->setParameter(effect, 2, 0.375f);
    const Bytes program = GetChunk(true);
    ASSERT_EQ(program.size(), static_cast<size_t>(kProgramBytes));
    EXPECT_EQ(FloatAt(program, 2), 0.375f);
    EXPECT_EQ(FloatAt(program, 17), Get(17));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(program.data() + kNameOffset)), ProgramName());

    const Bytes bank = GetChunk(false);
    ASSERT_EQ(bank.size(), static_cast<size_t>(kBankBytes));
    uint16_t version;
    std::memcpy(&version, bank.data(), 2);
    EXPECT_EQ(version, 202);  // set by the factory fill
    EXPECT_EQ(std::memcmp(bank.data() + 4 + 4 * kProgramBytes, program.data(), kProgramBytes), 0);

    void* data = nullptr;
    EXPECT_EQ(TestHost::Dispatch(effect, effGetChunk, 1, 0, nullptr), 0);
    EXPECT_EQ(data, nullptr);
}

TEST_F(ShellChunks, ARoundTripLeavesTheBankAsItWasAndReappliesTheProgram) {
    TestHost::Dispatch(effect, effSetProgram, 0, 7);
    Bytes bank = GetChunk(false);
    host.Clear();
    EXPECT_EQ(SetChunk(bank, false), 1);
    EXPECT_EQ(GetChunk(false), bank);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 1);
    EXPECT_EQ(TestHost::Dispatch(effect, effGetProgram), 7);

    Bytes program = GetChunk(true);
    EXPECT_EQ(SetChunk(program, true), 1);
    EXPECT_EQ(GetChunk(true), program);

    // A host may hand back the very bytes it was given.
    void* data = nullptr;
    const VstIntPtr size = TestHost::Dispatch(effect, effGetChunk, 0, 0, &data);
    EXPECT_EQ(TestHost::Dispatch(effect, effSetChunk, 0, size, data), 1);
    EXPECT_EQ(GetChunk(false), bank);
}

TEST_F(ShellChunks, AProgramChunkReplacesOnlyTheCurrentProgram) {
    TestHost::Dispatch(effect, effSetProgram, 0, 2);
    const Bytes bankBefore = GetChunk(false);
    Bytes program = GetChunk(true);
    PutFloat(program, 2, 0.125f);
    PutFloat(program, 736, 0.875f);  // the float with no parameter index travels too
    std::memset(program.data() + kNameOffset, 0, 28);
    std::strcpy(reinterpret_cast<char*>(program.data() + kNameOffset), "Chunky");
    ASSERT_EQ(SetChunk(program, true), 1);
    EXPECT_EQ(Get(2), 0.125f);
    EXPECT_EQ(ProgramName(), "Chunky");
    const Bytes bankAfter = GetChunk(false);
    EXPECT_EQ(FloatAt(bankAfter, (4 + 2 * kProgramBytes) / 4 + 736), 0.875f);
    // Every other program is byte for byte what it was.
    for (int n = 0; n < 24; ++n) {
        if (n == 2) continue;
        const size_t start = 4 + static_cast<size_t>(n) * kProgramBytes;
        EXPECT_EQ(std::memcmp(bankAfter.data() + start, bankBefore.data() + start, kProgramBytes), 0) << n;
    }
}

TEST_F(ShellChunks, AnOldProgramIsUpgradedAndKeepsWhatItCannotCarry) {
    // Give the fields the old layout lacks values of our own first.
    Bytes program = GetChunk(true);
    PutFloat(program, 15, 0.15f);
    PutFloat(program, 16, 0.16f);
    for (int k = 0; k < 60; ++k)
        for (int j = 8; j < 12; ++j) PutFloat(program, 17 + 12 * k + j, 0.01f * static_cast<float>(j));
    ASSERT_EQ(SetChunk(program, true), 1);

    Bytes old = OldProgram(0.0f);
    ASSERT_EQ(SetChunk(old, true), 1);
    const Bytes now = GetChunk(true);
    EXPECT_EQ(FloatAt(now, 0), 0.5f);  // 30 people of 60
    EXPECT_EQ(FloatAt(now, 1), 0.5f);  // person 15 of 30
    for (size_t i : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14}) EXPECT_EQ(FloatAt(now, i), FloatAt(old, i)) << i;
    EXPECT_EQ(FloatAt(now, 12), 0.0f);
    EXPECT_EQ(FloatAt(now, 13), 0.5f);
    EXPECT_EQ(FloatAt(now, 15), 0.15f);
    EXPECT_EQ(FloatAt(now, 16), 0.16f);
    for (int k = 0; k < 60; ++k) {
        for (int j = 0; j < 8; ++j)
            ASSERT_EQ(FloatAt(now, 17 + 12 * k + j), FloatAt(old, 16 + 12 * k + j)) << k << "/" << j;
        for (int j = 8; j < 12; ++j) ASSERT_EQ(FloatAt(now, 17 + 12 * k + j), 0.01f * static_cast<float>(j));
    }
    EXPECT_EQ(ProgramName(), "Old Hall");
    EXPECT_EQ(Get(2), FloatAt(old, 2));  // the engine has the upgraded values
}

TEST_F(ShellChunks, AnOldProgramWithoutNameOrPopulationGetsSafeValues) {
    Bytes old = OldProgram(0.0f);
    std::memset(old.data() + kOldNameOffset, 0, 28);
    PutFloat(old, 0, 0.0f);
    ASSERT_EQ(SetChunk(old, true), 1);
    EXPECT_EQ(ProgramName(), "Init");
    EXPECT_EQ(Get(0), 0.0f);
    EXPECT_EQ(Get(1), 0.0f);  // no selection can be derived from no people
}

TEST_F(ShellChunks, AnOldBankUpgradesEveryProgramAndKeepsOurHeader) {
    Bytes bank = GetChunk(false);
    const uint16_t header[2] = {0x1234, 0x5678};
    std::memcpy(bank.data(), header, 4);
    ASSERT_EQ(SetChunk(bank, false), 1);  // the new layout replaces the header

    Bytes old(kOldBankBytes, 0);
    std::memset(old.data(), 0xEE, 4);
    for (int n = 0; n < 24; ++n) {
        const Bytes program = OldProgram(static_cast<float>(n));
        std::memcpy(old.data() + 4 + static_cast<size_t>(n) * kOldProgramBytes, program.data(), kOldProgramBytes);
    }
    ASSERT_EQ(SetChunk(old, false), 1);
    const Bytes now = GetChunk(false);
    EXPECT_EQ(std::memcmp(now.data(), header, 4), 0);
    for (int n = 0; n < 24; ++n) {
        const size_t base = (4 + static_cast<size_t>(n) * kProgramBytes) / 4;
        EXPECT_EQ(FloatAt(now, base + 0), 0.5f) << n;
        EXPECT_EQ(FloatAt(now, base + 2), 0.002f + static_cast<float>(n)) << n;
        EXPECT_EQ(FloatAt(now, base + 17), 0.016f + static_cast<float>(n)) << n;
        char name[32] = {};
        ASSERT_EQ(TestHost::Dispatch(effect, effGetProgramNameIndexed, n, 0, name), 1);
        EXPECT_STREQ(name, "Old Hall");
    }
}

TEST_F(ShellChunks, OtherSizesAreRefusedAndChangeNothing) {
    const Bytes before = GetChunk(false);
    host.Clear();
    for (VstInt32 size : {0, 1, 2975, 2977, 2973, 71427, 71429, 71331, 71333}) {
        Bytes junk(static_cast<size_t>(size), 0xAB);
        EXPECT_EQ(SetChunk(junk, true), 0) << size;
        EXPECT_EQ(SetChunk(junk, false), 0) << size;
    }
    Bytes bank(kBankBytes, 0);
    Bytes program(kProgramBytes, 0);
    EXPECT_EQ(SetChunk(bank, true), 0);  // a bank is not a program
    EXPECT_EQ(SetChunk(program, false), 0);
    EXPECT_EQ(TestHost::Dispatch(effect, effSetChunk, 1, -1, program.data()), 0);
    EXPECT_EQ(TestHost::Dispatch(effect, effSetChunk, 1, kProgramBytes, nullptr), 0);
    EXPECT_EQ(GetChunk(false), before);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);
}

TEST_F(ShellChunks, ChunkBytesAreReadOnlyForTheAcceptedSizeAndNeedNoAlignment) {
    // Exactly sized heap blocks: the sanitizer run reports any read past them.
    for (VstInt32 size : {kProgramBytes, kOldProgramBytes}) {
        Bytes source = size == kProgramBytes ? GetChunk(true) : OldProgram(0.0f);
        std::vector<unsigned char> shifted(source.size() + 1);
        std::memcpy(shifted.data() + 1, source.data(), source.size());
        auto* exact = new unsigned char[source.size()];
        std::memcpy(exact, source.data(), source.size());
        EXPECT_EQ(TestHost::Dispatch(effect, effSetChunk, 1, size, exact), 1) << size;
        EXPECT_EQ(TestHost::Dispatch(effect, effSetChunk, 1, size, shifted.data() + 1), 1) << size;
        delete[] exact;
    }
}

TEST_F(ShellChunks, NonFiniteFloatsRoundTripBitForBit) {
    Bytes damaged = GetChunk(true);
    PutFloat(damaged, 2, std::numeric_limits<float>::quiet_NaN());
    PutFloat(damaged, 17 + 6, std::numeric_limits<float>::infinity());
    PutFloat(damaged, 3, 0.25f);
    ASSERT_EQ(SetChunk(damaged, true), 1);
    EXPECT_EQ(GetChunk(true), damaged);
}

TEST_F(ShellChunks, ANameWithoutItsZeroIsEndedInsideTheField) {
    Bytes program = GetChunk(true);
    std::memset(program.data() + kNameOffset, 'A', 28);
    ASSERT_EQ(SetChunk(program, true), 1);
    EXPECT_EQ(ProgramName(), std::string(23, 'A'));
    const Bytes now = GetChunk(true);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(now.data() + kNameOffset)), std::string(27, 'A'));
}

}  // namespace
