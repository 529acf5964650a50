#include "CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "HostError.h"

namespace {

[[noreturn]] void Fail(const std::string& message) { throw HostError(message, HostError::kUsage); }

bool StartsLikeNumber(const std::string& text) {
    // strtol and strtod skip leading blanks and take hex or "inf"; we want plain decimals only.
    if (text.empty()) {
        return false;
    }
    const size_t first = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    return first < text.size() && (std::isdigit(static_cast<unsigned char>(text[first])) || text[first] == '.');
}

class Arguments {
public:
    explicit Arguments(const std::vector<std::string>& list) : args(list) {}

    bool Done() const { return next >= args.size(); }
    const std::string& Take() { return args[next++]; }

    enum class Word { None, Plain, Option };
    // Takes the next word: an option ("-x", "--name", "--name=value"), or a plain word (one not
    // starting with '-', a lone "-", or any word after "--", which ends the options). None at the end.
    Word Next(std::string& word) {
        while (!Done()) {
            word = Take();
            if (optionsEnded || word.size() < 2 || word[0] != '-') return Word::Plain;
            if (word != "--") return Word::Option;
            optionsEnded = true;
        }
        return Word::None;
    }
    // The value of an option, given as "--name VALUE" or "--name=VALUE".
    std::string Value(const std::string& option, const std::string* inlineValue) {
        if (inlineValue != nullptr) {
            return *inlineValue;
        }
        if (Done()) {
            Fail("option " + option + " needs a value");
        }
        return Take();
    }

private:
    const std::vector<std::string>& args;
    size_t next = 0;
    bool optionsEnded = false;
};

long IntegerOption(const std::string& option, const std::string& text, long low, long high) {
    long value = 0;
    if (!CommandLine::ParseInteger(text, value) || value < low || value > high) {
        Fail(option + " wants a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
             ", not '" + text + "'");
    }
    return value;
}

std::string Shown(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

double RealOption(const std::string& option, const std::string& text, double low, double high) {
    double value = 0.0;
    if (!CommandLine::ParseReal(text, value) || value < low || value > high) {
        Fail(option + " wants a number from " + Shown(low) + " to " + Shown(high) + ", not '" + text + "'");
    }
    return value;
}

std::pair<long, float> SetOption(const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        Fail("--set wants INDEX=VALUE, not '" + text + "'");
    }
    const std::string indexText = text.substr(0, equals);
    const std::string valueText = text.substr(equals + 1);
    long index = 0;
    if (!CommandLine::ParseInteger(indexText, index) || index < 0) {
        Fail("--set '" + text + "': the parameter index must be a whole number from 0, not '" + indexText + "'");
    }
    double value = 0.0;
    if (!CommandLine::ParseReal(valueText, value) || value < 0.0 || value > 1.0) {
        Fail("--set '" + text + "': the value must be a number from 0 to 1, not '" + valueText + "'");
    }
    return {index, static_cast<float>(value)};
}

// "0,1,17": the indices whose values edit prints on the way out; checked against the plug-in once loaded.
std::vector<long> ParameterListOption(const std::string& text) {
    std::vector<long> indices;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long index = 0;
        if (!CommandLine::ParseInteger(item, index) || index < 0) {
            Fail("--print-parameters wants parameter indices from 0 separated by commas, not '" + text + "'");
        }
        indices.push_back(index);
        if (comma == std::string::npos) return indices;
        start = comma + 1;
    }
}

SampleFormat FormatOption(const std::string& text) {
    if (text == "16") return SampleFormat::Pcm16;
    if (text == "24") return SampleFormat::Pcm24;
    if (text == "32f") return SampleFormat::Float32;
    Fail("--format wants 16, 24 or 32f, not '" + text + "'");
}

// One "--name" or "--name=value" word of the command line.
struct OptionWord {
    explicit OptionWord(const std::string& arg)
        : equals(arg.find('=')),
          option(arg.substr(0, equals)),
          inlineText(equals == std::string::npos ? std::string() : arg.substr(equals + 1)) {}
    // The text after '=', or null when the value is the next word.
    const std::string* InlineValue() const { return equals == std::string::npos ? nullptr : &inlineText; }

    size_t equals;
    std::string option;
    std::string inlineText;
};

