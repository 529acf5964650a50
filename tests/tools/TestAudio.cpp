#include "TestAudio.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

float TestAudio::Peak(size_t begin, size_t end, int channel) const {
    float peak = 0.0f;
    end = std::min(end, Frames());
    for (size_t f = begin; f < end; ++f) {
        for (int c = 0; c < Channels(); ++c) {
            if (channel < 0 || channel == c) peak = std::max(peak, std::fabs(At(f, c)));
        }
    }
    return peak;
}

void TestAudio::Write(const std::string& path, int channels, int rate, int format, const std::vector<float>& samples) {
    SF_INFO info {};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot write test file " + path + ": " + sf_strerror(nullptr));
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / static_cast<size_t>(channels)));
    sf_close(file);
}

void TestAudio::WriteTone(const std::string& path, int channels, int rate, size_t frames, int format, float amplitude,
                          double frequency) {
    std::vector<float> samples(frames * static_cast<size_t>(channels));
    for (size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double phase = 2.0 * M_PI * frequency * (c + 1) * static_cast<double>(f) / rate;
            samples[f * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                amplitude * static_cast<float>(std::sin(phase));
        }
    }
    Write(path, channels, rate, format, samples);
}

TestAudio TestAudio::Read(const std::string& path) {
    TestAudio audio;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
    if (file == nullptr) {
        audio.info = SF_INFO {};
        return audio;
    }
    audio.samples.resize(static_cast<size_t>(audio.info.frames) * static_cast<size_t>(audio.info.channels));
    const sf_count_t got = sf_readf_float(file, audio.samples.data(), audio.info.frames);
    audio.samples.resize(static_cast<size_t>(got) * static_cast<size_t>(audio.info.channels));
    sf_close(file);
    return audio;
}
