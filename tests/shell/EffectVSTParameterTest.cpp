// Parameters, program selection and resume as a host drives them: values reach the engine, the
// action indices switch programs, the editor hears what changed, and bad values are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "SpyShell.h"
#include "TestHost.h"
#include "engine/MurmurhallPlug.h"

namespace {

constexpr VstInt32 kWet = 2;
constexpr VstInt32 kPresetMenu = 7;
constexpr VstInt32 kProgramSelect = 8;
constexpr VstInt32 kProgramDown = 9;
constexpr VstInt32 kProgramUp = 10;
constexpr VstInt32 kProgramDisplay = 11;
constexpr VstInt32 kProgramReload = 14;
constexpr int kResentPerProgram = 736 - 5;  // every index but the five action slots

class ShellParameters : public ::testing::Test {
protected:
    void SetUp() override {
        shell = new SpyShell(TestHost::Callback);
        effect = shell->getAeffect();
        Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        Dispatch(effMainsChanged, 0, 1);
        shell->notes.clear();
        host.Clear();
    }
    void TearDown() override { TestHost::Unload(effect); }

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return TestHost::Dispatch(effect, opcode, index, value, ptr, opt);
    }
    void Set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float Get(VstInt32 index) { return effect->getParameter(effect, index); }
    VstInt32 Program() { return static_cast<VstInt32>(Dispatch(effGetProgram)); }

    TestHost host;
    SpyShell* shell = nullptr;
    AEffect* effect = nullptr;
};

TEST_F(ShellParameters, AValueReachesTheCurrentProgramAndTheEditor) {
    Set(kWet, 0.3f);
    EXPECT_EQ(Get(kWet), 0.3f);
    EXPECT_EQ(shell->engine->bank.programs[Program()].Load(kWet), 0.3f);
    ASSERT_EQ(shell->notes.size(), 1u);
    EXPECT_EQ(shell->notes[0].index, kWet);
    EXPECT_EQ(shell->notes[0].value, 0.3f);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);

    Set(kPresetMenu, 0.5f);  // stored, but nobody else is told
    EXPECT_EQ(shell->notes.size(), 1u);
}

TEST_F(ShellParameters, IndicesOutsideTheMapAreIgnoredAndOddValuesStoredAsTheyCome) {
    const float before = Get(kWet);
    Set(736, 0.5f);
    Set(-1, 0.5f);
    Set(std::numeric_limits<VstInt32>::min(), 0.5f);
    EXPECT_EQ(Get(kWet), before);
    EXPECT_TRUE(shell->notes.empty());
    EXPECT_EQ(Get(736), 0.0f);
    EXPECT_EQ(Get(-1), 0.0f);
    EXPECT_EQ(Get(std::numeric_limits<VstInt32>::max()), 0.0f);

    // The host's value is kept bit for bit; only the engine's derivation reads NaN as 0.
    Set(kWet, std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(std::isnan(Get(kWet)));
    Set(kWet, std::numeric_limits<float>::infinity());
    EXPECT_EQ(Get(kWet), std::numeric_limits<float>::infinity());
    Set(kProgramSelect, std::numeric_limits<float>::quiet_NaN());
    Set(kProgramSelect, 1.0e30f);
    EXPECT_EQ(Program(), 0);
}

TEST_F(ShellParameters, ProgramSelectActionRoundsItsValueToAProgram) {
    Set(kProgramSelect, 5.0f / 24.0f);
    EXPECT_EQ(Program(), 5);
    EXPECT_EQ(shell->engine->iCurProgram.load(), 5);
    EXPECT_EQ(shell->CountNotes(kProgramSelect), 1);
    EXPECT_EQ(shell->notes.back().index, kProgramSelect);
    EXPECT_EQ(shell->notes.back().value, 5.0f / 24.0f);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 1);

    // 1.0 selects program 24, which does not exist: the program stays, the editor is still told.
    shell->notes.clear();
    Set(kProgramSelect, 1.0f);
    EXPECT_EQ(Program(), 5);
    ASSERT_EQ(shell->notes.size(), 1u);
    EXPECT_EQ(shell->notes[0].index, kProgramSelect);
    EXPECT_EQ(shell->notes[0].value, 1.0f);

    for (float absurd : {-1.0f, 1.0e30f, -1.0e30f}) {
        Set(kProgramSelect, absurd);
        EXPECT_EQ(Program(), 5) << absurd;
    }
}

TEST_F(ShellParameters, StepActionsWrapAndReportTheNewNumber) {
    Set(kProgramDown, 0.0f);
    EXPECT_EQ(Program(), 23);
    ASSERT_FALSE(shell->notes.empty());
    EXPECT_EQ(shell->notes.back().index, kProgramDisplay);
    EXPECT_EQ(shell->notes.back().value, 23.0f);
    EXPECT_EQ(shell->CountNotes(kProgramDown), 0);

    shell->notes.clear();
    Set(kProgramUp, 0.0f);
    EXPECT_EQ(Program(), 0);
    EXPECT_EQ(shell->notes.back().index, kProgramDisplay);
    EXPECT_EQ(shell->notes.back().value, 0.0f);

    Set(kProgramUp, 0.0f);
    EXPECT_EQ(Program(), 1);
    EXPECT_EQ(shell->notes.back().value, 1.0f);
}

