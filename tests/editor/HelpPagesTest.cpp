// Help pages: layout of awkward texts, what a draw shows, and scrolling on the 25 ms timer.
#include <cairo.h>

#include <fstream>
#include <memory>

#include "EditorHarness.h"
#include "editor/HelpPages.h"

namespace {

const CRect kPanelRect(2, 2, 354, 292);  // w 352, h 290
constexpr int kW = 352;
constexpr int kH = 290;
constexpr int kTrackLength = kH - 96;
constexpr CCoord kWidthLimit = kW - 24;
constexpr int kFortyMax = 40 * 12 - 144;  // the last page's offset of forty_lines.txt

std::string HelpFixture(const char* name) { return std::string(MH_FIXTURES_DIR) + "/help/" + name; }

enum class Ink { Dark, Heading, Body, Rule, Missing };

// A blank picture to draw on, read back by the ink of a rectangle's brightest pixel.
struct Canvas {
    ~Canvas() {
        context->forget();
        cairo_surface_destroy(surface);
    }
    // Antialiasing scales a colour but keeps its channels' order: heading white, body
    // (185, 211, 244) bluest, rule (215, 255, 255) red-poor, missing (255, 255, 155) blue-poor.
    Ink InkIn(int x0, int y0, int x1, int y1) {
        cairo_surface_flush(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        int r = 0, g = 0, b = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const unsigned char* p = cairo_image_surface_get_data(surface) + y * stride + 4 * x;
                if (p[0] + p[1] + p[2] > r + g + b) r = p[2], g = p[1], b = p[0];  // premultiplied B, G, R, A
            }
        if (std::max({r, g, b}) < 60) return Ink::Dark;
        if (b + 10 < g) return Ink::Missing;
        if (g + 5 < b) return Ink::Body;
        return r + 5 < g ? Ink::Rule : Ink::Heading;
    }

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 320);
    CDrawContext* context = new CDrawContext(surface, CRect(0, 0, 400, 320));
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        edtest::gClock.store(1000);
        SetMillisecondTicksForTesting(edtest::ClockTicks);
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
    // The line count, then every line up to and including the first past the count.
    static std::string Lines(const HelpPages& help) {
        std::string all = std::to_string(help.GetLineCount()) + ":";
        for (int i = 0; i <= help.GetLineCount(); ++i) all += std::string(help.GetLine(i)) + "|";
        return all;
    }
    CCoord Width(const std::string& text) {
        canvas.context->setFont(kNormalFontSmaller);
        return canvas.context->getStringWidth(text.c_str());
    }
    static std::string WriteTemp(const char* name, const std::string& bytes) {
        std::ofstream(testing::TempDir() + name, std::ios::binary) << bytes;
        return testing::TempDir() + name;
    }

    // A crowd panel on its help screen, which hands its help timer's ticks to the help pages.
    HelpPages* Open(const char* fixture) {
        if (panel != nullptr) panel->forget();
        HelpPages::SetHelpFileForTesting(HelpFixture(fixture).c_str());
        panel = new PanelCrowd(kPanelRect, nullptr, 737, nullptr);
        panel->SetScreen(PanelCrowd::kHelpScreen);
        panel->draw(canvas.context);
        return help = panel->GetHelp();
    }
    CMouseEventResult Press(CCoord y, long buttons = kLButton) {
        CPoint where(kW - 10, y);
        return panel->onMouseDown(where, buttons);
    }
    void Move(CCoord y) {
        CPoint where(kW - 10, y);
        panel->onMouseMoved(where, kLButton);
    }
    void Release() {
        CPoint where(0, 0);
        panel->onMouseUp(where, 0);
    }
    // The scroll offset after each of count ticks of 25 ms.
    std::vector<int> Ticks(int count) {
        std::vector<int> offsets;
        for (int i = 0; i < count; ++i, offsets.push_back(help->GetScrollOffset())) {
            edtest::gClock.fetch_add(25);
            CVSTGUITimer::FireDueTimers();
        }
        return offsets;
    }
    // Scroll offset and thumb; with forty lines the thumb follows the offset's whole lines.
    std::pair<int, int> Scroll() const { return {help->GetScrollOffset(), help->GetThumb()}; }
    static std::pair<int, int> Forty(int offset) { return {offset, (offset / 12) * kTrackLength / 28}; }

