// Help pages: layout of awkward texts, what a draw shows, and scrolling on the 25 ms timer.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "editor/HelpPages.h"
#include "editor/PanelCrowd.h"
#include "platform/Bundle.h"
#include "platform/EmbeddedResources.h"
#include "platform/Ticks.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

// The panel's window rectangle: w 352, h 290.
const CRect kPanelRect(2, 2, 354, 292);
constexpr int kW = 352;
constexpr int kH = 290;
constexpr int kTrackLength = kH - 96;
constexpr long kLeft = kLButton;

std::string HelpFixture(const char* name) { return std::string(MH_FIXTURES_DIR) + "/help/" + name; }

// A black picture to draw on, read back pixel by pixel.
class Canvas {
public:
    Canvas() : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 320)) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        context = new CDrawContext(surface, CRect(0, 0, 400, 320));
    }
    ~Canvas() {
        context->forget();
        cairo_surface_destroy(surface);
    }
    // Red, green, blue of a pixel (the picture stays opaque, so no premultiplication to undo).
    void Rgb(int x, int y, int rgb[3]) {
        cairo_surface_flush(surface);
        const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        uint32_t pixel;
        std::memcpy(&pixel, row + 4 * x, 4);
        rgb[0] = (pixel >> 16) & 0xff;
        rgb[1] = (pixel >> 8) & 0xff;
        rgb[2] = pixel & 0xff;
    }
    // The colour of the brightest pixel in the rows y0..y1 and columns x0..x1, black when empty.
    CColor Brightest(int x0, int y0, int x1, int y1) {
        CColor best{0, 0, 0, 255};
        int bestSum = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                int c[3];
                Rgb(x, y, c);
                if (c[0] + c[1] + c[2] > bestSum) {
                    bestSum = c[0] + c[1] + c[2];
                    best = CColor{static_cast<unsigned char>(c[0]), static_cast<unsigned char>(c[1]),
                                  static_cast<unsigned char>(c[2]), 255};
                }
            }
        return best;
    }
    CDrawContext* context;

private:
    cairo_surface_t* surface;
};

enum class Ink { Dark, Heading, Body, Rule, Missing };

// Which of the help colours a pixel was drawn in. Antialiasing on black scales a colour, so the
// pixel is compared by its proportions with each colour's.
Ink Classify(CColor c) {
    const int top = std::max({c.red, c.green, c.blue});
    if (top < 60) return Ink::Dark;
    struct Ref { Ink ink; double r, g, b; };
    const Ref refs[] = {{Ink::Heading, 255, 255, 255}, {Ink::Body, 185, 211, 244},
                        {Ink::Rule, 215, 255, 255}, {Ink::Missing, 255, 255, 155}};
    Ink nearest = Ink::Dark;
    double nearestDistance = 1e9;
    for (const Ref& ref : refs) {
        const double refTop = std::max({ref.r, ref.g, ref.b});
        const double dr = c.red / double(top) - ref.r / refTop;
        const double dg = c.green / double(top) - ref.g / refTop;
        const double db = c.blue / double(top) - ref.b / refTop;
        const double d = dr * dr + dg * dg + db * db;
        if (d < nearestDistance) {
            nearestDistance = d;
            nearest = ref.ink;
        }
    }
    return nearest;
}

class HelpTest : public ::testing::Test {
protected:
    void TearDown() override { HelpPages::SetHelpFileForTesting(nullptr); }

