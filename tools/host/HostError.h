// The one error type of the command-line host: a message for the user and the exit status.
#pragma once

#include <stdexcept>
#include <string>

class HostError : public std::runtime_error {
public:
    static constexpr int kFailure = 1;  // the command could not be done
    static constexpr int kUsage = 2;    // the command line itself is wrong

    // Main thread.
    explicit HostError(const std::string& message, int exitStatus = kFailure)
        : std::runtime_error(message), status(exitStatus) {}

    // Main thread: the process exit status this error stands for.
    int ExitStatus() const { return status; }

private:
    int status;
};
