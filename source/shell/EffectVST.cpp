#include "shell/EffectVST.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "ProgramData.h"
#include "editor/EffectEditor.h"
#include "engine/MurmurhallPlug.h"

namespace {

constexpr int kProgramFloats = kNumGlobals + kNumPeople * kFloatsPerPerson;  // person 59's par03 included
static_assert(kProgramFloats * 4 == offsetof(Program, name));
constexpr VstInt32 kProgramChunkSize = sizeof(Program);
constexpr VstInt32 kOldProgramChunkSize = sizeof(Program200);
constexpr VstInt32 kBankChunkSize = sizeof(ProgramData);
constexpr size_t kBankHeaderSize = offsetof(ProgramData, programs);

enum ActionIndex : VstInt32 {
    kPresetMenu = 7,
    kProgramSelect = 8,
    kProgramDown = 9,
    kProgramUp = 10,
    kProgramDisplay = 11,
    kProgramReload = 14,
};

bool IsActionIndex(int index) {
    return index == kPresetMenu || index == kProgramSelect || index == kProgramDown || index == kProgramUp ||
           index == kProgramReload;
}

void SnapshotProgram(const Program& program, unsigned char* out) {
    for (int i = 0; i < kProgramFloats; ++i) {
        const float value = program.Load(i);
        std::memcpy(out + 4 * i, &value, sizeof(value));
    }
    std::memcpy(out + offsetof(Program, name), program.name, kProgramNameSize);
}

// Floats are taken bit for bit, whatever they hold: the engine's derivation guards itself.
void ReadProgram(const unsigned char* bytes, Program& program) {
    for (int i = 0; i < kProgramFloats; ++i) {
        float value;
        std::memcpy(&value, bytes + 4 * i, sizeof(value));
        program.Store(i, value);
    }
    std::memcpy(program.name, bytes + offsetof(Program, name), kProgramNameSize);
    program.name[kProgramNameSize - 1] = '\0';  // every later reader relies on the end
}

void UpgradeProgram(const unsigned char* bytes, Program& program) {
    Program200 old;  // a copy: the host's bytes need not be aligned for floats
    std::memcpy(static_cast<void*>(&old), bytes, sizeof(Program200));
    program.Upgrade(&old);
}

}  // namespace

EffectVST::EffectVST(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams), chunkImage(new unsigned char[kBankChunkSize]()) {
    setEditor(new EffectEditor(this));
    setUniqueID(kUniqueId);
    setInitialDelay(0);
    programsAreChunks(true);
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    canMono(true);
    curProgram.store(0, std::memory_order_relaxed);
    if (engine != nullptr) engine->SetProgramData(0, getSampleRate());
    setProgram(0);
    resume();
}

EffectVST::~EffectVST() = default;

int EffectVST::CountChannels(float** buffers) {
    if (buffers == nullptr) return 0;
    return buffers[1] != nullptr && buffers[1] != buffers[0] ? 2 : 1;
}

void EffectVST::Render(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (outputs == nullptr || sampleFrames <= 0) return;
    const bool haveInput = inputs != nullptr && inputs[0] != nullptr;
    if (!haveInput || outputs[0] == nullptr || engine == nullptr) {
        // Whatever output exists gets silence rather than stale buffer contents.
        const size_t bytes = sizeof(float) * static_cast<size_t>(sampleFrames);
        if (outputs[0] != nullptr) std::memset(outputs[0], 0, bytes);
        if (outputs[1] != nullptr && outputs[1] != outputs[0]) std::memset(outputs[1], 0, bytes);
        return;
    }
    engine->DoProcessReplacing(inputs, outputs, CountChannels(inputs), CountChannels(outputs), sampleFrames);
}

void EffectVST::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    Render(inputs, outputs, sampleFrames);
}

void EffectVST::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    Render(inputs, outputs, sampleFrames);
}

