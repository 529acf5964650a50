// The rendered file. It is written under a temporary name in the destination folder and gets
// its real name only when complete, so an interrupted or failed render leaves nothing that
// looks like a finished file.
#pragma once

#include <sndfile.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "RenderOptions.h"

class AudioOutput {
public:
    // Main thread: libsndfile's format word for `path`'s extension (.wav, .aif/.aiff, .flac) and
    // the sample format; `large` asks for a container that can pass 4 GB (RF64 for .wav).
    // Throws HostError for another extension or a combination the container cannot hold (FLAC
    // and 32-bit float).
    static int FormatFor(const std::string& path, SampleFormat sampleFormat, bool large = false);
    // Main thread: whether `frames` of `channels` in `sampleFormat` come near the 4 GB a plain
    // WAV or AIFF file can hold.
    static bool IsLarge(uint64_t frames, int channels, SampleFormat sampleFormat);
    // Main thread: the sample format that keeps an input of libsndfile format `inputFormat`.
    static SampleFormat Matching(int inputFormat);

    // Main thread: creates the temporary file. Throws HostError when that is impossible.
    AudioOutput(const std::string& path, int format, int channels, int sampleRate);
    // Main thread: removes the temporary file unless Commit() succeeded.
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Main thread: appends interleaved frames; throws HostError when the disk refuses.
    void Write(const float* interleaved, size_t frames);
    // Main thread: finishes the file and gives it its real name. Throws HostError on failure.
    void Commit();

private:
    void Discard();

    std::string path;
    std::string temporary;
    SNDFILE* file = nullptr;
    bool committed = false;
};
