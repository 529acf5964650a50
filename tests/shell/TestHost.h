// A host for the shell tests: answers the plug-in's callbacks the way a plain VST 2.4 host does and
// records every call, so tests can check what the plug-in asked for. One host is current at a time.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "shell/Vst24Abi.h"

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class TestHost {
public:
    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);

    // Loads an instance the way a host does: the entry, then open, rate, block size and resume.
    AEffect* Load();
    // Closes an instance through its dispatcher, as a host unloads it.
    static void Unload(AEffect* effect);
    static VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f);

    int Count(VstInt32 opcode) const;
    void Clear() { calls.clear(); }

    std::vector<HostCall> calls;
    // Answer per host opcode; opcodes not listed answer 0 (the version query answers 2400).
    std::map<VstInt32, VstIntPtr> answers;

private:
    static TestHost* current;
};

// Closes the instance when the test ends, whatever it asserted.
class LoadedEffect {
public:
    explicit LoadedEffect(AEffect* effect) : effect(effect) {}
    ~LoadedEffect() { TestHost::Unload(effect); }
    LoadedEffect(const LoadedEffect&) = delete;
    LoadedEffect& operator=(const LoadedEffect&) = delete;
    AEffect* get() const { return effect; }
    AEffect* operator->() const { return effect; }

private:
    AEffect* effect;
};
