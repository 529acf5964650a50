#include "RenderCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "AudioInput.h"
#include "AudioOutput.h"
#include "FxpFile.h"
#include "HostCallback.h"
#include "HostError.h"
#include "OutputMeter.h"
#include "PluginInstance.h"
#include "PluginModule.h"
#include "ProgramMatcher.h"
#include "ProgressReporter.h"

namespace {

constexpr double kMinSampleRate = 1000.0;
constexpr double kMaxSampleRate = 768000.0;
// A plug-in claiming more latency than this is not believed; its output is taken as it comes.
constexpr double kMaxLatencySeconds = 10.0;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

// Turns Ctrl-C and SIGTERM into a clean stop, so the temporary file is removed.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt);
        sigaction(SIGTERM, &action, &oldTerm);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGTERM, &oldTerm, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
};

void Warn(const std::string& text) { std::fprintf(stderr, "murmurhall-host: warning: %s\n", text.c_str()); }

void CheckOutputPath(const std::string& input, const std::string& output) {
    struct stat outStatus {};
    if (::stat(output.c_str(), &outStatus) != 0) {
        return;  // a new file
    }
    if (S_ISDIR(outStatus.st_mode)) {
        throw HostError("output '" + output + "' is a folder", HostError::kUsage);
    }
    struct stat inStatus {};
    if (::stat(input.c_str(), &inStatus) == 0 && inStatus.st_dev == outStatus.st_dev &&
        inStatus.st_ino == outStatus.st_ino) {
        throw HostError("output '" + output + "' is the input file; choose another name", HostError::kUsage);
    }
}

void SelectProgram(PluginInstance& plugin, const std::string& query) {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(plugin.NumPrograms()));
    for (int32_t i = 0; i < plugin.NumPrograms(); ++i) {
        names.push_back(plugin.ProgramName(i));
    }
    const int index = ProgramMatcher(std::move(names)).Find(query);
    plugin.SetProgram(index);
    if (plugin.CurrentProgram() != index) {
        throw HostError("the plug-in did not switch to program " + std::to_string(index));
    }
}

void ApplyPreset(PluginInstance& plugin, const FxpPreset& preset, const std::string& path) {
    const int32_t id = plugin.Effect().uniqueID;
    if (preset.pluginId != id) {
        throw HostError("preset '" + path + "' was written by plug-in '" + FxpFile::FourCC(preset.pluginId) +
                        "', not by this one ('" + FxpFile::FourCC(id) + "')");
    }
    if (preset.opaque) {
        if ((plugin.Effect().flags & effFlagsProgramChunks) == 0) {
            throw HostError("preset '" + path + "' holds an opaque chunk, but the plug-in does not take chunks");
        }
        if (!plugin.BeginLoadProgram(preset.pluginId, preset.pluginVersion, preset.numElements)) {
            throw HostError("the plug-in refused preset '" + path + "' (effBeginLoadProgram)");
        }
        if (!plugin.SetProgramChunk(preset.chunk.data(), preset.chunk.size())) {
            throw HostError("the plug-in refused preset '" + path + "': it does not take a program chunk of " +
                            std::to_string(preset.chunk.size()) + " bytes");
        }
        return;
    }
    if (static_cast<int32_t>(preset.params.size()) != plugin.NumParams()) {
        throw HostError("preset '" + path + "' holds " + std::to_string(preset.params.size()) +
                        " parameters; the plug-in has " + std::to_string(plugin.NumParams()));
    }
    for (size_t i = 0; i < preset.params.size(); ++i) {
        const float value = preset.params[i];
        if (!std::isfinite(value)) {
            throw HostError("preset '" + path + "': parameter " + std::to_string(i) + " is not a number");
        }
        plugin.SetParameter(static_cast<int32_t>(i), value);
    }
    if (!preset.name.empty()) {
        plugin.SetProgramName(preset.name);
    }
}

// The buffers handed to the plug-in: planar, one block long, with the pointer arrays it sees.
struct Buffers {
    Buffers(int fileChannels, int pluginInputs, int pluginOutputs, size_t frames)
        : in(static_cast<size_t>(std::max(2, pluginInputs)), std::vector<float>(frames)),
          out(static_cast<size_t>(std::max(2, pluginOutputs)), std::vector<float>(frames)) {
        for (auto& channel : in) inPointers.push_back(channel.data());
        for (auto& channel : out) outPointers.push_back(channel.data());
        // A mono file is one signal: the same buffer on both inputs tells the plug-in so.
        if (fileChannels == 1 || pluginInputs == 1) {
            inPointers[1] = inPointers[0];
        }
    }
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;
};

