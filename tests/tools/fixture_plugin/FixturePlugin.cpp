// A tiny VST 2.4 gain plug-in that murmurhall-host's tests load through the real interface. It
// is built several times with different entry behaviour (see tests/tools/CMakeLists.txt) and,
// when MH_FIXTURE_LOG names a file, records the host's calls and answers there.
//
// Parameters: 0 "Gain" (output = input x value), 1 "Poison" (>= 0.5: every 64th left sample is
// NaN), 2 "Swap" (>= 0.5: left and right exchanged). Programs set the gain: "1 Unity" 1.0,
// "2 Half Level" 0.5, "3 Stadium Chant" 0.25. The program chunk is "FxTs" and the three floats.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "shell/Vst24Abi.h"

#ifndef FIXTURE_LATENCY
#define FIXTURE_LATENCY 0
#endif

namespace {

constexpr int kPrograms = 3;
constexpr int kParams = 3;
constexpr int kChunkSize = 16;
constexpr int kMaxDelay = FIXTURE_LATENCY > 0 ? FIXTURE_LATENCY : 1;
const char* const kProgramNames[kPrograms] = {"1 Unity", "2 Half Level", "3 Stadium Chant"};
const float kProgramGains[kPrograms] = {1.0f, 0.5f, 0.25f};
const char* const kParamNames[kParams] = {"Gain", "Poison", "Swap"};

struct Fixture {
    AEffect effect;  // first, so the AEffect pointer is the object pointer
    audioMasterCallback host = nullptr;
    float params[kParams] = {1.0f, 0.0f, 0.0f};
    int program = 0;
    char names[kPrograms][32] = {};
    unsigned char chunk[kChunkSize] = {};
    std::FILE* log = nullptr;
    long processCalls = 0;
    long processedFrames = 0;
    long largestBlock = 0;
    float delay[2][kMaxDelay] = {};
    int delayPos = 0;
};

Fixture* Self(AEffect* effect) { return static_cast<Fixture*>(effect->object); }

void Copy(void* ptr, const char* text, size_t size) {
    if (ptr != nullptr) {
        std::strncpy(static_cast<char*>(ptr), text, size - 1);
        static_cast<char*>(ptr)[size - 1] = '\0';
    }
}

void LogHostAnswers(Fixture* self) {
    if (self->log == nullptr) {
        return;
    }
    AEffect* e = &self->effect;
    char vendor[64] = {};
    char product[64] = {};
    const VstIntPtr gotVendor = self->host(e, audioMasterGetVendorString, 0, 0, vendor, 0.0f);
    const VstIntPtr gotProduct = self->host(e, audioMasterGetProductString, 0, 0, product, 0.0f);
    char startStop[] = "startStopProcess";
    char sendEvents[] = "sendVstEvents";
    std::fprintf(self->log,
                 "host rate=%ld block=%ld level=%ld vendor=%s(%ld) product=%s(%ld) startStop=%ld sendVstEvents=%ld "
                 "candoNull=%ld update=%ld automate=%ld wantMidi=%ld unknown=%ld rateNullEffect=%ld\n",
                 static_cast<long>(self->host(e, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f)),
                 static_cast<long>(self->host(e, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f)),
                 static_cast<long>(self->host(e, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f)), vendor,
                 static_cast<long>(gotVendor), product, static_cast<long>(gotProduct),
                 static_cast<long>(self->host(e, audioMasterCanDo, 0, 0, startStop, 0.0f)),
                 static_cast<long>(self->host(e, audioMasterCanDo, 0, 0, sendEvents, 0.0f)),
                 static_cast<long>(self->host(e, audioMasterCanDo, 0, 0, nullptr, 0.0f)),
                 static_cast<long>(self->host(e, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f)),
                 static_cast<long>(self->host(e, audioMasterAutomate, 0, 0, nullptr, 0.5f)),
                 static_cast<long>(self->host(e, audioMasterWantMidi, 0, 1, nullptr, 0.0f)),
                 static_cast<long>(self->host(e, 9999, 0, 0, nullptr, 0.0f)),
                 static_cast<long>(self->host(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f)));
}

void SetProgram(Fixture* self, VstIntPtr program) {
    if (program >= 0 && program < kPrograms) {
        self->program = static_cast<int>(program);
        self->params[0] = kProgramGains[program];
    }
}

VstIntPtr Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    Fixture* self = Self(effect);
    if (self->log != nullptr) {
        std::fprintf(self->log, "op %d index %d value %ld opt %g\n", opcode, index, static_cast<long>(value),
                     static_cast<double>(opt));
    }
    switch (opcode) {
        case effClose:
            if (self->log != nullptr) {
                std::fclose(self->log);
            }
            delete self;
            return 1;
        case effSetProgram: SetProgram(self, value); return 0;
        case effGetProgram: return self->program;
        case effSetProgramName:
            if (ptr != nullptr) Copy(self->names[self->program], static_cast<const char*>(ptr), 25);
            return 0;
        case effGetProgramName: Copy(ptr, self->names[self->program], 25); return 0;
        case effGetParamLabel: Copy(ptr, index == 0 ? "x" : "", 9); return 0;
        case effGetParamName:
            if (index >= 0 && index < kParams) Copy(ptr, kParamNames[index], 9);
            return 0;
        case effMainsChanged:
            if (value != 0) {
                LogHostAnswers(self);
            } else if (self->log != nullptr) {
                std::fprintf(self->log, "processed calls=%ld frames=%ld largest=%ld\n", self->processCalls,
                             self->processedFrames, self->largestBlock);
            }
            return 0;
        case effGetChunk: {
            if (ptr == nullptr) return 0;
            std::memcpy(self->chunk, "FxTs", 4);
            std::memcpy(self->chunk + 4, self->params, sizeof self->params);
            *static_cast<void**>(ptr) = self->chunk;
            return kChunkSize;
        }
        case effSetChunk:
            if (ptr == nullptr || value != kChunkSize || std::memcmp(ptr, "FxTs", 4) != 0) return 0;
            std::memcpy(self->params, static_cast<const char*>(ptr) + 4, sizeof self->params);
            return 1;
        case effGetProgramNameIndexed:
            if (index < 0 || index >= kPrograms) return 0;
            Copy(ptr, self->names[index], 25);
            return 1;
        case effGetInputProperties:
        case effGetOutputProperties: {
            if (index < 0 || index > 1 || ptr == nullptr) return 0;
            auto* pin = static_cast<VstPinProperties*>(ptr);
            std::snprintf(pin->label, sizeof pin->label, "Fixture %s %c", opcode == effGetInputProperties ? "In" : "Out",
                          index == 0 ? 'L' : 'R');
            pin->flags = kVstPinIsActive | (index == 0 ? kVstPinIsStereo : 0);
            return 1;
        }
        case effGetPlugCategory: return kPlugCategEffect;
        case effGetEffectName: Copy(ptr, "Fixture Gain", 32); return 1;
        case effGetVendorString: Copy(ptr, "Murmurhall Tests", 64); return 1;
        case effGetProductString: Copy(ptr, "Fixture", 64); return 1;
        case effGetVendorVersion: return 7;
        case effGetVstVersion: return kVstVersion;
        case effBeginLoadProgram: return 1;
        default: return 0;
    }
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    Fixture* self = Self(effect);
    if (self->processCalls == 0 && self->log != nullptr) {
        std::fprintf(self->log, "first process frames=%d sameInput=%d level=%ld\n", frames,
                     inputs[0] == inputs[1] ? 1 : 0,
                     static_cast<long>(self->host(effect, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f)));
    }
    ++self->processCalls;
    self->processedFrames += frames;
    if (frames > self->largestBlock) self->largestBlock = frames;
    const float gain = self->params[0];
    const bool poison = self->params[1] >= 0.5f;
    const bool swap = self->params[2] >= 0.5f;
    for (VstInt32 i = 0; i < frames; ++i) {
        float left = inputs[0][i] * gain;
        float right = inputs[1][i] * gain;
        if (swap) {
            const float t = left;
            left = right;
            right = t;
        }
        if (FIXTURE_LATENCY > 0) {
            const float delayedLeft = self->delay[0][self->delayPos];
            const float delayedRight = self->delay[1][self->delayPos];
            self->delay[0][self->delayPos] = left;
            self->delay[1][self->delayPos] = right;
            self->delayPos = (self->delayPos + 1) % kMaxDelay;
            left = delayedLeft;
            right = delayedRight;
        }
        if (poison && (self->processedFrames - frames + i) % 64 == 0) {
            left = std::numeric_limits<float>::quiet_NaN();
        }
        outputs[0][i] = left;
        outputs[1][i] = right;
    }
}

