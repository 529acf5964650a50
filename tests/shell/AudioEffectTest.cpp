// The VST 2.4 effect base and its extension: the record and its flags, the editor opcodes, the
// neutral defaults, the host-callback wrappers with and without a host, the speaker-arrangement
// utilities and the text formatters.
#include <cstdint>
#include <cstring>
#include <limits>
#include <tuple>

#include "TestHost.h"
#include "shell/AEffEditor.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// An editor whose answers show what the dispatcher passed on.
class ProbeEditor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;
    VstInt32 mouse(VstInt32 x, VstInt32 y) override { return x + y; }
    VstInt32 key(VstInt32 keyCode) override { return keyCode; }
    bool onKeyDown(VstKeyCode& keyCode) override { lastKey = keyCode; return true; }
    bool onKeyUp(VstKeyCode& keyCode) override { lastKey = keyCode; return false; }  // not used
    bool setKnobMode(VstInt32 mode) override { return mode == 2; }
    VstKeyCode lastKey{};
};

TEST(AudioEffectRecord, DefaultsAndFlagSettersThatSetAndClearOnlyTheirBit) {
    BareEffect effect;
    const AEffect* record = effect.getAeffect();
    EXPECT_EQ(std::tuple(record->magic, record->uniqueID, record->version, record->numInputs, record->numOutputs),
              std::tuple(0x56737450, 0x4E6F4566, 1, 1, 2));
    EXPECT_EQ(std::tuple(record->ioRatio, record->object, record->user, record->initialDelay, record->resvd1),
              std::tuple(1.0f, static_cast<void*>(&effect), nullptr, 0, 0));
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);

    using Setter = void (AudioEffectX::*)(bool);
    const std::pair<Setter, VstInt32> setters[] = {
        {&AudioEffectX::hasClip, 2},   {&AudioEffectX::hasVu, 4},                {&AudioEffectX::canMono, 8},
        {&AudioEffectX::isSynth, 256}, {&AudioEffectX::canProcessReplacing, 16}, {&AudioEffectX::programsAreChunks, 32},
        {&AudioEffectX::noTail, 512},  {&AudioEffectX::canDoubleReplacing, 4096}};
    for (const auto& [set, bit] : setters) {
        const VstInt32 before = effect.Flags();
        (effect.*set)(true);
        EXPECT_EQ(effect.Flags(), before | bit) << bit;
        (effect.*set)(false);
        EXPECT_EQ(effect.Flags(), before & ~bit) << bit;
    }
    ProbeEditor editor(&effect);
    effect.setEditor(&editor);
    EXPECT_EQ(effect.Flags(), effFlagsHasEditor);
    effect.setEditor(nullptr);  // taken back before the effect could delete it
    EXPECT_EQ(effect.Flags(), 0);
}

TEST(AudioEffectDispatcher, EditorOpcodesReachTheEditor) {
    BareEffect effect;
    AEffect* record = effect.getAeffect();
    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(std::tuple(Dispatch(record, effEditMouse, 30, 12), Dispatch(record, effEditKey, 0, 65),
                         Dispatch(record, effSetEditKnobMode, 0, 2)),
              std::tuple(42, 65, 1));
    // The key record: character from index, then the low bytes of value and of the modifier.
    EXPECT_EQ(Dispatch(record, effEditKeyDown, 'a', 0x1A5, nullptr, 3.0f), 1);
    const VstKeyCode& key = editor->lastKey;
    EXPECT_EQ(std::tuple(key.character, key.virt, key.modifier), std::tuple('a', 0xA5, 3));
    Dispatch(record, effEditKeyUp, 'b', 2, nullptr, 300.0f);
    EXPECT_EQ(editor->lastKey.modifier, 44);
    Dispatch(record, effEditKeyUp, 'b', 2, nullptr, 1.0e10f);
    EXPECT_EQ(editor->lastKey.modifier, 0);  // no int holds it: dropped rather than undefined
}

