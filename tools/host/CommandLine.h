// The command line of murmurhall-host: which command, and its checked options.
#pragma once

#include <string>
#include <vector>

#include "EditOptions.h"
#include "RenderOptions.h"

class CommandLine {
public:
    enum class Command { Help, Info, Render, Edit };

    static constexpr int kMaxBlockSize = 65536;
    static constexpr double kMaxTailSeconds = 3600.0;
    static constexpr double kMaxPrerollSeconds = 60.0;
    static constexpr double kMaxEditSeconds = 24.0 * 3600.0;

    // Main thread: parses the arguments after the program name. Throws HostError (usage) with a
    // message naming the faulty argument; nothing is opened or loaded here.
    static CommandLine Parse(const std::vector<std::string>& args, const std::string& defaultPlugin);

    Command command = Command::Help;
    std::string plugin;      // info: the plug-in to describe
    RenderOptions render;    // render: everything else
    EditOptions edit;        // edit: the plug-in and everything else

    // Any thread: a whole decimal integer (optional sign, digits, nothing else) that fits a long.
    static bool ParseInteger(const std::string& text, long& value);
    // Any thread: a whole finite decimal number, no trailing characters.
    static bool ParseReal(const std::string& text, double& value);
};
