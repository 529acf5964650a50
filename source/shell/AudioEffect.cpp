#include "shell/AudioEffect.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "shell/AEffEditor.h"

namespace {

constexpr VstInt32 kDefaultUniqueId = 0x4E6F4566;  // 'NoEf' until the subclass sets its own

int CountDigits(long long value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

long long PowerOfTen(int exponent) {
    long long result = 1;
    for (int i = 0; i < exponent; ++i) result *= 10;
    return result;
}

// Eight characters at most, counting sign and point: as many fraction digits as the integer
// part leaves room for. Rounds to the last digit shown, so 0.7f reads 0.700000, not 0.699999.
void FormatFloat(float value, char* out) {
    if (std::isnan(value)) {
        std::strcpy(out, "NaN");
        return;
    }
    const bool negative = value < 0.0f;
    const double magnitude = std::fabs(static_cast<double>(value));
    if (magnitude > (negative ? 9999999.0 : 99999999.0)) {
        std::strcpy(out, "Huge!");
        return;
    }
    const int sign = negative ? 1 : 0;
    const int maxIntDigits = 7 - sign;
    int intDigits = CountDigits(static_cast<long long>(magnitude));
    if (intDigits > maxIntDigits) intDigits = maxIntDigits;
    int fracDigits = 8 - sign - intDigits - 1;
    long long whole = 0;
    long long fraction = 0;
    for (;;) {
        const long long scale = PowerOfTen(fracDigits);
        const long long total = std::llround(magnitude * static_cast<double>(scale));
        whole = total / scale;
        fraction = total % scale;
        int digits = CountDigits(whole);
        if (digits > maxIntDigits) digits = maxIntDigits;
        // A carry out of the fraction can add an integer digit; give up one fraction digit then.
        if (fracDigits == 0 || sign + digits + 1 + fracDigits <= 8) {
            intDigits = digits;
            break;
        }
        --fracDigits;
    }
    whole %= PowerOfTen(maxIntDigits);  // more digits than fit: the lowest ones stay

    char* p = out;
    if (negative) *p++ = '-';
    for (int i = intDigits - 1; i >= 0; --i) *p++ = static_cast<char>('0' + (whole / PowerOfTen(i)) % 10);
    *p++ = '.';
    for (int i = fracDigits - 1; i >= 0; --i) *p++ = static_cast<char>('0' + (fraction / PowerOfTen(i)) % 10);
    *p = '\0';
}

void FormatInt(VstInt32 value, char* out) {
    long long v = value;
    if (v > 99999999 || v < -99999999) {
        std::strcpy(out, "Huge!");
        return;
    }
    char* p = out;
    if (v < 0) {
        *p++ = '-';
        v = -v;
    }
    bool started = false;
    for (long long divisor = 100000000; divisor >= 1; divisor /= 10) {
        const int digit = static_cast<int>(v / divisor);
        v %= divisor;
        if (digit != 0) started = true;
        if (started) *p++ = static_cast<char>('0' + digit);
    }
    *p = '\0';
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kDefaultUniqueId;
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() { delete editor; }

float AudioEffect::SaneSampleRate(float rate) {
    if (!std::isfinite(rate) || rate <= 0.0f) return 0.0f;
    if (rate < kMinSampleRate) return kMinSampleRate;
    if (rate > kMaxSampleRate) return kMaxSampleRate;
    return rate;
}

void AudioEffect::setSampleRate(float newSampleRate) {
    const float rate = SaneSampleRate(newSampleRate);
    if (rate > 0.0f) sampleRate.store(rate, std::memory_order_relaxed);
}

void AudioEffect::setBlockSize(VstInt32 newBlockSize) {
    if (newBlockSize > 0) blockSize.store(newBlockSize, std::memory_order_relaxed);
}

VstIntPtr AudioEffect::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (audioMaster == nullptr) return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::CopyText(char* text, const char* source, VstInt32 maxLen) {
    if (text == nullptr || maxLen < 0) return;
    std::strncpy(text, source, static_cast<size_t>(maxLen));
    text[maxLen] = '\0';
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effOpen:
            open();
            return 0;
        case effClose:
            close();
            return 0;
        case effSetProgram:
            // Signed test as the interface defines it; values beyond 32 bits must not wrap into range.
            if (value < numPrograms) setProgram(value < INT32_MIN ? -1 : static_cast<VstInt32>(value));
            return 0;
        case effGetProgram:
            return getProgram();
        case effSetProgramName:
            if (ptr != nullptr) setProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetProgramName:
            if (ptr != nullptr) getProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetParamLabel:
            if (ptr != nullptr) getParameterLabel(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamDisplay:
            if (ptr != nullptr) getParameterDisplay(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamName:
            if (ptr != nullptr) getParameterName(index, static_cast<char*>(ptr));
            return 0;
        case effGetVu: {
            const double vu = static_cast<double>(getVu()) * 32767.0;
            if (!std::isfinite(vu) || std::fabs(vu) > 2147483647.0) return 0;  // no cast of what cannot fit
            return static_cast<VstIntPtr>(vu);
        }
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            setBlockSize(value > INT32_MAX || value < 0 ? 0 : static_cast<VstInt32>(value));
            return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        default:
            break;
    }
    if (opcode >= effEditGetRect && opcode <= effEditSleep) {
        if (editor == nullptr) return 0;
        switch (opcode) {
            case effEditGetRect:
                if (ptr == nullptr) return 0;
                return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
            case effEditOpen:
                return editor->open(ptr) ? 1 : 0;
            case effEditClose:
                editor->close();
                return 0;
            case effEditDraw:
                editor->draw(static_cast<ERect*>(ptr));
                return 0;
            case effEditMouse:
                return editor->mouse(index, static_cast<VstInt32>(value));
            case effEditKey:
                return editor->key(static_cast<VstInt32>(value));
            case effEditIdle:
                editor->idle();
                return 0;
            case effEditTop:
                editor->top();
                return 0;
            case effEditSleep:
                editor->sleep();
                return 0;
            default:
                return 0;
        }
    }
    switch (opcode) {
        case effIdentify:
            return kEffectIdentifyAnswer;
        case effGetChunk:
            if (ptr == nullptr) return 0;
            return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk:
            if (ptr == nullptr || value < 0 || value > INT32_MAX) return 0;
            return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        default:
            return 0;
    }
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    CallHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getProgramName(char* name) {
    if (name != nullptr) name[0] = '\0';
}

void AudioEffect::getParameterLabel(VstInt32 /*index*/, char* label) {
    if (label != nullptr) label[0] = '\0';
}

void AudioEffect::getParameterDisplay(VstInt32 /*index*/, char* text) {
    if (text != nullptr) text[0] = '\0';
}

void AudioEffect::getParameterName(VstInt32 /*index*/, char* text) {
    if (text != nullptr) text[0] = '\0';
}

VstInt32 AudioEffect::getMasterVersion() {
    const VstIntPtr version = CallHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<VstInt32>(version);
}

VstInt32 AudioEffect::getCurrentUniqueId() { return static_cast<VstInt32>(CallHost(audioMasterCurrentId)); }

void AudioEffect::masterIdle() { CallHost(audioMasterIdle); }

bool AudioEffect::isInputConnected(VstInt32 input) { return CallHost(audioMasterPinConnected, input, 0) == 0; }

bool AudioEffect::isOutputConnected(VstInt32 output) { return CallHost(audioMasterPinConnected, output, 1) == 0; }

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    if (value <= 0.0f)
        CopyText(text, "-oo", maxLen);
    else
        float2string(20.0f * std::log10(value), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    const float rate = getSampleRate();
    float2string(samples == 0.0f ? 0.0f : rate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    float2string(samples * 1000.0f / getSampleRate(), text, maxLen);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    char out[16];
    FormatFloat(value, out);
    CopyText(text, out, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    char out[16];
    FormatInt(value, out);
    CopyText(text, out, maxLen);
}

VstIntPtr AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                           float opt) {
    if (e == nullptr || e->object == nullptr) return 0;
    auto* effect = static_cast<AudioEffect*>(e->object);
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index) {
    if (e == nullptr || e->object == nullptr) return 0.0f;
    return static_cast<AudioEffect*>(e->object)->getParameter(index);
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value) {
    if (e == nullptr || e->object == nullptr) return;
    static_cast<AudioEffect*>(e->object)->setParameter(index, value);
}

void AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (e == nullptr || e->object == nullptr) return;
    static_cast<AudioEffect*>(e->object)->process(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (e == nullptr || e->object == nullptr) return;
    static_cast<AudioEffect*>(e->object)->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                              VstInt32 sampleFrames) {
    if (e == nullptr || e->object == nullptr) return;
    static_cast<AudioEffect*>(e->object)->processDoubleReplacing(inputs, outputs, sampleFrames);
}