TEST(AudioEffectDispatcher, EveryOpcodeWithoutAnOverrideAnswersTheNeutralDefault) {
    BareEffect effect;
    AEffect* record = effect.getAeffect();
    void* buffer[64] = {};
    const std::map<VstInt32, VstIntPtr> nonZero = {
        {effCanBeAutomated, 1},        {effGetNumProgramCategories, 1}, {effConnectInput, 1},
        {effConnectOutput, 1},         {effSetBlockSizeAndSampleRate, 1}, {effKeysRequired, 1},
        {effGetVstVersion, 2400},      {effGetCurrentMidiProgram, -1},   {effIdentify, 0x4E764566}};
    for (VstInt32 opcode = effSetProgram; opcode <= 90; ++opcode) {
        const auto answer = nonZero.find(opcode);
        EXPECT_EQ(Dispatch(record, opcode, 0, 0, buffer), answer == nonZero.end() ? 0 : answer->second) << opcode;
    }
    EXPECT_EQ(Dispatch(record, effSetTotalSampleToProcess, 0, 777), 777);
    VstSpeakerArrangement arrangement{}, *in = &arrangement, *out = &arrangement;
    EXPECT_EQ(Dispatch(record, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_TRUE(in == nullptr && out == nullptr);
    effect.isSynth(true);
    EXPECT_EQ(Dispatch(record, effGetPlugCategory), 2);
}

int gObject;
char gText[64] = "text";
VstFileSelect gSelect;
VstEvents gEvents;

struct Wrapper {
    VstIntPtr (*call)(AudioEffectX&);
    VstInt32 opcode, index;
    VstIntPtr value;
    void* ptr;
    float opt;
    VstIntPtr answered, alone;  // the result with the host's answer, and without a host callback
    VstIntPtr hostAnswer = 7;
};
#define WRAP(expression) [](AudioEffectX& e) { return (VstIntPtr)(expression); }
const Wrapper kWrappers[] = {
    {WRAP((e.setParameterAutomated(2, 0.5f), 0)), audioMasterAutomate, 2, 0, nullptr, 0.5f, 0, 0},
    {WRAP(e.getMasterVersion()), audioMasterVersion, 0, 0, nullptr, 0.0f, 7, 1},
    {WRAP(e.getCurrentUniqueId()), audioMasterCurrentId, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP((e.masterIdle(), 0)), audioMasterIdle, 0, 0, nullptr, 0.0f, 0, 0},
    {WRAP(e.isInputConnected(1)), audioMasterPinConnected, 1, 0, nullptr, 0.0f, 0, 1},
    {WRAP(e.isOutputConnected(1)), audioMasterPinConnected, 1, 1, nullptr, 0.0f, 0, 1},
    {WRAP((e.wantEvents(1), 0)), audioMasterWantMidi, 0, 1, nullptr, 0.0f, 0, 0},
    {WRAP(e.getTimeInfo(0x2200)), audioMasterGetTime, 0, 0x2200, nullptr, 0.0f, 7, 0},
    {WRAP(e.sendVstEventsToHost(&gEvents)), audioMasterProcessEvents, 0, 0, &gEvents, 0.0f, 0, 0},
    {WRAP(e.tempoAt(4410)), audioMasterTempoAt, 0, 4410, nullptr, 0.0f, 7, 0},
    {WRAP(e.getNumAutomatableParameters()), audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.getParameterQuantization()), audioMasterGetParameterQuantization, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.ioChanged()), audioMasterIOChanged, 0, 0, nullptr, 0.0f, 1, 0},
    {WRAP(e.needIdle()), audioMasterNeedIdle, 0, 0, nullptr, 0.0f, 1, 0},
    {WRAP(e.sizeWindow(640, 480)), audioMasterSizeWindow, 640, 480, nullptr, 0.0f, 1, 0},
    {WRAP(e.updateBlockSize()), audioMasterGetBlockSize, 0, 0, nullptr, 0.0f, 7, 1024},
    {WRAP(e.getInputLatency()), audioMasterGetInputLatency, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.getOutputLatency()), audioMasterGetOutputLatency, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.getPreviousPlug(1)), audioMasterGetPreviousPlug, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.getNextPlug(1)), audioMasterGetNextPlug, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.willProcessReplacing()), audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.getCurrentProcessLevel()), audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.getAutomationState()), audioMasterGetAutomationState, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.offlineStart((VstAudioFile*)&gObject, 3, 2)), audioMasterOfflineStart, 2, 3, &gObject, 0.0f, 1, 0},
    {WRAP(e.offlineRead((VstOfflineTask*)&gObject, 4, true)), audioMasterOfflineRead, 1, 4, &gObject, 0.0f, 1, 0},
    {WRAP(e.offlineWrite((VstOfflineTask*)&gObject, 4)), audioMasterOfflineWrite, 0, 4, &gObject, 0.0f, 1, 0},
    {WRAP(e.offlineGetCurrentPass()), audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0.0f, 1, 0},
    {WRAP(e.offlineGetCurrentMetaPass()), audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0.0f, 1, 0},
    {WRAP((e.setOutputSamplerate(96000.0f), 0)), audioMasterSetOutputSampleRate, 0, 0, nullptr, 96000.0f, 0, 0},
    {WRAP(e.getOutputSpeakerArrangement()), audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.getHostVendorString(gText)), audioMasterGetVendorString, 0, 0, gText, 0.0f, 1, 0},
    {WRAP(e.getHostProductString(gText)), audioMasterGetProductString, 0, 0, gText, 0.0f, 1, 0},
    {WRAP(e.getHostVendorVersion()), audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.hostVendorSpecific(7, 8, &gObject, 0.5f)), audioMasterVendorSpecific, 7, 8, &gObject, 0.5f, 7, 0},
    {WRAP(e.canHostDo(gText)), audioMasterCanDo, 0, 0, gText, 0.0f, 1, 0},
    {WRAP(e.getHostLanguage()), audioMasterGetLanguage, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.openWindow(&gObject)), audioMasterOpenWindow, 0, 0, &gObject, 0.0f, 7, 0},
    {WRAP(e.closeWindow(&gObject)), audioMasterCloseWindow, 0, 0, &gObject, 0.0f, 1, 0},
    {WRAP(e.getDirectory()), audioMasterGetDirectory, 0, 0, nullptr, 0.0f, 7, 0},
    {WRAP(e.updateDisplay()), audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f, 1, 0},
    {WRAP(e.beginEdit(17)), audioMasterBeginEdit, 17, 0, nullptr, 0.0f, 1, 0},
    {WRAP(e.endEdit(17)), audioMasterEndEdit, 17, 0, nullptr, 0.0f, 1, 0},
    {WRAP(e.openFileSelector(&gSelect)), audioMasterOpenFileSelector, 0, 0, &gSelect, 0.0f, 1, 0},
    {WRAP(e.closeFileSelector(&gSelect)), audioMasterCloseFileSelector, 0, 0, &gSelect, 0.0f, 1, 0},
    {WRAP(e.getChunkFile(gText)), audioMasterGetChunkFile, 0, 0, gText, 0.0f, 1, 0},
    {WRAP(e.getInputSpeakerArrangement()), audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 0.0f, 7, 0},
    // Answers read in a particular way.
    {WRAP(e.getMasterVersion()), audioMasterVersion, 0, 0, nullptr, 0.0f, 1, 1, 0},
    {WRAP(e.isInputConnected(0)), audioMasterPinConnected, 0, 0, nullptr, 0.0f, 1, 1, 0},
    {WRAP(e.sendVstEventsToHost(&gEvents)), audioMasterProcessEvents, 0, 0, &gEvents, 0.0f, 1, 0, 1},  // 1 only
    {WRAP(e.updateBlockSize()), audioMasterGetBlockSize, 0, 0, nullptr, 0.0f, 7, 1024, -1},  // kept
    {WRAP(e.updateSampleRate()), audioMasterGetSampleRate, 0, 0, nullptr, 0.0f, 96000, 44100, 96000},
    {WRAP(e.updateSampleRate()), audioMasterGetSampleRate, 0, 0, nullptr, 0.0f, 96000, 44100, 0},  // kept
    {WRAP(e.updateSampleRate()), audioMasterGetSampleRate, 0, 0, nullptr, 0.0f, 96000, 44100, -48000},
};
#undef WRAP

