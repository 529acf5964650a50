#include "AudioOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "HostError.h"

namespace {

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension;
}

int Subtype(SampleFormat format) {
    switch (format) {
        case SampleFormat::Pcm16: return SF_FORMAT_PCM_16;
        case SampleFormat::Pcm24: return SF_FORMAT_PCM_24;
        case SampleFormat::Float32: return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_PCM_16;
}

}  // namespace

bool AudioOutput::IsLarge(uint64_t frames, int channels, SampleFormat sampleFormat) {
    const uint64_t bytesPerSample = sampleFormat == SampleFormat::Pcm16 ? 2 : sampleFormat == SampleFormat::Pcm24 ? 3 : 4;
    // Leave room for headers and for a file that ends up a little longer than announced.
    constexpr uint64_t kLimit = 0xF0000000u;
    return frames > kLimit / (static_cast<uint64_t>(channels > 0 ? channels : 1) * bytesPerSample);
}

int AudioOutput::FormatFor(const std::string& path, SampleFormat sampleFormat, bool large) {
    const std::string extension = LowerExtension(path);
    int major = 0;
    if (extension == "wav" || extension == "wave") {
        // Plain WAV is what every tool reads; RF64 only when the size needs it.
        major = large ? SF_FORMAT_RF64 : SF_FORMAT_WAV;
    } else if (extension == "aif" || extension == "aiff") {
        if (large) {
            throw HostError("output '" + path + "' would pass the 4 GB an AIFF file can hold; name it .wav",
                            HostError::kUsage);
        }
        major = SF_FORMAT_AIFF;
    } else if (extension == "flac") {
        major = SF_FORMAT_FLAC;
    } else {
        throw HostError("output '" + path + "': unknown file type; name it .wav, .aiff or .flac", HostError::kUsage);
    }
    if (major == SF_FORMAT_FLAC && sampleFormat == SampleFormat::Float32) {
        throw HostError("output '" + path + "': FLAC cannot hold 32-bit float samples; use --format 16 or 24",
                        HostError::kUsage);
    }
    return major | Subtype(sampleFormat);
}

SampleFormat AudioOutput::Matching(int inputFormat) {
    switch (inputFormat & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_24: return SampleFormat::Pcm24;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE: return SampleFormat::Float32;
        default: return SampleFormat::Pcm16;
    }
}

AudioOutput::AudioOutput(const std::string& filePath, int format, int channels, int sampleRate) : path(filePath) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = (slash == std::string::npos ? std::string() : folder) + "." + base + ".partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        throw HostError("cannot create a file in '" + folder + "' for output '" + path + "': " + std::strerror(errno));
    }
    temporary = name.data();
    // mkstemp makes the file private; a finished render gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    SF_INFO info {};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = format;
    if (!sf_format_check(&info)) {
        ::close(fd);
        Discard();
        throw HostError("output '" + path + "': libsndfile cannot write this format");
    }
    file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (file == nullptr) {
        ::close(fd);
        Discard();
        throw HostError("cannot write output '" + path + "': " + sf_strerror(nullptr));
    }
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64) {
        sf_command(file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    }
    // Without this, integer output wraps around instead of clipping at full scale.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioOutput::~AudioOutput() {
    if (!committed) {
        Discard();
    }
}

void AudioOutput::Discard() {
    if (file != nullptr) {
        sf_close(file);
        file = nullptr;
    }
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
        temporary.clear();
    }
}

void AudioOutput::Write(const float* interleaved, size_t frames) {
    const sf_count_t wrote = sf_writef_float(file, interleaved, static_cast<sf_count_t>(frames));
    if (wrote != static_cast<sf_count_t>(frames)) {
        throw HostError("cannot write output '" + path + "': " + sf_strerror(file));
    }
}

void AudioOutput::Commit() {
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0) {
        throw HostError("cannot finish output '" + path + "': " + sf_error_number(closed));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        throw HostError("cannot name the output '" + path + "': " + std::strerror(errno));
    }
    temporary.clear();
    committed = true;
}
