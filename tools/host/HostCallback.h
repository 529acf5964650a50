// The host's side of the VST 2.4 callback. A plug-in may call it before its AEffect exists (the
// version query of the entry function), so the answering host is one process-wide object.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "shell/Vst24Abi.h"

class HostCallback {
public:
    static constexpr const char* kVendor = "Murmurhall";
    static constexpr const char* kProduct = "murmurhall-host";

    // Main thread: becomes the process's answering host until destroyed.
    HostCallback();
    // Main thread.
    ~HostCallback();
    HostCallback(const HostCallback&) = delete;
    HostCallback& operator=(const HostCallback&) = delete;

    // Main thread: what the plug-in reads back through GetSampleRate and GetBlockSize.
    void SetSampleRate(double rate);
    void SetBlockSize(int32_t frames);
    // Main thread: kVstProcessLevelOffline while rendering, kVstProcessLevelUser otherwise.
    void SetProcessLevel(int32_t level);
    // Main thread: with a stream, every automation and gesture bracket the plug-in reports is
    // written to it as one line ("automate INDEX VALUE", "begin INDEX", "end INDEX"); null: none.
    void SetAutomationLog(std::FILE* out);

    // Any thread: the function handed to the plug-in's entry. Tolerates a null effect and any
    // opcode; answers 0 to everything it does not know.
    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) noexcept;

private:
    std::atomic<double> sampleRate{44100.0};
    std::atomic<int32_t> blockSize{512};
    std::atomic<int32_t> processLevel{kVstProcessLevelUser};
    std::atomic<std::FILE*> automationLog{nullptr};

    static std::atomic<HostCallback*> active;
};
