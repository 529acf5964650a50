// The VST 2.4 binary interface on x86_64 Linux (LP64), written from the published layout facts.
// Shared by the plug-in and by our own command-line host; no host or plug-in logic lives here.
#pragma once

#include <cstddef>
#include <cstdint>

struct AEffect;

using VstInt32 = int32_t;
using VstIntPtr = intptr_t;

extern "C" {
using audioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, VstInt32 index, float parameter);
using AEffectGetParameterProc = float (*)(AEffect* effect, VstInt32 index);
using VstPluginMainProc = AEffect* (*)(audioMasterCallback hostCallback);
}

constexpr VstInt32 kEffectMagic = 0x56737450;  // 'VstP'
constexpr VstInt32 kVstVersion = 2400;
constexpr VstInt32 kEffectIdentifyAnswer = 0x4E764566;  // 'NvEf'

struct AEffect {
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;  // deprecated accumulating entry; kept callable for old hosts
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object;
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

constexpr int kVstMaxProgNameLen = 24;
constexpr int kVstMaxParamStrLen = 8;
constexpr int kVstMaxVendorStrLen = 64;
constexpr int kVstMaxProductStrLen = 64;
constexpr int kVstMaxEffectNameLen = 32;
constexpr int kVstMaxNameLen = 64;
constexpr int kVstMaxLabelLen = 64;
constexpr int kVstMaxShortLabelLen = 8;
constexpr int kVstMaxCategLabelLen = 24;
constexpr int kVstMaxFileNameLen = 100;

struct VstPinProperties {
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

struct VstKeyCode {
    VstInt32 character;
    uint8_t virt;
    uint8_t modifier;
};

struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];  // really numEvents entries
};

struct VstMidiEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

struct VstFileType {
    char name[128];
    char macType[8];
    char dosType[8];
    char unixType[8];
    char mimeType1[128];
    char mimeType2[128];
};

struct VstFileSelect {
    VstInt32 command;
    VstInt32 type;
    VstInt32 macCreator;
    VstInt32 nbFileTypes;
    VstFileType* fileTypes;
    char title[1024];
    char* initialPath;
    char* returnPath;
    VstInt32 sizeReturnPath;
    char** returnMultiplePaths;
    VstInt32 nbReturnPath;
    VstIntPtr reserved;
    char future[116];
};

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[kVstMaxNameLen];
    VstInt32 type;
    char future[28];
};

struct VstSpeakerArrangement {
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];  // really numChannels entries
};

struct VstParameterProperties {
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 minInteger;
    VstInt32 maxInteger;
    VstInt32 stepInteger;
    VstInt32 largeStepInteger;
    char shortLabel[kVstMaxShortLabelLen];
    int16_t displayIndex;
    int16_t category;
    int16_t numParametersInCategory;
    int16_t reserved;
    char categoryLabel[kVstMaxCategLabelLen];
    char future[16];
};

struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

struct VstPatchChunkInfo {
    VstInt32 version;
    VstInt32 pluginUniqueID;
    VstInt32 pluginVersion;
    VstInt32 numElements;
    char future[48];
};

// Opaque to this plug-in: offline and variable-io records are only passed through.
struct VstAudioFile;
struct VstOfflineTask;
struct VstVariableIo;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;

enum AEffectOpcodes : VstInt32 {
    effOpen = 0, effClose, effSetProgram, effGetProgram, effSetProgramName, effGetProgramName,
    effGetParamLabel, effGetParamDisplay, effGetParamName, effGetVu, effSetSampleRate, effSetBlockSize,
    effMainsChanged, effEditGetRect, effEditOpen, effEditClose, effEditDraw, effEditMouse, effEditKey,
    effEditIdle, effEditTop, effEditSleep, effIdentify, effGetChunk, effSetChunk,
    effProcessEvents, effCanBeAutomated, effString2Parameter, effGetNumProgramCategories,
    effGetProgramNameIndexed, effCopyProgram, effConnectInput, effConnectOutput, effGetInputProperties,
    effGetOutputProperties, effGetPlugCategory, effGetCurrentPosition, effGetDestinationBuffer,
    effOfflineNotify, effOfflinePrepare, effOfflineRun, effProcessVarIo, effSetSpeakerArrangement,
    effSetBlockSizeAndSampleRate, effSetBypass, effGetEffectName, effGetErrorText, effGetVendorString,
    effGetProductString, effGetVendorVersion, effVendorSpecific, effCanDo, effGetTailSize, effIdle,
    effGetIcon, effSetViewPosition, effGetParameterProperties, effKeysRequired, effGetVstVersion,
    effEditKeyDown, effEditKeyUp, effSetEditKnobMode, effGetMidiProgramName, effGetCurrentMidiProgram,
    effGetMidiProgramCategory, effHasMidiProgramsChanged, effGetMidiKeyName, effBeginSetProgram,
    effEndSetProgram, effGetSpeakerArrangement, effShellGetNextPlugin, effStartProcess, effStopProcess,
    effSetTotalSampleToProcess, effSetPanLaw, effBeginLoadBank, effBeginLoadProgram,
    effSetProcessPrecision, effGetNumMidiInputChannels, effGetNumMidiOutputChannels
};
static_assert(effGetChunk == 23 && effProcessEvents == 25 && effGetParameterProperties == 56 &&
              effGetVstVersion == 58 && effGetNumMidiOutputChannels == 79);

