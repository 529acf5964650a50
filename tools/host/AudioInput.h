// The sound file being rendered, read block by block through libsndfile.
#pragma once

#include <sndfile.h>

#include <cstddef>
#include <string>

class AudioInput {
public:
    // Main thread: opens the file; throws HostError when it is missing, unreadable, not a
    // sound file, or has other than one or two channels.
    explicit AudioInput(const std::string& path);
    // Main thread.
    ~AudioInput();
    AudioInput(const AudioInput&) = delete;
    AudioInput& operator=(const AudioInput&) = delete;

    // Main thread: the file's channel count (1 or 2) and rate in Hz.
    int Channels() const { return info.channels; }
    int SampleRate() const { return info.samplerate; }
    // Main thread: frames the header announces (the file may still end earlier).
    sf_count_t Frames() const { return info.frames; }
    // Main thread: libsndfile's format word (container and sample encoding).
    int Format() const { return info.format; }

    // Main thread: reads up to `frames` interleaved frames as floats in -1..1 (integer sources)
    // and returns how many came; 0 at the end. Throws HostError on a read error.
    size_t Read(float* interleaved, size_t frames);

private:
    std::string path;
    SF_INFO info {};
    SNDFILE* file = nullptr;
};
