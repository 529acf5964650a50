#include "platform/FileDialogProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

constexpr char kDroppedVariable[] = "LD_LIBRARY_PATH=";
// How long a child asked to end may take before it is killed outright.
constexpr int kTermGraceSteps = 20;
constexpr long kTermGraceStepNs = 5 * 1000000L;

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

FileDialogProcess::~FileDialogProcess() { Kill(); }

std::string FileDialogProcess::FindOnPath(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    const std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
        const std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

std::vector<std::string> FileDialogProcess::ChildEnvironment() {
    std::vector<std::string> env;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, kDroppedVariable, sizeof kDroppedVariable - 1) != 0) env.emplace_back(*entry);
    }
    return env;
}

bool FileDialogProcess::Start(const std::string& program, const std::vector<std::string>& args) {
    if (Running()) return false;
    output.clear();
    ended = false;
    statusKnown = false;
    status = 0;

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);

    std::vector<std::string> argvText;
    argvText.push_back(program);
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText = ChildEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : envText) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // The host's signal mask and handlers are no business of the dialog's.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD, SIGHUP}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = -1;
    const int error = ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        return false;
    }
    pid = child;
    pipeFd = fds[0];
    return true;
}

void FileDialogProcess::ReadAvailable() {
    char buffer[4096];
    while (pipeFd >= 0) {
        const ssize_t got = ::read(pipeFd, buffer, sizeof buffer);
        if (got > 0) {
            const size_t room = kMaxOutput - std::min(kMaxOutput, output.size());
            output.append(buffer, std::min(room, static_cast<size_t>(got)));
        } else if (got == 0) {
            ClosePipe();
        } else if (errno != EINTR) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) ClosePipe();
            return;
        }
    }
}

void FileDialogProcess::ClosePipe() {
    if (pipeFd >= 0) ::close(pipeFd);
    pipeFd = -1;
}

bool FileDialogProcess::Poll() {
    if (pid <= 0) return ended;
    ReadAvailable();
    int childStatus = 0;
    const pid_t reaped = ::waitpid(pid, &childStatus, WNOHANG);
    if (reaped == pid) {
        statusKnown = true;
        status = childStatus;
    } else if (!(reaped < 0 && errno == ECHILD)) {
        return false;  // still running (or interrupted: next time)
    }
    // Ended: what it wrote before is in the pipe already.
    ReadAvailable();
    ClosePipe();
    pid = -1;
    ended = true;
    return true;
}

bool FileDialogProcess::Succeeded() const {
    if (!ended) return false;
    if (statusKnown) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return !output.empty();
}

std::string FileDialogProcess::FirstLine() const {
    const size_t end = output.find('\n');
    std::string line = output.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void FileDialogProcess::Kill() {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        bool gone = false;
        for (int step = 0; step < kTermGraceSteps && !gone; ++step) {
            const pid_t reaped = ::waitpid(pid, nullptr, WNOHANG);
            gone = reaped == pid || (reaped < 0 && errno == ECHILD);
            if (!gone) {
                timespec pause{0, kTermGraceStepNs};
                nanosleep(&pause, nullptr);
            }
        }
        if (!gone) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        pid = -1;
    }
    ClosePipe();
}