void EffectVST::NotifyEditor(VstInt32 index, float value) {
    if (editor != nullptr) static_cast<EffectEditor*>(editor)->setParameter(index, value);
}

void EffectVST::setParameter(VstInt32 index, float value) {
    if (index < 0 || index >= kNumParams || engine == nullptr) return;
    engine->setParameter(index, value);
    switch (index) {
        case kPresetMenu:
            return;
        case kProgramSelect: {
            const double number = std::trunc(static_cast<double>(value) * 24.0 + 0.5);
            // Numbers that cannot be programs are passed on as -1, so no conversion overflows.
            setProgram(number >= 0.0 && number < kNumPrograms ? static_cast<VstInt32>(number) : -1);
            NotifyEditor(kProgramSelect, value);
            return;
        }
        case kProgramDown:
        case kProgramUp: {
            if (value != 0.0f) return;
            const VstInt32 current = getProgram();
            VstInt32 next = index == kProgramDown ? current - 1 : current + 1;
            if (next < 0) next = kNumPrograms - 1;
            if (next >= kNumPrograms) next = 0;
            if (next == current) {
                NotifyEditor(index, value);
            } else {
                setProgram(next);
                NotifyEditor(kProgramDisplay, static_cast<float>(next));
            }
            return;
        }
        case kProgramReload:
            setProgram(engine->iCurProgram.load(std::memory_order_relaxed));
            return;
        default:
            NotifyEditor(index, value);
            return;
    }
}

float EffectVST::getParameter(VstInt32 index) {
    if (index < 0 || index >= kNumParams || engine == nullptr) return 0.0f;
    return engine->getParameter(index);
}

void EffectVST::getParameterName(VstInt32 index, char* text) {
    if (text == nullptr) return;
    char local[kVstMaxProgNameLen + 8] = {};
    if (engine != nullptr)
        engine->GetParameterName(index, local);
    else
        std::strcpy(local, "NONE");
    local[kVstMaxProgNameLen - 1] = '\0';
    std::memcpy(text, local, std::strlen(local) + 1);
}

void EffectVST::getParameterLabel(VstInt32 /*index*/, char* label) {
    if (label != nullptr) std::strcpy(label, "amount");
}

void EffectVST::getParameterDisplay(VstInt32 /*index*/, char* /*text*/) {}

void EffectVST::setProgram(VstInt32 program) {
    if (static_cast<uint32_t>(program) >= static_cast<uint32_t>(kNumPrograms) || engine == nullptr) return;
    curProgram.store(program, std::memory_order_relaxed);
    beginSetProgram();
    engine->BeginSetProgram();
    engine->SetProgramData(program, getSampleRate());
    const Program& stored = engine->bank.programs[program];
    // The action indices are skipped: sending them would start program changes of their own.
    for (int index = 0; index < kNumParams; ++index)
        if (!IsActionIndex(index)) setParameter(index, stored.Load(index));
    engine->setProgram(program);
    endSetProgram();
    engine->EndSetProgram();
    updateDisplay();
}

void EffectVST::CopyProgramName(char* text, const char* name) {
    const size_t length = strnlen(name, kVstMaxProgNameLen - 1);
    std::memcpy(text, name, length);
    text[length] = '\0';
}

void EffectVST::getProgramName(char* name) {
    if (name == nullptr || engine == nullptr) return;
    CopyProgramName(name, engine->bank.programs[getProgram()].name);
}

void EffectVST::setProgramName(char* name) {
    if (name == nullptr || engine == nullptr) return;
    engine->bank.programs[getProgram()].SetName(name);
}

bool EffectVST::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (text == nullptr || engine == nullptr || index < 0 || index >= kNumPrograms) return false;
    CopyProgramName(text, engine->bank.programs[index].name);
    return true;
}