TEST(HostCallbacks, EachSendsItsOpcodeAndArgumentsAndEachTakesAMissingHost) {
    TestHost host;
    BareEffect effect(TestHost::Callback), alone;
    for (const Wrapper& w : kWrappers) {
        host.calls.clear();
        host.answers[w.opcode] = w.hostAnswer;
        EXPECT_EQ(w.call(effect), w.answered) << w.opcode;
        EXPECT_EQ(w.call(alone), w.alone) << w.opcode;
        EXPECT_EQ(host.calls, std::vector{HostCall(effect.getAeffect(), w.opcode, w.index, w.value, w.ptr, w.opt)});
    }
    // Resume asks for events when the effect takes MIDI: a synth always does.
    host.calls.clear();
    effect.resume();
    effect.isSynth(true);
    effect.resume();
    EXPECT_EQ(host.calls, std::vector{HostCall(effect.getAeffect(), audioMasterWantMidi, 0, 1, nullptr, 0.0f)});
    // Automation stores the value before it tells the host.
    struct Recorder : BareEffect {
        using BareEffect::BareEffect;
        void setParameter(VstInt32, float) override { callsBefore = TestHost::current->calls.size(); }
        size_t callsBefore = 99;
    } recorder(TestHost::Callback);
    host.calls.clear();
    recorder.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(std::pair(recorder.callsBefore, host.calls.size()), std::pair(size_t{0}, size_t{1}));
}

