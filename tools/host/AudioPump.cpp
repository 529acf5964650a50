#include "AudioPump.h"

#include <time.h>

#include <algorithm>
#include <cerrno>

#include "PluginInstance.h"

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
// Further behind than this (a debugger, a stalled machine), the pace starts afresh instead of
// rushing through the missed blocks.
constexpr int64_t kMaxLagNanos = kNanosPerSecond / 10;

int64_t NowNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosPerSecond + now.tv_nsec;
}

}  // namespace

AudioPump::AudioPump(PluginInstance& instance, double rate, int32_t frames, std::vector<float> samples,
                     int inputChannels)
    : plugin(instance),
      sampleRate(rate),
      blockSize(frames),
      input(std::move(samples)),
      channels(std::clamp(inputChannels, 1, 2)),
      in(static_cast<size_t>(std::max(2, instance.NumInputs())), std::vector<float>(static_cast<size_t>(frames))),
      out(static_cast<size_t>(std::max(2, instance.NumOutputs())), std::vector<float>(static_cast<size_t>(frames))) {
    for (auto& channel : in) inPointers.push_back(channel.data());
    for (auto& channel : out) outPointers.push_back(channel.data());
    // A mono file is one signal: the same buffer on both inputs tells the plug-in so.
    if (channels == 1) inPointers[1] = inPointers[0];
}

AudioPump::~AudioPump() { Stop(); }

void AudioPump::Start() {
    if (running.exchange(true)) return;
    thread = std::thread([this] { Run(); });
}

void AudioPump::Stop() {
    running.store(false);
    if (thread.joinable()) thread.join();
}

void AudioPump::FillInput(size_t frames) {
    const size_t total = input.size() / static_cast<size_t>(channels);
    for (size_t i = 0; i < frames; ++i) {
        if (total == 0) {
            in[0][i] = in[1][i] = 0.0f;
            continue;
        }
        const float* frame = &input[position * static_cast<size_t>(channels)];
        in[0][i] = frame[0];
        in[1][i] = channels == 2 ? frame[1] : frame[0];
        position = (position + 1) % total;
    }
}

void AudioPump::Run() {
    const int64_t period = static_cast<int64_t>(static_cast<double>(blockSize) * kNanosPerSecond / sampleRate);
    int64_t deadline = NowNanos();
    const size_t frames = static_cast<size_t>(blockSize);
    while (running.load(std::memory_order_relaxed)) {
        FillInput(frames);
        if (plugin.AccumulatesOnly()) {
            for (auto& channel : out) std::fill(channel.begin(), channel.end(), 0.0f);
        }
        plugin.Process(inPointers.data(), outPointers.data(), blockSize);
        blocks.fetch_add(1, std::memory_order_relaxed);
        deadline += period;
        const int64_t now = NowNanos();
        if (now - deadline > kMaxLagNanos) deadline = now;
        timespec until{static_cast<time_t>(deadline / kNanosPerSecond), static_cast<long>(deadline % kNanosPerSecond)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR &&
               running.load(std::memory_order_relaxed)) {
        }
    }
}