    // Help pages for the file, laid out on the canvas.
    std::unique_ptr<HelpPages> LayOut(const std::string& path) {
        HelpPages::SetHelpFileForTesting(path.c_str());
        auto help = std::make_unique<HelpPages>(kPanelRect, nullptr, &timerTarget);
        help->CreateHelp(canvas.context);
        return help;
    }
    CCoord Width(const std::string& text) {
        canvas.context->setFont(kNormalFontSmaller);
        return canvas.context->getStringWidth(text.c_str());
    }
    std::string WriteTemp(const char* name, const std::string& bytes) {
        const std::string path = testing::TempDir() + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    CBaseObject timerTarget;
    Canvas canvas;
};

// --- layout ---

TEST_F(HelpTest, CarriageReturnAloneLosesTheFirstByteOfEveryLaterLine) {
    auto help = LayOut(HelpFixture("cr_only.txt"));
    ASSERT_TRUE(help->IsLaidOut());
    EXPECT_EQ(help->GetLineCount(), 3);
    EXPECT_STREQ(help->GetLine(0), "Alpha");
    EXPECT_STREQ(help->GetLine(1), "ravo");
    EXPECT_STREQ(help->GetLine(2), "harlie");
}

TEST_F(HelpTest, MissingFinalBreakLosesTheLastByteButKeepsThePartialLine) {
    auto help = LayOut(HelpFixture("no_final_break.txt"));
    EXPECT_EQ(help->GetLineCount(), 1);
    EXPECT_STREQ(help->GetLine(0), "First line");
    EXPECT_STREQ(help->GetLine(1), "Second lin");

    // The uncounted line is drawn all the same: its row has body text, which a one-line file lacks.
    help->DrawHelp(canvas.context);
    EXPECT_EQ(Classify(canvas.Brightest(5, 26, 200, 35)), Ink::Body);
    Canvas other;
    HelpPages::SetHelpFileForTesting(HelpFixture("one_line.txt").c_str());
    HelpPages oneLine(kPanelRect, nullptr, &timerTarget);
    oneLine.DrawHelp(other.context);
    EXPECT_EQ(Classify(other.Brightest(5, 26, 200, 35)), Ink::Dark);
    EXPECT_EQ(Classify(other.Brightest(5, 12, 200, 21)), Ink::Body);
}

TEST_F(HelpTest, BreakingByWidthAtASpaceKeepsTheNextWordWhole) {
    // A first word that stays under the limit and reaches it with the space after it.
    const CCoord limit = kW - 24;
    std::string word;
    for (int wide = 0; wide < 80 && word.empty(); ++wide)
        for (int narrow = 0; narrow < 30; ++narrow) {
            const std::string candidate = std::string(wide, 'x') + std::string(narrow, 'i');
            if (candidate.size() < 78 && Width(candidate) < limit && Width(candidate + " ") >= limit) {
                word = candidate;
                break;
            }
        }
    ASSERT_FALSE(word.empty()) << "no word ends exactly at the width limit with its space";
    // Every prefix of the word stays under the limit, so the line ends at the space.
    auto help = LayOut(WriteTemp("space_break.txt", word + " ZNext words\r\n"));
    EXPECT_EQ(help->GetLineCount(), 2);
    EXPECT_EQ(std::string(help->GetLine(0)), word + " ");
    EXPECT_STREQ(help->GetLine(1), "ZNext words");
}

TEST_F(HelpTest, WordWiderThanTheLineLeavesItsFirstByteAndContinuesBelow) {
    const CCoord limit = kW - 24;
    int reach = 1;  // bytes of 'm' that first reach the width limit
    while (Width(std::string(reach, 'm')) < limit) ++reach;
    ASSERT_LT(reach, 79);

    auto help = LayOut(HelpFixture("long_word.txt"));
    // Each line that reaches the limit keeps one byte; the rest moves on until it fits.
    const int singles = 120 - (reach - 1);
    ASSERT_EQ(help->GetLineCount(), singles + 1);
    for (int i = 0; i < singles; ++i) EXPECT_STREQ(help->GetLine(i), "m") << "line " << i;
    EXPECT_EQ(std::string(help->GetLine(singles)), std::string(reach - 1, 'm'));
}

TEST_F(HelpTest, LinesBreakAt79BytesWhenNarrowTextNeverReachesTheWidth) {
    ASSERT_LT(Width(std::string(79, 'i')), kW - 24) << "the narrow text must not reach the width";

    // Unbroken: the 79-byte break acts like a width break inside a word.
    auto unbroken = LayOut(HelpFixture("unbroken_100.txt"));
    ASSERT_EQ(unbroken->GetLineCount(), 100 - 78 + 1 + 1);
    for (int i = 0; i < 22; ++i) EXPECT_STREQ(unbroken->GetLine(i), "i");
    EXPECT_EQ(std::string(unbroken->GetLine(22)), std::string(78, 'i'));
    EXPECT_STREQ(unbroken->GetLine(23), "After");

    // With spaces the line gives its partial word back and ends after a space, within 79 bytes.
    auto spaced = LayOut(HelpFixture("spaced_100.txt"));
    ASSERT_EQ(spaced->GetLineCount(), 2);
    std::string first;
    for (int i = 0; i < 39; ++i) first += "i ";
    EXPECT_EQ(std::string(spaced->GetLine(0)), first);
    EXPECT_EQ(std::string(spaced->GetLine(1)), "i i i i i i i i i i i ");
    for (int i = 0; i < HelpPages::kMaxLines; ++i) EXPECT_LE(std::strlen(spaced->GetLine(i)), 79u);
}

TEST_F(HelpTest, TextBeyond512LinesIsNotLaidOut) {
    auto help = LayOut(HelpFixture("over_512_lines.txt"));
    EXPECT_EQ(help->GetLineCount(), 512);
    EXPECT_STREQ(help->GetLine(0), "Line 0");
    EXPECT_STREQ(help->GetLine(511), "Line 511");
    EXPECT_STREQ(help->GetLine(512), "");  // past the buffers
}

// --- loading ---

TEST_F(HelpTest, UnreadableFilesShowTheMissingMessage) {
    std::string huge(1024 * 1024 + 1, 'a');
    const std::string paths[] = {HelpFixture("no_such_file.txt"), testing::TempDir(),
                                 WriteTemp("huge_help.txt", huge)};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        Canvas picture;
        HelpPages::SetHelpFileForTesting(path.c_str());
        HelpPages help(kPanelRect, nullptr, &timerTarget);
        help.DrawHelp(picture.context);
        EXPECT_FALSE(help.IsLaidOut());
        EXPECT_EQ(help.GetLineCount(), 0);
        // "HELP FILE NOT FOUND!" centred in the text area (y 12 .. h − 4).
        EXPECT_EQ(Classify(picture.Brightest(100, 140, 250, 160)), Ink::Missing);
        EXPECT_EQ(Classify(picture.Brightest(5, 12, 60, 40)), Ink::Dark);
    }
}

