// The audio side of `edit`: a thread that runs the plug-in at real-time pace, on silence or on a
// sound file played in a loop, and throws the output away, so an editor shows the plug-in working.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class PluginInstance;

class AudioPump {
public:
    // Main thread: input holds interleaved frames of `channels` (1 or 2); empty for silence.
    AudioPump(PluginInstance& plugin, double sampleRate, int32_t blockSize, std::vector<float> input, int channels);
    // Main thread: stops the thread if it still runs.
    ~AudioPump();
    AudioPump(const AudioPump&) = delete;
    AudioPump& operator=(const AudioPump&) = delete;

    // Main thread.
    void Start();
    // Main thread: returns once the last block is done.
    void Stop();
    // Any thread: blocks processed so far.
    uint64_t Blocks() const { return blocks.load(std::memory_order_relaxed); }

private:
    void Run();
    void FillInput(size_t frames);

    PluginInstance& plugin;
    const double sampleRate;
    const int32_t blockSize;
    const std::vector<float> input;
    const int channels;
    size_t position = 0;
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;
    std::atomic<bool> running{false};
    std::atomic<uint64_t> blocks{0};
    std::thread thread;
};
