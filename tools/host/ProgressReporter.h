// What the user sees of a render: a progress bar on a terminal's stderr for renders that take
// more than a second, and the one-line summary at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class OutputMeter;

class ProgressReporter {
public:
    // Main thread: `enabled` is false for --quiet or when stderr is not a terminal.
    ProgressReporter(bool enabled, uint64_t totalFrames);
    // Main thread: clears a bar left on screen.
    ~ProgressReporter();

    // Main thread: redraws at most ten times a second, and only after the first second.
    void Update(uint64_t framesDone);
    // Main thread: removes the bar, so what follows starts on a clean line.
    void Finish();
    // Main thread: wall-clock seconds since construction.
    double Elapsed() const;

    // Any thread: the summary line, e.g. "rendered 2.500 s (110250 frames, 2 channels,
    // 44100 Hz): peak -3.21 dBFS, 0 samples at or over full scale, real-time factor 0.012".
    static std::string Summary(uint64_t frames, int channels, int sampleRate, const OutputMeter& meter,
                               double wallSeconds);

private:
    bool enabled;
    bool shown = false;
    uint64_t total;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastDraw;
};
