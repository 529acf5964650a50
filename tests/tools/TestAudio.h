// Sound files for the host tests: written and read back with libsndfile.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

struct TestAudio {
    SF_INFO info {};
    std::vector<float> samples;  // interleaved

    int Channels() const { return info.channels; }
    size_t Frames() const { return info.channels > 0 ? samples.size() / static_cast<size_t>(info.channels) : 0; }
    float At(size_t frame, int channel) const { return samples[frame * static_cast<size_t>(info.channels) + static_cast<size_t>(channel)]; }
    // Largest |x| over frames [begin, end) of one channel (or all channels with -1).
    float Peak(size_t begin = 0, size_t end = static_cast<size_t>(-1), int channel = -1) const;

    // A sine of `frequency` Hz at `amplitude`, channel c at frequency x (c + 1); libsndfile
    // `format` such as SF_FORMAT_WAV | SF_FORMAT_PCM_16.
    static void WriteTone(const std::string& path, int channels, int rate, size_t frames, int format,
                          float amplitude = 0.5f, double frequency = 441.0);
    // Writes interleaved samples.
    static void Write(const std::string& path, int channels, int rate, int format, const std::vector<float>& samples);
    // Reads a whole file; `info.frames` is 0 and `samples` empty when it cannot be opened.
    static TestAudio Read(const std::string& path);
};
