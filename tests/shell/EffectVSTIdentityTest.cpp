// What a host learns about the plug-in through the binary interface: the entry, identity,
// capabilities, pins, parameter and program names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TestHost.h"
#include "shell/EffectVST.h"

namespace {

std::string ParameterName(AEffect* effect, VstInt32 index) {
    char text[64];
    std::memset(text, 'x', sizeof(text));
    TestHost::Dispatch(effect, effGetParamName, index, 0, text);
    for (size_t i = 24; i < sizeof(text); ++i)
        if (text[i] != 'x') return "<wrote past 24 bytes>";
    if (std::memchr(text, '\0', 24) == nullptr) return "<no zero within 24 bytes>";
    return text;
}

TEST(PluginEntry, AHostAnsweringVersionZeroGetsNoPlugin) {
    TestHost host;
    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(CreateMurmurhallEffect(TestHost::Callback), nullptr);
    ASSERT_EQ(host.calls.size(), 1u);
    const HostCall& query = host.calls[0];
    EXPECT_EQ(query.effect, nullptr);
    EXPECT_EQ(query.opcode, audioMasterVersion);
    EXPECT_EQ(query.index, 0);
    EXPECT_EQ(query.value, 0);
    EXPECT_EQ(query.ptr, nullptr);
    EXPECT_EQ(query.opt, 0.0f);
    EXPECT_EQ(CreateMurmurhallEffect(nullptr), nullptr);
}

TEST(PluginEntry, EachCallMakesItsOwnInstanceAndCloseRemovesIt) {
    TestHost host;
    AEffect* first = CreateMurmurhallEffect(TestHost::Callback);
    AEffect* second = CreateMurmurhallEffect(TestHost::Callback);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->object, second->object);
    EXPECT_EQ(TestHost::Dispatch(first, effClose), 1);
    // The other instance is untouched by the first one's close.
    EXPECT_EQ(TestHost::Dispatch(second, effGetVendorVersion), 202);
    EXPECT_EQ(TestHost::Dispatch(second, effClose), 1);
}

TEST(PluginIdentity, RecordAndIdentityOpcodes) {
    TestHost host;
    LoadedEffect effect(host.Load());
    ASSERT_NE(effect.get(), nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, 0x5A756271);
    EXPECT_EQ(effect->numPrograms, 24);
    EXPECT_EQ(effect->numParams, 736);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, effFlagsHasEditor | effFlagsCanMono | effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(effect->flags & effFlagsCanDoubleReplacing, 0);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->ioRatio, 1.0f);

    char text[64] = {};
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Pondfrog");
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Murmurhall");
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetVendorVersion), 202);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetPlugCategory), 1);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetVstVersion), 2400);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effIdentify), 0x4E764566);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetNumProgramCategories), 1);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effKeysRequired), 1);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetVendorString, 0, 0, nullptr), 0);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetProductString, 0, 0, nullptr), 0);
    VstEvents events{};
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effProcessEvents, 0, 0, &events), 1);
}

TEST(PluginIdentity, CanDoAnswersOnlyTheFourExactStrings) {
    TestHost host;
    LoadedEffect effect(host.Load());
    for (const char* yes : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "acceptIOChanges"}) {
        std::string text = yes;
        EXPECT_EQ(TestHost::Dispatch(effect.get(), effCanDo, 0, 0, text.data()), 1) << yes;
    }
    for (const char* no : {"receiveVstEvents ", "receivevstevents", "sendVstMidiEvent", "bypass", "offline",
                           "receiveVstTimeInfo", "", "acceptIOChange"}) {
        std::string text = no;
        EXPECT_EQ(TestHost::Dispatch(effect.get(), effCanDo, 0, 0, text.data()), -1) << '"' << no << '"';
    }
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effCanDo, 0, 0, nullptr), -1);
}

TEST(PluginIdentity, PinsAreNumberedFromOneAndOnlyTwoExist) {
    TestHost host;
    LoadedEffect effect(host.Load());
    VstPinProperties pin;
    const char* inputs[] = {"ZQ_in 1 In", "ZQ_in 2 In"};
    const char* outputs[] = {"ZQ_out 1 In", "ZQ_out 2 In"};
    for (int i = 0; i < 2; ++i) {
        std::memset(&pin, 0x55, sizeof(pin));
        EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetInputProperties, i, 0, &pin), 1);
        EXPECT_STREQ(pin.label, inputs[i]);
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
        EXPECT_EQ(pin.arrangementType, kSpeakerArrStereo);

        std::memset(&pin, 0x55, sizeof(pin));
        EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetOutputProperties, i, 0, &pin), 1);
        EXPECT_STREQ(pin.label, outputs[i]);
        EXPECT_EQ(pin.flags, 3);
        EXPECT_EQ(pin.arrangementType, 0x55555555);  // the output answer leaves it as the host had it
    }
    for (VstInt32 bad : {2, 3, -1, 1 << 30}) {
        std::memset(&pin, 0x55, sizeof(pin));
        EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetInputProperties, bad, 0, &pin), 0);
        EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetOutputProperties, bad, 0, &pin), 0);
        const auto* bytes = reinterpret_cast<const unsigned char*>(&pin);
        for (size_t b = 0; b < sizeof(pin); ++b) ASSERT_EQ(bytes[b], 0x55) << "pin " << bad << " byte " << b;
    }
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetInputProperties, 0, 0, nullptr), 0);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetOutputProperties, 0, 0, nullptr), 0);
}

