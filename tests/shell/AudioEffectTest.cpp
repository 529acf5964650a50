// The VST 2.4 effect base: the record it hands out, the core dispatcher, the static entries,
// the basic host callbacks and the text formatters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "ProbeEffect.h"
#include "TestHost.h"

namespace {

VstIntPtr Dispatch(ProbeEffect& effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = effect.getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

TEST(AudioEffectRecord, ConstructorFillsTheRecordItHandsOut) {
    ProbeEffect effect(nullptr, 4, 3);
    const AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->dispatcher, &AudioEffect::dispatchEffectClass);
    EXPECT_EQ(record->process, &AudioEffect::processClass);
    EXPECT_EQ(record->setParameter, &AudioEffect::setParameterClass);
    EXPECT_EQ(record->getParameter, &AudioEffect::getParameterClass);
    EXPECT_EQ(record->processReplacing, &AudioEffect::processClassReplacing);
    EXPECT_EQ(record->processDoubleReplacing, &AudioEffect::processClassDoubleReplacing);
    EXPECT_EQ(record->numPrograms, 4);
    EXPECT_EQ(record->numParams, 3);
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->realQualities, 0);
    EXPECT_EQ(record->offQualities, 0);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(record->object, &effect);
    EXPECT_EQ(record->user, nullptr);
    EXPECT_EQ(record->uniqueID, 0x4E6F4566);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->resvd1, 0);
    EXPECT_EQ(record->resvd2, 0);
    for (char byte : record->future) EXPECT_EQ(byte, 0);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
    EXPECT_EQ(effect.getEditor(), nullptr);
}

TEST(AudioEffectRecord, FlagSettersSetAndClearTheirOwnBitOnly) {
    ProbeEffect effect(nullptr);
    struct Setter {
        void (*apply)(ProbeEffect&, bool);
        VstInt32 bit;
    };
    const Setter setters[] = {
        {[](ProbeEffect& e, bool s) { e.hasClip(s); }, 2},
        {[](ProbeEffect& e, bool s) { e.hasVu(s); }, 4},
        {[](ProbeEffect& e, bool s) { e.canMono(s); }, 8},
        {[](ProbeEffect& e, bool s) { e.canProcessReplacing(s); }, 16},
        {[](ProbeEffect& e, bool s) { e.programsAreChunks(s); }, 32},
        {[](ProbeEffect& e, bool s) { e.isSynth(s); }, 256},
        {[](ProbeEffect& e, bool s) { e.noTail(s); }, 512},
        {[](ProbeEffect& e, bool s) { e.canDoubleReplacing(s); }, 4096},
    };
    for (const Setter& setter : setters) {
        const VstInt32 before = effect.Flags();
        setter.apply(effect, true);
        EXPECT_EQ(effect.Flags(), before | setter.bit) << setter.bit;
        setter.apply(effect, false);
        EXPECT_EQ(effect.Flags(), before & ~setter.bit) << setter.bit;
    }

    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(effect.Flags() & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(effect.getEditor(), editor);
    effect.setEditor(nullptr);
    EXPECT_EQ(effect.Flags() & effFlagsHasEditor, 0);
    delete editor;

    effect.setUniqueID(0x12345678);
    effect.setNumInputs(5);
    effect.setNumOutputs(6);
    effect.setInitialDelay(64);
    effect.setRealtimeQualities(3);
    effect.setOfflineQualities(4);
    const AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->uniqueID, 0x12345678);
    EXPECT_EQ(record->numInputs, 5);
    EXPECT_EQ(record->numOutputs, 6);
    EXPECT_EQ(record->initialDelay, 64);
    EXPECT_EQ(record->realQualities, 3);
    EXPECT_EQ(record->offQualities, 4);
}

TEST(AudioEffectDispatcher, ProgramOpcodesFollowTheSignedTest) {
    ProbeEffect effect(nullptr, 4);
    Dispatch(effect, effSetProgram, 0, 3);
    EXPECT_EQ(effect.last, "setProgram(3)");
    EXPECT_EQ(Dispatch(effect, effGetProgram), 3);

    effect.last.clear();
    Dispatch(effect, effSetProgram, 0, 4);  // equal to the program count: not a program
    EXPECT_EQ(effect.last, "");
    Dispatch(effect, effSetProgram, 0, VstIntPtr{1} << 40);
    EXPECT_EQ(effect.last, "");

    // Negative numbers pass the test; the effect's setProgram has to refuse them.
    Dispatch(effect, effSetProgram, 0, -1);
    EXPECT_EQ(effect.last, "setProgram(-1)");
    Dispatch(effect, effSetProgram, 0, -(VstIntPtr{1} << 40));  // must not wrap into a valid number
    EXPECT_EQ(effect.last, "setProgram(-1)");
}

