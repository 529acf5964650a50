// The texts murmurhall-host prints for `help` and for a wrong command line.
#pragma once

#include <cstdio>

class Usage {
public:
    // Main thread: the short synopsis.
    static void PrintSynopsis(std::FILE* out);
    // Main thread: every command and option, with the rules behind them.
    static void PrintHelp(std::FILE* out, const char* defaultPlugin);
};
