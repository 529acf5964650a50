#include "HelpLayout.h"

std::vector<std::string> HelpLayout::Wrap(std::string_view text, double widthLimit, const Measure& measure) const {
    std::vector<std::string> lines;
    size_t pos = 0;
    const size_t length = text.size();
    while (pos < length && lines.size() < 512) {
        std::string line;
        enum { kEnd, kBreak, kWidth } reason = kEnd;
        while (true) {
            const unsigned char byte = static_cast<unsigned char>(text[pos++]);
            if (pos >= length) break;
            if (byte == 13) {
                reason = kBreak;
                break;
            }
            line.push_back(static_cast<char>(byte));
            if (measure(line) >= widthLimit) {
                reason = kWidth;
                break;
            }
        }
        if (pos >= length) {
            lines.push_back(line);
            break;
        }
        const auto last = static_cast<unsigned char>(line.empty() ? 0 : line.back());
        if (reason == kBreak) {
            ++pos;  // the line feed of the CR LF pair
        } else if (last >= 33) {
            // Give the broken word back to the next line.
            while (line.size() > 1 && static_cast<unsigned char>(text[pos - 1]) >= 33) {
                line.pop_back();
                --pos;
            }
        }
        lines.push_back(line);
    }
    return lines;
}