TEST(SpeakerArrangement, AllocateCopyAndMatch) {
    BareEffect effect;
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, 3));
    const auto* bytes = reinterpret_cast<const unsigned char*>(source->speakers);
    EXPECT_TRUE(source->type == 0 && source->numChannels == 3);
    EXPECT_TRUE(std::all_of(bytes, bytes + 3 * sizeof(VstSpeakerProperties), [](unsigned char b) { return b == 0; }));
    // A second allocation frees the first block (the sanitizer run would report a leak).
    ASSERT_TRUE(effect.allocateArrangement(&source, 2));
    EXPECT_FALSE(effect.allocateArrangement(&source, -1));
    source->type = kSpeakerArrStereo;
    source->speakers[1] = {0.5f, -0.25f, 2.0f, 0.0f, {}, 2, {}};
    std::memset(source->speakers[1].name, 'N', sizeof(source->speakers[1].name));  // no zero anywhere
    std::strcpy(source->speakers[0].name, "Left");

    VstSpeakerArrangement* copy = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&copy, 5));
    ASSERT_TRUE(effect.matchArrangement(&copy, source));
    EXPECT_EQ(std::tuple(copy->type, copy->numChannels), std::tuple(kSpeakerArrStereo, 2));
    EXPECT_STREQ(copy->speakers[0].name, "Left");
    const VstSpeakerProperties& right = copy->speakers[1];
    EXPECT_TRUE(right.azimuth == 0.5f && right.elevation == -0.25f && right.radius == 2.0f && right.type == 2);
    EXPECT_EQ(std::strlen(right.name), 63u);  // the name is held to 63 characters and its zero
    EXPECT_FALSE(effect.matchArrangement(&copy, copy));  // would free its own source
    EXPECT_EQ(copy->numChannels, 2);
    EXPECT_TRUE(effect.deallocateArrangement(&copy) && effect.deallocateArrangement(&source));
    EXPECT_TRUE(copy == nullptr && source == nullptr);
}

TEST(TextFormat, FloatsIntegersDecibelsHertzAndMilliseconds) {
    BareEffect effect;
    char text[32] = {};
    // Each formatter writes into a buffer of 'x', so a missing zero or a write past maxLen shows.
    using Format = void (AudioEffect::*)(float, char*, VstInt32);
    auto run = [&](Format format, float value, VstInt32 maxLen = 8) {
        std::memset(text, 'x', sizeof(text) - 1);
        (effect.*format)(value, text, maxLen);
        return std::string(text);
    };
    const Format f = &AudioEffect::float2string, dB = &AudioEffect::dB2string, hz = &AudioEffect::Hz2string;
    const std::tuple<Format, float, const char*> cases[] = {
        {f, 1.5f, "1.500000"},        {f, -2.25f, "-2.25000"},      {f, 0.0f, "0.000000"},
        {f, 123.456f, "123.4560"},    {f, -0.5f, "-0.50000"},       {f, 0.7f, "0.700000"},  // rounded
        {f, 0.9999999f, "1.000000"},  {f, -9.999999f, "-10.0000"},  {f, 1234567.0f, "1234567."},
        {f, 12345678.0f, "2345678."}, {f, -9999999.0f, "-999999."}, {f, 100000000.0f, "Huge!"},
        {f, -10000000.0f, "Huge!"},   {f, kInf, "Huge!"},           {f, kNaN, "NaN"},
        {dB, 0.0f, "-oo"},            {dB, -1.0f, "-oo"},           {dB, 1.0f, "0.000000"},
        {dB, 10.0f, "20.00000"},      {hz, 441.0f, "100.0000"},     {hz, 0.0f, "0.000000"},
        {&AudioEffect::ms2string, 4410.0f, "100.0000"}};
    for (const auto& [format, value, expected] : cases) EXPECT_EQ(run(format, value), expected) << value;
    EXPECT_EQ(run(f, 1.5f, 3), "1.5");
    EXPECT_EQ(text[4], 'x');  // nothing written past the zero at maxLen
    EXPECT_EQ(run(f, 1.5f, -1), std::string(31, 'x'));
    const std::pair<VstInt32, const char*> ints[] = {{0, ""},           {7, "7"},         {-42, "-42"},
                                                     {1000, "1000"},    {99999999, "99999999"},
                                                     {100000000, "Huge!"}, {INT32_MIN, "Huge!"}};
    for (const auto& [value, expected] : ints) {
        effect.int2string(value, text, 8);
        EXPECT_STREQ(text, expected) << value;
    }
}

}  // namespace
