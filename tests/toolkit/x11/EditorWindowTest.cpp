// The editor end to end, as a user meets it: `murmurhall-host edit` shows the built plug-in's window
// on the X server, a script clicks and drags in it, and what the host heard (automation, gestures,
// the program and parameter values on the way out) and what the screen showed are checked.
#include <gtest/gtest.h>

#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "XServer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr float kStep = 0.016666668f;  // one person or one population entry
constexpr int kPanelLeft = 2;           // the crowd panel's place in the window
constexpr int kPanelTop = 2;
constexpr int kNumGlobals = 17;
constexpr int kFloatsPerPerson = 12;
constexpr int kSpectra = 0;
constexpr int kPan = 6;

int PersonIndex(int person, int slot) { return kNumGlobals + kFloatsPerPerson * person + slot; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder of the test's own files, removed afterwards.
class Scratch {
public:
    Scratch() : root(fs::path(::mkdtemp(std::string("/tmp/mh-editor-window-XXXXXX").data()))) {}
    ~Scratch() { fs::remove_all(root); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string Path(const std::string& name) const { return (root / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }

private:
    fs::path root;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB

    bool Loaded() const { return width > 0 && height > 0; }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

Picture LoadPng(const std::string& path) {
    Picture picture;
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(image);
        picture.width = cairo_image_surface_get_width(image);
        picture.height = cairo_image_surface_get_height(image);
        const int stride = cairo_image_surface_get_stride(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        for (int y = 0; y < picture.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
            for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(row[x] & 0xffffffu);
        }
    }
    cairo_surface_destroy(image);
    return picture;
}

struct Box {
    int left, top, right, bottom;  // right and bottom excluded
};

// How many pixels of box differ between a and b, b read dy rows lower than a.
int Differing(const Picture& a, const Picture& b, Box box, int dy = 0) {
    int count = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) count += a.At(x, y) != b.At(x, y + dy) ? 1 : 0;
    }
    return count;
}

// How many pixels of box are text in one picture and not in the other, b read dy rows lower. Text
// is what is light; the panel's shading behind it is dark everywhere.
int DifferingText(const Picture& a, const Picture& b, Box box, int dy) {
    const auto light = [](uint32_t pixel) { return ((pixel >> 8) & 0xffu) > 0x90u; };
    int count = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) count += light(a.At(x, y)) != light(b.At(x, y + dy)) ? 1 : 0;
    }
    return count;
}

int Area(Box box) { return (box.right - box.left) * (box.bottom - box.top); }

struct HostRun {
    int exitCode = -1;  // or minus the signal
    std::string out, err;
    Picture screenshot;

    bool Has(const std::string& line) const { return out.find(line + "\n") != std::string::npos; }
    // The lines starting with prefix, in order.
    std::vector<std::string> Lines(const std::string& prefix) const {
        std::vector<std::string> found;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(prefix, 0) == 0) found.push_back(line);
        }
        return found;
    }
    // "parameter I VALUE" from --print-parameters; NaN when I was not printed.
    float Parameter(int index) const {
        const std::vector<std::string> lines = Lines("parameter " + std::to_string(index) + " ");
        if (lines.size() != 1) return std::nanf("");
        return std::strtof(lines[0].c_str() + lines[0].rfind(' ') + 1, nullptr);
    }
};

// `murmurhall-host edit` on the built plug-in with args; a script (if any) is written to a file
// first, and the screenshot taken with --screenshot is read back. While the host runs, during()
// is called every 20 ms until it returns true.
HostRun RunEditor(std::vector<std::string> args, const std::string& script = {},
                  const std::function<bool()>& during = nullptr) {
    Scratch files;
    if (!script.empty()) {
        args.push_back("--events");
        args.push_back(files.Write("events.txt", script));
    }
    const std::string shot = files.Path("window.png");
    args.push_back("--screenshot");
    args.push_back(shot);

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
    pid_t pid = -1;
    HostRun run;
    const int spawned = posix_spawn(&pid, MH_HOST_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    bool duringDone = during == nullptr;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        if (!duringDone) duringDone = during();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    run.screenshot = LoadPng(shot);
    return run;
}

// A clean run: closed in order, the screenshot written, nothing said on stderr.
void ExpectClean(const HostRun& run) {
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.screenshot.Loaded());
}

// The centre of a two-state bitmap control (one picture is half the bitmap) at top-left (x, y).
std::string CentreOf(int x, int y, const Picture& strip) {
    return std::to_string(x + strip.width / 2) + " " + std::to_string(y + strip.height / 4);
}

Picture Resource(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "/resources/bmp%05d.png", number);
    return LoadPng(std::string(MH_SOURCE_DIR) + name);
}

