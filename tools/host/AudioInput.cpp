#include "AudioInput.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "HostError.h"

AudioInput::AudioInput(const std::string& filePath) : path(filePath) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw HostError("cannot open input '" + path + "': " + std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        throw HostError("cannot open input '" + path + "': not a regular file");
    }
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw HostError("cannot read input '" + path + "': " + sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.channels > 2) {
        const int channels = info.channels;
        sf_close(file);
        file = nullptr;
        throw HostError("input '" + path + "' has " + std::to_string(channels) +
                        " channels; only mono and stereo files can be rendered");
    }
    if (info.samplerate <= 0) {
        sf_close(file);
        file = nullptr;
        throw HostError("input '" + path + "' declares no sample rate");
    }
}

AudioInput::~AudioInput() {
    if (file != nullptr) {
        sf_close(file);
    }
}

size_t AudioInput::Read(float* interleaved, size_t frames) {
    const sf_count_t got = sf_readf_float(file, interleaved, static_cast<sf_count_t>(frames));
    if (got < static_cast<sf_count_t>(frames) && sf_error(file) != SF_ERR_NO_ERROR) {
        throw HostError("error reading input '" + path + "': " + sf_strerror(file));
    }
    return got > 0 ? static_cast<size_t>(got) : 0;
}
