// `murmurhall-host info`: loads a plug-in and prints what it says about itself.
#pragma once

#include <cstdio>
#include <string>

class InfoCommand {
public:
    // Main thread: describes the plug-in at `pluginPath` on `out`. Throws HostError when it
    // cannot be loaded or started.
    static void Run(const std::string& pluginPath, std::FILE* out);

    // Any thread: the names of the set flag bits, e.g. "HasEditor CanReplacing".
    static std::string FlagNames(int32_t flags);
    // Any thread: a category number as text, e.g. "1 (effect)".
    static std::string CategoryName(long category);
};
