#include "XServer.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace xtest {
namespace {

constexpr int kStartTimeoutMs = 15000;

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display != nullptr && display[0] != '\0') {
            available = Opens();
            return;
        }
        available = StartXvfb() && Opens();
    }

    void TearDown() override {
        if (pid <= 0) return;
        ::kill(pid, SIGTERM);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
        ::unsetenv("DISPLAY");
    }

    bool available = false;

private:
    static bool Opens() {
        Display* dpy = XOpenDisplay(nullptr);
        if (dpy == nullptr) return false;
        XCloseDisplay(dpy);
        return true;
    }

    bool StartXvfb() {
        const std::string program = FindOnPath("Xvfb");
        if (program.empty()) return false;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        const pid_t parent = ::getpid();
        pid = ::fork();
        if (pid == 0) {
            // The server ends with this process, even when a test crashes before tear-down.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent) ::_exit(1);
            if (fds[1] == 3) {
                ::fcntl(3, F_SETFD, 0);
            } else {
                ::dup2(fds[1], 3);
            }
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 1);
            ::dup2(null, 2);
            const char* argv[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr};
            ::execv(program.c_str(), const_cast<char**>(argv));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid < 0) {
            ::close(fds[0]);
            return false;
        }
        // Xvfb writes the display number it chose once it accepts connections.
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && ::poll(&wait, 1, kStartTimeoutMs) > 0) {
            char buffer[16];
            const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
            if (got <= 0) break;
            number.append(buffer, static_cast<size_t>(got));
        }
        ::close(fds[0]);
        if (number.empty() || number[0] < '0' || number[0] > '9') {
            TearDown();
            return false;
        }
        ::setenv("DISPLAY", (":" + number.substr(0, number.find('\n'))).c_str(), 1);
        return true;
    }

    static std::string FindOnPath(const char* name) {
        const char* path = std::getenv("PATH");
        std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
        for (size_t start = 0; start <= dirs.size();) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            const std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
            start = end + 1;
        }
        return {};
    }

    pid_t pid = -1;
};

XvfbEnvironment* const gEnvironment =
    static_cast<XvfbEnvironment*>(::testing::AddGlobalTestEnvironment(new XvfbEnvironment));

}  // namespace

bool DisplayAvailable() { return gEnvironment->available; }

HostConnection::HostConnection() {
    // A busy server may refuse a connection for a moment (EAGAIN); a host would simply try again.
    for (int attempt = 0; attempt < 100 && display == nullptr; ++attempt) {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) ::usleep(20000);
    }
}

HostConnection::~HostConnection() {
    if (display != nullptr) XCloseDisplay(display);
}

Window HostConnection::MakeParent(int x, int y, int width, int height) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    // Placed where asked even if a window manager runs.
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    const Window window = XCreateWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                        CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void HostConnection::Button(Window window, int x, int y, unsigned int button, bool press, unsigned int state,
                            unsigned long time) {
    XEvent event{};
    event.xbutton.type = press ? ButtonPress : ButtonRelease;
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.time = time;
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.state = state;
    event.xbutton.button = button;
    event.xbutton.same_screen = True;
    XSendEvent(display, window, False, 0, &event);
    XSync(display, False);
}

void HostConnection::Motion(Window window, int x, int y, unsigned int state) {
    XEvent event{};
    event.xmotion.type = MotionNotify;
    event.xmotion.window = window;
    event.xmotion.root = DefaultRootWindow(display);
    event.xmotion.x = x;
    event.xmotion.y = y;
    event.xmotion.state = state;
    event.xmotion.same_screen = True;
    XSendEvent(display, window, False, 0, &event);
    XSync(display, False);
}

void HostConnection::Key(Window window, KeySym keysym, unsigned int state, bool press) {
    XEvent event{};
    event.xkey.type = press ? KeyPress : KeyRelease;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(display);
    event.xkey.state = state;
    event.xkey.keycode = XKeysymToKeycode(display, keysym);
    event.xkey.same_screen = True;
    XSendEvent(display, window, False, 0, &event);
    XSync(display, False);
}

void HostConnection::Focus(Window window, bool in, int mode, int detail) {
    XEvent event{};
    event.xfocus.type = in ? FocusIn : FocusOut;
    event.xfocus.window = window;
    event.xfocus.mode = mode;
    event.xfocus.detail = detail;
    XSendEvent(display, window, False, 0, &event);
    XSync(display, False);
}

unsigned long HostConnection::Pixel(Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xdeadbeef;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

Window HostConnection::ParentOf(Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    return parent;
}

int HostConnection::ChildCount(Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    return static_cast<int>(count);
}

}  // namespace xtest
