// A file dialog program (zenity, kdialog) run as a child process without ever blocking the caller:
// its standard output is read through a non-blocking pipe and its end is noticed by polling.
// The child gets our environment without LD_LIBRARY_PATH, so a host's private libraries do not
// reach a desktop program built against the system's.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class FileDialogProcess {
public:
    FileDialogProcess() = default;
    // UI thread: a child still running is killed and reaped.
    ~FileDialogProcess();
    FileDialogProcess(const FileDialogProcess&) = delete;
    FileDialogProcess& operator=(const FileDialogProcess&) = delete;

    // UI thread: starts program (a path) with args (argv[1..]); false when it cannot be started or
    // a child is already running.
    bool Start(const std::string& program, const std::vector<std::string>& args);
    // UI thread: reads what the child wrote and notices its end, without waiting; true once it ended.
    bool Poll();
    // UI thread: a child was started and has not been seen to end.
    bool Running() const { return pid > 0; }
    // UI thread, after Poll returned true: the child ended normally with status 0, or ended in a way
    // we could not observe (someone else reaped it) after writing something.
    bool Succeeded() const;
    // UI thread: what the child wrote up to its first line break.
    std::string FirstLine() const;
    // UI thread: ends a running child (SIGTERM, then SIGKILL) and reaps it; no result.
    void Kill();

    // Any thread: the executable name on PATH (or name itself when it holds a '/'), empty when absent.
    static std::string FindOnPath(const std::string& name);
    // Any thread: our environment without LD_LIBRARY_PATH.
    static std::vector<std::string> ChildEnvironment();

    // Output beyond this is read and dropped: a path is all we want.
    static constexpr size_t kMaxOutput = 64 * 1024;

private:
    void ReadAvailable();
    void ClosePipe();

    pid_t pid = -1;
    int pipeFd = -1;
    std::string output;
    bool ended = false;
    bool statusKnown = false;
    int status = 0;
};
