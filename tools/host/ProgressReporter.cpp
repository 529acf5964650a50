#include "ProgressReporter.h"

#include <cmath>
#include <cstdio>

#include "OutputMeter.h"

namespace {
constexpr int kBarWidth = 40;
}

ProgressReporter::ProgressReporter(bool showBar, uint64_t totalFrames)
    : enabled(showBar), total(totalFrames), start(std::chrono::steady_clock::now()), lastDraw(start) {}

ProgressReporter::~ProgressReporter() { Finish(); }

double ProgressReporter::Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ProgressReporter::Update(uint64_t framesDone) {
    if (!enabled || total == 0) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - start < std::chrono::seconds(1) || (shown && now - lastDraw < std::chrono::milliseconds(100))) {
        return;
    }
    lastDraw = now;
    shown = true;
    const double fraction = framesDone >= total ? 1.0 : static_cast<double>(framesDone) / static_cast<double>(total);
    const int filled = static_cast<int>(fraction * kBarWidth);
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i) {
        bar[i] = i < filled ? '#' : '-';
    }
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, static_cast<int>(fraction * 100.0));
    std::fflush(stderr);
}

void ProgressReporter::Finish() {
    if (shown) {
        std::fprintf(stderr, "\r%*s\r", kBarWidth + 8, "");
        std::fflush(stderr);
        shown = false;
    }
}

std::string ProgressReporter::Summary(uint64_t frames, int channels, int sampleRate, const OutputMeter& meter,
                                      double wallSeconds) {
    const double seconds = sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0;
    char peak[32];
    if (std::isinf(meter.PeakDb())) {
        std::snprintf(peak, sizeof peak, "-inf");
    } else {
        std::snprintf(peak, sizeof peak, "%.2f", meter.PeakDb());
    }
    char factor[32];
    // As the benchmark counts it: seconds of audio per second of rendering (faster is larger).
    if (seconds > 0.0 && wallSeconds > 0.0) {
        std::snprintf(factor, sizeof factor, "%.1fx", seconds / wallSeconds);
    } else {
        std::snprintf(factor, sizeof factor, "n/a");
    }
    char line[512];
    std::snprintf(line, sizeof line,
                  "rendered %.3f s (%llu frames, %d channel%s, %d Hz): peak %s dBFS, %llu samples at or over full "
                  "scale, real-time factor %s",
                  seconds, static_cast<unsigned long long>(frames), channels, channels == 1 ? "" : "s", sampleRate,
                  peak, static_cast<unsigned long long>(meter.Overs()), factor);
    std::string text = line;
    if (meter.NonFinite() > 0) {
        text += ", " + std::to_string(meter.NonFinite()) + " non-finite samples replaced by silence";
    }
    return text;
}