TEST(PluginParameters, EveryIndexHasAShortNameAndTheLabelAmount) {
    TestHost host;
    LoadedEffect effect(host.Load());
    EXPECT_EQ(ParameterName(effect.get(), 0), "Population");
    EXPECT_EQ(ParameterName(effect.get(), 4), "NONE");
    EXPECT_EQ(ParameterName(effect.get(), 17), "Pitch Shift 1");
    EXPECT_EQ(ParameterName(effect.get(), 19), "Pitch M. Speed 1");
    EXPECT_EQ(ParameterName(effect.get(), 731), "Pan 60");
    EXPECT_EQ(ParameterName(effect.get(), 17 + 12 * 59 + 2), "Pitch M. Speed 60");
    EXPECT_EQ(ParameterName(effect.get(), 736), "NONE");
    EXPECT_EQ(ParameterName(effect.get(), -1), "NONE");
    for (VstInt32 index = 0; index < 736; ++index) {
        const std::string name = ParameterName(effect.get(), index);
        ASSERT_FALSE(name.empty()) << index;
        ASSERT_LE(name.size(), 17u) << index << " " << name;
    }
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetParamName, 0, 0, nullptr), 0);

    char text[16] = "untouched";
    TestHost::Dispatch(effect.get(), effGetParamLabel, 5, 0, text);
    EXPECT_STREQ(text, "amount");
    std::strcpy(text, "untouched");
    TestHost::Dispatch(effect.get(), effGetParamDisplay, 5, 0, text);
    EXPECT_STREQ(text, "untouched");
}

TEST(PluginPrograms, IndexedNamesExistForTheTwentyFourPrograms) {
    TestHost host;
    LoadedEffect effect(host.Load());
    char current[32] = {};
    TestHost::Dispatch(effect.get(), effGetProgramName, 0, 0, current);
    char first[32] = {};
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetProgramNameIndexed, 0, 0, first), 1);
    EXPECT_STREQ(first, current);
    for (VstInt32 index = 0; index < 24; ++index) {
        char text[64];
        std::memset(text, 'x', sizeof(text));
        // The category travels in value and does not matter.
        ASSERT_EQ(TestHost::Dispatch(effect.get(), effGetProgramNameIndexed, index, 7, text), 1) << index;
        ASSERT_NE(std::memchr(text, '\0', 24), nullptr) << index;
        EXPECT_GT(std::strlen(text), 0u) << index;
        for (size_t i = 24; i < sizeof(text); ++i) ASSERT_EQ(text[i], 'x') << index;
    }
    char text[32] = "kept";
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetProgramNameIndexed, 24, 0, text), 0);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetProgramNameIndexed, 0, 0, nullptr), 0);
}

TEST(PluginPrograms, LongNamesAreCutForTheFieldAndForTheHost) {
    TestHost host;
    LoadedEffect effect(host.Load());
    TestHost::Dispatch(effect.get(), effSetProgram, 0, 3);
    std::string longName = "A crowd of forty voices in a hall of stone";
    TestHost::Dispatch(effect.get(), effSetProgramName, 0, 0, longName.data());

    char text[64];
    std::memset(text, 'x', sizeof(text));
    TestHost::Dispatch(effect.get(), effGetProgramName, 0, 0, text);
    EXPECT_EQ(std::string(text), longName.substr(0, 23));
    for (size_t i = 24; i < sizeof(text); ++i) ASSERT_EQ(text[i], 'x');
    std::memset(text, 'x', sizeof(text));
    TestHost::Dispatch(effect.get(), effGetProgramNameIndexed, 3, 0, text);
    EXPECT_EQ(std::string(text), longName.substr(0, 23));

    // The bank keeps all that the name field holds: 27 characters.
    void* data = nullptr;
    ASSERT_EQ(TestHost::Dispatch(effect.get(), effGetChunk, 1, 0, &data), 2976);
    const char* stored = static_cast<const char*>(data) + 2948;
    EXPECT_EQ(std::string(stored), longName.substr(0, 27));

    EXPECT_EQ(TestHost::Dispatch(effect.get(), effSetProgramName, 0, 0, nullptr), 0);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effGetProgramName, 0, 0, nullptr), 0);
}

}  // namespace
