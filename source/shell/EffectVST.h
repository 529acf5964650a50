// The effect shell the host talks to: identity and capabilities, the current program, and the
// hand-over of audio, parameters, programs and chunks to the crowd engine and the editor.
#pragma once

#include <memory>

#include "shell/AudioEffectX.h"

class MurmurhallPlug;

class EffectVST : public AudioEffectX {
public:
    static constexpr VstInt32 kUniqueId = 0x5A756271;  // 'Zubq'
    static constexpr VstInt32 kVendorVersion = 202;

    // Host thread: builds editor and engine, sends program 0 to both, resumes once.
    explicit EffectVST(audioMasterCallback audioMaster);
    // Host thread: the base destructor then deletes the editor, which deletes the engine.
    ~EffectVST() override;

    // Audio thread: renders through the engine. Missing inputs give silence on every output
    // that exists; missing outputs or frames <= 0 do nothing.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // Audio thread: the same as processReplacing; it overwrites the outputs too.
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    // Any thread: stores the value, runs the program actions (8, 9, 10, 14), tells the editor.
    void setParameter(VstInt32 index, float value) override;
    // Any thread.
    float getParameter(VstInt32 index) override;
    // Host thread.
    void getParameterName(VstInt32 index, char* text) override;
    // Host thread: "amount".
    void getParameterLabel(VstInt32 index, char* label) override;
    // Host thread: leaves the host's buffer as it was.
    void getParameterDisplay(VstInt32 index, char* text) override;

    // Host or UI thread: selects a program (0..23) and sends each of its values again.
    void setProgram(VstInt32 program) override;
    // Host thread: at most 24 bytes with the zero.
    void getProgramName(char* name) override;
    // Host thread: cut to the 27 characters the program's name field holds.
    void setProgramName(char* name) override;
    // Host thread: at most 24 bytes with the zero.
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // Host thread: a snapshot of the current program (2976 bytes) or the bank (71428 bytes).
    VstInt32 getChunk(void** data, bool isPreset) override;
    // Host thread: takes 2976/2972-byte programs or 71428/71332-byte banks; 0 for other sizes.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    // Host thread: re-applies the program when the sample rate changed, then resets the audio state.
    void resume() override;
    // Host thread.
    void suspend() override {}
    // Host thread: sizes of 0 or less are refused.
    void setBlockSize(VstInt32 newBlockSize) override;

    // Host thread: 1 for the four capabilities this plug-in has, -1 otherwise.
    VstInt32 canDo(char* text) override;
    // Host thread.
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    // Host thread.
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    // Host thread.
    bool getVendorString(char* text) override;
    // Host thread.
    bool getProductString(char* text) override;
    // Host thread.
    VstInt32 getVendorVersion() override { return kVendorVersion; }
    // Host thread.
    VstInt32 getPlugCategory() override { return kPlugCategEffect; }
    // Audio thread: events are not used; they are accepted.
    VstInt32 processEvents(VstEvents* /*events*/) override { return 1; }

    // Audio thread: 2 when the second buffer exists and differs from the first, else 1.
    static int CountChannels(float** buffers);

    // Written by the editor's constructor; owned by the editor.
    MurmurhallPlug* engine = nullptr;

protected:
    // Any thread: the editor hears about a changed parameter.
    virtual void NotifyEditor(VstInt32 index, float value);

private:
    void Render(float** inputs, float** outputs, VstInt32 sampleFrames);
    // Copies a program name into a host buffer of 24 bytes.
    static void CopyProgramName(char* text, const char* name);

    // What getChunk hands out: a copy, so the host reads bytes no other thread is writing.
    std::unique_ptr<unsigned char[]> chunkImage;
};

// Host thread: the whole entry logic (version query; null when the host answers 0 or there is no
// callback), without needing the module to be loaded.
AEffect* CreateMurmurhallEffect(audioMasterCallback audioMaster);