enum AudioMasterOpcodes : VstInt32 {
    audioMasterAutomate = 0, audioMasterVersion, audioMasterCurrentId, audioMasterIdle,
    audioMasterPinConnected, audioMasterUnused5, audioMasterWantMidi, audioMasterGetTime,
    audioMasterProcessEvents, audioMasterSetTime, audioMasterTempoAt,
    audioMasterGetNumAutomatableParameters, audioMasterGetParameterQuantization, audioMasterIOChanged,
    audioMasterNeedIdle, audioMasterSizeWindow, audioMasterGetSampleRate, audioMasterGetBlockSize,
    audioMasterGetInputLatency, audioMasterGetOutputLatency, audioMasterGetPreviousPlug,
    audioMasterGetNextPlug, audioMasterWillReplaceOrAccumulate, audioMasterGetCurrentProcessLevel,
    audioMasterGetAutomationState, audioMasterOfflineStart, audioMasterOfflineRead, audioMasterOfflineWrite,
    audioMasterOfflineGetCurrentPass, audioMasterOfflineGetCurrentMetaPass, audioMasterSetOutputSampleRate,
    audioMasterGetOutputSpeakerArrangement, audioMasterGetVendorString, audioMasterGetProductString,
    audioMasterGetVendorVersion, audioMasterVendorSpecific, audioMasterSetIcon, audioMasterCanDo,
    audioMasterGetLanguage, audioMasterOpenWindow, audioMasterCloseWindow, audioMasterGetDirectory,
    audioMasterUpdateDisplay, audioMasterBeginEdit, audioMasterEndEdit, audioMasterOpenFileSelector,
    audioMasterCloseFileSelector, audioMasterEditFile, audioMasterGetChunkFile,
    audioMasterGetInputSpeakerArrangement
};
static_assert(audioMasterUpdateDisplay == 42 && audioMasterGetInputSpeakerArrangement == 49);

enum VstAEffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1,
    effFlagsHasVu = 1 << 2,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,
    effFlagsExtHasBuffer = 1 << 11,
    effFlagsCanDoubleReplacing = 1 << 12,
};

enum VstPinPropertiesFlags : VstInt32 { kVstPinIsActive = 1, kVstPinIsStereo = 2, kVstPinUseSpeaker = 4 };

enum VstParameterFlags : VstInt32 {
    kVstParameterIsSwitch = 1, kVstParameterUsesIntegerMinMax = 2, kVstParameterUsesFloatStep = 4,
    kVstParameterUsesIntStep = 8, kVstParameterSupportsDisplayIndex = 16,
    kVstParameterSupportsDisplayCategory = 32, kVstParameterCanRamp = 64,
};

enum VstSpeakerArrangementType : VstInt32 {
    kSpeakerArrUserDefined = -2, kSpeakerArrEmpty = -1, kSpeakerArrMono = 0, kSpeakerArrStereo = 1,
};

enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0, kPlugCategEffect, kPlugCategSynth, kPlugCategAnalysis, kPlugCategMastering,
    kPlugCategSpacializer, kPlugCategRoomFx, kPlugSurroundFx, kPlugCategRestoration,
    kPlugCategOfflineProcess, kPlugCategShell, kPlugCategGenerator, kPlugCategMaxCount,
};

enum VstFileSelectCommand : VstInt32 {
    kVstFileLoad = 0, kVstFileSave, kVstMultipleFilesLoad, kVstDirectorySelect,
};
constexpr VstInt32 kVstFileType = 0;

enum VstEventTypes : VstInt32 { kVstMidiType = 1, kVstSysExType = 6 };
constexpr VstInt32 kVstMidiEventIsRealtime = 1;

