// What the shell tests share: a plain VST 2.4 host that records every callback, the base classes
// with nothing overridden, and the effect shell loaded the way a host loads it, with the editor's
// notifications recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/MurmurhallPlug.h"
#include "shell/EffectVST.h"

// One callback as the host saw it: effect, opcode, index, value, ptr, opt.
using HostCall = std::tuple<AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float>;

// Answers per opcode, 0 when unlisted (the version query answers 2400). One host at a time.
struct TestHost {
    TestHost() { current = this; }
    ~TestHost() { current = nullptr; }
    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) {
        if (current == nullptr) return 0;
        current->calls.emplace_back(effect, opcode, index, value, ptr, opt);
        const auto answer = current->answers.find(opcode);
        return answer == current->answers.end() ? 0 : answer->second;
    }
    int Count(VstInt32 opcode) const {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [&](const HostCall& c) { return std::get<1>(c) == opcode; }));
    }

    std::vector<HostCall> calls;
    std::map<VstInt32, VstIntPtr> answers{{audioMasterVersion, kVstVersion}};
    static inline TestHost* current = nullptr;
};

inline VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

class BareEffect : public AudioEffectX {
public:
    explicit BareEffect(audioMasterCallback master = nullptr) : AudioEffectX(master, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
    VstInt32 Flags() const { return cEffect.flags; }
};

class SpyShell : public EffectVST {
public:
    using EffectVST::EffectVST;
    std::vector<std::pair<VstInt32, float>> notes;

protected:
    void NotifyEditor(VstInt32 index, float value) override {
        notes.emplace_back(index, value);
        EffectVST::NotifyEditor(index, value);
    }
};

using Bytes = std::vector<unsigned char>;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        shell = new SpyShell(TestHost::Callback);
        effect = shell->getAeffect();
        Call(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        Call(effSetBlockSize, 0, 512);
        Call(effMainsChanged, 0, 1);
        shell->notes.clear();
        host.calls.clear();
    }
    void TearDown() override { Call(effClose); }

    VstIntPtr Call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return Dispatch(effect, opcode, index, value, ptr, opt);
    }
    void Set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float Get(VstInt32 index) { return effect->getParameter(effect, index); }
    VstIntPtr Program() { return Call(effGetProgram); }
    Bytes GetChunk(VstInt32 preset) {
        void* data = nullptr;
        const VstIntPtr size = Call(effGetChunk, preset, 0, &data);
        const auto* bytes = static_cast<const unsigned char*>(data);
        return size > 0 ? Bytes(bytes, bytes + size) : Bytes();
    }
    VstIntPtr SetChunk(Bytes& bytes, VstInt32 preset) {
        return Call(effSetChunk, preset, static_cast<VstIntPtr>(bytes.size()), bytes.data());
    }

    TestHost host;
    SpyShell* shell = nullptr;
    AEffect* effect = nullptr;
};
