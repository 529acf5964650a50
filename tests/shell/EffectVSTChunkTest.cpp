// Chunks as a host saves and restores them (one program or the whole bank, the two old layouts,
// refused sizes), and null pointers wherever a host or the editor could pass one.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <tuple>

#include "TestHost.h"

namespace {

constexpr size_t kProgramBytes = 2976, kOldProgramBytes = 2972, kBankBytes = 71428, kOldBankBytes = 71332;
constexpr size_t kNameOffset = 2948, kOldNameOffset = 2944;

float FloatAt(const Bytes& bytes, size_t index) {
    float value;
    std::memcpy(&value, bytes.data() + 4 * index, sizeof(value));
    return value;
}

void PutFloat(Bytes& bytes, size_t index, float value) { std::memcpy(bytes.data() + 4 * index, &value, 4); }

// An old program whose floats are easy to recognise: float i holds i / 1000 + offset.
Bytes OldProgram(float offset) {
    Bytes old(kOldProgramBytes, 0);
    for (size_t i = 0; i < 736; ++i) PutFloat(old, i, static_cast<float>(i) / 1000.0f + offset);
    PutFloat(old, 0, 30.0f);
    PutFloat(old, 1, 15.0f);
    std::strcpy(reinterpret_cast<char*>(old.data() + kOldNameOffset), "Old Hall");
    return old;
}

TEST_F(ShellTest, ChunksHandOutTheCurrentProgramOrTheBankAndRoundTripBitForBit) {
    Call(effSetProgram, 0, 4);
    const Bytes before = GetChunk(0);
    ASSERT_EQ(before.size(), kBankBytes);
    EXPECT_EQ(before[0] | before[1] << 8, 202);  // the version, set by the factory fill
    Bytes program = GetChunk(7);  // any index but 0 asks for the current program
    ASSERT_EQ(program.size(), kProgramBytes);
    EXPECT_TRUE(std::equal(program.begin(), program.end(), before.begin() + 4 + 4 * kProgramBytes));

    PutFloat(program, 2, std::numeric_limits<float>::quiet_NaN());
    PutFloat(program, 736, -std::numeric_limits<float>::infinity());  // the float with no parameter index too
    const uint32_t payloadNaN = 0x7FA00001;  // a signalling NaN with a payload
    std::memcpy(program.data() + 4 * 3, &payloadNaN, 4);
    std::memset(program.data() + kNameOffset, 'A', 28);  // a name without its zero is ended inside the field
    shell->notes.clear();
    host.calls.clear();
    ASSERT_EQ(SetChunk(program, 1), 1);
    EXPECT_TRUE(std::isnan(Get(2)));
    EXPECT_EQ(static_cast<int>(shell->notes.size()), 736 - 5);  // the program is applied again
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 1);
    program[kNameOffset + 27] = '\0';
    Bytes expected = before;  // the other programs are byte for byte what they were
    std::copy(program.begin(), program.end(), expected.begin() + 4 + 4 * kProgramBytes);
    EXPECT_EQ(GetChunk(0), expected);
    EXPECT_EQ(Program(), 4);

    // Banks too, the header included; a host may also hand back the very bytes it was given.
    const unsigned char header[4] = {0x34, 0x12, 0x78, 0x56};
    std::copy(header, header + 4, expected.begin());
    PutFloat(expected, 1 + 5 * kProgramBytes / 4 + 2, std::numeric_limits<float>::quiet_NaN());
    ASSERT_EQ(SetChunk(expected, 0), 1);
    EXPECT_EQ(GetChunk(0), expected);
    void* data = nullptr;
    const VstIntPtr size = Call(effGetChunk, 0, 0, &data);
    EXPECT_EQ(Call(effSetChunk, 0, size, data), 1);
    EXPECT_EQ(GetChunk(0), expected);
}

TEST_F(ShellTest, OldProgramsAndBanksAreUpgraded) {
    Bytes program = GetChunk(1);
    PutFloat(program, 15, 0.15f);  // values the old layout cannot carry keep theirs
    PutFloat(program, 17 + 8, 0.08f);
    ASSERT_EQ(SetChunk(program, 1), 1);
    Bytes old = OldProgram(0.0f);
    ASSERT_EQ(SetChunk(old, 1), 1);
    const Bytes now = GetChunk(1);
    EXPECT_EQ(std::tuple(FloatAt(now, 0), FloatAt(now, 1)), std::tuple(0.5f, 0.5f));  // 30 of 60; 15 of 30
    EXPECT_EQ(std::tuple(FloatAt(now, 2), FloatAt(now, 17 + 12 * 59 + 7)),
              std::tuple(FloatAt(old, 2), FloatAt(old, 16 + 12 * 59 + 7)));
    EXPECT_EQ(std::tuple(FloatAt(now, 15), FloatAt(now, 17 + 8)), std::tuple(0.15f, 0.08f));
    EXPECT_EQ(std::string(shell->engine->bank.programs[0].name), "Old Hall");
    EXPECT_EQ(Get(2), FloatAt(old, 2));  // the engine has the upgraded values

    const Bytes header = GetChunk(0);
    Bytes oldBank(kOldBankBytes, 0xEE);  // its header is ignored; ours stays
    for (size_t n = 0; n < 24; ++n) {
        const Bytes record = OldProgram(static_cast<float>(n));
        std::copy(record.begin(), record.end(), oldBank.begin() + 4 + n * kOldProgramBytes);
    }
    ASSERT_EQ(SetChunk(oldBank, 0), 1);
    const Bytes bank = GetChunk(0);
    EXPECT_TRUE(std::equal(header.begin(), header.begin() + 4, bank.begin()));
    for (size_t n = 0; n < 24; ++n) {
        const size_t base = (4 + n * kProgramBytes) / 4;
        EXPECT_EQ(std::tuple(FloatAt(bank, base), FloatAt(bank, base + 2), FloatAt(bank, base + 17)),
                  std::tuple(0.5f, 0.002f + n, 0.016f + n)) << n;
        EXPECT_EQ(std::string(shell->engine->bank.programs[n].name), "Old Hall") << n;
    }
}

