// murmurhall-host: a command-line VST 2.4 host for describing plug-ins, rendering files and
// showing a plug-in's editor.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "HostEdit.h"
#include "HostError.h"
#include "InfoCommand.h"
#include "RenderCommand.h"
#include "Usage.h"

#ifndef MH_DEFAULT_PLUGIN
#define MH_DEFAULT_PLUGIN "Murmurhall.vst/Contents/x86_64-linux/Murmurhall.so"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    if (args.empty()) {
        Usage::PrintSynopsis(stderr);
        std::fputs("Run 'murmurhall-host --help' for the commands and options.\n", stderr);
        return HostError::kUsage;
    }
    try {
        const CommandLine line = CommandLine::Parse(args, MH_DEFAULT_PLUGIN);
        switch (line.command) {
            case CommandLine::Command::Help:
                Usage::PrintHelp(stdout, MH_DEFAULT_PLUGIN);
                return 0;
            case CommandLine::Command::Info:
                InfoCommand::Run(line.plugin, stdout);
                return 0;
            case CommandLine::Command::Render:
                return RenderCommand::Run(line.render);
            case CommandLine::Command::Edit:
                return HostEdit::Run(line.edit);
        }
    } catch (const HostError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "murmurhall-host: %s\n", error.what());
        if (error.ExitStatus() == HostError::kUsage) {
            std::fputs("Run 'murmurhall-host --help' for the commands and options.\n", stderr);
        }
        return error.ExitStatus();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "murmurhall-host: %s\n", error.what());
        return HostError::kFailure;
    }
    return HostError::kFailure;
}
