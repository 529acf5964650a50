// `murmurhall-host edit` as a user runs it: the plug-in's editor in a window of its own on the X
// server, closed by the window manager's close request or a signal, and refusing mistakes in what
// it is told. EditorWindowTest drives the window itself.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include <X11/Xutil.h>

#include "XServer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path root = fs::path(::mkdtemp(std::string("/tmp/mh-edit-test-XXXXXX").data()));
    ~Scratch() { fs::remove_all(root); }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(root / name) << text;
        return (root / name).string();
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(root / name);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

struct HostRun {
    int exitCode = -1;  // or minus the signal
    std::string out, err;
};

// Runs the host's edit command with args (no quoting needed), without DISPLAY unless withDisplay.
// While it runs, during(pid) is called every 20 ms until it returns true; it is killed after 60 s.
HostRun RunHost(const std::string& args, bool withDisplay = true, const std::function<bool(pid_t)>& during = {}) {
    Scratch files;
    const std::string command = std::string("exec ") + (withDisplay ? "" : "env -u DISPLAY ") + MH_HOST_PATH +
                                " edit " MH_PLUGIN_PATH " " + args + " >" + (files.root / "out").string() + " 2>" +
                                (files.root / "err").string();
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t pid = -1;
    HostRun run;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    bool duringDone = !during;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) ::kill(pid, SIGKILL);
        if (!duringDone) duringDone = during(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.out = files.Read("out");
    run.err = files.Read("err");
    return run;
}

// The host's top-level window on the server, found by its class (under a window manager's frame
// too); 0 while there is none.
Window FindHostWindow(Display* dpy, Window under, int depth = 0) {
    Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned int count = 0;
    if (XQueryTree(dpy, under, &root, &parent, &children, &count) == 0) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XClassHint hint{};
        if (XGetClassHint(dpy, children[i], &hint) != 0) {
            if (hint.res_name != nullptr && std::strcmp(hint.res_name, "murmurhall-host") == 0) found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        if (found == 0 && depth < 2) found = FindHostWindow(dpy, children[i], depth + 1);
    }
    if (children != nullptr) XFree(children);
    return found;
}

TEST(HostEdit, CommandLineAndScriptMistakesAndAMissingDisplayAreUsageErrors) {
    REQUIRE_DISPLAY();
    Scratch files;
    const struct { std::string args; const char* message; } cases[] = {
        {"--events " + files.Write("line.txt", "# a comment\nat 0.5 click 10\n"), "line.txt:2"},
        {"--events " + files.Write("key.txt", "at 1 key <NoSuchKey>\n"), "no key is named 'NoSuchKey'"},
        {"--after -1", "--after wants a number"},
        {"--colour red", "unknown option '--colour'"},
    };
    for (const auto& c : cases) {
        const HostRun run = RunHost(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    const HostRun run = RunHost("--after 1", false);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("X display"), std::string::npos) << run.err;
}

TEST(HostEdit, ClosingTheWindowOrATerminationSignalEndsCleanly) {
    REQUIRE_DISPLAY();
    xtest::HostConnection wm;
    Display* dpy = wm.dpy();
    const auto closeWindow = [dpy](pid_t) {
        const Window window = FindHostWindow(dpy, DefaultRootWindow(dpy));
        if (window == 0) return false;
        XEvent event{};
        event.xclient = {ClientMessage, 0, False, dpy, window, XInternAtom(dpy, "WM_PROTOCOLS", False), 32};
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
        XSendEvent(dpy, window, False, NoEventMask, &event);
        XSync(dpy, False);
        return true;
    };
    const auto terminate = [dpy](pid_t pid) {
        return FindHostWindow(dpy, DefaultRootWindow(dpy)) != 0 && ::kill(pid, SIGTERM) == 0;
    };
    for (const std::function<bool(pid_t)>& end : {std::function<bool(pid_t)>(closeWindow), std::function<bool(pid_t)>(terminate)}) {
        const HostRun run = RunHost("--print-program", true, end);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out.rfind("program 0 ", 0), 0u) << run.out;
    }
    XSync(dpy, False);
    EXPECT_EQ(FindHostWindow(dpy, DefaultRootWindow(dpy)), 0u);
}

}  // namespace