void Deinterleave(const float* interleaved, size_t frames, int fileChannels, int pluginInputs, Buffers& buffers,
                  size_t blockSize) {
    float* left = buffers.in[0].data();
    float* right = buffers.in[1].data();
    if (fileChannels == 1) {
        std::copy(interleaved, interleaved + frames, left);
    } else if (pluginInputs == 1) {
        for (size_t i = 0; i < frames; ++i) {
            left[i] = 0.5f * (interleaved[2 * i] + interleaved[2 * i + 1]);
        }
    } else {
        for (size_t i = 0; i < frames; ++i) {
            left[i] = interleaved[2 * i];
            right[i] = interleaved[2 * i + 1];
        }
    }
    // The rest of a short block, and inputs the file does not feed, are silence, never stale samples.
    const size_t fed = (fileChannels == 2 && pluginInputs != 1) ? 2 : 1;
    for (size_t c = 0; c < buffers.in.size(); ++c) {
        auto& channel = buffers.in[c];
        std::fill(channel.begin() + static_cast<std::ptrdiff_t>(c < fed ? frames : 0),
                  channel.begin() + static_cast<std::ptrdiff_t>(blockSize), 0.0f);
    }
}

// Program and parameter changes may start fades that would otherwise colour IN's first moments:
// silence runs through them unheard, and a suspend/resume clears what the plug-in kept of it.
void Preroll(PluginInstance& plugin, double seconds, int rate, size_t blockSize) {
    uint64_t left = static_cast<uint64_t>(std::llround(seconds * rate));
    if (left == 0) return;
    std::vector<std::vector<float>> in(static_cast<size_t>(std::max(plugin.NumInputs(), 1)),
                                       std::vector<float>(blockSize, 0.0f));
    std::vector<std::vector<float>> out(static_cast<size_t>(std::max(plugin.NumOutputs(), 1)),
                                        std::vector<float>(blockSize, 0.0f));
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;
    for (auto& channel : in) inPointers.push_back(channel.data());
    for (auto& channel : out) outPointers.push_back(channel.data());
    plugin.StartProcess();
    while (left > 0) {
        const size_t frames = static_cast<size_t>(std::min<uint64_t>(left, blockSize));
        plugin.Process(inPointers.data(), outPointers.data(), static_cast<int32_t>(frames));
        left -= frames;
    }
    plugin.StopProcess();
    plugin.Suspend();
    plugin.Resume();
}

}  // namespace

