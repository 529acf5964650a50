// `murmurhall-host edit` as a user runs it: the plug-in's editor in a window of its own on the X
// server, photographed, closed by the window manager's close request or a signal, and refusing
// mistakes in what it is told.
#include <gtest/gtest.h>

#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
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
    std::string Path(const std::string& name) const { return (root / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name)) << text;
        return Path(name);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name));
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

struct HostRun {
    int exitCode = -1;  // or minus the signal
    std::string out, err;
};

// Runs the host's edit command with args, without DISPLAY unless withDisplay. While it runs,
// during(pid) is called every 20 ms until it returns true; the host is killed after 60 s.
HostRun RunHost(std::vector<std::string> args, bool withDisplay = true,
                const std::function<bool(pid_t)>& during = nullptr) {
    Scratch files;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, files.Path("out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, files.Path("err").c_str(), O_WRONLY | O_CREAT, 0600);
    args.insert(args.begin(), {MH_HOST_PATH, "edit", MH_PLUGIN_PATH});
    std::vector<char*> argv, envp;
    for (std::string& arg : args) argv.push_back(arg.data());
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (withDisplay || std::strncmp(*entry, "DISPLAY=", 8) != 0) envp.push_back(*entry);
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = -1;
    HostRun run;
    const int spawned = posix_spawn(&pid, MH_HOST_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    bool duringDone = during == nullptr;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        if (!duringDone) duringDone = during(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.out = files.Read("out");
    run.err = files.Read("err");
    return run;
}

std::pair<int, int> PngSize(const std::string& png) {
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    std::pair<int, int> size{cairo_image_surface_get_width(image), cairo_image_surface_get_height(image)};
    cairo_surface_destroy(image);
    return size;
}

// The host's top-level window on the server, found by its class (under a window manager's frame
// too); 0 while there is none.
Window FindHostWindow(Display* dpy, Window under = 0, int depth = 0) {
    if (under == 0) under = DefaultRootWindow(dpy);
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

TEST(HostEdit, ScreenshotIsTheEditorsWholeWindowOnTheChosenProgram) {
    REQUIRE_DISPLAY();
    Scratch files;
    const HostRun run = RunHost({"--program", "3", "--screenshot", files.Path("shot.png"), "--after", "1",
                                 "--print-program"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("program 3 ", 0), 0u) << run.out;
    const auto background = PngSize(MH_SOURCE_DIR "/resources/bmp00200.png");
    ASSERT_GT(background.first, 0);
    EXPECT_EQ(PngSize(files.Path("shot.png")), background) << "exactly as large as the background picture";
}

TEST(HostEdit, CommandLineAndScriptMistakesAndAMissingDisplayAreUsageErrors) {
    REQUIRE_DISPLAY();
    Scratch files;
    const struct {
        std::vector<std::string> args;
        const char* message;
        bool withDisplay = true;
    } cases[] = {
        {{"--after", "1"}, "X display", false},
        {{"--events", files.Write("line.txt", "# a comment\nat 0.5 click 10\n")}, "line.txt:2"},
        {{"--events", files.Write("verb.txt", "at 1 tap 3 4\n")}, "unknown action 'tap'"},
        {{"--events", files.Write("key.txt", "at 1 key <NoSuchKey>\n")}, "no key is named 'NoSuchKey'"},
        {{"--events", files.Path("missing.txt")}, "cannot read the events file"},
        {{"--after", "-1"}, "--after wants a number"},
        {{"--colour", "red"}, "unknown option '--colour'"},
        {{"--print-program=yes"}, "takes no value"},
    };
    for (const auto& c : cases) {
        const HostRun run = RunHost(c.args, c.withDisplay);
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(HostEdit, ClosingTheWindowOrATerminationSignalEndsCleanly) {
    REQUIRE_DISPLAY();
    xtest::HostConnection wm;
    ASSERT_NE(wm.dpy(), nullptr);
    const auto closeWindow = [&](pid_t) {
        const Window window = FindHostWindow(wm.dpy());
        if (window == 0) return false;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(wm.dpy(), "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(wm.dpy(), "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(wm.dpy(), window, False, NoEventMask, &event);
        XSync(wm.dpy(), False);
        return true;
    };
    const auto terminate = [&](pid_t pid) { return FindHostWindow(wm.dpy()) != 0 && ::kill(pid, SIGTERM) == 0; };
    for (const auto& end : {std::function<bool(pid_t)>(closeWindow), std::function<bool(pid_t)>(terminate)}) {
        const HostRun run = RunHost({"--print-program"}, true, end);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out.rfind("program 0 ", 0), 0u) << run.out;
    }
    XSync(wm.dpy(), False);
    EXPECT_EQ(FindHostWindow(wm.dpy()), 0u);
}

}  // namespace