TEST(AudioEffectDispatcher, CoreOpcodesReachTheirOperations) {
    ProbeEffect effect(nullptr);
    Dispatch(effect, effOpen);
    EXPECT_EQ(effect.last, "open");
    effect.dispatcher(effClose, 0, 0, nullptr, 0.0f);  // the static entry would delete this stack object
    EXPECT_EQ(effect.last, "close");
    Dispatch(effect, effMainsChanged, 0, 1);
    EXPECT_EQ(effect.last, "resume");
    Dispatch(effect, effMainsChanged, 0, 0);
    EXPECT_EQ(effect.last, "suspend");
    char name[] = "Choir";
    Dispatch(effect, effSetProgramName, 0, 0, name);
    EXPECT_EQ(effect.last, "setProgramName(Choir)");
    EXPECT_EQ(Dispatch(effect, effIdentify), 0x4E764566);

    char text[16];
    for (VstInt32 opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        std::memset(text, 'x', sizeof(text));
        Dispatch(effect, opcode, 1, 0, text);
        EXPECT_EQ(text[0], '\0') << opcode;  // the base's texts are empty
        EXPECT_EQ(Dispatch(effect, opcode, 1, 0, nullptr), 0) << opcode;
    }

    void* data = nullptr;
    EXPECT_EQ(Dispatch(effect, effGetChunk, 1, 0, &data), 5);
    EXPECT_EQ(effect.last, "getChunk(1)");
    EXPECT_EQ(data, effect.chunk);
    EXPECT_EQ(Dispatch(effect, effGetChunk, 0, 0, &data), 5);
    EXPECT_EQ(effect.last, "getChunk(0)");
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 71428, effect.chunk), 1);
    EXPECT_EQ(effect.last, "setChunk(71428,0)");
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, 2976, effect.chunk), 1);
    EXPECT_EQ(effect.last, "setChunk(2976,1)");

    // Null data and byte counts that do not fit 32 bits are refused before reaching the effect.
    const int callsBefore = effect.calls;
    EXPECT_EQ(Dispatch(effect, effGetChunk, 1, 0, nullptr), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, 2976, nullptr), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, VstIntPtr{1} << 33, effect.chunk), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, -2976, effect.chunk), 0);
    EXPECT_EQ(effect.calls, callsBefore);

    // Opcodes above 24 are not the base dispatcher's.
    EXPECT_EQ(effect.AudioEffect::dispatcher(effCanDo, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(effect.AudioEffect::dispatcher(-3, 0, 0, nullptr, 0.0f), 0);
}

TEST(AudioEffectDispatcher, VuIsScaledAndNeverConvertsGarbage) {
    ProbeEffect effect(nullptr);
    effect.vu = 0.5f;
    EXPECT_EQ(Dispatch(effect, effGetVu), 16383);
    effect.vu = 1.0f;
    EXPECT_EQ(Dispatch(effect, effGetVu), 32767);
    effect.vu = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(Dispatch(effect, effGetVu), 0);
    effect.vu = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Dispatch(effect, effGetVu), 0);
}

TEST(AudioEffectDispatcher, SampleRateAndBlockSizeRefuseWhatNoHostCanMean) {
    ProbeEffect effect(nullptr);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    for (float bad : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
        Dispatch(effect, effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(effect.getSampleRate(), 48000.0f) << bad;
    }
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 1.0e9f);
    EXPECT_EQ(effect.getSampleRate(), 768000.0f);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 8.0f);
    EXPECT_EQ(effect.getSampleRate(), 1000.0f);

    Dispatch(effect, effSetBlockSize, 0, 256);
    EXPECT_EQ(effect.getBlockSize(), 256);
    Dispatch(effect, effSetBlockSize, 0, 0);
    Dispatch(effect, effSetBlockSize, 0, -64);
    Dispatch(effect, effSetBlockSize, 0, VstIntPtr{1} << 32);  // would wrap to 0
    EXPECT_EQ(effect.getBlockSize(), 256);
}