// The window on program 0 as it opens, untouched: shared by the cases that compare with it.
const HostRun& Untouched() {
    static const HostRun run = RunEditor(
        {"--after", "1.2", "--print-program",
         "--print-parameters", "0,1," + std::to_string(PersonIndex(0, kPan)) + "," + std::to_string(PersonIndex(0, kSpectra))});
    return run;
}

TEST(EditorWindow, NextProgramButtonStepsToTheSecondProgramAndShowsItsName) {
    REQUIRE_DISPLAY();
    const Picture next = Resource(214);
    ASSERT_TRUE(next.Loaded());
    const HostRun clicked =
        RunEditor({"--after", "1.2", "--log-automation", "--print-program"}, "at 0.3 click " + CentreOf(96, 383, next) + "\n");
    ExpectClean(clicked);
    // One step, on the release, told to the host as the program-up action inside its gesture.
    EXPECT_TRUE(clicked.Has("program 1 2 Crowded Hall")) << clicked.out;
    EXPECT_EQ(clicked.Lines("automate 10 "), std::vector<std::string>{"automate 10 0.000000"}) << clicked.out;
    EXPECT_TRUE(clicked.Has("begin 10")) << clicked.out;
    EXPECT_TRUE(clicked.Has("end 10")) << clicked.out;

    // The printed name is what the host reads back (effGetProgramName); the name field shows the
    // same name: its pixels are those of a window opened on program 1, not those of program 0.
    const HostRun opened = RunEditor({"--after", "1.2", "--program", "1"});
    ExpectClean(opened);
    const HostRun& first = Untouched();
    ExpectClean(first);
    EXPECT_TRUE(first.Has("program 0 1 Many Monks")) << first.out;
    const Box nameField{118, 384, 258, 396};
    EXPECT_EQ(Differing(clicked.screenshot, opened.screenshot, nameField), 0);
    EXPECT_GT(Differing(clicked.screenshot, first.screenshot, nameField), 20);
}

TEST(EditorWindow, PopulationUpButtonWritesOneStepPlainlyAndTheMenuGainsAPerson) {
    REQUIRE_DISPLAY();
    const Picture up = Resource(203);
    ASSERT_TRUE(up.Loaded());
    // "Gated Layer" has few people, so the person menu's first free entry shows in its pop-up.
    const std::vector<std::string> common = {"--program", "11", "--after", "1.5", "--log-automation",
                                             "--print-parameters", "0,1"};
    const std::string openPersonMenu = "at 0.9 click 435 48\n";
    const HostRun before = RunEditor(common, openPersonMenu);
    const HostRun after = RunEditor(common, "at 0.3 click " + CentreOf(61, 297, up) + "\n" + openPersonMenu);
    ExpectClean(before);
    ExpectClean(after);

    const float population = before.Parameter(0);
    ASSERT_GE(population, 0.f);
    const int n = static_cast<int>(60.f * population + 0.5f);
    ASSERT_LE(n, 15) << "the program's population no longer fits the pop-up's visible rows";
    // Exactly one step, written plainly: the host hears no automation of the population, nor of
    // the selection, which stays on person 0.
    EXPECT_EQ(after.Parameter(0), static_cast<float>(n + 1) * kStep);
    EXPECT_EQ(after.Parameter(1), 0.f);
    EXPECT_TRUE(after.Lines("automate 0 ").empty()) << after.out;
    EXPECT_TRUE(after.Lines("automate 1 ").empty()) << after.out;

    // The person menu's pop-up, opened in both windows: entry n + 1 now reads "n + 2" instead of
    // "--", and nothing else in the list changed, so the differences lie in a single row below the
    // n + 1 rows of the people there were.
    // Its left part: a longer label widens the pop-up, which moves its right edge.
    const Box popUp{424, 60, 460, after.screenshot.height};
    ASSERT_GT(Differing(after.screenshot, Untouched().screenshot, popUp), Area(popUp) / 4) << "no pop-up showed";
    int firstRow = -1;
    int lastRow = -1;
    for (int y = popUp.top; y < popUp.bottom; ++y) {
        if (Differing(after.screenshot, before.screenshot, Box{popUp.left, y, popUp.right, y + 1}) == 0) continue;
        if (firstRow < 0) firstRow = y;
        lastRow = y;
    }
    ASSERT_GE(firstRow, 0) << "the pop-ups look the same";
    EXPECT_LT(lastRow - firstRow, 20) << "rows " << firstRow << " to " << lastRow;
    EXPECT_GT(firstRow, 59 + 12 * n);
}