    CBaseObject timerTarget;
    Canvas canvas;
    PanelCrowd* panel = nullptr;
    HelpPages* help = nullptr;
};

// --- layout ---

TEST_F(HelpTest, AwkwardFilesAreLaidOutByteForByteAndBrokenByWidthAtASpaceOrInsideAnOverwideWord) {
    std::string ones, spaced;
    for (int i = 0; i < 22; ++i) ones += "i|";
    for (int i = 0; i < 39; ++i) spaced += "i ";
    const std::pair<const char*, std::string> cases[] = {
        {"empty.txt", "0:|"},
        {"cr_only.txt", "3:Alpha|ravo|harlie||"},  // a lone CR loses the next line's first byte
        {"no_final_break.txt", "1:First line|Second lin|"},  // the last byte lost, the line kept
        // 100 narrow bytes never reach the width: the break at 79 bytes acts as a width break
        {"unbroken_100.txt", "24:" + ones + std::string(78, 'i') + "|After||"},
        {"spaced_100.txt", "2:" + spaced + "|i i i i i i i i i i i ||"},  // ... giving a partial word back
    };
    ASSERT_LT(Width(std::string(79, 'i')), kWidthLimit);
    for (const auto& [file, lines] : cases) EXPECT_EQ(Lines(*LayOut(HelpFixture(file))), lines) << file;
    auto longest = LayOut(HelpFixture("over_512_lines.txt"));
    EXPECT_EQ(longest->GetLineCount(), 512);
    EXPECT_STREQ(longest->GetLine(511), "Line 511");
    // A first word under the limit that reaches it with the space after it.
    std::string word;
    for (int wide = 0; wide < 80 && word.empty(); ++wide)
        for (int narrow = 0; narrow < 30 && word.empty(); ++narrow)
            if (const std::string w = std::string(wide, 'x') + std::string(narrow, 'i');
                w.size() < 78 && Width(w) < kWidthLimit && Width(w + " ") >= kWidthLimit)
                word = w;
    ASSERT_FALSE(word.empty()) << "no word ends exactly at the width limit with its space";
    EXPECT_EQ(Lines(*LayOut(WriteTemp("space_break.txt", word + " ZNext words\r\n"))), "2:" + word + " |ZNext words||");
    // Each line of an overwide word keeps one byte until the rest fits.
    int reach = 1;  // bytes of 'm' that first reach the width limit
    while (Width(std::string(reach, 'm')) < kWidthLimit) ++reach;
    ASSERT_LT(reach, 79);
    std::string singles;
    for (int i = 0; i < 120 - (reach - 1); ++i) singles += "m|";
    EXPECT_EQ(Lines(*LayOut(HelpFixture("long_word.txt"))),  // 120 m's
              std::to_string(121 - (reach - 1)) + ":" + singles + std::string(reach - 1, 'm') + "||");
}

// --- loading and drawing ---

