// murmurhall-bench: how fast the crowd renders. Every crowd kernel this CPU runs, and the literal
// per-sample oracle of the tests beside them, render factory programs with 59 people, stereo in
// and out, at 44.1 kHz, with the diffuser off and on, in host blocks of 512 frames.
//
// Counter rt_factor = seconds of audio rendered per second of CPU time (real-time factor on one
// core); the label names the kernel. A summary comparing the kernels with the oracle follows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CrowdOracle.h"
#include "EngineHarness.h"
#include "engine/CrowdKernel.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr float kPopulation59 = 58 * 0.016666668f;
constexpr float kDefaultSpread = 0.5f;
constexpr int kPrograms[] = {0, 3, 8, 20};  // 3 and 20 have the widest diffuser, 8 a medium one
constexpr const char* kOracleName = "oracle";

struct Renderer {
    const char* name;
    CrowdKernelFn kernel;  // null: the oracle
};

// Speech-like input: a few seconds of a drifting tone, a steady one and noise, per channel.
std::vector<float> MakeInput(int channel) {
    unsigned seed = 17u + 31u * static_cast<unsigned>(channel);
    std::vector<float> v(4 * static_cast<int>(kRate));
    for (size_t i = 0; i < v.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float noise = static_cast<float>(static_cast<int>(seed >> 9) % 20001 - 10000) * 1e-5f;
        const float t = static_cast<float>(i) / kRate;
        v[i] = 0.25f * std::sin(6.2831853f * (180.0f + 40.0f * std::sin(1.3f * t)) * t) +
               0.1f * std::sin(6.2831853f * 910.0f * t) + noise;
    }
    return v;
}

const std::vector<float>& Input(int channel) {
    static const std::vector<float> left = MakeInput(0);
    static const std::vector<float> right = MakeInput(1);
    return channel == 0 ? left : right;
}

class Voice {
public:
    Voice(const Renderer& renderer, int program, bool diffuser) : renderer(renderer) {
        engine = mhtest::MakeEngine(kRate);
        if (renderer.kernel != nullptr) engine->crowdKernel = renderer.kernel;
        // What the shell does for a program change, then 59 people and the diffuser setting.
        engine->SetProgramData(program, kRate);
        for (int i = 0; i < kNumParams; ++i)
            if (i != 7 && i != 8 && i != 9 && i != 10 && i != 14) engine->setParameter(i, engine->CurrentProgram().Load(i));
        engine->setProgram(program);
        const float own = engine->CurrentProgram().Load(mhtest::kParSpread);
        engine->setParameter(mhtest::kParPopulation, kPopulation59);
        engine->setParameter(mhtest::kParSpread, diffuser ? (own > 0.0f ? own : kDefaultSpread) : 0.0f);
        // Through the fade out, the reset and the fade in, so what is timed is the steady crowd.
        const int blocks = 15360 / kBlock > 30 ? 15360 / kBlock : 30;  // the fades take 5000 frames each
        for (int i = 0; i < blocks && !(Steady() && i > blocks - 6); ++i) Render();
    }

    bool Steady() const {
        return engine->fFadeStep.load() == 0.0f && engine->fFadeGain == 1.0f &&
               engine->iPopulation == kMaxPopulation;
    }
    bool Diffusing() const { return engine->fAllpassSpread > 0.0f; }

    void Render() {
        const int length = static_cast<int>(Input(0).size());
        if (at + kBlock > length) at = 0;
        // A host hands over its own buffers, filled each block from its source (timed here too).
        std::copy_n(Input(0).data() + at, kBlock, in[0]);
        std::copy_n(Input(1).data() + at, kBlock, in[1]);
        float* inputs[2] = {in[0], in[1]};
        float* outputs[2] = {out[0], out[1]};
        if (renderer.kernel != nullptr)
            engine->DoProcessReplacing(inputs, outputs, 2, 2, kBlock);
        else
            mhtest::OracleProcess(*engine, inputs, outputs, 2, 2, kBlock);
        at += kBlock;
    }

