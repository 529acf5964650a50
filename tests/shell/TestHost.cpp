#include "TestHost.h"

#include "shell/EffectVST.h"

TestHost* TestHost::current = nullptr;

TestHost::TestHost() {
    answers[audioMasterVersion] = kVstVersion;
    current = this;
}

TestHost::~TestHost() {
    if (current == this) current = nullptr;
}

VstIntPtr TestHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    if (current == nullptr) return 0;
    current->calls.push_back({effect, opcode, index, value, ptr, opt});
    const auto answer = current->answers.find(opcode);
    return answer == current->answers.end() ? 0 : answer->second;
}

AEffect* TestHost::Load() {
    AEffect* effect = CreateMurmurhallEffect(Callback);
    if (effect == nullptr) return nullptr;
    Dispatch(effect, effOpen);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effect, effSetBlockSize, 0, 512);
    Dispatch(effect, effMainsChanged, 0, 1);
    return effect;
}

void TestHost::Unload(AEffect* effect) {
    if (effect == nullptr) return;
    Dispatch(effect, effMainsChanged, 0, 0);
    Dispatch(effect, effClose);
}

VstIntPtr TestHost::Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

int TestHost::Count(VstInt32 opcode) const {
    int count = 0;
    for (const HostCall& call : calls)
        if (call.opcode == opcode) ++count;
    return count;
}