TEST_F(HelpTest, DrawsTheMissingMessageHeadingsBodyAndRulesInTheirOwnColoursWhereverTheyStand) {
    for (const std::string& path : {HelpFixture("no_such_file.txt"), testing::TempDir(),
                                    WriteTemp("huge_help.txt", std::string(1024 * 1024 + 1, 'a'))}) {
        Canvas picture;
        HelpPages::SetHelpFileForTesting(path.c_str());
        HelpPages help(kPanelRect, nullptr, &timerTarget);
        help.DrawHelp(picture.context);
        // "HELP FILE NOT FOUND!" centred in the text area (y 12 .. h − 4).
        EXPECT_EQ(picture.InkIn(100, 140, 250, 160), Ink::Missing) << path;
        EXPECT_EQ(picture.InkIn(5, 12, 60, 40), Ink::Dark) << path;
    }
    LayOut(HelpFixture("empty.txt"))->DrawHelp(canvas.context);
    EXPECT_EQ(canvas.InkIn(100, 140, 250, 160), Ink::Dark) << "an empty file is no missing one";
    LayOut(HelpFixture("headings_and_rules.txt"))->DrawHelp(canvas.context);
    // Line i's rectangle spans y 8 + 12i .. 24 + 12i; text sits in its middle.
    EXPECT_EQ(canvas.InkIn(5, 12, 200, 20), Ink::Heading);  // "Overview: ..."
    EXPECT_EQ(canvas.InkIn(5, 24, 200, 31), Ink::Body);
    // The '#' line is a rule at its top + 2 (y 34) as long as the line above; its text is not drawn.
    const CCoord ruleEnd = Width("plain body text here") + 4;
    EXPECT_EQ(canvas.InkIn(10, 33, 12, 35), Ink::Rule);
    EXPECT_EQ(canvas.InkIn(ruleEnd + 3, 33, ruleEnd + 40, 35), Ink::Dark);
    EXPECT_EQ(canvas.InkIn(5, 48, 200, 56), Ink::Heading) << "':' wins over '#'";
    // A rule on the first line draws nothing, and the text follows.
    Canvas first, partial, single;
    LayOut(HelpFixture("rule_first.txt"))->DrawHelp(first.context);
    EXPECT_EQ(first.InkIn(0, 0, 330, 21), Ink::Dark);
    EXPECT_EQ(first.InkIn(5, 24, 200, 31), Ink::Body);
    // A last line without a final break is not counted but drawn.
    LayOut(HelpFixture("no_final_break.txt"))->DrawHelp(partial.context);
    LayOut(HelpFixture("one_line.txt"))->DrawHelp(single.context);
    EXPECT_EQ(partial.InkIn(5, 26, 200, 35), Ink::Body);
    EXPECT_EQ(single.InkIn(5, 26, 200, 35), Ink::Dark);
}

// --- scrolling ---

TEST_F(HelpTest, ArrowsStepALineThenWaitEightTicksTheTrackPagesAndY49IsTheUpArrow) {
    Open("forty_lines.txt");
    Press(kH - 20);
    EXPECT_EQ(Scroll(), Forty(12));
    EXPECT_EQ(Ticks(10), (std::vector<int>{12, 12, 12, 12, 12, 12, 12, 12, 14, 16}));
    Release();
    EXPECT_EQ(Ticks(2), (std::vector<int>{16, 16}));
    Press(30);
    EXPECT_EQ(Scroll(), Forty(0)) << "4 is within a line of the top";
    Release();
    Press(kH - 20);
    EXPECT_EQ(Ticks(20).back(), 36);
    Release();
    Press(30);
    EXPECT_EQ(Ticks(10), (std::vector<int>{24, 24, 24, 24, 24, 24, 24, 24, 22, 20}));
    EXPECT_EQ(Scroll(), Forty(20));
    Release();
    Press(kH - 20);
    Ticks(300);
    EXPECT_EQ(Scroll(), Forty(kFortyMax)) << "held, the offset stops at the last page";
    Open("forty_lines.txt");
    Press(200);
    EXPECT_EQ(Scroll(), Forty(144));
    // The thumb jumps past the pointer: paging stops rather than bouncing back up.
    EXPECT_EQ(Ticks(13), (std::vector<int>{144, 144, 144, 144, 144, 144, 144, 144, 288, 288, 288, 288, 288}));
    Release();
    Press(60);  // above the thumb pages up
    EXPECT_EQ(Scroll(), Forty(144));
    Release();
    Press(49);  // a track press above the thumb would page up to 0
    EXPECT_EQ(Scroll(), Forty(132));
}

TEST_F(HelpTest, ThumbDragsInProportionAndTheMiddleButtonIsIgnored) {
    Open("forty_lines.txt");
    EXPECT_EQ(Press(kH - 20, kMButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(Scroll(), Forty(0));
    Press(52);  // on the thumb at the top
    Move(152);
    EXPECT_EQ(Scroll(), std::make_pair(kFortyMax * 100 / kTrackLength, 100));
    Move(600);
    EXPECT_EQ(Scroll(), std::make_pair(kFortyMax, kTrackLength));
    Move(-300);
    EXPECT_EQ(Scroll(), std::make_pair(0, 0));
}

TEST_F(HelpTest, ShortTextHasNothingToScroll) {
    Open("five_lines.txt");
    for (CCoord y : {30L, kH - 20L, 52L, 200L}) {
        Press(y);
        Ticks(12);
        Move(y + 80);
        EXPECT_EQ(Scroll(), std::make_pair(0, 0)) << "press at y " << y;
        Release();
    }
}

}  // namespace
