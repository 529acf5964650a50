#include "editor/HelpPages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "editor/EffectEditor.h"
#include "platform/Bundle.h"
#include "platform/EmbeddedResources.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

constexpr long kMaxHelpBytes = 1L << 20;  // a help text is a few KB; anything past 1 MB is not one
constexpr int kLineHeight = 12;
constexpr int kPageStep = 144;  // twelve lines
constexpr int kArrowStep = 12;
constexpr int kRepeatStep = 2;
constexpr int kRepeatDelay = 8;  // steps of 25 ms before an arrow or the track repeats
constexpr int kTimerPeriod = 25;
constexpr int kThumbHeight = 7;

enum DragMode { kDragNone = -1, kDragUp = 1, kDragDown = 2, kDragThumb = 3, kDragTrack = 4 };
enum LineEnd { kEndOfText, kEndByBreak, kEndByWidth };

constexpr CColor kTrackColor{49, 82, 112, 255};
constexpr CColor kThumbColor{153, 179, 212, 255};
constexpr CColor kRuleColor{215, 255, 255, 255};
constexpr CColor kHeadingColor{255, 255, 255, 255};
constexpr CColor kBodyColor{185, 211, 244, 255};
constexpr CColor kMissingColor{255, 255, 155, 255};

std::string& TestPath() {
    static std::string path;
    return path;
}
bool gUseTestPath = false;

bool InsideWithEdges(const CRect& r, const CPoint& p) {
    return p.h >= r.left && p.h <= r.right && p.v >= r.top && p.v <= r.bottom;
}

// The whole file, or null: a missing, unreadable, absurdly large or short-read file is no text.
unsigned char* ReadWholeFile(const std::string& path, long& length) {
    length = 0;
    if (path.empty()) return nullptr;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return nullptr;
    unsigned char* bytes = nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size >= 0 && size <= kMaxHelpBytes && std::fseek(file, 0, SEEK_SET) == 0) {
        // One spare byte so an empty file still has a buffer that says "present".
        bytes = new (std::nothrow) unsigned char[size + 1];
        if (bytes != nullptr && std::fread(bytes, 1, size, file) != static_cast<size_t>(size)) {
            delete[] bytes;
            bytes = nullptr;
        }
    }
    std::fclose(file);
    if (bytes != nullptr) length = size;
    return bytes;
}

unsigned char* CopyEmbedded(long& length) {
    length = 0;
    const EmbeddedResource resource = FindEmbeddedResource("Murmurhall Help", "txt");
    if (resource.data == nullptr || resource.size > static_cast<size_t>(kMaxHelpBytes)) return nullptr;
    auto* bytes = new (std::nothrow) unsigned char[resource.size + 1];
    if (bytes == nullptr) return nullptr;
    std::memcpy(bytes, resource.data, resource.size);
    length = static_cast<long>(resource.size);
    return bytes;
}

}  // namespace

HelpPages::HelpPages(const CRect& panelRect, CControlListener* listener, CBaseObject* timerTarget)
    : editor(dynamic_cast<EffectEditor*>(listener)),
      w(static_cast<int>(panelRect.width())),
      h(static_cast<int>(panelRect.height())),
      upArrow(w - 19, 20, w - 2, 49),
      downArrow(w - 19, h - 39, w - 2, h - 10),
      panelRect(panelRect),
      timer(new CVSTGUITimer(timerTarget, kTimerPeriod)) {
    if (gUseTestPath) {
        text = ReadWholeFile(TestPath(), textLength);
    } else {
        text = ReadWholeFile(Bundle::Resource("Murmurhall Help", "txt"), textLength);
        if (text == nullptr) text = CopyEmbedded(textLength);
    }
}

HelpPages::~HelpPages() {
    if (timer != nullptr) {
        timer->stop();
        timer->forget();
    }
    delete[] text;
}

void HelpPages::SetHelpFileForTesting(const char* path) {
    gUseTestPath = path != nullptr;
    TestPath() = path != nullptr ? path : "";
}