TEST(EditorWindow, DraggingAPersonAutomatesItsPanAndSpectraInsideTheKnobsGestures) {
    REQUIRE_DISPLAY();
    const Picture panel = Resource(211);
    ASSERT_TRUE(panel.Loaded());
    const HostRun& first = Untouched();
    ASSERT_EQ(first.Parameter(1), 0.f);
    const int panIndex = PersonIndex(0, kPan);
    const int spectraIndex = PersonIndex(0, kSpectra);
    const float pan = first.Parameter(panIndex);
    const float spectra = first.Parameter(spectraIndex);
    ASSERT_GE(pan, 0.f);
    ASSERT_LE(spectra, 1.f);

    // Person 0's marker in display mode 0, window coordinates; dragged 40 right and 30 up.
    const float w = static_cast<float>(panel.width);
    const float h = static_cast<float>(panel.height);
    const int px = static_cast<int>((w - 8.f) * pan + 4.f);
    const int py = static_cast<int>((h - 8.f) * (1.f - spectra) + 4.f);
    const int x = px + kPanelLeft;
    const int y = py + kPanelTop;
    ASSERT_LE(px + 40, panel.width - 4) << "the drag would leave the panel";
    ASSERT_GE(py - 30, 4) << "the drag would leave the panel";
    const HostRun dragged =
        RunEditor({"--after", "1.2", "--log-automation", "--print-parameters",
                   "1," + std::to_string(panIndex) + "," + std::to_string(spectraIndex)},
                  "at 0.3 drag " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + 40) + " " +
                      std::to_string(y - 30) + "\n");
    ExpectClean(dragged);

    // The whole conversation, in order: the knobs' gestures open, automation of the two values
    // only, the gestures close; the panel's own tag never reaches the host.
    std::vector<std::string> events;
    std::vector<float> pans, spectras;
    std::istringstream lines(dragged.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("parameter ", 0) == 0) continue;
        std::istringstream words(line);
        std::string kind;
        int index = -1;
        words >> kind >> index;
        events.push_back(kind + " " + std::to_string(index));
        float value = 0.f;
        if (kind == "automate" && (words >> value)) (index == panIndex ? pans : spectras).push_back(value);
    }
    ASSERT_GE(events.size(), 6u) << dragged.out;
    const std::string panTag = std::to_string(17 + kPan);
    const std::string spectraTag = std::to_string(17 + kSpectra);
    EXPECT_EQ(events[0], "begin " + panTag);
    EXPECT_EQ(events[1], "begin " + spectraTag);
    EXPECT_EQ(events[events.size() - 2], "end " + spectraTag);
    EXPECT_EQ(events.back(), "end " + panTag);
    for (size_t i = 2; i + 2 < events.size(); ++i) {
        const std::string expected =
            "automate " + std::to_string(i % 2 == 0 ? panIndex : spectraIndex);
        EXPECT_EQ(events[i], expected) << "event " << i << " of\n" << dragged.out;
    }
    EXPECT_EQ(dragged.out.find(" 737\n"), std::string::npos) << dragged.out;

    // Right is more pan, up is more spectra; the marker ends where the pointer left it.
    ASSERT_FALSE(pans.empty());
    ASSERT_EQ(pans.size(), spectras.size());
    EXPECT_NEAR(pans.front(), pan, 1.f / (w - 8.f));
    EXPECT_NEAR(spectras.front(), spectra, 1.f / (h - 8.f));
    EXPECT_NEAR(pans.back(), (static_cast<float>(px + 40) - 4.f) / (w - 8.f), 1e-6f);
    EXPECT_NEAR(spectras.back(), 1.f - (static_cast<float>(py - 30) - 4.f) / (h - 8.f), 1e-6f);
    EXPECT_TRUE(std::is_sorted(pans.begin(), pans.end()));
    EXPECT_TRUE(std::is_sorted(spectras.begin(), spectras.end()));
    // What the host was told is what the plug-in holds; the person was already selected.
    EXPECT_NEAR(dragged.Parameter(panIndex), pans.back(), 1e-6f);
    EXPECT_NEAR(dragged.Parameter(spectraIndex), spectras.back(), 1e-6f);
    EXPECT_EQ(dragged.Parameter(1), 0.f);
}

