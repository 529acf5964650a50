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

const CRect kPanelRect(2, 2, 354, 292);  // w 352, h 290
constexpr int kW = 352;
constexpr int kH = 290;
constexpr int kTrackLength = kH - 96;
constexpr CCoord kBarX = kW - 10;
constexpr CCoord kWidthLimit = kW - 24;
constexpr int kFortyMax = 40 * 12 - 144;  // the last page's offset of forty_lines.txt

std::string HelpFixture(const char* name) { return std::string(MH_FIXTURES_DIR) + "/help/" + name; }

enum class Ink { Dark, Heading, Body, Rule, Missing };

// A black picture to draw on, read back by pixel or by the ink of a rectangle's brightest pixel.
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
    // 0xRRGGBB (the picture stays opaque, so there is no premultiplication to undo).
    uint32_t Rgb(int x, int y) {
        cairo_surface_flush(surface);
        uint32_t pixel;
        std::memcpy(&pixel, cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + 4 * x, 4);
        return pixel & 0xFFFFFF;
    }
    // Antialiasing on black scales a colour, so the brightest pixel is matched by its proportions.
    Ink InkIn(int x0, int y0, int x1, int y1) {
        std::array<double, 3> best{};
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const uint32_t c = Rgb(x, y);
                const std::array<double, 3> rgb{double(c >> 16), double((c >> 8) & 0xff), double(c & 0xff)};
                if (rgb[0] + rgb[1] + rgb[2] > best[0] + best[1] + best[2]) best = rgb;
            }
        const double top = *std::max_element(best.begin(), best.end());
        if (top < 60) return Ink::Dark;
        const std::pair<Ink, std::array<double, 3>> inks[] = {{Ink::Heading, {255, 255, 255}},
                                                              {Ink::Body, {185, 211, 244}},
                                                              {Ink::Rule, {215, 255, 255}},
                                                              {Ink::Missing, {255, 255, 155}}};
        Ink nearest = Ink::Dark;
        double nearestDistance = 1e9;
        for (const auto& [ink, ref] : inks) {
            double d = 0;
            for (int i = 0; i < 3; ++i) d += std::pow(best[i] / top - ref[i] / 255.0, 2);
            if (d < nearestDistance) nearestDistance = d, nearest = ink;
        }
        return nearest;
    }
    CDrawContext* context;

private:
    cairo_surface_t* surface;
};

uint32_t gNow = 0;
uint32_t FakeTicks() { return gNow; }