int RenderCommand::Run(const RenderOptions& options) {
    AudioInput input(options.input);
    const int rate = input.SampleRate();
    if (options.rate && std::lround(*options.rate) != rate) {
        throw HostError("input '" + options.input + "' is at " + std::to_string(rate) + " Hz, not " +
                            std::to_string(std::lround(*options.rate)) +
                            " Hz; murmurhall-host does not resample (convert the file first)",
                        HostError::kUsage);
    }
    if (rate < kMinSampleRate || rate > kMaxSampleRate) {
        throw HostError("input '" + options.input + "' is at " + std::to_string(rate) +
                        " Hz; rates from 1000 to 768000 Hz can be rendered");
    }
    CheckOutputPath(options.input, options.output);
    const SampleFormat sampleFormat = options.format.value_or(AudioOutput::Matching(input.Format()));
    AudioOutput::FormatFor(options.output, sampleFormat);  // refuse a bad name before loading anything
    std::unique_ptr<FxpPreset> preset;
    if (options.preset) {
        preset = std::make_unique<FxpPreset>(FxpFile::Load(*options.preset));
    }

    HostCallback host;
    PluginModule module(options.plugin);
    PluginInstance plugin(module, host);
    const size_t blockSize = static_cast<size_t>(options.blockSize);
    plugin.Configure(rate, options.blockSize);
    if (plugin.NumOutputs() < 1) {
        throw HostError("the plug-in has no audio outputs; nothing to render");
    }
    if (options.program) {
        SelectProgram(plugin, *options.program);
    }
    if (preset) {
        ApplyPreset(plugin, *preset, *options.preset);
    }
    for (const auto& [index, value] : options.sets) {
        if (index >= plugin.NumParams()) {
            throw HostError("--set " + std::to_string(index) + "=...: the plug-in has " +
                                std::to_string(plugin.NumParams()) + " parameters (0.." +
                                std::to_string(plugin.NumParams() - 1) + ")",
                            HostError::kUsage);
        }
        plugin.SetParameter(static_cast<int32_t>(index), value);
    }

    plugin.Resume();
    Preroll(plugin, options.prerollSeconds, rate, blockSize);
    // The delay is final once resumed; rendering that much longer and dropping the start keeps
    // the output aligned with the input.
    long latency = plugin.Effect().initialDelay;
    if (latency < 0 || latency > std::lround(kMaxLatencySeconds * rate)) {
        Warn("ignoring the plug-in's implausible latency of " + std::to_string(latency) + " samples");
        latency = 0;
    }
    host.SetProcessLevel(kVstProcessLevelOffline);
    plugin.StartProcess();

    const int fileChannels = input.Channels();
    const int outChannels = plugin.NumOutputs() >= 2 ? 2 : 1;
    Buffers buffers(fileChannels, plugin.NumInputs(), plugin.NumOutputs(), blockSize);
    std::vector<float> interleavedIn(blockSize * static_cast<size_t>(fileChannels));
    std::vector<float> interleavedOut(blockSize * static_cast<size_t>(outChannels));
    const uint64_t tailFrames = static_cast<uint64_t>(std::llround(options.tailSeconds * rate));
    const uint64_t declaredFrames = input.Frames() > 0 ? static_cast<uint64_t>(input.Frames()) : 0;
    const int outputFormat = AudioOutput::FormatFor(
        options.output, sampleFormat, AudioOutput::IsLarge(declaredFrames + tailFrames, outChannels, sampleFormat));

    InterruptGuard guard;
    AudioOutput output(options.output, outputFormat, outChannels, rate);
    OutputMeter meter;
    ProgressReporter progress(!options.quiet && ::isatty(STDERR_FILENO) == 1,
                              declaredFrames + tailFrames + static_cast<uint64_t>(latency));
    uint64_t silenceLeft = tailFrames + static_cast<uint64_t>(latency);
    uint64_t skipLeft = static_cast<uint64_t>(latency);
    uint64_t inputFrames = 0;
    uint64_t fedFrames = 0;
    uint64_t writtenFrames = 0;
    bool inputDone = false;
    for (;;) {
        size_t frames = 0;
        if (!inputDone) {
            frames = input.Read(interleavedIn.data(), blockSize);
            inputFrames += frames;
            inputDone = frames < blockSize;
        }
        Deinterleave(interleavedIn.data(), frames, fileChannels, plugin.NumInputs(), buffers, blockSize);
        if (inputDone) {
            const size_t silent = static_cast<size_t>(std::min<uint64_t>(blockSize - frames, silenceLeft));
            silenceLeft -= silent;
            frames += silent;
        }
        if (frames == 0) {
            break;
        }
        if (plugin.AccumulatesOnly()) {
            for (auto& channel : buffers.out) std::fill(channel.begin(), channel.end(), 0.0f);
        }
        plugin.Process(buffers.inPointers.data(), buffers.outPointers.data(), static_cast<int32_t>(frames));
        fedFrames += frames;

        const size_t skip = static_cast<size_t>(std::min<uint64_t>(skipLeft, frames));
        skipLeft -= skip;
        const size_t keep = frames - skip;
        for (size_t i = 0; i < keep; ++i) {
            for (int c = 0; c < outChannels; ++c) {
                interleavedOut[i * static_cast<size_t>(outChannels) + static_cast<size_t>(c)] =
                    buffers.out[static_cast<size_t>(c)][skip + i];
            }
        }
        meter.Measure(interleavedOut.data(), keep * static_cast<size_t>(outChannels));
        output.Write(interleavedOut.data(), keep);
        writtenFrames += keep;
        progress.Update(fedFrames);
        if (interrupted) {
            throw HostError("interrupted; no output written", kInterrupted);
        }
    }
    plugin.StopProcess();
    host.SetProcessLevel(kVstProcessLevelUser);
    plugin.Suspend();
    output.Commit();
    const double wallSeconds = progress.Elapsed();
    progress.Finish();

    if (declaredFrames > 0 && inputFrames < declaredFrames) {
        Warn("input '" + options.input + "' ended after " + std::to_string(inputFrames) + " of the " +
             std::to_string(declaredFrames) + " frames its header announces");
    }
    if (!options.quiet) {
        std::printf("%s\n", ProgressReporter::Summary(writtenFrames, outChannels, rate, meter, wallSeconds).c_str());
    }
    if (meter.NonFinite() > 0) {
        Warn("the plug-in produced " + std::to_string(meter.NonFinite()) +
             " NaN or infinite samples; they were written as silence");
        return kNonFiniteOutput;
    }
    return 0;
}