TEST(EditorWindow, HelpSwitchShowsTheHelpAndTheDownArrowScrollsItByALinePerClick) {
    REQUIRE_DISPLAY();
    const Picture panel = Resource(211);
    const Picture help = Resource(222);
    ASSERT_TRUE(panel.Loaded());
    ASSERT_TRUE(help.Loaded());
    const int w = panel.width;
    const int h = panel.height;
    const std::string openHelp = "at 0.3 click " + CentreOf(280, 383, help) + "\n";
    // The middle of the down arrow (help coordinates w - 19 .. w - 2, h - 39 .. h - 10).
    const std::string downArrow = std::to_string(kPanelLeft + w - 11) + " " + std::to_string(kPanelTop + h - 25);
    const HostRun shown = RunEditor({"--after", "1.4"}, openHelp);
    const HostRun scrolled = RunEditor({"--after", "1.4"}, openHelp + "at 0.6 click " + downArrow + "\nat 0.8 click " +
                                                               downArrow + "\nat 1.0 click " + downArrow + "\n");
    ExpectClean(shown);
    ExpectClean(scrolled);

    // The help screen replaces the crowd in the panel.
    const Box wholePanel{kPanelLeft, kPanelTop, kPanelLeft + w, kPanelTop + h};
    EXPECT_GT(Differing(shown.screenshot, Untouched().screenshot, wholePanel), Area(wholePanel) / 10);

    // Three clicks, a line (12 pixels) each: the text now stands 36 pixels higher. The lines
    // match when compared that way, not in place and not a line off.
    const int shift = 36;
    const Box text{kPanelLeft + 4, kPanelTop + 14, kPanelLeft + w - 20, kPanelTop + h - 6 - shift - 12};
    const int inPlace = DifferingText(scrolled.screenshot, shown.screenshot, text, 0);
    const int shifted = DifferingText(scrolled.screenshot, shown.screenshot, text, shift);
    const int lineShort = DifferingText(scrolled.screenshot, shown.screenshot, text, shift - 12);
    const int lineOver = DifferingText(scrolled.screenshot, shown.screenshot, text, shift + 12);
    EXPECT_GT(inPlace, Area(text) / 50);
    EXPECT_LT(shifted, inPlace / 20) << "in place " << inPlace << ", shifted " << shifted;
    EXPECT_LT(shifted, lineShort / 20) << "a line short " << lineShort << ", shifted " << shifted;
    EXPECT_LT(shifted, lineOver / 20) << "a line over " << lineOver << ", shifted " << shifted;
    // The thumb left the top of the track.
    const Box track{kPanelLeft + w - 19, kPanelTop + 49, kPanelLeft + w - 2, kPanelTop + h - 39};
    EXPECT_GT(Differing(scrolled.screenshot, shown.screenshot, track), 0);
}

// A mapped pop-up (override-redirect) window on the root at least minHeight tall: its place and
// size on the screen; window 0 while there is none.
struct ScreenWindow {
    Window window = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

ScreenWindow FindPopUp(Display* dpy, int minHeight) {
    ScreenWindow found;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count) == 0) return found;
    for (unsigned int i = 0; i < count && found.window == 0; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(dpy, children[i], &attributes) == 0) continue;
        if (attributes.override_redirect && attributes.map_state == IsViewable && attributes.height >= minHeight) {
            found = {children[i], attributes.x, attributes.y, attributes.width, attributes.height};
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

TEST(EditorWindow, ThePopulationListStaysOnTheScreenAndItsLastEntryCanBePicked) {
    REQUIRE_DISPLAY();
    xtest::HostConnection user;
    ASSERT_NE(user.dpy(), nullptr);
    const int screenHeight = DisplayHeight(user.dpy(), DefaultScreen(user.dpy()));
    const int screenWidth = DisplayWidth(user.dpy(), DefaultScreen(user.dpy()));
    // The population menu opens a list of its 60 entries, far taller than the room below the
    // menu; the user reaches for the last one, "60".
    ScreenWindow list;
    const auto pickLast = [&] {
        list = FindPopUp(user.dpy(), 600);
        if (list.window == 0) return false;
        user.Button(list.window, list.width / 2, list.height - 8, Button1, true);
        user.Button(list.window, list.width / 2, list.height - 8, Button1, false, Button1Mask);
        return true;
    };
    const HostRun run = RunEditor({"--after", "1.5", "--log-automation", "--print-parameters", "0"},
                                  "at 0.3 click 24 306\n", pickLast);
    ExpectClean(run);
    ASSERT_NE(list.window, 0u) << "no list showed";
    EXPECT_GE(list.y, 0);
    EXPECT_LE(list.y + list.height, screenHeight);
    EXPECT_GE(list.x, 0);
    EXPECT_LE(list.x + list.width, screenWidth);
    // Entry 59 of 60, picked and told to the host.
    EXPECT_EQ(run.Parameter(0), 59.f / 60.f);
    EXPECT_TRUE(run.Has("automate 0 0.983333")) << run.out;
}

}  // namespace