TEST(AudioEffectDispatcher, EditorOpcodesNeedAnEditorAndReachIt) {
    ProbeEffect effect(nullptr);
    ERect* rect = nullptr;
    for (VstInt32 opcode = effEditGetRect; opcode <= effEditSleep; ++opcode)
        EXPECT_EQ(Dispatch(effect, opcode, 1, 2, &rect), 0) << opcode;
    EXPECT_EQ(rect, nullptr);

    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->rectangle);
    EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, nullptr), 0);  // nowhere to write the answer
    int window = 0;
    EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(editor->window, &window);
    Dispatch(effect, effEditClose);
    EXPECT_EQ(editor->last, "close");
    Dispatch(effect, effEditDraw);
    EXPECT_EQ(editor->last, "draw");
    EXPECT_EQ(Dispatch(effect, effEditMouse, 30, 12), 42);
    EXPECT_EQ(editor->last, "mouse");
    EXPECT_EQ(Dispatch(effect, effEditKey, 0, 65), 65);
    EXPECT_EQ(editor->last, "key");
    Dispatch(effect, effEditIdle);
    EXPECT_EQ(editor->last, "idle");
    Dispatch(effect, effEditTop);
    EXPECT_EQ(editor->last, "top");
    Dispatch(effect, effEditSleep);
    EXPECT_EQ(editor->last, "sleep");
}

TEST(AudioEffectEntries, CloseThroughTheStaticDispatcherDeletesEffectAndEditor) {
    auto* effect = new ProbeEffect(nullptr);
    effect->setEditor(new ProbeEditor(effect));
    const int effectsBefore = ProbeEffect::destroyed;
    const int editorsBefore = ProbeEditor::destroyed;
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(ProbeEffect::destroyed, effectsBefore + 1);
    EXPECT_EQ(ProbeEditor::destroyed, editorsBefore + 1);
}

TEST(AudioEffectEntries, StaticEntriesReachTheObjectAndIgnoreAMissingOne) {
    ProbeEffect effect(nullptr);
    AEffect* record = effect.getAeffect();
    record->setParameter(record, 2, 0.25f);
    EXPECT_EQ(effect.last, "setParameter(2,0.25)");
    EXPECT_EQ(record->getParameter(record, 3), 1.5f);
    record->processReplacing(record, nullptr, nullptr, 64);
    EXPECT_EQ(effect.last, "processReplacing(64)");
    record->process(record, nullptr, nullptr, 32);
    EXPECT_EQ(effect.last, "process(32)");
    record->processDoubleReplacing(record, nullptr, nullptr, 16);
    EXPECT_EQ(effect.last, "processDoubleReplacing(16)");

    AEffect orphan{};
    EXPECT_EQ(AudioEffect::dispatchEffectClass(&orphan, effGetProgram, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(AudioEffect::dispatchEffectClass(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(AudioEffect::getParameterClass(nullptr, 0), 0.0f);
    AudioEffect::setParameterClass(&orphan, 0, 1.0f);
    AudioEffect::processClassReplacing(nullptr, nullptr, nullptr, 16);
}

std::string gLastAtAutomate;
VstIntPtr OrderCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterAutomate) gLastAtAutomate = static_cast<ProbeEffect*>(effect->object)->last;
    return 0;
}

TEST(AudioEffectHostCallbacks, AutomationStoresFirstThenTellsTheHost) {
    ProbeEffect ordered(OrderCallback);
    ordered.setParameterAutomated(1, 0.75f);
    EXPECT_EQ(gLastAtAutomate, "setParameter(1,0.75)");

    TestHost host;
    ProbeEffect effect(TestHost::Callback);
    effect.setParameterAutomated(2, 0.5f);
    ASSERT_EQ(host.calls.size(), 1u);
    const HostCall& call = host.calls[0];
    EXPECT_EQ(call.effect, effect.getAeffect());
    EXPECT_EQ(call.opcode, audioMasterAutomate);
    EXPECT_EQ(call.index, 2);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.5f);
}

TEST(AudioEffectHostCallbacks, AnswersAreReadAsTheInterfaceDefines) {
    TestHost host;
    ProbeEffect effect(TestHost::Callback);
    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(effect.getMasterVersion(), 1);
    host.answers[audioMasterVersion] = 2400;
    EXPECT_EQ(effect.getMasterVersion(), 2400);
    host.answers[audioMasterCurrentId] = 0x41424344;
    EXPECT_EQ(effect.getCurrentUniqueId(), 0x41424344);
    effect.masterIdle();
    EXPECT_EQ(host.calls.back().opcode, audioMasterIdle);

    host.answers[audioMasterPinConnected] = 0;
    EXPECT_TRUE(effect.isInputConnected(1));
    EXPECT_EQ(host.calls.back().index, 1);
    EXPECT_EQ(host.calls.back().value, 0);
    EXPECT_TRUE(effect.isOutputConnected(0));
    EXPECT_EQ(host.calls.back().value, 1);
    host.answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(effect.isInputConnected(1));
    EXPECT_FALSE(effect.isOutputConnected(1));
}

TEST(AudioEffectHostCallbacks, WithoutACallbackEveryOneAnswersItsDefault) {
    ProbeEffect effect(nullptr);
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_EQ(effect.getCurrentUniqueId(), 0);
    effect.masterIdle();
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(0));
    effect.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(effect.last, "setParameter(1,0.5)");
}

