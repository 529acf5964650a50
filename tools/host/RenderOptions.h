// What `render` was asked to do, as parsed from the command line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class SampleFormat { Pcm16, Pcm24, Float32 };

struct RenderOptions {
    std::string input;
    std::string output;
    std::string plugin;
    std::optional<std::string> program;          // a number or a name, resolved once loaded
    std::optional<std::string> preset;           // .fxp file, loaded into the selected program
    std::vector<std::pair<long, float>> sets;    // parameter index and value, in command-line order
    std::optional<double> rate;                  // must equal the input file's rate
    int blockSize = 512;
    double tailSeconds = 0.0;
    double prerollSeconds = 0.5;                 // silence processed and dropped before IN
    std::optional<SampleFormat> format;          // default: follow the input file
    bool quiet = false;
};