    const float* Output(int c) const { return out[c]; }

private:
    Renderer renderer;
    std::unique_ptr<MurmurhallPlug> engine;
    int at = 0;
    float in[2][kBlock];
    float out[2][kBlock];
};

void RenderCrowd(benchmark::State& state, Renderer renderer, int program, bool diffuser) {
    Voice voice(renderer, program, diffuser);
    if (!voice.Steady() || voice.Diffusing() != diffuser) {
        state.SkipWithError("the crowd did not settle at 59 people");
        return;
    }
    for (auto _ : state) {
        voice.Render();
        benchmark::DoNotOptimize(voice.Output(0)[kBlock - 1]);
        benchmark::DoNotOptimize(voice.Output(1)[kBlock - 1]);
    }
    const double seconds = static_cast<double>(state.iterations()) * kBlock / kRate;
    state.counters["rt_factor"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * kBlock);
    state.SetLabel(renderer.name);
}

// The console report, and the real-time factors kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const auto counter = run.counters.find("rt_factor");
            if (counter == run.counters.end()) continue;
            const bool diffuser = run.benchmark_name().find("diffuser:1") != std::string::npos;
            factors[run.report_label][diffuser].push_back(counter->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Median real-time factor over the programs and repetitions, or 0 when nothing ran: a shared
    // machine slows some runs down, and the median ignores those.
    double Median(const std::string& name, bool diffuser) const {
        const auto found = factors.find(name);
        if (found == factors.end() || found->second[diffuser].empty()) return 0.0;
        std::vector<double> v = found->second[diffuser];
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
    }

    std::map<std::string, std::array<std::vector<double>, 2>> factors;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<Renderer> renderers = {{kOracleName, nullptr}};
    for (const CrowdKernelEntry& entry : SupportedCrowdKernels()) renderers.push_back({entry.name, entry.kernel});

    for (const Renderer& renderer : renderers)
        for (const bool diffuser : {false, true})
            for (const int program : kPrograms) {
                const std::string name = std::string("Crowd59Stereo/") + renderer.name + "/program:" +
                                         std::to_string(program) + "/diffuser:" + (diffuser ? "1" : "0");
                benchmark::RegisterBenchmark(name.c_str(), RenderCrowd, renderer, program, diffuser)
                    ->Unit(benchmark::kMicrosecond);
            }

    // Each case three times, the cases in random order, unless the command line says otherwise: a
    // burst of load from whatever shares the machine then slows every kernel a little rather
    // than one kernel a lot, and the summary's median sees past it.
    static char repetitions[] = "--benchmark_repetitions=3";
    static char minTime[] = "--benchmark_min_time=0.3";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + (argc > 0 ? 1 : 0), {repetitions, minTime, interleave});
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    std::printf("Shipped kernel on this CPU: %s\n", CrowdKernelName(SelectCrowdKernel()));
    std::fflush(stdout);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // Real-time factor, the median over programs and repetitions, and how many times the oracle's.
    std::printf("\nSummary: seconds of audio per CPU second, 59 people, stereo, 44.1 kHz, median over programs");
    for (int program : kPrograms) std::printf(" %d", program);
    std::printf("\n%-12s %14s %14s %12s %12s\n", "kernel", "diffuser off", "diffuser on", "x oracle off",
                "x oracle on");
    const double oracleOff = reporter.Median(kOracleName, false);
    const double oracleOn = reporter.Median(kOracleName, true);
    for (const Renderer& renderer : renderers) {
        const double off = reporter.Median(renderer.name, false);
        const double on = reporter.Median(renderer.name, true);
        if (off == 0.0 && on == 0.0) continue;
        std::printf("%-12s %13.1fx %13.1fx %11.2fx %11.2fx%s\n", renderer.name, off, on,
                    oracleOff > 0.0 ? off / oracleOff : 0.0, oracleOn > 0.0 ? on / oracleOn : 0.0,
                    renderer.kernel == SelectCrowdKernel() ? "   (shipped)" : "");
    }
    return 0;
}
