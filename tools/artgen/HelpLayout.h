// Wraps help text the way the help pages do, so the preview shows the help screen as the plug-in
// will and the line count can be checked before the text ships. A line that fills up exactly at a
// space starts the next line with the next word; nothing is skipped.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class HelpLayout {
public:
    using Measure = std::function<double(const std::string&)>;

    // Lines after wrapping at widthLimit; the text's last line counts even without a line break.
    std::vector<std::string> Wrap(std::string_view text, double widthLimit, const Measure& measure) const;
};
