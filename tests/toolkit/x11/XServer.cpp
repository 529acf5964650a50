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

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        available = (display != nullptr && display[0] != '\0' ? true : StartXvfb()) && Opens();
    }
    void TearDown() override {
        if (pid <= 0) return;
        ::kill(pid, SIGTERM);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) continue;
        pid = -1;
        ::unsetenv("DISPLAY");
    }

    bool available = false;

private:
    static bool Opens() {
        Display* dpy = XOpenDisplay(nullptr);
        if (dpy != nullptr) XCloseDisplay(dpy);
        return dpy != nullptr;
    }
    // Xvfb from PATH writes the display number it chose to fd 3 once it accepts connections.
    bool StartXvfb() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        const pid_t parent = ::getpid();
        pid = ::fork();
        if (pid == 0) {
            // The server ends with this process, even when a test crashes before tear-down.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent) ::_exit(1);
            ::dup2(fds[1], 3);  // dup2 clears close-on-exec; fds[1] is never 3 with 0 to 2 open
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 1);
            ::dup2(null, 2);
            const char* argv[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr};
            ::execvp("Xvfb", const_cast<char**>(argv));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char buffer[16];
        ssize_t got = 0;
        while (pid > 0 && number.find('\n') == std::string::npos && ::poll(&wait, 1, 15000) > 0 &&
               (got = ::read(fds[0], buffer, sizeof buffer)) > 0)
            number.append(buffer, static_cast<size_t>(got));
        ::close(fds[0]);
        if (number.empty() || number[0] < '0' || number[0] > '9') {
            TearDown();
            return false;
        }
        ::setenv("DISPLAY", (":" + number.substr(0, number.find('\n'))).c_str(), 1);
        return true;
    }

    pid_t pid = -1;
};

XvfbEnvironment* const gEnvironment =
    static_cast<XvfbEnvironment*>(::testing::AddGlobalTestEnvironment(new XvfbEnvironment));

}  // namespace

bool DisplayAvailable() { return gEnvironment->available; }

HostConnection::HostConnection() {
    // A busy server may refuse a connection for a moment (EAGAIN); a host would simply try again.
    for (int attempt = 0; attempt < 100 && (display = XOpenDisplay(nullptr)) == nullptr; ++attempt) ::usleep(20000);
}

HostConnection::~HostConnection() {
    if (display != nullptr) XCloseDisplay(display);
}

Window HostConnection::MakeParent(int x, int y, int width, int height) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;  // placed where asked even if a window manager runs
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    const Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                        CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void HostConnection::Send(Window window, XEvent& event) {
    XSendEvent(display, window, False, 0, &event);
    XSync(display, False);
}

void HostConnection::Button(Window window, int x, int y, unsigned int button, bool press, unsigned int state,
                            unsigned long time) {
    XEvent event{};
    event.xbutton = {press ? ButtonPress : ButtonRelease, 0, False, display, window, DefaultRootWindow(display),
                     0, time, x, y, 0, 0, state, button, True};
    Send(window, event);
}

void HostConnection::Motion(Window window, int x, int y, unsigned int state) {
    XEvent event{};
    event.xmotion = {MotionNotify, 0, False, display, window, DefaultRootWindow(display), 0, 0, x, y, 0, 0, state,
                     0, True};
    Send(window, event);
}

void HostConnection::Key(Window window, KeySym keysym, unsigned int state) {
    XEvent event{};
    event.xkey = {KeyPress, 0, False, display, window, DefaultRootWindow(display), 0, 0, 0, 0, 0, 0, state,
                  XKeysymToKeycode(display, keysym), True};
    Send(window, event);
}

void HostConnection::Focus(Window window, bool in, int mode, int detail) {
    XEvent event{};
    event.xfocus = {in ? FocusIn : FocusOut, 0, False, display, window, mode, detail};
    Send(window, event);
}

unsigned long HostConnection::Pixel(Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xdeadbeef;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

Window HostConnection::ParentOf(Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    return parent;
}

int HostConnection::ChildCount(Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    return static_cast<int>(count);
}

}  // namespace xtest
