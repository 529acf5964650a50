// The VST 2.4 effect base: owns the AEffect record the host holds, the static entry points whose
// addresses go into it, the core dispatcher (opcodes 0..24), the basic host callbacks, the
// capability-flag setters and the text formatters.
#pragma once

#include <atomic>

#include "shell/Vst24Abi.h"

class AEffEditor;

class AudioEffect {
public:
    // Host thread.
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    // Host thread: deletes the editor object.
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Host threads: opcodes 0..24; higher ones answer 0 here.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    // Host thread.
    virtual void open() {}
    // Host thread.
    virtual void close() {}
    // Host thread: processing stops.
    virtual void suspend() {}
    // Host thread: processing is about to start.
    virtual void resume() {}

    // Host thread: a rate that is not finite and positive is refused; others are held to 1 kHz..768 kHz.
    virtual void setSampleRate(float newSampleRate);
    // Host thread: sizes of 0 or less are refused.
    virtual void setBlockSize(VstInt32 newBlockSize);

    // Audio thread.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    // Audio thread.
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, VstInt32 /*sampleFrames*/) {}

    // Any thread.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    // Any thread.
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }
    // UI thread: stores the value, then tells the host so it records automation.
    virtual void setParameterAutomated(VstInt32 index, float value);

    // Any thread.
    virtual VstInt32 getProgram() { return curProgram.load(std::memory_order_relaxed); }
    // Host or UI thread.
    virtual void setProgram(VstInt32 program) { curProgram.store(program, std::memory_order_relaxed); }
    // Host thread.
    virtual void setProgramName(char* /*name*/) {}
    // Host thread.
    virtual void getProgramName(char* name);

    // Host thread: the text operations write into host buffers; null buffers are skipped.
    virtual void getParameterLabel(VstInt32 index, char* label);
    // Host thread.
    virtual void getParameterDisplay(VstInt32 index, char* text);
    // Host thread.
    virtual void getParameterName(VstInt32 index, char* text);

    // Host thread: sets *data to bytes the effect keeps owning; returns their count.
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/ = false) { return 0; }
    // Host thread: returns 1 when the bytes were taken.
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/ = false) { return 0; }

    // Host thread (construction): record fields.
    virtual void setUniqueID(VstInt32 iD) { cEffect.uniqueID = iD; }
    // Host thread (construction).
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    // Host thread (construction).
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    // Host thread (construction).
    virtual void canProcessReplacing(bool state = true) { SetFlag(effFlagsCanReplacing, state); }
    // Host thread (construction).
    virtual void canDoubleReplacing(bool state = true) { SetFlag(effFlagsCanDoubleReplacing, state); }
    // Host thread (construction).
    virtual void programsAreChunks(bool state = true) { SetFlag(effFlagsProgramChunks, state); }
    // Host thread (construction).
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

    // Any thread.
    virtual AEffEditor* getEditor() { return editor; }
    // Any thread: the record handed to the host.
    virtual AEffect* getAeffect() { return &cEffect; }
    // Any thread.
    virtual float getSampleRate() { return sampleRate.load(std::memory_order_relaxed); }
    // Any thread.
    virtual VstInt32 getBlockSize() { return blockSize.load(std::memory_order_relaxed); }

    // Host callbacks: each answers its default when there is no callback.
    // Any thread: the host's VST version, 1 when it says 0.
    virtual VstInt32 getMasterVersion();
    // Any thread.
    virtual VstInt32 getCurrentUniqueId();
    // UI thread.
    virtual void masterIdle();
    // Any thread: true when the host answers 0.
    virtual bool isInputConnected(VstInt32 input);
    // Any thread: true when the host answers 0.
    virtual bool isOutputConnected(VstInt32 output);

    // Any thread: the formatters copy at most maxLen characters and put a zero at text[maxLen],
    // so text must hold maxLen + 1 bytes.
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    // Any thread.
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    // Any thread.
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    // Any thread.
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    // Any thread.
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    // Audio thread: the deprecated accumulating entry.
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}
    // Any thread.
    virtual float getVu() { return 0.0f; }
    // Host thread (construction).
    virtual void hasVu(bool state = true) { SetFlag(effFlagsHasVu, state); }
    // Host thread (construction).
    virtual void hasClip(bool state = true) { SetFlag(effFlagsHasClip, state); }
    // Host thread (construction).
    virtual void canMono(bool state = true) { SetFlag(effFlagsCanMono, state); }
    // Host thread (construction).
    virtual void setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
    // Host thread (construction).
    virtual void setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }

    // Host thread (construction): stores the editor and sets the has-editor flag when it is not null.
    void setEditor(AEffEditor* newEditor) {
        editor = newEditor;
        SetFlag(effFlagsHasEditor, newEditor != nullptr);
    }

    // Static entry points stored in the record; each finds its object through the record.
    static VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                         float opt);
    static float getParameterClass(AEffect* e, VstInt32 index);
    static void setParameterClass(AEffect* e, VstInt32 index, float value);
    static void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs, VstInt32 sampleFrames);

    static constexpr float kMinSampleRate = 1000.0f;
    static constexpr float kMaxSampleRate = 768000.0f;
    // The rate the base would keep for a host's value, or 0 when the value is refused.
    static float SaneSampleRate(float rate);

protected:
    void SetFlag(VstInt32 bit, bool state) {
        if (state)
            cEffect.flags |= bit;
        else
            cEffect.flags &= ~bit;
    }
    // Calls the host with this effect's record; 0 without a callback.
    VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // Copies at most maxLen characters of source and a zero at text[maxLen].
    static void CopyText(char* text, const char* source, VstInt32 maxLen);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    // Read by editor and host threads alike, so kept atomic.
    std::atomic<float> sampleRate{44100.0f};
    std::atomic<VstInt32> blockSize{1024};
    VstInt32 numPrograms;
    VstInt32 numParams;
    std::atomic<VstInt32> curProgram{0};
    AEffect cEffect;
};
