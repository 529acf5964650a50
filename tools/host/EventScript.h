// The --events script of `edit`: timed user actions, one a line, performed on the editor's window.
//   at SECONDS click X Y            left button pressed and released at (X, Y)
//   at SECONDS drag X1 Y1 X2 Y2     pressed at the first point, moved in steps, released at the second
//   at SECONDS key TEXT             each character typed; <Name> types the key of that X keysym
//                                   (<Return>, <Escape>, <BackSpace>, <Tab>, <Left>, <less>, ...)
//   at SECONDS scroll X Y N         N wheel steps at (X, Y): up when positive, down when negative
// Coordinates are window pixels; blank lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <vector>

struct ScriptAction {
    enum class Kind { Press, Release, Motion, Key };
    double at = 0.0;  // seconds after the editor opened
    Kind kind = Kind::Press;
    int x = 0;
    int y = 0;
    unsigned int button = 0;  // X button number (1 left, 4 and 5 the wheel)
    unsigned int state = 0;   // X button mask held before the event
    unsigned long keysym = 0;
};

class EventScript {
public:
    // Main thread: the actions of the script file in time order (stable for equal times). Throws
    // HostError (usage) naming the file and line of anything it does not understand.
    static std::vector<ScriptAction> Load(const std::string& path);
    // Any thread: the same for a script's text; name appears in messages.
    static std::vector<ScriptAction> Parse(const std::string& text, const std::string& name);

    static constexpr double kMaxSeconds = 24.0 * 3600.0;
    static constexpr int kMaxCoordinate = 32767;
    static constexpr long kMaxScrollSteps = 100;
};
