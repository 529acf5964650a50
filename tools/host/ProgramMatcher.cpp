#include "ProgramMatcher.h"

#include <cctype>
#include <utility>

#include "CommandLine.h"
#include "HostError.h"

namespace {

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::string Folded(const std::string& text) {
    std::string folded = Trim(text);
    for (char& c : folded) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

}  // namespace

ProgramMatcher::ProgramMatcher(std::vector<std::string> programNames) : names(std::move(programNames)) {}

std::string ProgramMatcher::WithoutNumber(const std::string& name) {
    const std::string trimmed = Trim(name);
    size_t pos = 0;
    while (pos < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[pos]))) {
        ++pos;
    }
    if (pos == 0) {
        return trimmed;
    }
    const size_t digitsEnd = pos;
    while (pos < trimmed.size() && (trimmed[pos] == ' ' || trimmed[pos] == '.' || trimmed[pos] == '-' ||
                                    trimmed[pos] == ':' || trimmed[pos] == ')' || trimmed[pos] == '\t')) {
        ++pos;
    }
    // "3D Choir" keeps its digits: a number only counts when a separator follows it.
    if (pos == digitsEnd || pos == trimmed.size()) {
        return trimmed;
    }
    return trimmed.substr(pos);
}

std::string ProgramMatcher::Listing() const {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        text += "\n  " + std::to_string(i) + "  " + names[i];
    }
    return names.empty() ? std::string(" (the plug-in has no programs)") : "; the programs are:" + text;
}

int ProgramMatcher::Find(const std::string& query) const {
    const int count = static_cast<int>(names.size());
    long number = 0;
    if (CommandLine::ParseInteger(query, number)) {
        if (number < 0 || number >= count) {
            throw HostError("program " + query + " is out of range: the plug-in has " + std::to_string(count) +
                                " programs (0.." + std::to_string(count - 1) + ")",
                            HostError::kUsage);
        }
        return static_cast<int>(number);
    }
    if (Trim(query).empty()) {
        throw HostError("--program needs a number or a name", HostError::kUsage);
    }
    const auto pick = [&](auto matches, const char* how) -> int {
        std::vector<int> found;
        for (int i = 0; i < count; ++i) {
            if (matches(names[static_cast<size_t>(i)])) {
                found.push_back(i);
            }
        }
        if (found.size() > 1) {
            std::string which;
            for (int i : found) {
                which += (which.empty() ? "" : ", ") + std::to_string(i);
            }
            throw HostError("program name '" + query + "' is ambiguous (" + how + " it matches programs " + which +
                                "); give the number instead",
                            HostError::kUsage);
        }
        return found.empty() ? -1 : found.front();
    };
    const std::string folded = Folded(query);
    int index = pick([&](const std::string& name) { return name == query; }, "exactly,");
    if (index < 0) {
        index = pick([&](const std::string& name) { return Folded(name) == folded; }, "ignoring case,");
    }
    if (index < 0) {
        index = pick([&](const std::string& name) { return Folded(WithoutNumber(name)) == folded; },
                     "ignoring case and leading numbers,");
    }
    if (index < 0) {
        throw HostError("no program named '" + query + "'" + Listing(), HostError::kUsage);
    }
    return index;
}
