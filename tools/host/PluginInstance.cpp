#include "PluginInstance.h"

#include <cstring>
#include <sstream>

#include "HostCallback.h"
#include "HostError.h"
#include "PluginModule.h"

namespace {

// Far beyond any real plug-in, near enough to catch a record that is not one.
constexpr int32_t kMaxCount = 1 << 20;
constexpr int32_t kMaxChannels = 256;

// Strings are asked for with much larger buffers than the VST limits, because plug-ins
// routinely write past those limits (parameter names over 8 characters are common).
constexpr size_t kTextBuffer = 512;

std::string Hex(int32_t value) {
    std::ostringstream text;
    text << "0x" << std::hex << static_cast<uint32_t>(value);
    return text.str();
}

}  // namespace

PluginInstance::PluginInstance(const PluginModule& module, HostCallback& hostCallback) : host(hostCallback) {
    const std::string from = "'" + module.Path() + "'";
    effect = module.Entry()(&HostCallback::Callback);
    if (effect == nullptr) {
        throw HostError("the entry " + module.EntryName() + " of " + from +
                        " returned no effect: the plug-in refused to start");
    }
    if (effect->magic != kEffectMagic) {
        const int32_t magic = effect->magic;
        effect = nullptr;  // not a record we may call into
        throw HostError("the entry of " + from + " returned a record with magic " + Hex(magic) + ", not " +
                        Hex(kEffectMagic) + " ('VstP'): not a VST 2.4 effect");
    }
    const bool countsSane = effect->numPrograms >= 0 && effect->numPrograms <= kMaxCount &&
                            effect->numParams >= 0 && effect->numParams <= kMaxCount &&
                            effect->numInputs >= 0 && effect->numInputs <= kMaxChannels &&
                            effect->numOutputs >= 0 && effect->numOutputs <= kMaxChannels;
    if (effect->dispatcher == nullptr || !countsSane) {
        effect = nullptr;
        throw HostError("the effect record of " + from + " is implausible (no dispatcher, or counts out of range)");
    }
    accumulate = (effect->flags & effFlagsCanReplacing) == 0 || effect->processReplacing == nullptr;
    Dispatch(effOpen);
}

PluginInstance::~PluginInstance() {
    if (effect == nullptr) {
        return;
    }
    if (processing) {
        StopProcess();
    }
    if (resumed) {
        Suspend();
    }
    Dispatch(effClose);
}

VstIntPtr PluginInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void PluginInstance::Configure(double sampleRate, int32_t blockSize) {
    host.SetSampleRate(sampleRate);
    host.SetBlockSize(blockSize);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, blockSize);
}

void PluginInstance::Resume() {
    Dispatch(effMainsChanged, 0, 1);
    resumed = true;
}

void PluginInstance::Suspend() {
    Dispatch(effMainsChanged, 0, 0);
    resumed = false;
}

void PluginInstance::StartProcess() {
    Dispatch(effStartProcess);
    processing = true;
}

void PluginInstance::StopProcess() {
    Dispatch(effStopProcess);
    processing = false;
}

std::string PluginInstance::CleanText(const char* buffer, size_t size) {
    std::string text;
    for (size_t i = 0; i < size && buffer[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(buffer[i]);
        text += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
    }
    return text;
}

std::string PluginInstance::AskString(VstInt32 opcode, VstInt32 index) const {
    char buffer[kTextBuffer] = {};
    Dispatch(opcode, index, 0, buffer);
    return CleanText(buffer, sizeof buffer);
}

std::string PluginInstance::EffectName() const { return AskString(effGetEffectName); }
std::string PluginInstance::VendorString() const { return AskString(effGetVendorString); }
std::string PluginInstance::ProductString() const { return AskString(effGetProductString); }
VstIntPtr PluginInstance::VendorVersion() const { return Dispatch(effGetVendorVersion); }
VstIntPtr PluginInstance::Category() const { return Dispatch(effGetPlugCategory); }
VstIntPtr PluginInstance::VstVersion() const { return Dispatch(effGetVstVersion); }

bool PluginInstance::InputPin(int32_t index, VstPinProperties& pin) const {
    pin = VstPinProperties{};
    const bool filled = Dispatch(effGetInputProperties, index, 0, &pin) != 0;
    pin.label[kVstMaxLabelLen - 1] = '\0';
    return filled;
}

bool PluginInstance::OutputPin(int32_t index, VstPinProperties& pin) const {
    pin = VstPinProperties{};
    const bool filled = Dispatch(effGetOutputProperties, index, 0, &pin) != 0;
    pin.label[kVstMaxLabelLen - 1] = '\0';
    return filled;
}

std::string PluginInstance::ParameterName(int32_t index) const { return AskString(effGetParamName, index); }
std::string PluginInstance::ParameterLabel(int32_t index) const { return AskString(effGetParamLabel, index); }

float PluginInstance::Parameter(int32_t index) const {
    return effect->getParameter != nullptr ? effect->getParameter(effect, index) : 0.0f;
}

void PluginInstance::SetParameter(int32_t index, float value) {
    if (effect->setParameter == nullptr) {
        throw HostError("the plug-in has no setParameter entry");
    }
    effect->setParameter(effect, index, value);
}

std::string PluginInstance::ProgramName(int32_t index) const {
    char buffer[kTextBuffer] = {};
    if (Dispatch(effGetProgramNameIndexed, index, 0, buffer) == 0) {
        return {};
    }
    return CleanText(buffer, sizeof buffer);
}

void PluginInstance::SetProgram(int32_t index) {
    Dispatch(effBeginSetProgram);
    Dispatch(effSetProgram, 0, index);
    Dispatch(effEndSetProgram);
}

VstIntPtr PluginInstance::CurrentProgram() const { return Dispatch(effGetProgram); }

void PluginInstance::SetProgramName(const std::string& name) {
    // Hosts may send at most 24 characters and the zero.
    char buffer[kVstMaxProgNameLen + 1] = {};
    std::strncpy(buffer, name.c_str(), kVstMaxProgNameLen);
    Dispatch(effSetProgramName, 0, 0, buffer);
}

bool PluginInstance::SetProgramChunk(const void* data, size_t size) {
    // The plug-in may keep reading from the pointer only during the call; it is not ours to hand off.
    return Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(size), const_cast<void*>(data)) != 0;
}

bool PluginInstance::BeginLoadProgram(int32_t uniqueId, int32_t version, int32_t numElements) {
    VstPatchChunkInfo info {};
    info.version = 1;
    info.pluginUniqueID = uniqueId;
    info.pluginVersion = version;
    info.numElements = numElements;
    return Dispatch(effBeginLoadProgram, 0, 0, &info) != -1;
}

void PluginInstance::Process(float** inputs, float** outputs, int32_t frames) {
    if (accumulate) {
        if (effect->process == nullptr) {
            throw HostError("the plug-in has no process entry");
        }
        effect->process(effect, inputs, outputs, frames);
    } else {
        effect->processReplacing(effect, inputs, outputs, frames);
    }
}