TEST_F(HelpTest, WithoutAnOverrideTheBundleOrCompiledInTextIsRead) {
    HelpPages::SetHelpFileForTesting(nullptr);
    HelpPages shipped(kPanelRect, nullptr, &timerTarget);
    shipped.CreateHelp(canvas.context);
    EXPECT_TRUE(shipped.IsLaidOut());
    EXPECT_GT(shipped.GetLineCount(), 12);

    // Without the compiled-in copy only a bundle file can serve.
    SetEmbeddedResourcesEnabledForTesting(false);
    HelpPages bundleOnly(kPanelRect, nullptr, &timerTarget);
    bundleOnly.CreateHelp(canvas.context);
    SetEmbeddedResourcesEnabledForTesting(true);
    EXPECT_EQ(bundleOnly.IsLaidOut(), !Bundle::Resource("Murmurhall Help", "txt").empty());
}

TEST_F(HelpTest, EmptyFileIsLaidOutWithNoLines) {
    auto help = LayOut(HelpFixture("empty.txt"));
    EXPECT_TRUE(help->IsLaidOut());
    EXPECT_EQ(help->GetLineCount(), 0);
    help->DrawHelp(canvas.context);
    EXPECT_EQ(Classify(canvas.Brightest(100, 140, 250, 160)), Ink::Dark);
}

// --- drawing ---

TEST_F(HelpTest, HeadingsBodyAndRulesGetTheirOwnColours) {
    auto help = LayOut(HelpFixture("headings_and_rules.txt"));
    help->DrawHelp(canvas.context);
    // Line i's rectangle spans y 8 + 12i .. 24 + 12i; text sits in its middle.
    EXPECT_EQ(Classify(canvas.Brightest(5, 12, 200, 20)), Ink::Heading);  // "Overview: ..."
    EXPECT_EQ(Classify(canvas.Brightest(5, 24, 200, 31)), Ink::Body);
    // The '#' line is a rule at its top + 2 (y 34) as long as the line above, text not drawn.
    const CCoord ruleEnd = Width("plain body text here") + 4;
    EXPECT_EQ(Classify(canvas.Brightest(10, 33, 12, 35)), Ink::Rule);
    EXPECT_EQ(Classify(canvas.Brightest(ruleEnd - 3, 33, ruleEnd - 2, 35)), Ink::Rule);
    EXPECT_EQ(Classify(canvas.Brightest(ruleEnd + 3, 33, ruleEnd + 40, 35)), Ink::Dark);
    EXPECT_EQ(Classify(canvas.Brightest(5, 38, 300, 44)), Ink::Dark);
    // ':' wins over '#'.
    EXPECT_EQ(Classify(canvas.Brightest(5, 48, 200, 56)), Ink::Heading);
    // The track and the thumb.
    int rgb[3];
    canvas.Rgb(kW - 10, 150, rgb);
    EXPECT_EQ((std::array<int, 3>{rgb[0], rgb[1], rgb[2]}), (std::array<int, 3>{49, 82, 112}));
    canvas.Rgb(kW - 10, 52, rgb);
    EXPECT_EQ((std::array<int, 3>{rgb[0], rgb[1], rgb[2]}), (std::array<int, 3>{153, 179, 212}));
}