class HelpTest : public ::testing::Test {
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
    static std::string WriteTemp(const char* name, const std::string& bytes) {
        const std::string path = testing::TempDir() + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    // A crowd panel on its help screen, which hands its help timer's ticks to the help pages.
    HelpPages* Open(const char* fixture) {
        HelpPages::SetHelpFileForTesting(HelpFixture(fixture).c_str());
        panel = new PanelCrowd(kPanelRect, nullptr, 737, nullptr);
        panel->SetScreen(PanelCrowd::kHelpScreen);
        panel->draw(canvas.context);
        return panel->GetHelp();
    }
    CMouseEventResult Press(CCoord y, long buttons = kLButton) {
        CPoint where(kBarX, y);
        return panel->onMouseDown(where, buttons);
    }
    void Move(CCoord y) {
        CPoint where(kBarX, y);
        panel->onMouseMoved(where, kLButton);
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

    CBaseObject timerTarget;
    Canvas canvas;
    PanelCrowd* panel = nullptr;
};

// --- layout ---

TEST_F(HelpTest, CarriageReturnAloneLosesTheFirstByteOfEveryLaterLine) {
    auto help = LayOut(HelpFixture("cr_only.txt"));
    ASSERT_EQ(help->GetLineCount(), 3);
    EXPECT_STREQ(help->GetLine(0), "Alpha");
    EXPECT_STREQ(help->GetLine(1), "ravo");
    EXPECT_STREQ(help->GetLine(2), "harlie");
}

TEST_F(HelpTest, MissingFinalBreakLosesTheLastByteButStillDrawsThePartialLine) {
    auto help = LayOut(HelpFixture("no_final_break.txt"));
    EXPECT_EQ(help->GetLineCount(), 1);
    EXPECT_STREQ(help->GetLine(0), "First line");
    EXPECT_STREQ(help->GetLine(1), "Second lin");
    help->DrawHelp(canvas.context);
    EXPECT_EQ(canvas.InkIn(5, 26, 200, 35), Ink::Body);
    // A one-line file has nothing in that row.
    Canvas other;
    LayOut(HelpFixture("one_line.txt"))->DrawHelp(other.context);
    EXPECT_EQ(other.InkIn(5, 26, 200, 35), Ink::Dark);
    EXPECT_EQ(other.InkIn(5, 12, 200, 21), Ink::Body);
}

TEST_F(HelpTest, BreakingByWidthAtASpaceKeepsTheNextWordWhole) {
    // A first word under the limit that reaches it with the space after it.
    std::string word;
    for (int wide = 0; wide < 80 && word.empty(); ++wide)
        for (int narrow = 0; narrow < 30 && word.empty(); ++narrow) {
            const std::string candidate = std::string(wide, 'x') + std::string(narrow, 'i');
            if (candidate.size() < 78 && Width(candidate) < kWidthLimit && Width(candidate + " ") >= kWidthLimit)
                word = candidate;
        }
    ASSERT_FALSE(word.empty()) << "no word ends exactly at the width limit with its space";
    auto help = LayOut(WriteTemp("space_break.txt", word + " ZNext words\r\n"));
    ASSERT_EQ(help->GetLineCount(), 2);
    EXPECT_EQ(std::string(help->GetLine(0)), word + " ");
    EXPECT_STREQ(help->GetLine(1), "ZNext words");
}

TEST_F(HelpTest, WordWiderThanTheLineLeavesItsFirstByteAndContinuesBelow) {
    int reach = 1;  // bytes of 'm' that first reach the width limit
    while (Width(std::string(reach, 'm')) < kWidthLimit) ++reach;
    ASSERT_LT(reach, 79);
    auto help = LayOut(HelpFixture("long_word.txt"));  // 120 m's
    const int singles = 120 - (reach - 1);
    ASSERT_EQ(help->GetLineCount(), singles + 1);
    for (int i = 0; i < singles; ++i) EXPECT_STREQ(help->GetLine(i), "m") << "line " << i;
    EXPECT_EQ(std::string(help->GetLine(singles)), std::string(reach - 1, 'm'));
}

TEST_F(HelpTest, LinesBreakAt79BytesWhenNarrowTextNeverReachesTheWidth) {
    ASSERT_LT(Width(std::string(79, 'i')), kWidthLimit) << "the narrow text must not reach the width";
    // Unbroken: the 79-byte break acts like a width break inside a word.
    auto unbroken = LayOut(HelpFixture("unbroken_100.txt"));
    ASSERT_EQ(unbroken->GetLineCount(), 24);
    for (int i = 0; i < 22; ++i) EXPECT_STREQ(unbroken->GetLine(i), "i");
    EXPECT_EQ(std::string(unbroken->GetLine(22)), std::string(78, 'i'));
    EXPECT_STREQ(unbroken->GetLine(23), "After");
    // With spaces the line gives its partial word back and ends after a space.
    auto spaced = LayOut(HelpFixture("spaced_100.txt"));
    ASSERT_EQ(spaced->GetLineCount(), 2);
    std::string first;
    for (int i = 0; i < 39; ++i) first += "i ";
    EXPECT_EQ(std::string(spaced->GetLine(0)), first);
    EXPECT_EQ(std::string(spaced->GetLine(1)), "i i i i i i i i i i i ");
}

TEST_F(HelpTest, TextBeyond512LinesIsNotLaidOut) {
    auto help = LayOut(HelpFixture("over_512_lines.txt"));
    EXPECT_EQ(help->GetLineCount(), 512);
    EXPECT_STREQ(help->GetLine(511), "Line 511");
    EXPECT_STREQ(help->GetLine(512), "");  // past the buffers
}

// --- loading ---

TEST_F(HelpTest, UnreadableFilesShowTheMissingMessageAndAnEmptyOneNothing) {
    const std::string paths[] = {HelpFixture("no_such_file.txt"), testing::TempDir(),
                                 WriteTemp("huge_help.txt", std::string(1024 * 1024 + 1, 'a'))};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        Canvas picture;
        HelpPages::SetHelpFileForTesting(path.c_str());
        HelpPages help(kPanelRect, nullptr, &timerTarget);
        help.DrawHelp(picture.context);
        EXPECT_FALSE(help.IsLaidOut());
        // "HELP FILE NOT FOUND!" centred in the text area (y 12 .. h − 4).
        EXPECT_EQ(picture.InkIn(100, 140, 250, 160), Ink::Missing);
        EXPECT_EQ(picture.InkIn(5, 12, 60, 40), Ink::Dark);
    }
    auto empty = LayOut(HelpFixture("empty.txt"));
    EXPECT_TRUE(empty->IsLaidOut());
    EXPECT_EQ(empty->GetLineCount(), 0);
    empty->DrawHelp(canvas.context);
    EXPECT_EQ(canvas.InkIn(100, 140, 250, 160), Ink::Dark);
}

TEST_F(HelpTest, WithoutAnOverrideTheBundleOrCompiledInTextIsRead) {
    HelpPages shipped(kPanelRect, nullptr, &timerTarget);
    shipped.CreateHelp(canvas.context);
    EXPECT_GT(shipped.GetLineCount(), 12);
    // Without the compiled-in copy only a bundle file can serve.
    SetEmbeddedResourcesEnabledForTesting(false);
    HelpPages bundleOnly(kPanelRect, nullptr, &timerTarget);
    bundleOnly.CreateHelp(canvas.context);
    SetEmbeddedResourcesEnabledForTesting(true);
    EXPECT_EQ(bundleOnly.IsLaidOut(), !Bundle::Resource("Murmurhall Help", "txt").empty());
}

// --- drawing ---

TEST_F(HelpTest, HeadingsBodyRulesAndTheScrollBarGetTheirOwnColours) {
    LayOut(HelpFixture("headings_and_rules.txt"))->DrawHelp(canvas.context);
    // Line i's rectangle spans y 8 + 12i .. 24 + 12i; text sits in its middle.
    EXPECT_EQ(canvas.InkIn(5, 12, 200, 20), Ink::Heading);  // "Overview: ..."
    EXPECT_EQ(canvas.InkIn(5, 24, 200, 31), Ink::Body);
    // The '#' line is a rule at its top + 2 (y 34) as long as the line above; its text is not drawn.
    const CCoord ruleEnd = Width("plain body text here") + 4;
    EXPECT_EQ(canvas.InkIn(10, 33, 12, 35), Ink::Rule);
    EXPECT_EQ(canvas.InkIn(ruleEnd - 3, 33, ruleEnd - 2, 35), Ink::Rule);
    EXPECT_EQ(canvas.InkIn(ruleEnd + 3, 33, ruleEnd + 40, 35), Ink::Dark);
    EXPECT_EQ(canvas.InkIn(5, 38, 300, 44), Ink::Dark);
    EXPECT_EQ(canvas.InkIn(5, 48, 200, 56), Ink::Heading) << "':' wins over '#'";
    EXPECT_EQ(canvas.Rgb(kW - 10, 150), 0x315270u) << "track";
    EXPECT_EQ(canvas.Rgb(kW - 10, 52), 0x99B3D4u) << "thumb";
}

TEST_F(HelpTest, RuleOnTheFirstLineDrawsNothingAndTheTextFollows) {
    auto help = LayOut(HelpFixture("rule_first.txt"));
    ASSERT_EQ(help->GetLineCount(), 2);
    help->DrawHelp(canvas.context);
    EXPECT_EQ(canvas.InkIn(0, 0, 330, 21), Ink::Dark);
    EXPECT_EQ(canvas.InkIn(5, 24, 200, 31), Ink::Body);
}

// --- scrolling ---

TEST_F(HelpTest, DownArrowStepsALineThenWaitsEightTicksThenTwoPixelsATickUpToTheLastPage) {
    HelpPages* help = Open("forty_lines.txt");
    ASSERT_EQ(help->GetLineCount(), 40);
    Press(kH - 20);
    EXPECT_TRUE(help->IsTimerRunning());
    EXPECT_EQ(help->GetScrollOffset(), 12);
    EXPECT_EQ(help->GetThumb(), ThumbFor(12, 40));
    Tick(8);
    EXPECT_EQ(help->GetScrollOffset(), 12);
    Tick(2);
    EXPECT_EQ(help->GetScrollOffset(), 16);
    Release();
    EXPECT_FALSE(help->IsTimerRunning());
    Tick(5);
    EXPECT_EQ(help->GetScrollOffset(), 16);
    Press(kH - 20);
    Tick(300);
    EXPECT_EQ(help->GetScrollOffset(), kFortyMax);
    EXPECT_EQ(help->GetThumb(), ThumbFor(kFortyMax, 40));
}

TEST_F(HelpTest, UpArrowStepsBackAndSmallOffsetsSnapToTheTop) {
    HelpPages* help = Open("forty_lines.txt");
    Press(kH - 20);
    Tick(13);  // 12, then 8 idle ticks, then 5 × 2
    Release();
    ASSERT_EQ(help->GetScrollOffset(), 22);
    Press(30);
    EXPECT_EQ(help->GetScrollOffset(), 0) << "10 is within a line of the top";
    EXPECT_EQ(help->GetThumb(), 0);
    Release();
    Press(kH - 20);
    Tick(20);  // 12 + 12 × 2
    Release();
    ASSERT_EQ(help->GetScrollOffset(), 36);
    Press(30);
    EXPECT_EQ(help->GetScrollOffset(), 24);
    Tick(8);
    EXPECT_EQ(help->GetScrollOffset(), 24);
    Tick(2);
    EXPECT_EQ(help->GetScrollOffset(), 20);
    EXPECT_EQ(help->GetThumb(), ThumbFor(20, 40));
}

TEST_F(HelpTest, TrackPressPagesTowardThePointerAndAPressOnY49IsAnArrowPress) {
    HelpPages* help = Open("forty_lines.txt");
    Press(200);
    EXPECT_EQ(help->GetScrollOffset(), 144);
    EXPECT_EQ(help->GetThumb(), ThumbFor(144, 40));
    Tick(8);
    EXPECT_EQ(help->GetScrollOffset(), 144);
    Tick();
    EXPECT_EQ(help->GetScrollOffset(), 288);
    // The thumb jumped past the pointer: paging stops rather than bouncing back up.
    ASSERT_LT(200, 49 + help->GetThumb());
    for (int tick = 0; tick < 4; ++tick) {
        Tick();
        EXPECT_EQ(help->GetScrollOffset(), 288) << "tick " << tick;
    }
    Release();
    Press(60);  // above the thumb pages up
    EXPECT_EQ(help->GetScrollOffset(), 144);
    Release();
    Press(49);  // a track press above the thumb would page up to 0
    EXPECT_EQ(help->GetScrollOffset(), 132);
}

TEST_F(HelpTest, DraggingTheThumbScrollsInProportionWithinTheTrack) {
    HelpPages* help = Open("forty_lines.txt");
    Press(52);  // on the thumb at the top
    EXPECT_EQ(help->GetScrollOffset(), 0);
    Move(152);
    EXPECT_EQ(help->GetThumb(), 100);
    EXPECT_EQ(help->GetScrollOffset(), kFortyMax * 100 / kTrackLength);
    Move(600);
    EXPECT_EQ(help->GetThumb(), kTrackLength);
    EXPECT_EQ(help->GetScrollOffset(), kFortyMax);
    Move(-300);
    EXPECT_EQ(help->GetThumb(), 0);
    EXPECT_EQ(help->GetScrollOffset(), 0);
}

TEST_F(HelpTest, ShortTextHasNothingToScroll) {
    HelpPages* help = Open("five_lines.txt");
    for (CCoord y : {30L, kH - 20L, 52L, 200L}) {
        Press(y);
        Tick(12);
        Move(y + 80);
        EXPECT_EQ(help->GetScrollOffset(), 0) << "press at y " << y;
        EXPECT_EQ(help->GetThumb(), 0) << "press at y " << y;
        Release();
    }
}

TEST_F(HelpTest, MiddleButtonIsIgnoredAndTheOffsetSurvivesLeavingTheHelpScreen) {
    HelpPages* help = Open("forty_lines.txt");
    EXPECT_EQ(Press(kH - 20, kMButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(help->GetScrollOffset(), 0);
    EXPECT_FALSE(help->IsTimerRunning());
    Press(200);
    Release();
    panel->SetScreen(PanelCrowd::kCrowdScreen);
    panel->SetScreen(PanelCrowd::kHelpScreen);
    EXPECT_EQ(help->GetScrollOffset(), 144);
    EXPECT_EQ(panel->notify(nullptr, "something else"), kMessageUnknown);
}

}  // namespace
