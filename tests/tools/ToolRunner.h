// Runs the built murmurhall-host as a separate process and collects what it printed.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct ToolResult {
    int exitCode = -1;  // the exit status, or minus the signal that ended it
    std::string out;
    std::string err;
};

class ToolRunner {
public:
    // Runs murmurhall-host with `args`; `environment` entries ("NAME=value") are added to ours.
    static ToolResult Run(const std::vector<std::string>& args,
                          const std::vector<std::string>& environment = {});
    // Like Run, but once `ready()` turns true (polled every 10 ms, for at most 30 s) sends
    // `signal` to the tool, then waits for it to end.
    static ToolResult RunAndSignal(const std::vector<std::string>& args, int signal,
                                   const std::function<bool()>& ready);

private:
    static ToolResult Spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                            int signal, const std::function<bool()>* ready);
};
