// One effect made by a plug-in's entry, driven through its AEffect record with the usual host
// lifecycle: entry, open, sample rate, block size, resume ... suspend, close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/Vst24Abi.h"

class HostCallback;
class PluginModule;

class PluginInstance {
public:
    // Main thread: calls the entry, checks the record and sends effOpen. Throws HostError when
    // the entry returns nothing, the magic is wrong or the record is implausible.
    PluginInstance(const PluginModule& module, HostCallback& host);
    // Main thread: suspends if resumed, then sends effClose.
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Main thread: sample rate and largest block, sent while suspended.
    void Configure(double sampleRate, int32_t blockSize);
    // Main thread: effMainsChanged(1), or (0).
    void Resume();
    void Suspend();
    // Main thread: brackets a run of process calls (effStartProcess / effStopProcess).
    void StartProcess();
    void StopProcess();

    // Main thread: the record as the plug-in filled it.
    const AEffect& Effect() const { return *effect; }
    int32_t NumPrograms() const { return effect->numPrograms; }
    int32_t NumParams() const { return effect->numParams; }
    int32_t NumInputs() const { return effect->numInputs; }
    int32_t NumOutputs() const { return effect->numOutputs; }

    // Main thread: identity strings and numbers; empty text when the plug-in gives none.
    std::string EffectName() const;
    std::string VendorString() const;
    std::string ProductString() const;
    VstIntPtr VendorVersion() const;
    VstIntPtr Category() const;
    VstIntPtr VstVersion() const;

    // Main thread: pin properties; false when the plug-in does not describe that pin.
    bool InputPin(int32_t index, VstPinProperties& pin) const;
    bool OutputPin(int32_t index, VstPinProperties& pin) const;

    // Main thread: parameters by index (the caller keeps the index in 0..NumParams()-1).
    std::string ParameterName(int32_t index) const;
    std::string ParameterLabel(int32_t index) const;
    float Parameter(int32_t index) const;
    void SetParameter(int32_t index, float value);

    // Main thread: programs. ProgramName asks with effGetProgramNameIndexed; empty when refused.
    std::string ProgramName(int32_t index) const;
    void SetProgram(int32_t index);
    VstIntPtr CurrentProgram() const;
    void SetProgramName(const std::string& name);
    // Main thread: hands an opaque program chunk over; false when the plug-in answers 0.
    bool SetProgramChunk(const void* data, size_t size);
    // Main thread: effBeginLoadProgram; false only when the plug-in refuses (-1).
    bool BeginLoadProgram(int32_t uniqueId, int32_t version, int32_t numElements);

    // Main thread: renders one block. `outputs` must be zeroed when AccumulatesOnly().
    void Process(float** inputs, float** outputs, int32_t frames);
    // Main thread: true when the plug-in has only the old accumulating process entry.
    bool AccumulatesOnly() const { return accumulate; }

    // Any thread: text from a plug-in's buffer, cut at `size` and with control bytes made
    // visible, so a careless plug-in cannot garble the terminal.
    static std::string CleanText(const char* buffer, size_t size);

    // Main thread (the UI thread while an editor is open): any opcode, as the host sends it.
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;

private:
    std::string AskString(VstInt32 opcode, VstInt32 index = 0) const;

    AEffect* effect = nullptr;
    HostCallback& host;
    bool resumed = false;
    bool processing = false;
    bool accumulate = false;
};
