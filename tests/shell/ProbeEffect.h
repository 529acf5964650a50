// A bare AudioEffectX that records which of its operations a dispatcher reached and with what, so the
// base classes' routing can be checked without the crowd engine.
#pragma once

#include <cstdio>
#include <string>

#include "shell/AEffEditor.h"
#include "shell/AudioEffectX.h"

class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(audioMasterCallback audioMaster, VstInt32 programs = 4, VstInt32 params = 3)
        : AudioEffectX(audioMaster, programs, params) {}
    ~ProbeEffect() override { ++destroyed; }

    static int destroyed;
    std::string last;  // the last operation reached, with its arguments
    int calls = 0;

    void Note(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Expose protected state for checks.
    using AudioEffect::CallHost;
    VstInt32 Flags() const { return cEffect.flags; }

    void processReplacing(float**, float**, VstInt32 frames) override { Note("processReplacing(%d)", frames); }
    void process(float**, float**, VstInt32 frames) override { Note("process(%d)", frames); }
    void processDoubleReplacing(double**, double**, VstInt32 frames) override {
        Note("processDoubleReplacing(%d)", frames);
    }
    void open() override { Note("open"); }
    void close() override { Note("close"); }
    void suspend() override { Note("suspend"); }
    void resume() override {
        AudioEffectX::resume();
        Note("resume");
    }
    void setProgram(VstInt32 program) override {
        Note("setProgram(%d)", program);
        AudioEffectX::setProgram(program);
    }
    void setProgramName(char* name) override { Note("setProgramName(%s)", name); }
    void setParameter(VstInt32 index, float value) override { Note("setParameter(%d,%g)", index, value); }
    float getParameter(VstInt32 index) override { return static_cast<float>(index) * 0.5f; }
    VstInt32 getChunk(void** data, bool isPreset) override {
        Note("getChunk(%d)", isPreset ? 1 : 0);
        *data = chunk;
        return sizeof(chunk);
    }
    VstInt32 setChunk(void*, VstInt32 size, bool isPreset) override {
        Note("setChunk(%d,%d)", size, isPreset ? 1 : 0);
        return 1;
    }
    float getVu() override { return vu; }

    VstInt32 processEvents(VstEvents*) override {
        Note("processEvents");
        return 7;
    }
    bool canParameterBeAutomated(VstInt32 index) override {
        Note("canParameterBeAutomated(%d)", index);
        return true;
    }
    bool string2parameter(VstInt32 index, char*) override {
        Note("string2parameter(%d)", index);
        return true;
    }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char*) override {
        Note("getProgramNameIndexed(%d,%d)", category, index);
        return true;
    }
    bool copyProgram(VstInt32 destination) override {
        Note("copyProgram(%d)", destination);
        return true;
    }
    void inputConnected(VstInt32 index, bool state) override { Note("inputConnected(%d,%d)", index, state ? 1 : 0); }
    void outputConnected(VstInt32 index, bool state) override {
        Note("outputConnected(%d,%d)", index, state ? 1 : 0);
    }
    bool getInputProperties(VstInt32 index, VstPinProperties*) override {
        Note("getInputProperties(%d)", index);
        return true;
    }
    bool getOutputProperties(VstInt32 index, VstPinProperties*) override {
        Note("getOutputProperties(%d)", index);
        return true;
    }
    bool offlineNotify(VstAudioFile*, VstInt32 count, bool start) override {
        Note("offlineNotify(%d,%d)", count, start ? 1 : 0);
        return true;
    }
    bool offlinePrepare(VstOfflineTask*, VstInt32 count) override {
        Note("offlinePrepare(%d)", count);
        return true;
    }
    bool offlineRun(VstOfflineTask*, VstInt32 count) override {
        Note("offlineRun(%d)", count);
        return true;
    }
    bool processVariableIo(VstVariableIo*) override {
        Note("processVariableIo");
        return true;
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        Note("setSpeakerArrangement(%d,%d)", in ? in->numChannels : -1, out ? out->numChannels : -1);
        return true;
    }
    void setBlockSizeAndSampleRate(VstInt32 size, float rate) override {
        Note("setBlockSizeAndSampleRate(%d,%g)", size, rate);
        AudioEffectX::setBlockSizeAndSampleRate(size, rate);
    }
    bool setBypass(bool onOff) override {
        Note("setBypass(%d)", onOff ? 1 : 0);
        return true;
    }
    bool getEffectName(char*) override {
        Note("getEffectName");
        return true;
    }
    bool getErrorText(char*) override {
        Note("getErrorText");
        return true;
    }
    bool getVendorString(char*) override {
        Note("getVendorString");
        return true;
    }
    bool getProductString(char*) override {
        Note("getProductString");
        return true;
    }
    VstInt32 getVendorVersion() override { return 4321; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void*, float f) override {
        Note("vendorSpecific(%d,%ld,%g)", a, static_cast<long>(b), f);
        return 99;
    }
    VstInt32 canDo(char* text) override {
        Note("canDo(%s)", text);
        lastCanDo = text;
        return canDoAnswer;
    }
    VstInt32 getGetTailSize() override { return 12; }
    VstInt32 fxIdle() override { return 13; }
    bool setViewPosition(VstInt32 x, VstInt32 y) override {
        Note("setViewPosition(%d,%d)", x, y);
        return true;
    }
    bool getParameterProperties(VstInt32 index, VstParameterProperties*) override {
        Note("getParameterProperties(%d)", index);
        return true;
    }
    VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName*) override {
        Note("getMidiProgramName(%d)", channel);
        return 3;
    }
    VstInt32 getCurrentMidiProgram(VstInt32 channel, MidiProgramName*) override {
        Note("getCurrentMidiProgram(%d)", channel);
        return 4;
    }
    VstInt32 getMidiProgramCategory(VstInt32 channel, MidiProgramCategory*) override {
        Note("getMidiProgramCategory(%d)", channel);
        return 5;
    }
    bool hasMidiProgramsChanged(VstInt32 channel) override {
        Note("hasMidiProgramsChanged(%d)", channel);
        return true;
    }
    bool getMidiKeyName(VstInt32 channel, MidiKeyName*) override {
        Note("getMidiKeyName(%d)", channel);
        return true;
    }
    bool beginSetProgram() override {
        Note("beginSetProgram");
        return true;
    }
    bool endSetProgram() override {
        Note("endSetProgram");
        return true;
    }
    VstInt32 getNextShellPlugin(char*) override {
        Note("getNextShellPlugin");
        return 6;
    }
    VstInt32 startProcess() override {
        Note("startProcess");
        return 8;
    }
    VstInt32 stopProcess() override {
        Note("stopProcess");
        return 9;
    }
    bool setPanLaw(VstInt32 type, float value) override {
        Note("setPanLaw(%d,%g)", type, value);
        return true;
    }
    VstInt32 beginLoadBank(VstPatchChunkInfo*) override {
        Note("beginLoadBank");
        return 10;
    }
    VstInt32 beginLoadProgram(VstPatchChunkInfo*) override {
        Note("beginLoadProgram");
        return 11;
    }
    bool setProcessPrecision(VstInt32 precision) override {
        Note("setProcessPrecision(%d)", precision);
        return true;
    }
    VstInt32 getNumMidiInputChannels() override { return 16; }
    VstInt32 getNumMidiOutputChannels() override { return 15; }
    VstInt32 reportCurrentPosition() override { return 17; }
    float* reportDestinationBuffer() override { return &destination; }
    void* getIcon() override { return &destination; }

    float vu = 0.0f;
    VstInt32 canDoAnswer = 0;
    std::string lastCanDo;
    float destination = 0.0f;
    char chunk[5] = "abcd";
};

