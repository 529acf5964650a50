// `murmurhall-host edit` as a user runs it: the plug-in's editor in a window of its own on the X
// server, photographed, acted on by a script, closed by the window manager's close request.
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

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "XServer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct HostRun {
    int exitCode = -1;  // or minus the signal
    std::string out, err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Scratch {
public:
    Scratch() : root(fs::path(::mkdtemp(std::string("/tmp/mh-edit-test-XXXXXX").data()))) {}
    ~Scratch() { fs::remove_all(root); }
    std::string Path(const std::string& name) const { return (root / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }

private:
    fs::path root;
};

// Runs the host with args; withDisplay false takes DISPLAY out of its environment. While it runs,
// during() is called every 20 ms until it returns true; the host is killed after 60 s.
HostRun RunHost(const std::vector<std::string>& args, bool withDisplay = true,
            const std::function<bool(pid_t)>& during = nullptr) {
    Scratch files;
    const std::string outPath = files.Path("out");
    const std::string errPath = files.Path("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> argText = {MH_HOST_PATH, "edit", MH_PLUGIN_PATH};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argText) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (withDisplay || std::strncmp(*entry, "DISPLAY=", 8) != 0) envp.push_back(*entry);
    }
    envp.push_back(nullptr);
    pid_t pid = -1;
    HostRun run;
    const int spawned = posix_spawn(&pid, MH_HOST_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    bool duringDone = during == nullptr;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        if (!duringDone) duringDone = during(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
}

struct PngSize {
    int width = 0;
    int height = 0;
};

PngSize SizeOf(const std::string& png) {
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    PngSize size;
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        size = {cairo_image_surface_get_width(image), cairo_image_surface_get_height(image)};
    }
    cairo_surface_destroy(image);
    return size;
}

// The host's top-level window on the server, found by its class (under a window manager's frame
// too); 0 while there is none.
Window FindHostWindow(Display* dpy, Window under = 0, int depth = 0) {
    if (under == 0) under = DefaultRootWindow(dpy);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
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

TEST(HostEdit, ScreenshotIsOfTheEditorsWholeWindow) {
    REQUIRE_DISPLAY();
    Scratch files;
    const std::string shot = files.Path("editor.png");
    const HostRun run = RunHost({"--screenshot", shot, "--after", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The window is exactly as large as the background picture.
    const PngSize background = SizeOf(MH_SOURCE_DIR "/resources/bmp00200.png");
    ASSERT_GT(background.width, 0);
    const PngSize picture = SizeOf(shot);
    EXPECT_EQ(picture.width, background.width);
    EXPECT_EQ(picture.height, background.height);
}

TEST(HostEdit, RefusesToRunWithoutADisplay) {
    REQUIRE_DISPLAY();
    const HostRun run = RunHost({"--after", "1"}, false);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("X display"), std::string::npos) << run.err;
}

TEST(HostEdit, CommandLineAndScriptMistakesAreUsageErrors) {
    REQUIRE_DISPLAY();
    Scratch files;
    const std::string script = files.Write("events.txt", "# a comment\nat 0.5 click 10\n");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--events", script}, "events.txt:2"},
        {{"--events", files.Write("verb.txt", "at 1 tap 3 4\n")}, "unknown action 'tap'"},
        {{"--events", files.Write("key.txt", "at 1 key <NoSuchKey>\n")}, "no key is named 'NoSuchKey'"},
        {{"--events", files.Path("missing.txt")}, "cannot read the events file"},
        {{"--after", "-1"}, "--after wants a number"},
        {{"--colour", "red"}, "unknown option '--colour'"},
        {{"--print-program=yes"}, "takes no value"},
    };
    for (const Case& c : cases) {
        const HostRun run = RunHost(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(HostEdit, SelectsTheProgramAndPrintsTheCurrentOneOnTheWayOut) {
    REQUIRE_DISPLAY();
    const HostRun run = RunHost({"--program", "3", "--after", "0.3", "--print-program"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("program 3 ", 0), 0u) << run.out;
}

TEST(HostEdit, ScriptedClickReachesTheEditorAndItsReportsReachTheHost) {
    REQUIRE_DISPLAY();
    Scratch files;
    // The next-program button's place in the window's layout.
    const std::string script = files.Write("next.txt", "at 0.4 click 101 388\n");
    const HostRun run = RunHost({"--events", script, "--after", "1.2", "--log-automation", "--print-program"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("begin 10\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("end 10\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("program 1 "), std::string::npos) << run.out;
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
    const HostRun closed = RunHost({"--print-program"}, true, closeWindow);
    EXPECT_EQ(closed.exitCode, 0) << closed.err;
    EXPECT_EQ(closed.out.rfind("program 0 ", 0), 0u) << closed.out;

    const auto terminate = [&](pid_t pid) {
        if (FindHostWindow(wm.dpy()) == 0) return false;
        ::kill(pid, SIGTERM);
        return true;
    };
    const HostRun terminated = RunHost({"--print-program"}, true, terminate);
    EXPECT_EQ(terminated.exitCode, 0) << terminated.err;
    EXPECT_EQ(terminated.out.rfind("program 0 ", 0), 0u) << terminated.out;
    XSync(wm.dpy(), False);
    EXPECT_EQ(FindHostWindow(wm.dpy()), 0u);
}

}  // namespace