TEST_F(HelpTest, RuleOnTheFirstLineDrawsNothingAndTheTextFollows) {
    auto help = LayOut(HelpFixture("rule_first.txt"));
    ASSERT_EQ(help->GetLineCount(), 2);
    help->DrawHelp(canvas.context);
    EXPECT_EQ(Classify(canvas.Brightest(0, 0, 330, 21)), Ink::Dark);
    EXPECT_EQ(Classify(canvas.Brightest(5, 24, 200, 31)), Ink::Body);
}

// --- scrolling: the panel hands its help timer's ticks to the help pages ---

uint32_t gNow = 0;
uint32_t FakeTicks() { return gNow; }

class HelpScrollTest : public ::testing::Test {
protected:
    void SetUp() override {
        gNow = 1000;
        SetMillisecondTicksForTesting(FakeTicks);
    }
    void TearDown() override {
        if (panel != nullptr) panel->forget();
        SetMillisecondTicksForTesting(nullptr);
        HelpPages::SetHelpFileForTesting(nullptr);
    }
    HelpPages* Open(const char* fixture) {
        HelpPages::SetHelpFileForTesting(HelpFixture(fixture).c_str());
        panel = new PanelCrowd(kPanelRect, nullptr, 737, nullptr);
        panel->SetScreen(PanelCrowd::kHelpScreen);
        panel->draw(canvas.context);
        return panel->GetHelp();
    }
    void Press(CCoord x, CCoord y, long buttons = kLeft) {
        CPoint where(x, y);
        panel->onMouseDown(where, buttons);
    }
    void Move(CCoord x, CCoord y) {
        CPoint where(x, y);
        panel->onMouseMoved(where, kLeft);
    }
    void Release() {
        CPoint where(0, 0);
        panel->onMouseUp(where, 0);
    }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            gNow += 25;
            CVSTGUITimer::FireDueTimers();
        }
    }
    static int ThumbFor(int offset, int lines) { return (offset / 12) * kTrackLength / (lines - 12); }

    PanelCrowd* panel = nullptr;
    Canvas canvas;
};

constexpr CCoord kBarX = kW - 10;
constexpr int kFortyMax = 40 * 12 - 144;

TEST_F(HelpScrollTest, DownArrowStepsALineThenWaitsEightTicksThenTwoPixelsATick) {
    HelpPages* help = Open("forty_lines.txt");
    ASSERT_EQ(help->GetLineCount(), 40);
    Press(kBarX, kH - 20);
    EXPECT_TRUE(help->IsTimerRunning());
    EXPECT_EQ(help->GetScrollOffset(), 12);
    EXPECT_EQ(help->GetThumb(), ThumbFor(12, 40));
    Tick(8);
    EXPECT_EQ(help->GetScrollOffset(), 12);
    Tick();
    EXPECT_EQ(help->GetScrollOffset(), 14);
    Tick();
    EXPECT_EQ(help->GetScrollOffset(), 16);
    Release();
    EXPECT_FALSE(help->IsTimerRunning());
    Tick(5);
    EXPECT_EQ(help->GetScrollOffset(), 16);

    // Held long enough, the offset stops at the last page.
    Press(kBarX, kH - 20);
    Tick(300);
    EXPECT_EQ(help->GetScrollOffset(), kFortyMax);
    EXPECT_EQ(help->GetThumb(), ThumbFor(kFortyMax, 40));
}