TEST_F(ShellTest, OtherSizesAreRefusedAndChunksAreReadOnlyForTheirSize) {
    const Bytes before = GetChunk(0);
    for (size_t size : {size_t{0}, size_t{1}, kProgramBytes - 1, kProgramBytes + 1, kOldProgramBytes + 1,
                        kBankBytes - 1, kBankBytes + 1, kOldBankBytes - 1, kOldBankBytes + 1}) {
        Bytes junk(size, 0xAB);
        EXPECT_EQ(SetChunk(junk, 1), 0) << size;
        EXPECT_EQ(SetChunk(junk, 0), 0) << size;
    }
    Bytes program(kProgramBytes, 0), bank(kBankBytes, 0);
    EXPECT_EQ(SetChunk(program, 0), 0);  // a program is no bank, nor a bank a program
    EXPECT_EQ(SetChunk(bank, 1), 0);
    EXPECT_EQ(Call(effSetChunk, 1, -1, program.data()), 0);
    EXPECT_EQ(Call(effSetChunk, 1, (VstIntPtr{1} << 32) + 2976, program.data()), 0);  // no wrap to 2976
    EXPECT_EQ(GetChunk(0), before);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);

    // Exactly sized heap blocks, at any alignment: the sanitizer run reports a read past them.
    for (size_t size : {kProgramBytes, kOldProgramBytes}) {
        const Bytes source = size == kProgramBytes ? GetChunk(1) : OldProgram(0.0f);
        auto exact = std::make_unique<unsigned char[]>(size);
        Bytes shifted(size + 1);
        std::copy(source.begin(), source.end(), exact.get());
        std::copy(source.begin(), source.end(), shifted.begin() + 1);
        EXPECT_EQ(Call(effSetChunk, 1, static_cast<VstIntPtr>(size), exact.get()), 1) << size;
        EXPECT_EQ(Call(effSetChunk, 1, static_cast<VstIntPtr>(size), shifted.data() + 1), 1) << size;
    }
    EXPECT_EQ(std::string(shell->engine->bank.programs[0].name), "Old Hall");
}

TEST_F(ShellTest, NullPointersAreRefusedEverywhere) {
    BareEffect bare(TestHost::Callback);
    const Bytes bank = GetChunk(0);
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
                            effGetParamName, effEditGetRect, effGetChunk, effSetChunk, effGetProgramNameIndexed,
                            effGetInputProperties, effGetOutputProperties, effGetEffectName, effGetErrorText,
                            effGetVendorString, effGetProductString, effGetParameterProperties})
        EXPECT_EQ(Call(opcode, 1, 2976, nullptr), 0) << opcode;
    EXPECT_EQ(Call(effCanDo), -1);
    VstSpeakerArrangement* arrangement = nullptr;
    VstSpeakerProperties speaker{};
    AEffect orphan{};
    const std::function<bool()> calls[] = {
        // The shell's own operations, for callers that are not the dispatcher.
        [&] { return shell->getChunk(nullptr, true) != 0 || shell->setChunk(nullptr, 2976, true) != 0; },
        [&] { return shell->getProgramNameIndexed(0, 0, nullptr) || shell->canDo(nullptr) != -1; },
        [&] { return shell->getInputProperties(0, nullptr) || shell->getOutputProperties(0, nullptr) ||
                     shell->getVendorString(nullptr) || shell->getProductString(nullptr); },
        [&] {
            shell->getProgramName(nullptr);
            shell->setProgramName(nullptr);
            shell->getParameterName(0, nullptr);
            shell->getParameterLabel(0, nullptr);
            bare.float2string(1.0f, nullptr, 8);
            bare.int2string(1, nullptr, 8);
            bare.dB2string(0.0f, nullptr, 8);
            AudioEffect::setParameterClass(nullptr, 0, 1.0f);
            AudioEffect::processClassReplacing(&orphan, nullptr, nullptr, 16);
            AudioEffect::processClass(nullptr, nullptr, nullptr, 16);
            AudioEffect::processClassDoubleReplacing(&orphan, nullptr, nullptr, 16);
            return AudioEffect::getParameterClass(&orphan, 0) != 0.0f;
        },
        // Host callbacks that would hand the host a null pointer, and the speaker utilities.
        [&] { return bare.openFileSelector(nullptr) || bare.closeFileSelector(nullptr) || bare.getChunkFile(nullptr); },
        [&] { return bare.canHostDo(nullptr) || bare.getHostVendorString(nullptr) ||
                     bare.getHostProductString(nullptr); },
        [&] { return bare.allocateArrangement(nullptr, 2) || bare.deallocateArrangement(nullptr) ||
                     bare.copySpeaker(nullptr, &speaker) || bare.copySpeaker(&speaker, nullptr); },
        [&] { return bare.matchArrangement(nullptr, arrangement) || bare.matchArrangement(&arrangement, nullptr); },
        // The static dispatcher, given no record or a record without its object.
        [&] { return AudioEffect::dispatchEffectClass(nullptr, effClose, 0, 0, nullptr, 0.0f) != 0; },
        [&] { return AudioEffect::dispatchEffectClass(&orphan, effGetProgram, 0, 0, nullptr, 0.0f) != 0; },
    };
    for (size_t i = 0; i < std::size(calls); ++i) EXPECT_FALSE(calls[i]()) << "call " << i;
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(shell->notes.empty());
    EXPECT_EQ(GetChunk(0), bank);
}

}  // namespace
