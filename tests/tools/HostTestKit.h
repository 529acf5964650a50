// Shared by murmurhall-host's tests: running the tool as a process, a scratch folder, sound
// files through libsndfile, and .fxp file images.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

namespace hosttest {

using Bytes = std::vector<uint8_t>;
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kWav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
constexpr int kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

// A fixture plug-in from tests/tools/fixture_plugin, by target name ("fixture_gain", ...).
inline std::string Fixture(const std::string& name) { return MH_FIXTURE_PLUGIN_DIR "/" + name + ".so"; }

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}

struct Result {
    int exitCode = -1;  // the exit status, or minus the signal that ended the tool
    std::string out, err;
};

// Runs murmurhall-host with `args`, adding `env` entries ("NAME=value") to its environment. With
// `ready`, sends `signal` once ready() turns true (polled every 10 ms, for at most 30 s).
inline Result RunHost(const std::vector<std::string>& args, const std::vector<std::string>& env = {}, int signal = 0,
                      const std::function<bool()>& ready = nullptr) {
    char outPath[] = "/tmp/mh-tool-XXXXXX", errPath[] = "/tmp/mh-tool-XXXXXX";
    const int out = ::mkostemp(outPath, O_CLOEXEC), err = ::mkostemp(errPath, O_CLOEXEC);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (const std::string& entry : env) ::putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> argv = {const_cast<char*>(MH_HOST_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(MH_HOST_PATH, argv.data());
        ::_exit(127);
    }
    for (int i = 0; ready && i < 3000 && !ready(); ++i) ::usleep(10000);
    if (ready) ::kill(pid, signal);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    Result result {WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), ReadText(outPath), ReadText(errPath)};
    for (const char* path : {outPath, errPath}) std::remove(path);
    ::close(out);
    ::close(err);
    return result;
}

// A private folder for one test, removed with everything in it afterwards.
struct Scratch {
    const std::string root = ::mkdtemp(std::string("/tmp/mh-host-test-XXXXXX").data());
    ~Scratch() { std::filesystem::remove_all(root); }
    std::string Path(const std::string& name) const { return root + "/" + name; }
    // The names in the folder, hidden ones included, sorted, one a line.
    std::string Listing() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root)) names.insert(entry.path().filename());
        std::string text;
        for (const std::string& name : names) text += name + "\n";
        return text;
    }
};

// A whole sound file, samples interleaved; no channels and no samples when it cannot be read.
struct Audio {
    explicit Audio(const std::string& path) {
        if (SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info)) {
            samples.resize(static_cast<size_t>(info.frames * info.channels));
            sf_readf_float(file, samples.data(), info.frames);
            sf_close(file);
        }
    }
    // Format, rate, channels and frames, to compare in one go.
    std::tuple<int, int, int, size_t> Shape() const { return {info.format, info.samplerate, info.channels, Frames()}; }
    size_t Frames() const { return samples.size() / static_cast<size_t>(std::max(info.channels, 1)); }
    float At(size_t frame, int channel) const { return samples[frame * static_cast<size_t>(info.channels) + channel]; }
    // Largest |x| over frames [begin, end) of one channel, or of all with -1.
    float Peak(size_t begin = 0, size_t end = SIZE_MAX, int channel = -1) const {
        float peak = 0.0f;
        for (size_t f = begin; f < std::min(end, Frames()); ++f) {
            for (int c = 0; c < info.channels; ++c) {
                if (channel < 0 || c == channel) peak = std::max(peak, std::fabs(At(f, c)));
            }
        }
        return peak;
    }

    SF_INFO info {};
    std::vector<float> samples;
};

// Writes `samples`, or with none given, `frames` of sines at 0.5, channel c at 441 x (c + 1) Hz
// (so channels cannot be mistaken for each other).
inline void WriteAudio(const std::string& path, int channels, int rate, int format, size_t frames,
                       std::vector<float> samples = {}) {
    for (size_t i = 0; samples.size() < frames * channels; ++i) {
        const double cycles = 441.0 * static_cast<double>(i % channels + 1) * static_cast<double>(i / channels) / rate;
        samples.push_back(0.5f * static_cast<float>(std::sin(2.0 * M_PI * cycles)));
    }
    SF_INFO info {0, rate, channels, format, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
}

inline void PutBig(Bytes& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

// A .fxp image for `pluginId`: an opaque chunk ("FPCh"), or with `params`, a parameter list ("FxCk").
inline Bytes FxpImage(int32_t pluginId, const Bytes& chunk, const std::vector<float>& params = {},
                      const std::string& name = "Test Preset") {
    Bytes payload;
    if (params.empty()) PutBig(payload, static_cast<uint32_t>(chunk.size()));
    payload.insert(payload.end(), chunk.begin(), chunk.end());
    for (float value : params) PutBig(payload, std::bit_cast<uint32_t>(value));
    Bytes bytes = {'C', 'c', 'n', 'K'};
    PutBig(bytes, static_cast<uint32_t>(48 + payload.size()));
    const char* kind = params.empty() ? "FPCh" : "FxCk";
    bytes.insert(bytes.end(), kind, kind + 4);
    PutBig(bytes, 1);  // format version
    PutBig(bytes, static_cast<uint32_t>(pluginId));
    PutBig(bytes, 1);  // plug-in version
    PutBig(bytes, static_cast<uint32_t>(std::max<size_t>(1, params.size())));  // parameter count
    name.copy(reinterpret_cast<char*>(&*bytes.insert(bytes.end(), 28, 0)), 28);  // all 28 bytes may be used
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

}  // namespace hosttest
