// Where the host tests find the built plug-ins, and small text helpers they share.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string RealPlugin() { return MH_PLUGIN_PATH; }

// A fixture plug-in from tests/tools/fixture_plugin, by target name ("fixture_gain", ...).
inline std::string FixturePlugin(const std::string& name) {
    return std::string(MH_FIXTURE_PLUGIN_DIR) + "/" + name + ".so";
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
