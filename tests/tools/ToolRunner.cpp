#include "ToolRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempName(const char* what) {
    std::string pattern = "/tmp/mh-tool-" + std::string(what) + "-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) {
        ::close(fd);
    }
    return pattern;
}

}  // namespace

ToolResult ToolRunner::Run(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    return Spawn(args, environment, 0, nullptr);
}

ToolResult ToolRunner::RunAndSignal(const std::vector<std::string>& args, int signal,
                                    const std::function<bool()>& ready) {
    return Spawn(args, {}, signal, &ready);
}

ToolResult ToolRunner::Spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                             int signal, const std::function<bool()>* ready) {
    const std::string outPath = TempName("out");
    const std::string errPath = TempName("err");

    std::vector<std::string> argStore;
    argStore.push_back(MH_HOST_PATH);
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argStore) argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** entry = environ; *entry != nullptr; ++entry) envStore.emplace_back(*entry);
    envStore.insert(envStore.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (auto& entry : envStore) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_TRUNC, 0);

    ToolResult result;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0) {
        if (ready != nullptr) {
            for (int i = 0; i < 3000 && !(*ready)(); ++i) {
                ::usleep(10000);
            }
            ::kill(pid, signal);
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    } else {
        result.err = "posix_spawn failed";
    }
    result.out = Slurp(outPath);
    result.err += Slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}
