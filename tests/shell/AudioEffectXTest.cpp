// The extended VST 2.4 effect: routing of opcodes 25..79, the defaults, the host-callback
// wrappers with and without a host, and the speaker-arrangement utilities.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ProbeEffect.h"
#include "TestHost.h"

namespace {

// Overrides nothing of the extended interface: its answers are the defaults.
class BareEffect : public AudioEffectX {
public:
    explicit BareEffect(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
    VstInt32 Flags() const { return cEffect.flags; }
};

VstIntPtr Dispatch(AudioEffect& effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = effect.getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

TEST(AudioEffectXDispatcher, EveryExtendedOpcodeReachesItsOperation) {
    ProbeEffect effect(nullptr);
    char buffer[256] = "receiveVstEvents";
    struct Route {
        VstInt32 opcode;
        const char* reached;  // nullptr: answered without a recorded call
        VstIntPtr result;
    };
    // index 3, value 5, opt 0.25 throughout.
    const Route routes[] = {
        {effProcessEvents, "processEvents", 7},
        {effCanBeAutomated, "canParameterBeAutomated(3)", 1},
        {effString2Parameter, "string2parameter(3)", 1},
        {effGetNumProgramCategories, nullptr, 1},
        {effGetProgramNameIndexed, "getProgramNameIndexed(5,3)", 1},  // category comes in value
        {effCopyProgram, "copyProgram(3)", 1},
        {effConnectInput, "inputConnected(3,1)", 1},
        {effConnectOutput, "outputConnected(3,1)", 1},
        {effGetInputProperties, "getInputProperties(3)", 1},
        {effGetOutputProperties, "getOutputProperties(3)", 1},
        {effGetPlugCategory, nullptr, 0},
        {effGetCurrentPosition, nullptr, 17},
        {effOfflineNotify, "offlineNotify(5,1)", 1},
        {effOfflinePrepare, "offlinePrepare(5)", 1},
        {effOfflineRun, "offlineRun(5)", 1},
        {effProcessVarIo, "processVariableIo", 1},
        {effSetBlockSizeAndSampleRate, "setBlockSizeAndSampleRate(5,0.25)", 1},
        {effSetBypass, "setBypass(1)", 1},
        {effGetEffectName, "getEffectName", 1},
        {effGetErrorText, "getErrorText", 1},
        {effGetVendorString, "getVendorString", 1},
        {effGetProductString, "getProductString", 1},
        {effGetVendorVersion, nullptr, 4321},
        {effVendorSpecific, "vendorSpecific(3,5,0.25)", 99},
        {effCanDo, "canDo(receiveVstEvents)", 0},
        {effGetTailSize, nullptr, 12},
        {effIdle, nullptr, 13},
        {effSetViewPosition, "setViewPosition(3,5)", 1},
        {effGetParameterProperties, "getParameterProperties(3)", 1},
        {effKeysRequired, nullptr, 1},  // keys not required: the opcode answers 1
        {effGetVstVersion, nullptr, 2400},
        {effGetMidiProgramName, "getMidiProgramName(3)", 3},
        {effGetCurrentMidiProgram, "getCurrentMidiProgram(3)", 4},
        {effGetMidiProgramCategory, "getMidiProgramCategory(3)", 5},
        {effHasMidiProgramsChanged, "hasMidiProgramsChanged(3)", 1},
        {effGetMidiKeyName, "getMidiKeyName(3)", 1},
        {effBeginSetProgram, "beginSetProgram", 1},
        {effEndSetProgram, "endSetProgram", 1},
        {effShellGetNextPlugin, "getNextShellPlugin", 6},
        {effStartProcess, "startProcess", 8},
        {effStopProcess, "stopProcess", 9},
        {effSetTotalSampleToProcess, nullptr, 5},
        {effSetPanLaw, "setPanLaw(5,0.25)", 1},
        {effBeginLoadBank, "beginLoadBank", 10},
        {effBeginLoadProgram, "beginLoadProgram", 11},
        {effSetProcessPrecision, "setProcessPrecision(5)", 1},
        {effGetNumMidiInputChannels, nullptr, 16},
        {effGetNumMidiOutputChannels, nullptr, 15},
    };
    for (const Route& route : routes) {
        effect.last.clear();
        EXPECT_EQ(Dispatch(effect, route.opcode, 3, 5, buffer, 0.25f), route.result) << route.opcode;
        if (route.reached != nullptr) {
            EXPECT_EQ(effect.last, route.reached) << route.opcode;
        }
    }
    EXPECT_EQ(Dispatch(effect, effGetDestinationBuffer), reinterpret_cast<VstIntPtr>(&effect.destination));
    EXPECT_EQ(Dispatch(effect, effGetIcon), reinterpret_cast<VstIntPtr>(&effect.destination));
    effect.canDoAnswer = -1;
    EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, buffer), -1);
    EXPECT_EQ(Dispatch(effect, effConnectInput, 1, 0), 1);
    EXPECT_EQ(effect.last, "inputConnected(1,0)");
}

TEST(AudioEffectXDispatcher, SpeakerArrangementsTravelInValueAndPtr) {
    ProbeEffect effect(nullptr);
    VstSpeakerArrangement in{}, out{};
    in.numChannels = 2;
    out.numChannels = 6;
    EXPECT_EQ(Dispatch(effect, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    EXPECT_EQ(effect.last, "setSpeakerArrangement(2,6)");

    VstSpeakerArrangement* inAnswer = &in;
    VstSpeakerArrangement* outAnswer = &out;
    EXPECT_EQ(Dispatch(effect, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inAnswer), &outAnswer), 0);
    EXPECT_EQ(inAnswer, nullptr);
    EXPECT_EQ(outAnswer, nullptr);
    EXPECT_EQ(Dispatch(effect, effGetSpeakerArrangement, 0, 0, nullptr), 0);  // nowhere to answer: no write
}

TEST(AudioEffectXDispatcher, NullBuffersAreRefusedBeforeTheOperation) {
    ProbeEffect effect(nullptr);
    for (VstInt32 opcode : {effGetProgramNameIndexed, effGetInputProperties, effGetOutputProperties,
                            effGetEffectName, effGetErrorText, effGetVendorString, effGetProductString,
                            effGetParameterProperties}) {
        const int before = effect.calls;
        EXPECT_EQ(Dispatch(effect, opcode, 0, 0, nullptr), 0) << opcode;
        EXPECT_EQ(effect.calls, before) << opcode;
    }
}

TEST(AudioEffectXDispatcher, OtherOpcodesReachTheBaseDispatcher) {
    ProbeEffect effect(nullptr, 8);
    Dispatch(effect, effSetProgram, 0, 6);
    EXPECT_EQ(Dispatch(effect, effGetProgram), 6);
    EXPECT_EQ(Dispatch(effect, effIdentify), 0x4E764566);
    EXPECT_EQ(Dispatch(effect, 80), 0);
    EXPECT_EQ(Dispatch(effect, 1000, 1, 1, nullptr, 1.0f), 0);
}

TEST(AudioEffectXDispatcher, KeyAndKnobOpcodesNeedAnEditor) {
    ProbeEffect effect(nullptr);
    EXPECT_EQ(Dispatch(effect, effEditKeyDown, 'a', 5, nullptr, 3.0f), 0);
    EXPECT_EQ(Dispatch(effect, effEditKeyUp, 'a', 5, nullptr, 3.0f), 0);
    EXPECT_EQ(Dispatch(effect, effSetEditKnobMode, 0, 2), 0);

    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(Dispatch(effect, effEditKeyDown, 'a', 0x105, nullptr, 3.0f), 1);
    EXPECT_EQ(editor->last, "onKeyDown");
    EXPECT_EQ(editor->lastKey.character, 'a');
    EXPECT_EQ(editor->lastKey.virt, 5);  // low byte only
    EXPECT_EQ(editor->lastKey.modifier, 3);
    EXPECT_EQ(Dispatch(effect, effEditKeyUp, 'b', 2, nullptr, 1.0e9f), 0);  // editor did not use it
    EXPECT_EQ(editor->last, "onKeyUp");
    EXPECT_EQ(editor->lastKey.character, 'b');
    EXPECT_EQ(editor->lastKey.modifier, 0);  // a modifier no byte can hold is dropped
    EXPECT_EQ(Dispatch(effect, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);
}

TEST(AudioEffectXDefaults, NeutralAnswersAndSynthCategory) {
    BareEffect effect(nullptr);
    char text[8] = "x";
    EXPECT_TRUE(effect.canParameterBeAutomated(0));
    EXPECT_FALSE(effect.string2parameter(0, text));
    EXPECT_FALSE(effect.getProgramNameIndexed(0, 0, text));
    EXPECT_EQ(effect.getVstVersion(), 2400);
    EXPECT_EQ(effect.getCurrentMidiProgram(0, nullptr), -1);
    EXPECT_EQ(effect.getNumCategories(), 1);
    EXPECT_EQ(effect.setTotalSampleToProcess(777), 777);
    EXPECT_EQ(effect.canDo(text), 0);
    EXPECT_EQ(Dispatch(effect, effKeysRequired), 1);
    EXPECT_EQ(effect.getPlugCategory(), 0);
    effect.isSynth(true);
    EXPECT_EQ(effect.getPlugCategory(), 2);
    EXPECT_EQ(effect.Flags() & effFlagsIsSynth, effFlagsIsSynth);
    effect.noTail(true);
    EXPECT_EQ(effect.Flags() & effFlagsNoSoundInStop, effFlagsNoSoundInStop);
}

TEST(AudioEffectXResume, AsksForEventsOnlyWhenItTakesMidi) {
    TestHost host;
    ProbeEffect effect(TestHost::Callback);
    effect.canDoAnswer = 1;
    effect.resume();
    EXPECT_EQ(effect.lastCanDo, "receiveVstMidiEvent");
    ASSERT_EQ(host.Count(audioMasterWantMidi), 1);
    EXPECT_EQ(host.calls.back().value, 1);

    host.Clear();
    effect.canDoAnswer = -1;
    effect.resume();
    EXPECT_EQ(host.Count(audioMasterWantMidi), 0);

    // A synth takes MIDI anyway, so it does not ask itself.
    effect.isSynth(true);
    effect.lastCanDo.clear();
    effect.resume();
    EXPECT_EQ(effect.lastCanDo, "");
    EXPECT_EQ(host.Count(audioMasterWantMidi), 1);
}

TEST(AudioEffectXHostCallbacks, EachWrapperSendsItsOpcodeAndArguments) {
    TestHost host;
    BareEffect effect(TestHost::Callback);
    int object = 0;
    char text[64] = "sizeWindow";
    struct Expect {
        VstInt32 opcode, index;
        VstIntPtr value;
        void* ptr;
        float opt;
    };
    auto check = [&](const Expect& e) {
        ASSERT_FALSE(host.calls.empty());
        const HostCall& call = host.calls.back();
        EXPECT_EQ(call.effect, effect.getAeffect());
        EXPECT_EQ(call.opcode, e.opcode);
        EXPECT_EQ(call.index, e.index) << e.opcode;
        EXPECT_EQ(call.value, e.value) << e.opcode;
        EXPECT_EQ(call.ptr, e.ptr) << e.opcode;
        EXPECT_EQ(call.opt, e.opt) << e.opcode;
    };
    effect.wantEvents(1);
    check({audioMasterWantMidi, 0, 1, nullptr, 0.0f});
    effect.getTimeInfo(0x2200);
    check({audioMasterGetTime, 0, 0x2200, nullptr, 0.0f});
    effect.tempoAt(4410);
    check({audioMasterTempoAt, 0, 4410, nullptr, 0.0f});
    effect.getNumAutomatableParameters();
    check({audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0.0f});
    effect.getParameterQuantization();
    check({audioMasterGetParameterQuantization, 0, 0, nullptr, 0.0f});
    effect.ioChanged();
    check({audioMasterIOChanged, 0, 0, nullptr, 0.0f});
    effect.needIdle();
    check({audioMasterNeedIdle, 0, 0, nullptr, 0.0f});
    effect.sizeWindow(640, 480);
    check({audioMasterSizeWindow, 640, 480, nullptr, 0.0f});
    effect.getInputLatency();
    check({audioMasterGetInputLatency, 0, 0, nullptr, 0.0f});
    effect.getOutputLatency();
    check({audioMasterGetOutputLatency, 0, 0, nullptr, 0.0f});
    effect.getPreviousPlug(1);
    check({audioMasterGetPreviousPlug, 0, 0, nullptr, 0.0f});
    effect.getNextPlug(1);
    check({audioMasterGetNextPlug, 0, 0, nullptr, 0.0f});
    effect.willProcessReplacing();
    check({audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0.0f});
    effect.getCurrentProcessLevel();
    check({audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f});
    effect.getAutomationState();
    check({audioMasterGetAutomationState, 0, 0, nullptr, 0.0f});
    effect.offlineStart(reinterpret_cast<VstAudioFile*>(&object), 3, 2);
    check({audioMasterOfflineStart, 2, 3, &object, 0.0f});
    effect.offlineRead(reinterpret_cast<VstOfflineTask*>(&object), 4, true);
    check({audioMasterOfflineRead, 1, 4, &object, 0.0f});
    effect.offlineWrite(reinterpret_cast<VstOfflineTask*>(&object), 4);
    check({audioMasterOfflineWrite, 0, 4, &object, 0.0f});
    effect.offlineGetCurrentPass();
    check({audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0.0f});
    effect.offlineGetCurrentMetaPass();
    check({audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0.0f});
    effect.setOutputSamplerate(96000.0f);
    check({audioMasterSetOutputSampleRate, 0, 0, nullptr, 96000.0f});
    effect.getOutputSpeakerArrangement();
    check({audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 0.0f});
    effect.getInputSpeakerArrangement();
    check({audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 0.0f});
    effect.getHostVendorString(text);
    check({audioMasterGetVendorString, 0, 0, text, 0.0f});
    effect.getHostProductString(text);
    check({audioMasterGetProductString, 0, 0, text, 0.0f});
    effect.getHostVendorVersion();
    check({audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f});
    effect.hostVendorSpecific(7, 8, &object, 0.5f);
    check({audioMasterVendorSpecific, 7, 8, &object, 0.5f});
    effect.canHostDo(text);
    check({audioMasterCanDo, 0, 0, text, 0.0f});
    effect.getHostLanguage();
    check({audioMasterGetLanguage, 0, 0, nullptr, 0.0f});
    effect.openWindow(&object);
    check({audioMasterOpenWindow, 0, 0, &object, 0.0f});
    effect.closeWindow(&object);
    check({audioMasterCloseWindow, 0, 0, &object, 0.0f});
    effect.getDirectory();
    check({audioMasterGetDirectory, 0, 0, nullptr, 0.0f});
    effect.updateDisplay();
    check({audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f});
    effect.beginEdit(17);
    check({audioMasterBeginEdit, 17, 0, nullptr, 0.0f});
    effect.endEdit(17);
    check({audioMasterEndEdit, 17, 0, nullptr, 0.0f});
    VstFileSelect select{};
    effect.openFileSelector(&select);
    check({audioMasterOpenFileSelector, 0, 0, &select, 0.0f});
    effect.closeFileSelector(&select);
    check({audioMasterCloseFileSelector, 0, 0, &select, 0.0f});
    effect.getChunkFile(text);
    check({audioMasterGetChunkFile, 0, 0, text, 0.0f});
    VstEvents events{};
    effect.sendVstEventsToHost(&events);
    check({audioMasterProcessEvents, 0, 0, &events, 0.0f});
    effect.updateSampleRate();
    check({audioMasterGetSampleRate, 0, 0, nullptr, 0.0f});
    effect.updateBlockSize();
    check({audioMasterGetBlockSize, 0, 0, nullptr, 0.0f});
}

TEST(AudioEffectXHostCallbacks, AnswersBecomeResults) {
    TestHost host;
    BareEffect effect(TestHost::Callback);
    VstTimeInfo time{};
    host.answers[audioMasterGetTime] = reinterpret_cast<VstIntPtr>(&time);
    EXPECT_EQ(effect.getTimeInfo(0), &time);
    host.answers[audioMasterUpdateDisplay] = 1;
    EXPECT_TRUE(effect.updateDisplay());
    host.answers[audioMasterUpdateDisplay] = 0;
    EXPECT_FALSE(effect.updateDisplay());
    host.answers[audioMasterTempoAt] = 1200000;
    EXPECT_EQ(effect.tempoAt(0), 1200000);
    host.answers[audioMasterBeginEdit] = 1;
    EXPECT_TRUE(effect.beginEdit(3));

    // Only an answer of exactly 1 means the host took the events.
    VstEvents events{};
    host.answers[audioMasterProcessEvents] = 2;
    EXPECT_FALSE(effect.sendVstEventsToHost(&events));
    host.answers[audioMasterProcessEvents] = 1;
    EXPECT_TRUE(effect.sendVstEventsToHost(&events));

    host.answers[audioMasterGetSampleRate] = 96000;
    EXPECT_EQ(effect.updateSampleRate(), 96000.0);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    for (VstIntPtr refused : {VstIntPtr{0}, VstIntPtr{-48000}}) {
        host.answers[audioMasterGetSampleRate] = refused;
        EXPECT_EQ(effect.updateSampleRate(), 96000.0);
    }
    host.answers[audioMasterGetBlockSize] = 128;
    EXPECT_EQ(effect.updateBlockSize(), 128);
    host.answers[audioMasterGetBlockSize] = -1;
    EXPECT_EQ(effect.updateBlockSize(), 128);
}

TEST(AudioEffectXHostCallbacks, NullPointersAreNotSentToTheHost) {
    TestHost host;
    BareEffect effect(TestHost::Callback);
    host.answers[audioMasterOpenFileSelector] = 1;
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.getChunkFile(nullptr));
    EXPECT_FALSE(effect.canHostDo(nullptr));
    EXPECT_FALSE(effect.getHostVendorString(nullptr));
    EXPECT_FALSE(effect.getHostProductString(nullptr));
    EXPECT_TRUE(host.calls.empty());
}

TEST(AudioEffectXHostCallbacks, WithoutACallbackEveryOneAnswersItsDefault) {
    BareEffect effect(nullptr);
    char text[64] = "x";
    VstFileSelect select{};
    VstEvents events{};
    effect.setBlockSizeAndSampleRate(256, 48000.0f);
    EXPECT_EQ(effect.getTimeInfo(0), nullptr);
    EXPECT_FALSE(effect.sendVstEventsToHost(&events));
    EXPECT_EQ(effect.tempoAt(0), 0);
    EXPECT_EQ(effect.getNumAutomatableParameters(), 0);
    EXPECT_EQ(effect.getParameterQuantization(), 0);
    EXPECT_FALSE(effect.ioChanged());
    EXPECT_FALSE(effect.needIdle());
    EXPECT_FALSE(effect.sizeWindow(1, 1));
    EXPECT_EQ(effect.updateSampleRate(), 48000.0);
    EXPECT_EQ(effect.updateBlockSize(), 256);
    EXPECT_EQ(effect.getInputLatency(), 0);
    EXPECT_EQ(effect.getOutputLatency(), 0);
    EXPECT_EQ(effect.getPreviousPlug(0), nullptr);
    EXPECT_EQ(effect.getNextPlug(0), nullptr);
    EXPECT_EQ(effect.willProcessReplacing(), 0);
    EXPECT_EQ(effect.getCurrentProcessLevel(), 0);
    EXPECT_EQ(effect.getAutomationState(), 0);
    EXPECT_FALSE(effect.offlineStart(nullptr, 0, 0));
    EXPECT_FALSE(effect.offlineRead(nullptr, 0));
    EXPECT_FALSE(effect.offlineWrite(nullptr, 0));
    EXPECT_EQ(effect.offlineGetCurrentPass(), 0);
    EXPECT_EQ(effect.offlineGetCurrentMetaPass(), 0);
    effect.setOutputSamplerate(44100.0f);
    EXPECT_EQ(effect.getOutputSpeakerArrangement(), nullptr);
    EXPECT_EQ(effect.getInputSpeakerArrangement(), nullptr);
    EXPECT_FALSE(effect.getHostVendorString(text));
    EXPECT_FALSE(effect.getHostProductString(text));
    EXPECT_EQ(effect.getHostVendorVersion(), 0);
    EXPECT_EQ(effect.hostVendorSpecific(1, 2, nullptr, 0.0f), 0);
    EXPECT_FALSE(effect.canHostDo(text));
    EXPECT_EQ(effect.getHostLanguage(), 0);
    EXPECT_EQ(effect.openWindow(nullptr), nullptr);
    EXPECT_FALSE(effect.closeWindow(nullptr));
    EXPECT_EQ(effect.getDirectory(), nullptr);
    EXPECT_FALSE(effect.updateDisplay());
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_FALSE(effect.endEdit(0));
    EXPECT_FALSE(effect.openFileSelector(&select));
    EXPECT_FALSE(effect.closeFileSelector(&select));
    EXPECT_FALSE(effect.getChunkFile(text));
    effect.wantEvents();
    effect.resume();
    EXPECT_EQ(text[0], 'x');
}

TEST(SpeakerArrangement, AllocateGivesAZeroedBlockOfTheChannelCount) {
    BareEffect effect(nullptr);
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 3));
    ASSERT_NE(arrangement, nullptr);
    EXPECT_EQ(arrangement->type, 0);
    EXPECT_EQ(arrangement->numChannels, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(arrangement->speakers[i].type, 0);
        EXPECT_EQ(arrangement->speakers[i].name[0], '\0');
    }
    // A second allocation frees the first block (the sanitizer run would report a leak).
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 1));
    EXPECT_EQ(arrangement->numChannels, 1);
    ASSERT_TRUE(effect.deallocateArrangement(&arrangement));
    EXPECT_EQ(arrangement, nullptr);

    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_FALSE(effect.deallocateArrangement(nullptr));
}