enum VstProcessPrecision : VstInt32 { kVstProcessPrecision32 = 0, kVstProcessPrecision64 = 1 };
enum VstProcessLevels : VstInt32 {
    kVstProcessLevelUnknown = 0, kVstProcessLevelUser, kVstProcessLevelRealtime, kVstProcessLevelPrefetch,
    kVstProcessLevelOffline,
};
enum VstAutomationStates : VstInt32 {
    kVstAutomationUnsupported = 0, kVstAutomationOff, kVstAutomationRead, kVstAutomationWrite,
    kVstAutomationReadWrite,
};
enum VstHostLanguage : VstInt32 {
    kVstLangEnglish = 1, kVstLangGerman, kVstLangFrench, kVstLangItalian, kVstLangSpanish, kVstLangJapanese,
};
enum VstPanLaw : VstInt32 { kLinearPanLaw = 0, kEqualPowerPanLaw = 1 };
// Virtual keys of VstKeyCode.virt (1..57).
enum VstVirtualKey : uint8_t {
    VKEY_BACK = 1, VKEY_TAB, VKEY_CLEAR, VKEY_RETURN, VKEY_PAUSE, VKEY_ESCAPE, VKEY_SPACE, VKEY_NEXT, VKEY_END,
    VKEY_HOME, VKEY_LEFT, VKEY_UP, VKEY_RIGHT, VKEY_DOWN, VKEY_PAGEUP, VKEY_PAGEDOWN, VKEY_SELECT, VKEY_PRINT,
    VKEY_ENTER, VKEY_SNAPSHOT, VKEY_INSERT, VKEY_DELETE, VKEY_HELP, VKEY_NUMPAD0, VKEY_NUMPAD1, VKEY_NUMPAD2,
    VKEY_NUMPAD3, VKEY_NUMPAD4, VKEY_NUMPAD5, VKEY_NUMPAD6, VKEY_NUMPAD7, VKEY_NUMPAD8, VKEY_NUMPAD9,
    VKEY_MULTIPLY, VKEY_ADD, VKEY_SEPARATOR, VKEY_SUBTRACT, VKEY_DECIMAL, VKEY_DIVIDE, VKEY_F1, VKEY_F2, VKEY_F3,
    VKEY_F4, VKEY_F5, VKEY_F6, VKEY_F7, VKEY_F8, VKEY_F9, VKEY_F10, VKEY_F11, VKEY_F12, VKEY_NUMLOCK, VKEY_SCROLL,
    VKEY_SHIFT, VKEY_CONTROL, VKEY_ALT, VKEY_EQUALS,
};
static_assert(VKEY_RETURN == 4 && VKEY_ENTER == 19 && VKEY_DELETE == 22 && VKEY_EQUALS == 57);
enum VstModifierKeys : VstInt32 {
    MODIFIER_SHIFT = 1, MODIFIER_ALTERNATE = 2, MODIFIER_COMMAND = 4, MODIFIER_CONTROL = 8,
};
enum VstTimeInfoFlags : VstInt32 {
    kVstTransportChanged = 1, kVstTransportPlaying = 1 << 1, kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3, kVstAutomationWriting = 1 << 6, kVstAutomationReading = 1 << 7,
    kVstNanosValid = 1 << 8, kVstPpqPosValid = 1 << 9, kVstTempoValid = 1 << 10, kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12, kVstTimeSigValid = 1 << 13, kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15,
};

// Layout facts: every size and offset the interface fixes.
static_assert(sizeof(AEffect) == 192 && alignof(AEffect) == 8);
static_assert(offsetof(AEffect, magic) == 0 && offsetof(AEffect, dispatcher) == 8 &&
              offsetof(AEffect, process) == 16 && offsetof(AEffect, setParameter) == 24 &&
              offsetof(AEffect, getParameter) == 32 && offsetof(AEffect, numPrograms) == 40 &&
              offsetof(AEffect, numParams) == 44 && offsetof(AEffect, numInputs) == 48 &&
              offsetof(AEffect, numOutputs) == 52 && offsetof(AEffect, flags) == 56 &&
              offsetof(AEffect, resvd1) == 64 && offsetof(AEffect, resvd2) == 72 &&
              offsetof(AEffect, initialDelay) == 80 && offsetof(AEffect, realQualities) == 84 &&
              offsetof(AEffect, offQualities) == 88 && offsetof(AEffect, ioRatio) == 92 &&
              offsetof(AEffect, object) == 96 && offsetof(AEffect, user) == 104 &&
              offsetof(AEffect, uniqueID) == 112 && offsetof(AEffect, version) == 116 &&
              offsetof(AEffect, processReplacing) == 120 && offsetof(AEffect, processDoubleReplacing) == 128 &&
              offsetof(AEffect, future) == 136);