void Process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    ProcessReplacing(effect, inputs, outputs, frames);
}

void SetParameter(AEffect* effect, VstInt32 index, float value) {
    if (index >= 0 && index < kParams) Self(effect)->params[index] = value;
}

float GetParameter(AEffect* effect, VstInt32 index) {
    return index >= 0 && index < kParams ? Self(effect)->params[index] : 0.0f;
}

[[maybe_unused]] AEffect* Create(audioMasterCallback host) {
    std::FILE* log = nullptr;
    if (const char* path = std::getenv("MH_FIXTURE_LOG")) {
        log = std::fopen(path, "a");
    }
    const VstIntPtr version = host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
    if (log != nullptr) {
        std::fprintf(log, "entry version=%ld\n", static_cast<long>(version));
    }
    if (version == 0) {
        if (log != nullptr) std::fclose(log);
        return nullptr;
    }
    auto* self = new Fixture();
    self->host = host;
    self->log = log;
    for (int i = 0; i < kPrograms; ++i) {
        Copy(self->names[i], kProgramNames[i], sizeof self->names[i]);
    }
    AEffect& e = self->effect;
    e.magic = kEffectMagic;
    e.dispatcher = Dispatcher;
    e.process = Process;
    e.setParameter = SetParameter;
    e.getParameter = GetParameter;
    e.numPrograms = kPrograms;
    e.numParams = kParams;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsProgramChunks;
    e.initialDelay = FIXTURE_LATENCY;
    e.ioRatio = 1.0f;
    e.object = self;
    e.uniqueID = 0x46785473;  // 'FxTs'
    e.version = 3;
    e.processReplacing = ProcessReplacing;
    return &e;
}

}  // namespace

#define FIXTURE_EXPORT extern "C" __attribute__((visibility("default")))

#if defined(FIXTURE_NO_ENTRY)
FIXTURE_EXPORT int FixtureNotAnEntry() { return 0; }
#elif defined(FIXTURE_NULL_ENTRY)
FIXTURE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
#elif defined(FIXTURE_BAD_MAGIC)
FIXTURE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) {
    static AEffect impostor {};
    impostor.magic = 0x12345678;
    return &impostor;
}
#elif defined(FIXTURE_MAIN_ONLY)
// Only the legacy name; the assembler name sidesteps C++'s rules for a function called main.
FIXTURE_EXPORT AEffect* FixtureLegacyMain(audioMasterCallback host) __asm__("main");
FIXTURE_EXPORT AEffect* FixtureLegacyMain(audioMasterCallback host) { return Create(host); }
#else
FIXTURE_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) { return Create(host); }
#endif
