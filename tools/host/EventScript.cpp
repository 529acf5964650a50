#include "EventScript.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "CommandLine.h"
#include "HostError.h"

#include <X11/Xlib.h>

namespace {

// A drag moves the pointer in this many steps over this long, like a hand would.
constexpr int kDragSteps = 10;
constexpr double kDragStepSeconds = 0.025;
constexpr double kClickSeconds = 0.05;
constexpr double kKeySeconds = 0.03;

class LineParser {
public:
    LineParser(const std::string& name, int number, const std::string& line)
        : where(name + ":" + std::to_string(number)), words(line) {}

    [[noreturn]] void Fail(const std::string& what) const { throw HostError(where + ": " + what, HostError::kUsage); }

    std::string Word(const char* what) {
        std::string word;
        if (!(words >> word)) Fail(std::string("missing ") + what);
        return word;
    }
    double Seconds() {
        const std::string text = Word("time");
        double value = 0.0;
        if (!CommandLine::ParseReal(text, value) || value < 0.0 || value > EventScript::kMaxSeconds) {
            Fail("the time must be a number of seconds from 0, not '" + text + "'");
        }
        return value;
    }
    long Integer(const char* what, long low, long high) {
        const std::string text = Word(what);
        long value = 0;
        if (!CommandLine::ParseInteger(text, value) || value < low || value > high) {
            Fail(std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
                 std::to_string(high) + ", not '" + text + "'");
        }
        return value;
    }
    int Coordinate(const char* what) {
        return static_cast<int>(Integer(what, -EventScript::kMaxCoordinate, EventScript::kMaxCoordinate));
    }
    // The rest of the line after one separating blank.
    std::string Rest() {
        std::string rest;
        std::getline(words, rest);
        if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
        return rest;
    }
    void End() {
        std::string extra;
        if (words >> extra) Fail("unexpected '" + extra + "' at the end of the line");
    }

private:
    std::string where;
    std::istringstream words;
};

std::vector<unsigned long> Keys(LineParser& parser, const std::string& text) {
    if (text.empty()) parser.Fail("key needs the text to type");
    std::vector<unsigned long> keys;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<') {
            const size_t close = text.find('>', i + 1);
            if (close == std::string::npos) parser.Fail("'<' without '>' (type '<' as <less>)");
            const std::string name = text.substr(i + 1, close - i - 1);
            const KeySym sym = XStringToKeysym(name.c_str());
            if (sym == NoSymbol) parser.Fail("no key is named '" + name + "'");
            keys.push_back(sym);
            i = close;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) parser.Fail("control characters cannot be typed; use <Name>");
        keys.push_back(c);  // Latin-1 characters are their own keysyms
    }
    return keys;
}

}  // namespace

std::vector<ScriptAction> EventScript::Parse(const std::string& text, const std::string& name) {
    std::vector<ScriptAction> actions;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        LineParser parser(name, number, line);
        if (parser.Word("'at'") != "at") parser.Fail("a line starts with 'at SECONDS'");
        const double at = parser.Seconds();
        const std::string verb = parser.Word("action");
        const auto add = [&actions](double when, ScriptAction::Kind kind, int x, int y, unsigned int button,
                                    unsigned int state) {
            ScriptAction action;
            action.at = when;
            action.kind = kind;
            action.x = x;
            action.y = y;
            action.button = button;
            action.state = state;
            actions.push_back(action);
        };
        if (verb == "click") {
            const int x = parser.Coordinate("X");
            const int y = parser.Coordinate("Y");
            parser.End();
            add(at, ScriptAction::Kind::Press, x, y, Button1, 0);
            add(at + kClickSeconds, ScriptAction::Kind::Release, x, y, Button1, Button1Mask);
        } else if (verb == "drag") {
            const int x1 = parser.Coordinate("X1");
            const int y1 = parser.Coordinate("Y1");
            const int x2 = parser.Coordinate("X2");
            const int y2 = parser.Coordinate("Y2");
            parser.End();
            add(at, ScriptAction::Kind::Press, x1, y1, Button1, 0);
            for (int step = 1; step <= kDragSteps; ++step) {
                add(at + step * kDragStepSeconds, ScriptAction::Kind::Motion, x1 + (x2 - x1) * step / kDragSteps,
                    y1 + (y2 - y1) * step / kDragSteps, 0, Button1Mask);
            }
            add(at + (kDragSteps + 1) * kDragStepSeconds, ScriptAction::Kind::Release, x2, y2, Button1, Button1Mask);
        } else if (verb == "scroll") {
            const int x = parser.Coordinate("X");
            const int y = parser.Coordinate("Y");
            const long steps = parser.Integer("N", -kMaxScrollSteps, kMaxScrollSteps);
            parser.End();
            const unsigned int button = steps > 0 ? Button4 : Button5;
            for (long i = 0; i < std::labs(steps); ++i) {
                add(at, ScriptAction::Kind::Press, x, y, button, 0);
                add(at, ScriptAction::Kind::Release, x, y, button, 0);
            }
        } else if (verb == "key") {
            const std::vector<unsigned long> keys = Keys(parser, parser.Rest());
            for (size_t i = 0; i < keys.size(); ++i) {
                add(at + static_cast<double>(i) * kKeySeconds, ScriptAction::Kind::Key, 0, 0, 0, 0);
                actions.back().keysym = keys[i];
            }
        } else {
            parser.Fail("unknown action '" + verb + "' (click, drag, key or scroll)");
        }
    }
    std::stable_sort(actions.begin(), actions.end(),
                     [](const ScriptAction& a, const ScriptAction& b) { return a.at < b.at; });
    return actions;
}

std::vector<ScriptAction> EventScript::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HostError("cannot read the events file '" + path + "'", HostError::kUsage);
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str(), path);
}
