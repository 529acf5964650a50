#include "HostEdit.h"

#include <time.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "AudioInput.h"
#include "AudioPump.h"
#include "EventScript.h"
#include "HostCallback.h"
#include "HostError.h"
#include "PluginInstance.h"
#include "PluginModule.h"
#include "ProgramMatcher.h"
#include "HostWindow.h"

namespace {

constexpr double kDefaultRate = 44100.0;
constexpr int32_t kBlockSize = 512;
constexpr long kIdlePeriodMs = 20;
// A window no screen holds is a plug-in's mistake, not a size to honour.
constexpr int kMaxWindowSide = 8192;
// Longer input is looped from its first ten minutes.
constexpr double kMaxInputSeconds = 600.0;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) { stopRequested = 1; }

class StopSignals {
public:
    StopSignals() {
        stopRequested = 0;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt);
        sigaction(SIGTERM, &action, &oldTerm);
    }
    ~StopSignals() {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGTERM, &oldTerm, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
};

double SecondsSince(const timespec& start) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec - start.tv_sec) + static_cast<double>(now.tv_nsec - start.tv_nsec) * 1e-9;
}

void SleepMs(long ms) {
    timespec pause{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

struct Sound {
    std::vector<float> samples;  // interleaved
    int channels = 1;
    double rate = kDefaultRate;
};

Sound LoadSound(const std::string& path) {
    AudioInput file(path);
    Sound sound;
    sound.channels = file.Channels();
    sound.rate = file.SampleRate();
    const size_t most = static_cast<size_t>(kMaxInputSeconds * sound.rate);
    std::vector<float> block(4096 * static_cast<size_t>(sound.channels));
    while (sound.samples.size() / static_cast<size_t>(sound.channels) < most) {
        const size_t got = file.Read(block.data(), 4096);
        if (got == 0) break;
        sound.samples.insert(sound.samples.end(), block.begin(),
                             block.begin() + static_cast<std::ptrdiff_t>(got * static_cast<size_t>(sound.channels)));
    }
    if (sound.samples.empty()) throw HostError("input '" + path + "' holds no sound");
    return sound;
}

void SelectProgram(PluginInstance& plugin, const std::string& query) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < plugin.NumPrograms(); ++i) names.push_back(plugin.ProgramName(i));
    const int index = ProgramMatcher(std::move(names)).Find(query);
    plugin.SetProgram(index);
    if (plugin.CurrentProgram() != index) {
        throw HostError("the plug-in did not switch to program " + std::to_string(index));
    }
}

// The editor's size as the plug-in states it; false when it states none.
bool EditorSize(const PluginInstance& plugin, int* width, int* height) {
    ERect* rect = nullptr;
    plugin.Dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr) return false;
    const int w = rect->right - rect->left;
    const int h = rect->bottom - rect->top;
    if (w <= 0 || h <= 0 || w > kMaxWindowSide || h > kMaxWindowSide) return false;
    *width = w;
    *height = h;
    return true;
}

void Perform(HostWindow& window, const ScriptAction& action) {
    switch (action.kind) {
        case ScriptAction::Kind::Press:
        case ScriptAction::Kind::Release:
            window.SendButton(action.x, action.y, action.button, action.kind == ScriptAction::Kind::Press, action.state);
            break;
        case ScriptAction::Kind::Motion:
            window.SendMotion(action.x, action.y, action.state);
            break;
        case ScriptAction::Kind::Key:
            if (!window.SendKey(action.keysym)) {
                std::fprintf(stderr, "murmurhall-host: warning: the keyboard has no key for keysym 0x%lx\n",
                             action.keysym);
            }
            break;
    }
}

}  // namespace

int HostEdit::Run(const EditOptions& options) {
    // From the start, so a stop asked for while the window opens still closes everything in order.
    StopSignals signals;
    // Everything that can be wrong with the command line is found before any window shows.
    const std::vector<ScriptAction> actions =
        options.events.has_value() ? EventScript::Load(*options.events) : std::vector<ScriptAction>();
    Sound sound;
    if (options.input.has_value()) sound = LoadSound(*options.input);

    HostCallback host;
    if (options.logAutomation) host.SetAutomationLog(stdout);
    PluginModule module(options.plugin);
    PluginInstance plugin(module, host);
    if ((plugin.Effect().flags & effFlagsHasEditor) == 0) {
        throw HostError("the plug-in '" + module.Path() + "' has no editor");
    }
    for (const long index : options.printParameters) {
        if (index >= plugin.NumParams()) {
            throw HostError("--print-parameters " + std::to_string(index) + ": the plug-in has " +
                                std::to_string(plugin.NumParams()) + " parameters",
                            HostError::kUsage);
        }
    }
    plugin.Configure(sound.rate, kBlockSize);
    if (options.program.has_value()) SelectProgram(plugin, *options.program);
    plugin.Resume();

    int width = 400;
    int height = 300;
    EditorSize(plugin, &width, &height);
    HostWindow window(width, height, "murmurhall-host: " + plugin.EffectName());
    if (plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window.Id())) == 0) {
        std::fprintf(stderr, "murmurhall-host: warning: the plug-in reported that its editor did not open\n");
    }
    // Some editors know their size only once open.
    if (EditorSize(plugin, &width, &height) && (width != window.Width() || height != window.Height())) {
        window.Resize(width, height);
    }

    plugin.StartProcess();
    AudioPump pump(plugin, sound.rate, kBlockSize, sound.samples, sound.channels);
    pump.Start();

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    size_t nextAction = 0;
    std::string screenshotError;
    while (!stopRequested && !window.CloseRequested()) {
        const double elapsed = SecondsSince(start);
        while (nextAction < actions.size() && actions[nextAction].at <= elapsed) Perform(window, actions[nextAction++]);
        plugin.Dispatch(effEditIdle);
        if (options.after.has_value() && elapsed >= *options.after) {
            if (options.screenshot.has_value()) screenshotError = window.Screenshot(*options.screenshot);
            break;
        }
        SleepMs(kIdlePeriodMs);
    }

    plugin.Dispatch(effEditClose);
    pump.Stop();
    plugin.StopProcess();
    if (options.printProgram) {
        char name[256] = {};
        const VstIntPtr program = plugin.Dispatch(effGetProgram);
        plugin.Dispatch(effGetProgramName, 0, 0, name);
        std::printf("program %ld %s\n", static_cast<long>(program), PluginInstance::CleanText(name, sizeof name).c_str());
    }
    for (const long index : options.printParameters) {
        const float value = plugin.Parameter(static_cast<int32_t>(index));
        std::printf("parameter %ld %.9g\n", index, static_cast<double>(value));
    }
    std::fflush(stdout);
    if (!screenshotError.empty()) throw HostError("screenshot: " + screenshotError);
    return 0;
}