const char* HelpPages::GetLine(int index) const {
    if (index < 0 || index >= kMaxLines) return "";
    return lines[index];
}

bool HelpPages::IsTimerRunning() const { return timer != nullptr && timer->isRunning(); }

void HelpPages::CreateHelp(CDrawContext* context) {
    if (text == nullptr || context == nullptr) return;
    context->setFont(kNormalFontSmaller);
    context->setDrawMode(kAntialias);
    const CCoord widthLimit = w - 24;

    long pos = 0;
    int line = 0;
    while (pos < textLength && line < kMaxLines) {
        char* buffer = lines[line];
        std::memset(buffer, 0, kLineBytes);
        int kept = 0;
        LineEnd end;
        for (;;) {
            const unsigned char byte = text[pos];
            ++pos;
            if (pos >= textLength) {
                end = kEndOfText;
                break;
            }
            if (byte == 13) {
                end = kEndByBreak;
                break;
            }
            buffer[kept++] = static_cast<char>(byte);
            // The buffer holds 79 bytes and the zero: a long run of narrow bytes breaks as if the
            // width had been reached, so it never overruns.
            if (kept >= kLineBytes - 1 || context->getStringWidth(buffer) >= widthLimit) {
                end = kEndByWidth;
                break;
            }
        }
        // The unfinished last line stays in its buffer (drawn) but is not counted.
        if (pos >= textLength) break;

        const auto lastKept = kept > 0 ? static_cast<unsigned char>(buffer[kept - 1]) : 0;
        if (end == kEndByBreak) {
            ++pos;  // the line feed of a CR LF pair
        } else if (end == kEndByWidth && lastKept >= 33) {
            // Give the partial word back to the next line, keeping at least its first byte here.
            // A line that broke on a space keeps the next word whole: skipping a byte there would
            // drop that word's first letter.
            while (text[pos - 1] >= 33 && kept > 1) {
                buffer[--kept] = 0;
                --pos;
            }
        }
        ++line;
    }
    lineCount = line;
    delete[] text;
    text = nullptr;
    textLength = 0;
    laidOut = true;
}

void HelpPages::DrawHelp(CDrawContext* context) {
    if (context == nullptr) return;
    if (!laidOut) CreateHelp(context);

    context->setFillColor(kTrackColor);
    context->fillRect(CRect(w - 19, 49, w - 2, h - 39));
    context->setFont(kNormalFontSmaller);
    context->setDrawMode(kAntialias);
    context->setFillColor(kThumbColor);
    context->fillRect(CRect(w - 19, 49 + thumb, w - 2, 56 + thumb));

    if (editor != nullptr) {
        if (CBitmap* up = editor->GetBitmap(223)) up->drawAlphaBlend(context, upArrow, CPoint(0, 0), 255);
        if (CBitmap* down = editor->GetBitmap(224)) down->drawAlphaBlend(context, downArrow, CPoint(0, 0), 255);
    }

    CRect previousClip;
    context->getClipRect(previousClip);
    const CRect textArea(0, 12, w, h - 4);
    context->setClipRect(textArea);
    context->setFrameColor(kRuleColor);
    context->setFillColor(kRuleColor);

    if (laidOut) {
        const int firstLine = scrollOffset / kLineHeight;
        const int r = scrollOffset % kLineHeight;
        CRect lineRect(5, 8 - r, w, 24 - r);
        for (int i = firstLine; i < firstLine + h / kLineHeight + 8 && i <= lineCount && i < kMaxLines;
             ++i, lineRect.offset(0, kLineHeight)) {
            const char* line = lines[i];
            if (std::strchr(line, ':') != nullptr) {
                context->setFontColor(kHeadingColor);
                context->drawString(line, lineRect, false, kLeftText);
            } else if (std::strchr(line, '#') != nullptr) {
                // A rule on the very first line has no line above to measure, so it draws nothing.
                if (i > 0) {
                    const CCoord ruleEnd = context->getStringWidth(lines[i - 1]) + 4;
                    context->drawLine(CPoint(5, lineRect.top + 2), CPoint(ruleEnd, lineRect.top + 2));
                }
            } else {
                context->setFontColor(kBodyColor);
                context->drawString(line, lineRect, false, kLeftText);
            }
        }
    } else {
        context->setFontColor(kMissingColor);
        context->drawString("HELP FILE NOT FOUND!", textArea, false, kCenterText);
    }
    // Back to the caller's clip, so views drawn after this one are not cut to the text area.
    context->setClipRect(previousClip);
}

