// Option menus: value <-> entry index, entries, and the pop-up list with its sub-menus and
// dismissal, through the headless platform's pop-ups.
#include <cmath>
#include <cstring>
#include <limits>

#include "FrameHarness.h"
#include "toolkit/COptionMenu.h"

namespace {

// Rows of a list in the very small font: 16 pixels each below a 1-pixel border; separators 7.
constexpr CCoord kRow = 16, kSeparator = 7;
CCoord RowCentre(long index, long separatorsAbove = 0) {
    return 1 + kRow * (index - separatorsAbove) + kSeparator * separatorsAbove + kRow / 2;
}

class OptionMenuTest : public HeadlessFrameTest {
protected:
    COptionMenu* makeMenu(std::vector<const char*> titles, long style = kNoFrame | kCheckStyle, long tag = 743) {
        auto* menu = new COptionMenu(CRect(20, 30, 80, 45), &recorder, tag, nullptr, nullptr, style);
        menu->setFont(kNormalFontVerySmall);
        for (const char* title : titles) menu->addEntry(title);
        return menu;
    }
    void open(COptionMenu* menu) {
        platform->click(Centre(menu->getViewSize()));
        ASSERT_TRUE(menu->isPopupShowing());
    }
};

TEST(OptionMenuValue, EveryIndexSurvivesTheTripThroughItsValueAndOddValuesLandOnAnEnd) {
    const float inf = std::numeric_limits<float>::infinity();
    for (long n : {3L, 10L, 24L, 60L}) {
        COptionMenu menu(CRect(0, 0, 10, 10), nullptr, 0);
        for (long i = 0; i < n; ++i) menu.addEntry("x");
        for (long i = 0; i < n; ++i) {
            const float v = static_cast<float>(i) / static_cast<float>(n);
            ASSERT_TRUE(menu.setCurrent(i));
            EXPECT_EQ(menu.getValue(), v);
            menu.setValue(std::nextafter(v, 0.f));  // a hair below i / n still means entry i
            EXPECT_EQ(menu.getCurrentIndex(), i) << i << " of " << n;
        }
        for (float value : {std::nanf(""), -0.5f, -inf, 0.999f, 1.f, inf}) {
            menu.setValue(value);
            EXPECT_EQ(menu.getCurrentIndex(), value > 0.5f ? n - 1 : 0) << value;
        }
        EXPECT_FALSE(menu.setCurrent(-1));
        EXPECT_FALSE(menu.setCurrent(n));
        menu.removeAllEntry();
        EXPECT_EQ(menu.getCurrentIndex(), 0);
        EXPECT_FALSE(menu.setCurrent(0));
    }
}

TEST(OptionMenuEntries, TitlesSeparatorsSubMenusAndRemoval) {
    COptionMenu menu(CRect(0, 0, 10, 10), nullptr, 0);
    for (const char* title : {"a", "-", "c"}) EXPECT_TRUE(menu.addEntry(title, -1, title[0] == 'c' ? CMenuItem::kDisabled : 0));
    EXPECT_TRUE(menu.addEntry("first", 0));
    EXPECT_FALSE(menu.addEntry(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(menu.addEntry(&menu, "itself"));
    menu.getEntry(1)->setTitle("--");
    menu.addEntry(std::string(400, 'w').c_str());
    char title[256];
    const char* expected[] = {"first", "--", "-", "c", "wwwwwwwwww"};
    for (long i = 0; i < 5; ++i) {
        ASSERT_TRUE(menu.getEntry(i, title));
        EXPECT_EQ(std::string(title).substr(0, 10), expected[i]);
        EXPECT_EQ(menu.getEntry(i)->isSeparator(), i == 2);
        EXPECT_EQ(menu.getEntry(i)->isEnabled(), i != 3);
    }
    EXPECT_EQ(std::strlen(title), 255u) << "the copy fits the 256-byte buffer";
    EXPECT_FALSE(menu.getEntry(5, title));
    EXPECT_EQ(menu.getEntry(-1), nullptr);
    EXPECT_TRUE(menu.removeEntry(0));
    EXPECT_FALSE(menu.removeEntry(9));
    EXPECT_EQ(menu.getNbEntries(), 4);
    auto* sub = new COptionMenu(CRect(0, 0, 10, 10), nullptr, 8);
    EXPECT_TRUE(menu.addEntry(sub, "Presets"));
    EXPECT_EQ(sub->getNbReference(), 2) << "held while it is an entry";
    EXPECT_TRUE(menu.removeAllEntry());
    EXPECT_EQ(sub->getNbReference(), 1);
    sub->forget();
}

TEST_F(OptionMenuTest, AClickOpensOneListOfEveryEntryAtTheMenusScreenPlaceInViewPixels) {
    COptionMenu* menu = add(makeMenu(std::vector<const char*>(60, "entry")));
    platform->setScreenPosition(CPoint(300, 200));
    for (double scale : {1.0, 2.0}) {
        frame->setScaleFactor(scale);
        open(menu);
        ASSERT_EQ(platform->popupCount(), 1);
        const CRect list = platform->popupScreenRect(0);
        EXPECT_EQ(list.getTopLeft(), CPoint(320, 230)) << scale;
        EXPECT_EQ(list.height(), 2 + 60 * kRow) << "every entry, even far taller than the window";
        EXPECT_NE(platform->popupPixel(0, 20, RowCentre(59)), 0u) << "drawn over its whole height";
        platform->click(Centre(menu->getViewSize()));  // a second click outside the list closes it
        EXPECT_EQ(platform->popupCount(), 0);
    }
    open(menu);
    platform->popupClick(0, CPoint(20, RowCentre(3)));
    EXPECT_EQ(recorder.values(), (std::vector<float>{3.f / 60.f})) << "opening is not a change; picking is";
}

TEST_F(OptionMenuTest, PickingReportsIndexOverEntriesInABracketButSeparatorsDisabledAndBorderPickNothing) {
    COptionMenu* menu = add(makeMenu({"a", "-", "c", "d"}));
    menu->getEntry(2)->setEnabled(false);
    open(menu);
    for (CCoord y : {1 + kRow + kSeparator / 2, RowCentre(2, 1), CCoord(0)}) platform->popupClick(0, CPoint(20, y));
    EXPECT_TRUE(menu->isPopupShowing());
    EXPECT_TRUE(recorder.log.empty());
    platform->popupClick(0, CPoint(20, RowCentre(3, 1)));
    EXPECT_EQ(platform->popupCount(), 0);
    EXPECT_EQ(recorder.values(), (std::vector<float>{3.f / 4.f}));
    EXPECT_EQ(recorder.log, Recorder::Gesture(743, 1));
    long index = -1;
    EXPECT_EQ(menu->getLastItemMenu(index), menu);
    EXPECT_EQ(index, 3);
}

TEST_F(OptionMenuTest, HoverOpensASubMenusListBesideItsRowAndAPickThereReportsTheSubMenu) {
    // The preset menu's shape: three commands, a separator, the programs as a sub-menu.
    COptionMenu* root = add(makeMenu({"Load preset", "Save preset", "Reset current", "-"}, 0x5208, 7));
    COptionMenu* programs = makeMenu({}, 0x5208, 8);
    for (int i = 0; i < 24; ++i) programs->addEntry(("Program " + std::to_string(i)).c_str());
    root->addEntry(programs, "Presets");
    programs->forget();
    open(root);
    const CCoord presetsRow = RowCentre(4, 1);
    platform->popupMouseMoved(0, CPoint(20, presetsRow));
    ASSERT_EQ(platform->popupCount(), 2);
    const CRect rootList = platform->popupScreenRect(0), subList = platform->popupScreenRect(1);
    EXPECT_EQ(subList.getTopLeft(), CPoint(rootList.right - 1, rootList.top + 3 * kRow + kSeparator));
    EXPECT_EQ(subList.height(), 2 + 24 * kRow);
    platform->popupMouseMoved(0, CPoint(20, RowCentre(1)));
    EXPECT_EQ(platform->popupCount(), 1) << "another row closes the sub-menu";
    platform->popupClick(0, CPoint(20, presetsRow));
    EXPECT_EQ(platform->popupCount(), 2) << "a click opens it too";
    EXPECT_TRUE(recorder.reports.empty());

    platform->popupClick(1, CPoint(20, RowCentre(5)));
    EXPECT_EQ(platform->popupCount(), 0);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].control, programs);
    EXPECT_EQ(recorder.reports[0].value, 5.f / 24.f);
    EXPECT_EQ(recorder.log, Recorder::Gesture(8, 1, false)) << "not in the frame: no editor brackets";
    long index = -1;
    EXPECT_EQ(root->getLastItemMenu(index), programs);
}

TEST_F(OptionMenuTest, ShowsItsCurrentTitleUnlessToldNotToAndChecksTheCurrentEntry) {
    COptionMenu* menu = add(makeMenu({"", "WWWW", "x"}, kNoFrame));
    menu->setBackColor(MakeCColor(0, 0, 255));
    // Pixels unlike the background at (x0, y0) in [x0, x1) x [y0, y1) of the frame or pop-up 0.
    const auto inked = [this](bool popup, CCoord x0, CCoord y0, CCoord x1, CCoord y1) {
        long n = 0;
        const auto at = [&](CCoord x, CCoord y) { return popup ? platform->popupPixel(0, x, y) : platform->pixel(x, y); };
        for (CCoord y = y0; y < y1; ++y)
            for (CCoord x = x0; x < x1; ++x) n += at(x, y) != at(x0, y0) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(inked(false, 20, 30, 80, 45), 0);
    menu->setCurrent(1);
    EXPECT_GT(inked(false, 20, 30, 80, 45), 20);
    menu->setStyle(kNoFrame | kNoTextStyle);
    EXPECT_EQ(inked(false, 20, 30, 80, 45), 0);
    for (long style : {long(kNoFrame | kCheckStyle), long(kNoFrame)}) {
        menu->setStyle(style);
        open(menu);
        const auto marks = [&](long row) { return inked(true, 2, RowCentre(row) - 7, 15, RowCentre(row) + 8); };
        EXPECT_EQ(marks(0) + marks(2), 0);
        EXPECT_EQ(marks(1) > 5, style == (kNoFrame | kCheckStyle)) << style;
        platform->dismissPopups();
    }
}

}  // namespace