class TextFormat : public ::testing::Test {
protected:
    // maxLen 8 as the host strings of the interface have it; one more byte for the zero.
    std::string Float(float value, VstInt32 maxLen = 8) {
        Fill();
        effect.float2string(value, text, maxLen);
        return text;
    }
    std::string Int(VstInt32 value) {
        Fill();
        effect.int2string(value, text, 8);
        return text;
    }
    void Fill() { std::memset(text, 'x', sizeof(text) - 1), text[sizeof(text) - 1] = '\0'; }

    ProbeEffect effect{nullptr};
    char text[32];
};

TEST_F(TextFormat, FloatsFillEightCharactersCountingSignAndPoint) {
    EXPECT_EQ(Float(1.5f), "1.500000");
    EXPECT_EQ(Float(-2.25f), "-2.25000");
    EXPECT_EQ(Float(0.0f), "0.000000");
    EXPECT_EQ(Float(123.456f), "123.4560");
    EXPECT_EQ(Float(-0.5f), "-0.50000");
    EXPECT_EQ(Float(0.7f), "0.700000");       // rounded at the last digit shown
    EXPECT_EQ(Float(0.9999999f), "1.000000");  // the carry reaches the integer part
    EXPECT_EQ(Float(-9.999999f), "-10.0000");  // and may cost a fraction digit
    EXPECT_EQ(Float(1234567.0f), "1234567.");  // the integer digits fill the text
}

TEST_F(TextFormat, FloatsOutOfRangeSayHugeAndKeepTheLowestDigits) {
    EXPECT_EQ(Float(100000000.0f), "Huge!");
    EXPECT_EQ(Float(-10000000.0f), "Huge!");
    EXPECT_EQ(Float(std::numeric_limits<float>::infinity()), "Huge!");
    EXPECT_EQ(Float(std::numeric_limits<float>::quiet_NaN()), "NaN");
    EXPECT_EQ(Float(12345678.0f), "2345678.");
    EXPECT_EQ(Float(-9999999.0f), "-999999.");
}

TEST_F(TextFormat, MaxLenCutsTheTextAndEndsItThere) {
    EXPECT_EQ(Float(1.5f, 3), "1.5");
    EXPECT_EQ(text[4], 'x');  // nothing written past the zero at maxLen
    Fill();
    effect.float2string(1.5f, nullptr, 8);
    effect.float2string(1.5f, text, -1);
    EXPECT_EQ(text[0], 'x');
}

TEST_F(TextFormat, IntegersDropLeadingZerosAndZeroIsEmpty) {
    EXPECT_EQ(Int(0), "");
    EXPECT_EQ(Int(7), "7");
    EXPECT_EQ(Int(-42), "-42");
    EXPECT_EQ(Int(1000), "1000");
    EXPECT_EQ(Int(99999999), "99999999");
    EXPECT_EQ(Int(100000000), "Huge!");
    EXPECT_EQ(Int(std::numeric_limits<VstInt32>::min()), "Huge!");
}

TEST_F(TextFormat, DecibelsHertzAndMillisecondsGoThroughTheFloatFormat) {
    Fill();
    effect.dB2string(0.0f, text, 8);
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(-1.0f, text, 8);
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(1.0f, text, 8);
    EXPECT_STREQ(text, "0.000000");
    effect.dB2string(10.0f, text, 8);
    EXPECT_STREQ(text, "20.00000");

    effect.Hz2string(0.0f, text, 8);
    EXPECT_STREQ(text, "0.000000");
    effect.Hz2string(441.0f, text, 8);
    EXPECT_STREQ(text, "100.0000");
    effect.ms2string(4410.0f, text, 8);
    EXPECT_STREQ(text, "100.0000");
}

}  // namespace