TEST_F(ShellParameters, StepActionsIgnoreAnyValueButZero) {
    Dispatch(effSetProgram, 0, 4);
    shell->notes.clear();
    host.Clear();
    Set(kProgramDown, 0.5f);
    Set(kProgramUp, 1.0f);
    EXPECT_EQ(Program(), 4);
    EXPECT_TRUE(shell->notes.empty());
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);
    EXPECT_EQ(Get(kProgramDown), 0.5f);  // the engine still stored it
}

TEST_F(ShellParameters, ProgramChangeResendsEveryStoredValueButTheActions) {
    Dispatch(effSetProgram, 0, 6);
    EXPECT_EQ(Program(), 6);
    EXPECT_EQ(static_cast<int>(shell->notes.size()), kResentPerProgram);
    for (VstInt32 action : {kPresetMenu, kProgramSelect, kProgramDown, kProgramUp, kProgramReload})
        EXPECT_EQ(shell->CountNotes(action), 0) << action;
    const ::Program& stored = shell->engine->bank.programs[6];
    for (const EditorNote& note : shell->notes) ASSERT_EQ(note.value, stored.Load(note.index)) << note.index;
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 1);
    EXPECT_EQ(Get(kWet), stored.Load(kWet));
}

TEST_F(ShellParameters, ProgramNumbersOutsideTheBankAreRefused) {
    Dispatch(effSetProgram, 0, 2);
    shell->notes.clear();
    host.Clear();
    for (VstIntPtr bad : {VstIntPtr{24}, VstIntPtr{-1}, VstIntPtr{1000}, -(VstIntPtr{1} << 40)}) {
        Dispatch(effSetProgram, 0, bad);
        EXPECT_EQ(Program(), 2) << bad;
    }
    shell->setProgram(-5);
    shell->setProgram(24);
    EXPECT_EQ(Program(), 2);
    EXPECT_TRUE(shell->notes.empty());
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);
}

TEST_F(ShellParameters, ReloadReappliesTheEnginesProgramWithoutReportingItself) {
    Dispatch(effSetProgram, 0, 9);
    shell->notes.clear();
    host.Clear();
    Set(kProgramReload, 0.0f);
    EXPECT_EQ(Program(), 9);
    EXPECT_EQ(static_cast<int>(shell->notes.size()), kResentPerProgram);
    EXPECT_EQ(shell->CountNotes(kProgramReload), 0);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 1);
}

TEST_F(ShellParameters, ResumeResendsTheProgramOnlyWhenTheRateChanged) {
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effMainsChanged, 0, 1);
    EXPECT_TRUE(shell->notes.empty());
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);
    EXPECT_EQ(host.Count(audioMasterWantMidi), 1);  // it answers yes to receiveVstMidiEvent

    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(static_cast<int>(shell->notes.size()), kResentPerProgram);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 1);
    EXPECT_EQ(GlobalSampleRate(), 48000.0f);
    EXPECT_EQ(shell->getSampleRate(), 48000.0f);
}

TEST_F(ShellParameters, RefusedRatesNeverReachTheEngine) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0.0f,
                      -96000.0f}) {
        Dispatch(effSetSampleRate, 0, 0, nullptr, bad);
        Dispatch(effMainsChanged, 0, 1);
        EXPECT_EQ(shell->getSampleRate(), 44100.0f) << bad;
        EXPECT_EQ(GlobalSampleRate(), 44100.0f) << bad;
    }
    EXPECT_TRUE(shell->notes.empty());

    Dispatch(effSetBlockSizeAndSampleRate, 0, 64, nullptr, 5.0e6f);
    Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(GlobalSampleRate(), 768000.0f);
    EXPECT_EQ(shell->getBlockSize(), 64);
    Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(GlobalSampleRate(), 44100.0f);
}

TEST_F(ShellParameters, BlockSizeReachesTheEngineUnlessRefused) {
    Dispatch(effSetBlockSize, 0, 256);
    EXPECT_EQ(shell->getBlockSize(), 256);
    EXPECT_EQ(shell->engine->iBlockSize, 256);
    Dispatch(effSetBlockSize, 0, 0);
    Dispatch(effSetBlockSize, 0, -1);
    Dispatch(effSetBlockSizeAndSampleRate, 0, -8, nullptr, 44100.0f);
    EXPECT_EQ(shell->getBlockSize(), 256);
    EXPECT_EQ(shell->engine->iBlockSize, 256);
}

TEST_F(ShellParameters, AutomationFromTheEditorStoresThenTellsTheHost) {
    shell->setParameterAutomated(kWet, 0.625f);
    EXPECT_EQ(Get(kWet), 0.625f);
    ASSERT_EQ(host.Count(audioMasterAutomate), 1);
    EXPECT_EQ(host.calls.back().index, kWet);
    EXPECT_EQ(host.calls.back().opt, 0.625f);
}

}  // namespace
