// A tiny VST 2.4 gain plug-in that murmurhall-host's tests load through the real interface. It
// is built several times with different entry behaviour (see tests/tools/CMakeLists.txt) and,
// when MH_FIXTURE_LOG names a file, records there the host's calls and its answers.
//
// Parameters: 0 gain (output = input x value), 1 poison (>= 0.5: every 64th left sample is NaN).
// Programs set the gain: "1 Unity" 1.0, "2 Half Level" 0.5, "3 Stadium Chant" 0.25. The program
// chunk is "FxTs" and the two parameters.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "shell/Vst24Abi.h"

#ifndef FIXTURE_LATENCY
#define FIXTURE_LATENCY 0
#endif

namespace {

constexpr int kPrograms = 3;
constexpr int kDelay = FIXTURE_LATENCY > 0 ? FIXTURE_LATENCY : 1;
const char* const kProgramNames[kPrograms] = {"1 Unity", "2 Half Level", "3 Stadium Chant"};
const float kProgramGains[kPrograms] = {1.0f, 0.5f, 0.25f};

struct Fixture {
    AEffect effect;
    audioMasterCallback host = nullptr;
    std::FILE* log = nullptr;
    float params[2] = {1.0f, 0.0f};
    int program = 0;
    long calls = 0, frames = 0, largest = 0;  // since the last start of processing
    bool sameInput = false;
    float delay[2][kDelay] = {};
    int delayPos = 0;
};

Fixture* Self(AEffect* effect) { return static_cast<Fixture*>(effect->object); }

long Ask(Fixture* self, VstInt32 opcode) { return long(self->host(&self->effect, opcode, 0, 0, nullptr, 0.0f)); }

VstIntPtr Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    Fixture* self = Self(effect);
    std::fprintf(self->log, "op %d %d %ld %g\n", opcode, index, long(value), opt);
    switch (opcode) {
        case effClose:
            std::fclose(self->log);
            delete self;
            return 1;
        case effSetProgram:
            if (value >= 0 && value < kPrograms) self->params[0] = kProgramGains[self->program = int(value)];
            return 0;
        case effGetProgram: return self->program;
        case effGetProgramNameIndexed:
            if (index < 0 || index >= kPrograms) return 0;
            return std::snprintf(static_cast<char*>(ptr), 25, "%s", kProgramNames[index]);
        case effSetChunk:
            if (ptr == nullptr || value != 12 || std::memcmp(ptr, "FxTs", 4) != 0) return 0;
            std::memcpy(self->params, static_cast<const char*>(ptr) + 4, sizeof self->params);
            return 1;
        case effStartProcess:
            self->calls = self->frames = self->largest = 0;
            std::fprintf(self->log, "host rate=%ld block=%ld level=%ld\n", Ask(self, audioMasterGetSampleRate),
                         Ask(self, audioMasterGetBlockSize), Ask(self, audioMasterGetCurrentProcessLevel));
            return 0;
        case effStopProcess:
            std::fprintf(self->log, "processed calls=%ld frames=%ld largest=%ld sameInput=%d\n", self->calls,
                         self->frames, self->largest, int(self->sameInput));
            return 0;
        default: return 0;
    }
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    Fixture* self = Self(effect);
    self->sameInput = inputs[0] == inputs[1];
    for (VstInt32 i = 0; i < frames; ++i) {
        float out[2] = {inputs[0][i] * self->params[0], inputs[1][i] * self->params[0]};
        for (int c = 0; c < 2 && FIXTURE_LATENCY > 0; ++c) std::swap(out[c], self->delay[c][self->delayPos]);
        self->delayPos = (self->delayPos + 1) % kDelay;
        if (self->params[1] >= 0.5f && (self->frames + i) % 64 == 0) out[0] = std::numeric_limits<float>::quiet_NaN();
        outputs[0][i] = out[0];
        outputs[1][i] = out[1];
    }
    ++self->calls;
    self->frames += frames;
    self->largest = self->largest > frames ? self->largest : frames;
}

void SetParameter(AEffect* effect, VstInt32 index, float value) {
    if (index >= 0 && index < 2) Self(effect)->params[index] = value;
}

[[maybe_unused]] AEffect* Create(audioMasterCallback host) {
    const char* logPath = std::getenv("MH_FIXTURE_LOG");
    auto* self = new Fixture {AEffect {}, host, std::fopen(logPath != nullptr ? logPath : "/dev/null", "a")};
    std::fprintf(self->log, "entry version=%ld\n", long(host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f)));
    // In the record's order: magic, entries, counts of programs, parameters, inputs and outputs,
    // flags, two reserved, latency, two qualities, I/O ratio, object, user, ID 'FxTs', version.
    self->effect = {kEffectMagic, Dispatcher, ProcessReplacing, SetParameter, nullptr, kPrograms, 2, 2, 2,
                    effFlagsCanReplacing | effFlagsProgramChunks, 0, 0, FIXTURE_LATENCY, 0, 0, 1.0f, self, nullptr,
                    0x46785473, 3, ProcessReplacing, nullptr, {}};
    return &self->effect;
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