TEST_F(HelpScrollTest, UpArrowStepsBackAndSmallOffsetsSnapToTheTop) {
    HelpPages* help = Open("forty_lines.txt");
    Press(kBarX, kH - 20);
    Tick(13);  // 12, then 8 idle ticks, then 5 × 2
    Release();
    ASSERT_EQ(help->GetScrollOffset(), 22);
    Press(kBarX, 30);
    EXPECT_EQ(help->GetScrollOffset(), 0);  // 10 is within a line of the top
    EXPECT_EQ(help->GetThumb(), 0);
    Release();

    Press(kBarX, kH - 20);
    Tick(20);  // 12 + 12 × 2
    Release();
    ASSERT_EQ(help->GetScrollOffset(), 36);
    Press(kBarX, 30);
    EXPECT_EQ(help->GetScrollOffset(), 24);
    Tick(8);
    EXPECT_EQ(help->GetScrollOffset(), 24);
    Tick(2);
    EXPECT_EQ(help->GetScrollOffset(), 20);
    EXPECT_EQ(help->GetThumb(), ThumbFor(20, 40));
}

TEST_F(HelpScrollTest, PressOnTheTrackPagesByTwelveLinesTowardThePointer) {
    HelpPages* help = Open("forty_lines.txt");
    Press(kBarX, 200);
    EXPECT_EQ(help->GetScrollOffset(), 144);
    EXPECT_EQ(help->GetThumb(), ThumbFor(144, 40));
    Tick(8);
    EXPECT_EQ(help->GetScrollOffset(), 144);
    Tick();
    EXPECT_EQ(help->GetScrollOffset(), 288);
    // The thumb (49 + 166) jumped past the pointer: paging stops rather than bouncing back up.
    ASSERT_LT(200, 49 + help->GetThumb());
    for (int tick = 0; tick < 4; ++tick) {
        Tick();
        EXPECT_EQ(help->GetScrollOffset(), 288) << "tick " << tick;
    }
    Release();

    // Above the thumb pages up.
    Press(kBarX, 60);
    EXPECT_EQ(help->GetScrollOffset(), 144);
}

TEST_F(HelpScrollTest, DraggingTheThumbScrollsInProportion) {
    HelpPages* help = Open("forty_lines.txt");
    Press(kBarX, 52);  // on the thumb at the top
    EXPECT_EQ(help->GetScrollOffset(), 0);
    Move(kBarX, 152);
    EXPECT_EQ(help->GetThumb(), 100);
    EXPECT_EQ(help->GetScrollOffset(), kFortyMax * 100 / kTrackLength);
    Move(kBarX, 600);
    EXPECT_EQ(help->GetThumb(), kTrackLength);
    EXPECT_EQ(help->GetScrollOffset(), kFortyMax);
    Move(kBarX, -300);
    EXPECT_EQ(help->GetThumb(), 0);
    EXPECT_EQ(help->GetScrollOffset(), 0);
}

TEST_F(HelpScrollTest, PressOnTheUpArrowsBottomEdgeIsAnArrowPress) {
    HelpPages* help = Open("forty_lines.txt");
    Press(kBarX, 200);
    Release();
    ASSERT_EQ(help->GetScrollOffset(), 144);
    Press(kBarX, 49);  // a track press above the thumb would page up to 0
    EXPECT_EQ(help->GetScrollOffset(), 132);
}

TEST_F(HelpScrollTest, ShortTextHasNothingToScroll) {
    HelpPages* help = Open("five_lines.txt");
    for (CCoord y : {30L, kH - 20L, 52L, 200L}) {
        Press(kBarX, y);
        Tick(12);
        Move(kBarX, y + 80);
        EXPECT_EQ(help->GetScrollOffset(), 0) << "press at y " << y;
        EXPECT_EQ(help->GetThumb(), 0) << "press at y " << y;
        Release();
    }
}

TEST_F(HelpScrollTest, MiddleButtonIsIgnoredOnTheHelpScreen) {
    HelpPages* help = Open("forty_lines.txt");
    CPoint where(kBarX, kH - 20);
    EXPECT_EQ(panel->onMouseDown(where, kMButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(help->GetScrollOffset(), 0);
    EXPECT_FALSE(help->IsTimerRunning());
}

TEST_F(HelpScrollTest, OffsetSurvivesLeavingTheHelpScreen) {
    HelpPages* help = Open("forty_lines.txt");
    Press(kBarX, 200);
    Release();
    panel->SetScreen(PanelCrowd::kCrowdScreen);
    panel->SetScreen(PanelCrowd::kHelpScreen);
    EXPECT_EQ(help->GetScrollOffset(), 144);
    // A timer message reaches the help pages only as that message.
    EXPECT_EQ(panel->notify(nullptr, "something else"), kMessageUnknown);
    EXPECT_EQ(panel->notify(nullptr, CVSTGUITimer::kMsgTimer), kMessageNotified);
}

}  // namespace