static_assert(sizeof(ERect) == 8 && offsetof(ERect, top) == 0 && offsetof(ERect, left) == 2 &&
              offsetof(ERect, bottom) == 4 && offsetof(ERect, right) == 6);
static_assert(sizeof(VstPinProperties) == 128 && offsetof(VstPinProperties, flags) == 64 &&
              offsetof(VstPinProperties, arrangementType) == 68 && offsetof(VstPinProperties, shortLabel) == 72 &&
              offsetof(VstPinProperties, future) == 80);
static_assert(sizeof(VstKeyCode) == 8 && offsetof(VstKeyCode, virt) == 4 && offsetof(VstKeyCode, modifier) == 5);
static_assert(sizeof(VstEvent) == 32 && offsetof(VstEvent, deltaFrames) == 8 && offsetof(VstEvent, data) == 16);
static_assert(sizeof(VstEvents) == 32 && offsetof(VstEvents, reserved) == 8 && offsetof(VstEvents, events) == 16);
static_assert(sizeof(VstMidiEvent) == 32 && offsetof(VstMidiEvent, noteLength) == 16 &&
              offsetof(VstMidiEvent, noteOffset) == 20 && offsetof(VstMidiEvent, midiData) == 24 &&
              offsetof(VstMidiEvent, detune) == 28 && offsetof(VstMidiEvent, reserved2) == 31);
static_assert(sizeof(VstMidiSysexEvent) == 48 && offsetof(VstMidiSysexEvent, dumpBytes) == 16 &&
              offsetof(VstMidiSysexEvent, resvd1) == 24 && offsetof(VstMidiSysexEvent, sysexDump) == 32 &&
              offsetof(VstMidiSysexEvent, resvd2) == 40);
static_assert(sizeof(VstFileType) == 408 && offsetof(VstFileType, macType) == 128 &&
              offsetof(VstFileType, dosType) == 136 && offsetof(VstFileType, unixType) == 144 &&
              offsetof(VstFileType, mimeType1) == 152 && offsetof(VstFileType, mimeType2) == 280);
static_assert(sizeof(VstFileSelect) == 1216 && offsetof(VstFileSelect, nbFileTypes) == 12 &&
              offsetof(VstFileSelect, fileTypes) == 16 && offsetof(VstFileSelect, title) == 24 &&
              offsetof(VstFileSelect, initialPath) == 1048 && offsetof(VstFileSelect, returnPath) == 1056 &&
              offsetof(VstFileSelect, sizeReturnPath) == 1064 &&
              offsetof(VstFileSelect, returnMultiplePaths) == 1072 && offsetof(VstFileSelect, nbReturnPath) == 1080 &&
              offsetof(VstFileSelect, reserved) == 1088 && offsetof(VstFileSelect, future) == 1096);
static_assert(sizeof(VstSpeakerProperties) == 112 && offsetof(VstSpeakerProperties, name) == 16 &&
              offsetof(VstSpeakerProperties, type) == 80 && offsetof(VstSpeakerProperties, future) == 84);
static_assert(sizeof(VstSpeakerArrangement) == 904 && offsetof(VstSpeakerArrangement, numChannels) == 4 &&
              offsetof(VstSpeakerArrangement, speakers) == 8);
static_assert(sizeof(VstParameterProperties) == 152 && offsetof(VstParameterProperties, label) == 12 &&
              offsetof(VstParameterProperties, flags) == 76 && offsetof(VstParameterProperties, minInteger) == 80 &&
              offsetof(VstParameterProperties, largeStepInteger) == 92 &&
              offsetof(VstParameterProperties, shortLabel) == 96 &&
              offsetof(VstParameterProperties, displayIndex) == 104 &&
              offsetof(VstParameterProperties, category) == 106 &&
              offsetof(VstParameterProperties, numParametersInCategory) == 108 &&
              offsetof(VstParameterProperties, categoryLabel) == 112 && offsetof(VstParameterProperties, future) == 136);
static_assert(sizeof(VstTimeInfo) == 88 && offsetof(VstTimeInfo, timeSigNumerator) == 64 &&
              offsetof(VstTimeInfo, smpteOffset) == 72 && offsetof(VstTimeInfo, samplesToNextClock) == 80 &&
              offsetof(VstTimeInfo, flags) == 84);
static_assert(sizeof(VstPatchChunkInfo) == 64 && offsetof(VstPatchChunkInfo, numElements) == 12 &&
              offsetof(VstPatchChunkInfo, future) == 16);
