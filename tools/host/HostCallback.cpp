#include "HostCallback.h"

#include <cmath>
#include <cstring>

std::atomic<HostCallback*> HostCallback::active{nullptr};

namespace {

// The plug-in's buffer for these strings holds 64 bytes; write no more than that.
VstIntPtr CopyHostString(void* ptr, const char* text) {
    if (ptr == nullptr) {
        return 0;
    }
    char* out = static_cast<char*>(ptr);
    std::strncpy(out, text, kVstMaxVendorStrLen - 1);
    out[kVstMaxVendorStrLen - 1] = '\0';
    return 1;
}

// Only what this host really does; a 1 to anything else would invite calls it cannot serve.
VstIntPtr CanDo(const void* ptr) {
    if (ptr == nullptr) {
        return 0;
    }
    const char* text = static_cast<const char*>(ptr);
    return std::strcmp(text, "startStopProcess") == 0 ? 1 : 0;
}

}  // namespace

HostCallback::HostCallback() {
    active.store(this, std::memory_order_release);
}

HostCallback::~HostCallback() {
    HostCallback* self = this;
    active.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

void HostCallback::SetSampleRate(double rate) {
    sampleRate.store(rate, std::memory_order_relaxed);
}

void HostCallback::SetBlockSize(int32_t frames) {
    blockSize.store(frames, std::memory_order_relaxed);
}

void HostCallback::SetProcessLevel(int32_t level) {
    processLevel.store(level, std::memory_order_relaxed);
}

void HostCallback::SetAutomationLog(std::FILE* out) {
    automationLog.store(out, std::memory_order_release);
}

VstIntPtr HostCallback::Callback(AEffect* /*effect*/, VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/,
                                 void* ptr, float opt) noexcept {
    // With no host object (yet, or any more) answer as a freshly made host would.
    const HostCallback* host = active.load(std::memory_order_acquire);
    switch (opcode) {
        case audioMasterVersion: return kVstVersion;
        case audioMasterGetSampleRate: {
            const double rate = host != nullptr ? host->sampleRate.load(std::memory_order_relaxed) : 44100.0;
            return static_cast<VstIntPtr>(std::lround(rate));
        }
        case audioMasterGetBlockSize:
            return host != nullptr ? host->blockSize.load(std::memory_order_relaxed) : 512;
        case audioMasterGetCurrentProcessLevel:
            return host != nullptr ? host->processLevel.load(std::memory_order_relaxed) : kVstProcessLevelUser;
        case audioMasterGetVendorString: return CopyHostString(ptr, kVendor);
        case audioMasterGetProductString: return CopyHostString(ptr, kProduct);
        case audioMasterCanDo: return CanDo(ptr);
        case audioMasterAutomate:
        case audioMasterBeginEdit:
        case audioMasterEndEdit: {
            std::FILE* log = host != nullptr ? host->automationLog.load(std::memory_order_acquire) : nullptr;
            if (log != nullptr) {
                if (opcode == audioMasterAutomate) {
                    std::fprintf(log, "automate %d %.6f\n", index, static_cast<double>(opt));
                } else {
                    std::fprintf(log, "%s %d\n", opcode == audioMasterBeginEdit ? "begin" : "end", index);
                }
                // A reader on a pipe sees each line as it happens.
                std::fflush(log);
            }
            return opcode == audioMasterAutomate ? 0 : 1;
        }
        case audioMasterUpdateDisplay: return 1;
        // We pass no MIDI, so we do not claim to take part in it.
        case audioMasterWantMidi: return 0;
        default: return 0;
    }
}