CMouseEventResult HelpPages::MouseDownHelpScreen(CPoint& where, const long& buttons) {
    repeatCount = 0;
    dragMode = kDragNone;
    if (InsideWithEdges(upArrow, where)) {
        dragMode = kDragUp;
    } else if (InsideWithEdges(downArrow, where)) {
        dragMode = kDragDown;
    } else if (where.h >= w - 19 && where.h <= w - 2 && where.v >= 49 && where.v < h - 39) {
        const bool onThumb = where.v >= 49 + thumb && where.v <= 56 + thumb;
        dragMode = onThumb ? kDragThumb : kDragTrack;
    }
    lastPoint = where;
    lastButtons = buttons;
    if (timer != nullptr) timer->start();
    return MouseMovedHelpScreen(where, buttons);
}

CMouseEventResult HelpPages::MouseMovedHelpScreen(CPoint& where, const long& /*buttons*/) {
    const int maxOffset = lineCount * kLineHeight - kPageStep;
    const int trackLength = h - 96;
    const int y = static_cast<int>(where.v);

    // The thumb's place for the offset; with 12 lines or fewer there is nothing to scroll.
    auto thumbFollows = [&] {
        if (lineCount <= 12 || trackLength <= 0) {
            thumb = 0;
            return;
        }
        thumb = std::clamp((scrollOffset / kLineHeight) * trackLength / (lineCount - 12), 0, trackLength);
    };

    switch (dragMode) {
        case kDragDown:
            if (repeatCount == 0) {
                scrollOffset = std::min(scrollOffset + kArrowStep, maxOffset);
            } else if (repeatCount > kRepeatDelay && scrollOffset < maxOffset) {
                scrollOffset += kRepeatStep;
            }
            ++repeatCount;
            thumbFollows();
            break;
        case kDragUp:
            if (repeatCount == 0) {
                scrollOffset = std::max(scrollOffset - kArrowStep, 0);
            } else if (repeatCount > kRepeatDelay && scrollOffset >= 1) {
                scrollOffset -= kRepeatStep;
            }
            ++repeatCount;
            thumbFollows();
            break;
        case kDragThumb:
            if (trackLength > 0) {
                thumb = std::clamp(thumb + (y - static_cast<int>(lastPoint.v)), 0, trackLength);
                scrollOffset = maxOffset * thumb / trackLength;
            }
            break;
        case kDragTrack: {
            if (repeatCount >= 1 && repeatCount <= kRepeatDelay) {
                ++repeatCount;
                break;
            }
            const bool below = y > 49 + thumb + kThumbHeight;
            const bool above = y < 49 + thumb;
            // A page moves the thumb farther than its own height, so it can jump over the pointer;
            // paging keeps the press's direction and stops there instead of bouncing back.
            if (repeatCount == 0) pageDirection = below ? 1 : (above ? -1 : 0);
            if (below && pageDirection > 0) {
                scrollOffset = std::min(scrollOffset + kPageStep, maxOffset);
            } else if (above && pageDirection < 0) {
                scrollOffset = std::max(scrollOffset - kPageStep, 0);
            }
            thumbFollows();
            ++repeatCount;
            break;
        }
        default:
            break;
    }

    if (scrollOffset <= 11) {
        scrollOffset = 0;
        thumb = 0;
    } else if (scrollOffset > maxOffset) {
        scrollOffset = maxOffset;
    }
    lastPoint = where;
    return kMouseEventHandled;
}

CMouseEventResult HelpPages::onMouseUp() {
    if (timer != nullptr) timer->stop();
    return kMouseEventHandled;
}
