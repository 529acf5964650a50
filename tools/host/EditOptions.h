// What `edit` was asked to do, as parsed from the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct EditOptions {
    std::string plugin;
    std::optional<std::string> input;       // a sound file looped through the plug-in; else silence
    std::optional<std::string> program;     // a number or a name, resolved once loaded
    std::optional<std::string> screenshot;  // PNG of the window, taken when `after` has passed
    std::optional<double> after;            // seconds until the screenshot and the end
    std::optional<std::string> events;      // a script of timed pointer and key actions
    bool printProgram = false;              // "program N NAME" on the way out
    bool logAutomation = false;             // "automate I V", "begin I", "end I" lines on stdout
    std::vector<long> printParameters;      // "parameter I VALUE" for each, on the way out
};