void ParseRender(Arguments& args, RenderOptions& options) {
    std::vector<std::string> files;
    std::string arg;
    for (Arguments::Word kind; (kind = args.Next(arg)) != Arguments::Word::None;) {
        if (kind == Arguments::Word::Plain) {
            files.push_back(arg);
            continue;
        }
        const OptionWord word(arg);
        const std::string& option = word.option;
        const std::string* inlineValue = word.InlineValue();
        const auto once = [&option](bool alreadyGiven) {
            if (alreadyGiven) {
                Fail("option " + option + " given twice");
            }
        };
        if (option == "--quiet" || option == "-q") {
            if (inlineValue != nullptr) {
                Fail("option " + option + " takes no value");
            }
            options.quiet = true;
        } else if (option == "--plugin") {
            once(!options.plugin.empty());
            options.plugin = args.Value(option, inlineValue);
            if (options.plugin.empty()) {
                Fail("--plugin needs a path");
            }
        } else if (option == "--program") {
            once(options.program.has_value());
            options.program = args.Value(option, inlineValue);
        } else if (option == "--preset") {
            once(options.preset.has_value());
            options.preset = args.Value(option, inlineValue);
            if (options.preset->empty()) {
                Fail("--preset needs a path");
            }
        } else if (option == "--set") {
            options.sets.push_back(SetOption(args.Value(option, inlineValue)));
        } else if (option == "--rate") {
            once(options.rate.has_value());
            options.rate = RealOption(option, args.Value(option, inlineValue), 1000.0, 768000.0);
        } else if (option == "--block") {
            options.blockSize =
                static_cast<int>(IntegerOption(option, args.Value(option, inlineValue), 1, CommandLine::kMaxBlockSize));
        } else if (option == "--tail") {
            options.tailSeconds = RealOption(option, args.Value(option, inlineValue), 0.0, CommandLine::kMaxTailSeconds);
        } else if (option == "--preroll") {
            options.prerollSeconds =
                RealOption(option, args.Value(option, inlineValue), 0.0, CommandLine::kMaxPrerollSeconds);
        } else if (option == "--format") {
            once(options.format.has_value());
            options.format = FormatOption(args.Value(option, inlineValue));
        } else {
            Fail("unknown option '" + arg + "' (see murmurhall-host --help)");
        }
    }
    if (files.size() != 2) {
        Fail("render needs an input and an output file (murmurhall-host render IN.wav OUT.wav [options])");
    }
    options.input = files[0];
    options.output = files[1];
    if (options.input.empty() || options.output.empty()) {
        Fail("render needs non-empty file names");
    }
}

void ParseEdit(Arguments& args, EditOptions& options) {
    bool havePlugin = false;
    std::string arg;
    for (Arguments::Word kind; (kind = args.Next(arg)) != Arguments::Word::None;) {
        if (kind == Arguments::Word::Plain) {
            if (havePlugin) Fail("edit takes one plug-in path, not also '" + arg + "'");
            options.plugin = arg;
            havePlugin = true;
            continue;
        }
        const OptionWord word(arg);
        const std::string& option = word.option;
        const std::string* inlineValue = word.InlineValue();
        const auto text = [&](std::optional<std::string>& slot, const char* what) {
            if (slot.has_value()) Fail("option " + option + " given twice");
            slot = args.Value(option, inlineValue);
            if (slot->empty()) Fail(option + " needs " + what);
        };
        const auto flag = [&](bool& slot) {
            if (inlineValue != nullptr) Fail("option " + option + " takes no value");
            slot = true;
        };
        if (option == "--input") {
            text(options.input, "a sound file");
        } else if (option == "--program") {
            text(options.program, "a program number or name");
        } else if (option == "--screenshot") {
            text(options.screenshot, "a PNG file name");
        } else if (option == "--events") {
            text(options.events, "a file");
        } else if (option == "--after") {
            if (options.after.has_value()) Fail("option " + option + " given twice");
            options.after = RealOption(option, args.Value(option, inlineValue), 0.0, CommandLine::kMaxEditSeconds);
        } else if (option == "--print-program") {
            flag(options.printProgram);
        } else if (option == "--log-automation") {
            flag(options.logAutomation);
        } else if (option == "--print-parameters") {
            if (!options.printParameters.empty()) Fail("option " + option + " given twice");
            options.printParameters = ParameterListOption(args.Value(option, inlineValue));
        } else {
            Fail("unknown option '" + arg + "' (see murmurhall-host --help)");
        }
    }
    if (havePlugin && options.plugin.empty()) Fail("edit needs a non-empty plug-in path");
    // A screenshot is of a window that has had time to draw itself.
    if (options.screenshot.has_value() && !options.after.has_value()) options.after = 1.0;
}

}  // namespace

bool CommandLine::ParseInteger(const std::string& text, long& value) {
    if (!StartsLikeNumber(text) || text.find('.') != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size()) {
        return false;
    }
    value = parsed;
    return true;
}

bool CommandLine::ParseReal(const std::string& text, double& value) {
    if (!StartsLikeNumber(text)) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed)) {
        return false;
    }
    // "0x1p3" would slip through strtod as hex; "0x" never starts a plain decimal.
    if (text.find_first_of("xX") != std::string::npos) {
        return false;
    }
    value = parsed;
    return true;
}

CommandLine CommandLine::Parse(const std::vector<std::string>& list, const std::string& defaultPlugin) {
    CommandLine line;
    if (list.empty()) {
        Fail("no command given");
    }
    Arguments args(list);
    const std::string command = args.Take();
    if (command == "help" || command == "--help" || command == "-h") {
        line.command = Command::Help;
        return line;
    }
    if (command == "info") {
        line.command = Command::Info;
        line.plugin = defaultPlugin;
        if (!args.Done()) {
            line.plugin = args.Take();
        }
        if (!args.Done()) {
            Fail("info takes at most one argument, the plug-in path");
        }
        if (line.plugin.empty()) {
            Fail("info needs a plug-in path");
        }
        return line;
    }
    if (command == "render") {
        line.command = Command::Render;
        ParseRender(args, line.render);
        if (line.render.plugin.empty()) {
            line.render.plugin = defaultPlugin;
        }
        return line;
    }
    if (command == "edit") {
        line.command = Command::Edit;
        ParseEdit(args, line.edit);
        if (line.edit.plugin.empty()) {
            line.edit.plugin = defaultPlugin;
        }
        return line;
    }
    Fail("unknown command '" + command + "' (commands: info, render, edit, help)");
}