TEST(SpeakerArrangement, CopySpeakerHoldsTheNameTo63Characters) {
    BareEffect effect(nullptr);
    VstSpeakerProperties from{};
    from.azimuth = 0.5f;
    from.elevation = -0.25f;
    from.radius = 2.0f;
    from.type = 2;
    std::memset(from.name, 'N', sizeof(from.name));  // no zero anywhere
    VstSpeakerProperties to{};
    std::memset(&to, 0x7F, sizeof(to));
    ASSERT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_EQ(to.azimuth, 0.5f);
    EXPECT_EQ(to.elevation, -0.25f);
    EXPECT_EQ(to.radius, 2.0f);
    EXPECT_EQ(to.type, 2);
    EXPECT_EQ(std::strlen(to.name), 63u);
    EXPECT_FALSE(effect.copySpeaker(nullptr, &from));
    EXPECT_FALSE(effect.copySpeaker(&to, nullptr));
}

TEST(SpeakerArrangement, MatchCopiesTypeAndEverySpeaker) {
    BareEffect effect(nullptr);
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, 2));
    source->type = kSpeakerArrStereo;
    std::strcpy(source->speakers[0].name, "Left");
    source->speakers[0].type = 1;
    std::strcpy(source->speakers[1].name, "Right");
    source->speakers[1].type = 2;

    VstSpeakerArrangement* copy = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&copy, 5));
    ASSERT_TRUE(effect.matchArrangement(&copy, source));
    EXPECT_EQ(copy->type, kSpeakerArrStereo);
    EXPECT_EQ(copy->numChannels, 2);
    EXPECT_STREQ(copy->speakers[0].name, "Left");
    EXPECT_EQ(copy->speakers[0].type, 1);
    EXPECT_STREQ(copy->speakers[1].name, "Right");
    EXPECT_EQ(copy->speakers[1].type, 2);

    EXPECT_FALSE(effect.matchArrangement(nullptr, source));
    EXPECT_FALSE(effect.matchArrangement(&copy, nullptr));
    EXPECT_FALSE(effect.matchArrangement(&copy, copy));  // would free its own source
    EXPECT_EQ(copy->numChannels, 2);
    effect.deallocateArrangement(&copy);
    effect.deallocateArrangement(&source);
}

}  // namespace