VstInt32 EffectVST::getChunk(void** data, bool isPreset) {
    if (data == nullptr || engine == nullptr) return 0;
    unsigned char* image = chunkImage.get();
    const ProgramData& bank = engine->bank;
    if (isPreset) {
        SnapshotProgram(bank.programs[getProgram()], image);
        *data = image;
        return kProgramChunkSize;
    }
    std::memcpy(image, &bank.programVersion, sizeof(bank.programVersion));
    std::memcpy(image + sizeof(bank.programVersion), &bank.programFlags, sizeof(bank.programFlags));
    for (int n = 0; n < kNumPrograms; ++n)
        SnapshotProgram(bank.programs[n], image + kBankHeaderSize + kProgramChunkSize * n);
    *data = image;
    return kBankChunkSize;
}

VstInt32 EffectVST::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    if (data == nullptr || engine == nullptr) return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    ProgramData& bank = engine->bank;
    if (isPreset) {
        Program& current = bank.programs[getProgram()];
        if (byteSize == kProgramChunkSize)
            ReadProgram(bytes, current);
        else if (byteSize == kOldProgramChunkSize)
            UpgradeProgram(bytes, current);
        else
            return 0;
    } else if (byteSize == kBankChunkSize) {
        std::memcpy(&bank.programVersion, bytes, sizeof(bank.programVersion));
        std::memcpy(&bank.programFlags, bytes + sizeof(bank.programVersion), sizeof(bank.programFlags));
        for (int n = 0; n < kNumPrograms; ++n)
            ReadProgram(bytes + kBankHeaderSize + kProgramChunkSize * n, bank.programs[n]);
    } else if (byteSize == kOldBankSize) {
        // The old header is ignored and the bank keeps its own.
        for (int n = 0; n < kNumPrograms; ++n)
            UpgradeProgram(bytes + kBankHeaderSize + kOldProgramChunkSize * n, bank.programs[n]);
    } else {
        return 0;
    }
    setProgram(getProgram());
    return 1;
}

void EffectVST::resume() {
    if (engine != nullptr) {
        if (getSampleRate() != GlobalSampleRate()) {
            setSampleRate(getSampleRate());
            setProgram(getProgram());  // hands the new rate to the engine
            engine->ReserveDiffuser();  // here, not on the audio thread, which must not allocate
        }
        engine->resumeDSP();
    }
    AudioEffectX::resume();
}

void EffectVST::setBlockSize(VstInt32 newBlockSize) {
    if (newBlockSize <= 0) return;
    AudioEffectX::setBlockSize(newBlockSize);
    if (engine != nullptr) std::atomic_ref<int32_t>(engine->iBlockSize).store(newBlockSize, std::memory_order_relaxed);
}

VstInt32 EffectVST::canDo(char* text) {
    if (text == nullptr) return -1;
    static const char* const kCapabilities[] = {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents",
                                                "acceptIOChanges"};
    for (const char* capability : kCapabilities)
        if (std::strcmp(text, capability) == 0) return 1;
    return -1;
}

bool EffectVST::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    if (properties == nullptr || index < 0 || index > 1) return false;
    std::snprintf(properties->label, sizeof(properties->label), "ZQ_in %1d In", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    properties->arrangementType = kSpeakerArrStereo;
    return true;
}

bool EffectVST::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (properties == nullptr || index < 0 || index > 1) return false;
    std::snprintf(properties->label, sizeof(properties->label), "ZQ_out %1d In", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool EffectVST::getVendorString(char* text) {
    if (text == nullptr) return false;
    std::strcpy(text, "Pondfrog");
    return true;
}

bool EffectVST::getProductString(char* text) {
    if (text == nullptr) return false;
    std::strcpy(text, "Murmurhall");
    return true;
}

AEffect* CreateMurmurhallEffect(audioMasterCallback audioMaster) {
    if (audioMaster == nullptr) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    // Nothing may escape into the host's C code; running out of memory means no instance.
    try {
        auto* effect = new EffectVST(audioMaster);
        return effect->getAeffect();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