// An editor that records the calls the dispatchers forward to it.
class ProbeEditor : public AEffEditor {
public:
    explicit ProbeEditor(AudioEffect* effect) : AEffEditor(effect) {}
    ~ProbeEditor() override { ++destroyed; }
    static int destroyed;

    bool getRect(ERect** rect) override {
        *rect = &rectangle;
        last = "getRect";
        return true;
    }
    bool open(void* ptr) override {
        last = "open";
        window = ptr;
        return true;
    }
    void close() override { last = "close"; }
    void idle() override { last = "idle"; }
    void draw(ERect*) override { last = "draw"; }
    VstInt32 mouse(VstInt32 x, VstInt32 y) override {
        last = "mouse";
        return x + y;
    }
    VstInt32 key(VstInt32 keyCode) override {
        last = "key";
        return keyCode;
    }
    void top() override { last = "top"; }
    void sleep() override { last = "sleep"; }
    bool onKeyDown(VstKeyCode& keyCode) override {
        last = "onKeyDown";
        lastKey = keyCode;
        return true;
    }
    bool onKeyUp(VstKeyCode& keyCode) override {
        last = "onKeyUp";
        lastKey = keyCode;
        return false;
    }
    bool setKnobMode(VstInt32 mode) override {
        last = "setKnobMode";
        knobMode = mode;
        return true;
    }

    std::string last;
    ERect rectangle{0, 0, 300, 400};
    void* window = nullptr;
    VstKeyCode lastKey{};
    VstInt32 knobMode = -1;
};
