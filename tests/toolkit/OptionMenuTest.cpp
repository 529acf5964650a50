// Option menus: value <-> entry index, entries, and the pop-up list with its sub-menus, keys and
// dismissal, through the headless platform's pop-ups.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "FrameHarness.h"
#include "toolkit/COptionMenu.h"

namespace {

using Log = std::vector<std::string>;

// Rows of a list in the very small font: 16 pixels each below a 1-pixel border; separators 7.
constexpr CCoord kRow = 16;
constexpr CCoord kSeparator = 7;
CCoord RowCentre(long index, long separatorsAbove = 0) {
    return 1 + kRow * (index - separatorsAbove) + kSeparator * separatorsAbove + kRow / 2;
}

class OptionMenuTest : public HeadlessFrameTest {
protected:
    COptionMenu* makeMenu(long entries, long style = kNoFrame | kCheckStyle, long tag = 743) {
        auto* menu = add(new COptionMenu(CRect(20, 30, 80, 45), &recorder, tag, nullptr, nullptr, style));
        menu->setFont(kNormalFontVerySmall);
        for (long i = 0; i < entries; ++i) menu->addEntry(("entry " + std::to_string(i)).c_str());
        return menu;
    }
    void open(COptionMenu* menu) {
        platform->click(Centre(menu->getViewSize()));
        ASSERT_TRUE(menu->isPopupShowing());
    }
};

TEST_F(OptionMenuTest, EveryIndexSurvivesTheTripThroughItsValue) {
    for (long n : {3L, 10L, 24L, 60L}) {
        auto* menu = new COptionMenu(CRect(0, 0, 10, 10), nullptr, 0);
        for (long i = 0; i < n; ++i) menu->addEntry("x");
        for (long i = 0; i < n; ++i) {
            const float v = static_cast<float>(i) / static_cast<float>(n);
            ASSERT_TRUE(menu->setCurrent(i));
            EXPECT_EQ(menu->getValue(), v);
            EXPECT_EQ(menu->getCurrentIndex(), i) << i << " of " << n;
            // The editor's own reading of the same value.
            EXPECT_EQ(static_cast<long>(static_cast<float>(n) * v + 0.5f), i);
            // A value a hair below i / n still means entry i.
            menu->setValue(std::nextafter(v, 0.f));
            EXPECT_EQ(menu->getCurrentIndex(), i) << i << " of " << n << " from below";
        }
        menu->forget();
    }
}

TEST_F(OptionMenuTest, ValuesOutsideTheEntriesLandOnTheFirstOrLast) {
    COptionMenu* menu = makeMenu(5);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        long index;
    };
    for (const Case& c : {Case{nan, 0}, Case{-0.5f, 0}, Case{-inf, 0}, Case{0.999f, 4}, Case{1.f, 4}, Case{7.f, 4},
                          Case{inf, 4}}) {
        menu->setValue(c.value);
        EXPECT_EQ(menu->getCurrentIndex(), c.index) << c.value;
    }
    menu->setValue(0.4f);
    EXPECT_FALSE(menu->setCurrent(-1));
    EXPECT_FALSE(menu->setCurrent(5));
    EXPECT_EQ(menu->getValue(), 0.4f);
    menu->removeAllEntry();
    EXPECT_EQ(menu->getCurrentIndex(), 0);
    EXPECT_FALSE(menu->setCurrent(0));
}

TEST_F(OptionMenuTest, EntriesTitlesSeparatorsAndRemoval) {
    COptionMenu* menu = makeMenu(0);
    EXPECT_TRUE(menu->addEntry("a"));
    EXPECT_TRUE(menu->addSeparator());
    EXPECT_TRUE(menu->addEntry("c", -1, CMenuItem::kDisabled));
    EXPECT_TRUE(menu->addEntry("first", 0));
    EXPECT_FALSE(menu->addEntry(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(menu->addEntry(menu, "itself"));
    ASSERT_EQ(menu->getNbEntries(), 4);

    char title[256];
    const char* expected[] = {"first", "a", "-", "c"};
    for (long i = 0; i < 4; ++i) {
        ASSERT_TRUE(menu->getEntry(i, title));
        EXPECT_STREQ(title, expected[i]);
    }
    EXPECT_TRUE(menu->getEntry(2)->isSeparator());
    EXPECT_FALSE(menu->getEntry(1)->isSeparator());
    EXPECT_FALSE(menu->getEntry(3)->isEnabled());
    EXPECT_FALSE(menu->getEntry(4, title));
    EXPECT_EQ(menu->getEntry(-1), nullptr);

    menu->getEntry(1)->setTitle("--");
    ASSERT_TRUE(menu->getEntry(1, title));
    EXPECT_STREQ(title, "--");

    const std::string longTitle(400, 'w');
    menu->addEntry(longTitle.c_str());
    ASSERT_TRUE(menu->getEntry(4, title));
    EXPECT_EQ(std::strlen(title), 255u) << "the copy fits the 256-byte buffer";

    EXPECT_TRUE(menu->removeEntry(0));
    ASSERT_TRUE(menu->getEntry(0, title));
    EXPECT_STREQ(title, "--");
    EXPECT_FALSE(menu->removeEntry(9));
    EXPECT_TRUE(menu->removeAllEntry());
    EXPECT_EQ(menu->getNbEntries(), 0);
    EXPECT_EQ(menu->getEntry(0), nullptr);
}

TEST_F(OptionMenuTest, SubMenusAreHeldWhileTheyAreEntries) {
    COptionMenu* menu = makeMenu(1);
    auto* sub = new COptionMenu(CRect(0, 0, 10, 10), nullptr, 8);
    EXPECT_TRUE(menu->addEntry(sub, "Presets"));
    EXPECT_EQ(sub->getNbReference(), 2);
    EXPECT_EQ(menu->getEntry(1)->getSubmenu(), sub);
    menu->removeEntry(1);
    EXPECT_EQ(sub->getNbReference(), 1);
    sub->forget();
}

TEST_F(OptionMenuTest, AClickOpensOneListOfEveryEntryAtTheMenusScreenPlace) {
    COptionMenu* menu = makeMenu(60);
    platform->setScreenPosition(CPoint(300, 200));
    EXPECT_FALSE(menu->isPopupShowing());
    open(menu);
    ASSERT_EQ(platform->popupCount(), 1);
    const CRect list = platform->popupScreenRect(0);
    EXPECT_EQ(list.getTopLeft(), CPoint(320, 230));
    EXPECT_EQ(list.height(), 2 + 60 * kRow) << "every entry, even far taller than the window";
    EXPECT_GE(list.width(), menu->getWidth());
    EXPECT_TRUE(recorder.reports.empty()) << "opening is not a change";
    platform->click(Centre(menu->getViewSize()));  // a second click outside the list closes it
    EXPECT_FALSE(menu->isPopupShowing());
    EXPECT_EQ(platform->popupCount(), 0);
}

TEST_F(OptionMenuTest, OnADenseScreenTheListIsPlacedAndPickedInViewPixels) {
    COptionMenu* menu = makeMenu(4);
    frame->setScaleFactor(2.0);
    platform->setScreenPosition(CPoint(300, 200));
    open(menu);
    const CRect list = platform->popupScreenRect(0);
    EXPECT_EQ(list.getTopLeft(), CPoint(320, 230));
    EXPECT_EQ(list.height(), 2 + 4 * kRow);
    EXPECT_NE(platform->popupPixel(0, 20, RowCentre(3)), 0u) << "drawn over its whole height";
    platform->popupClick(0, CPoint(20, RowCentre(3)));
    EXPECT_EQ(recorder.values(), (std::vector<float>{3.f / 4.f}));
}

TEST_F(OptionMenuTest, PickingAnEntryReportsIndexOverEntriesInsideABracket) {
    COptionMenu* menu = makeMenu(3);
    open(menu);
    platform->popupClick(0, CPoint(20, RowCentre(2)));
    EXPECT_FALSE(menu->isPopupShowing());
    EXPECT_EQ(platform->popupCount(), 0);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].control, menu);
    EXPECT_EQ(recorder.reports[0].value, 2.f / 3.f);
    EXPECT_EQ(menu->getCurrentIndex(), 2);
    EXPECT_EQ(recorder.log, (Log{"listener begin 743", "editor begin 743", "change 743", "editor end 743",
                                 "listener end 743"}));
    long index = -1;
    EXPECT_EQ(menu->getLastItemMenu(index), menu);
    EXPECT_EQ(index, 2);
}

TEST_F(OptionMenuTest, SeparatorsDisabledEntriesAndTheBorderPickNothing) {
    COptionMenu* menu = makeMenu(0);
    menu->addEntry("a");
    menu->addSeparator();
    menu->addEntry("c", -1, CMenuItem::kDisabled);
    open(menu);
    platform->popupClick(0, CPoint(20, 1 + kRow + kSeparator / 2));
    platform->popupClick(0, CPoint(20, RowCentre(2, 1)));
    platform->popupClick(0, CPoint(20, 0));
    EXPECT_TRUE(menu->isPopupShowing());
    EXPECT_TRUE(recorder.reports.empty());
    platform->popupClick(0, CPoint(20, RowCentre(0)));
    EXPECT_FALSE(menu->isPopupShowing());
    EXPECT_EQ(recorder.values(), (std::vector<float>{0.f}));
}

class SubMenuTest : public OptionMenuTest {
protected:
    void SetUp() override {
        OptionMenuTest::SetUp();
        // The preset menu's shape: three commands, a separator, the programs as a sub-menu.
        root = add(new COptionMenu(CRect(8, 100, 73, 113), &recorder, 7, nullptr, nullptr, 0x5208));
        root->setFont(kNormalFontVerySmall);
        programs = new COptionMenu(CRect(8, 100, 73, 113), &recorder, 8, nullptr, nullptr, 0x5208);
        programs->setFont(kNormalFontVerySmall);
        for (int i = 0; i < 24; ++i) programs->addEntry(("Program " + std::to_string(i)).c_str());
        root->addEntry("Load preset");
        root->addEntry("Save preset");
        root->addEntry("Reset current");
        root->addSeparator();
        root->addEntry(programs, "Presets");
        programs->forget();  // the root holds it
        open(root);
    }
    COptionMenu* root = nullptr;
    COptionMenu* programs = nullptr;
    const CCoord presetsRow = RowCentre(4, 1);
};

TEST_F(SubMenuTest, HoveringTheSubMenuEntryOpensItsListBesideTheRow) {
    platform->popupMouseMoved(0, CPoint(20, presetsRow));
    ASSERT_EQ(platform->popupCount(), 2);
    const CRect rootList = platform->popupScreenRect(0);
    const CRect subList = platform->popupScreenRect(1);
    EXPECT_EQ(subList.left, rootList.right - 1);
    EXPECT_EQ(subList.top, rootList.top + 3 * kRow + kSeparator);
    EXPECT_EQ(subList.height(), 2 + 24 * kRow);

    platform->popupMouseMoved(0, CPoint(20, RowCentre(1)));
    EXPECT_EQ(platform->popupCount(), 1) << "another row closes the sub-menu";
    platform->popupClick(0, CPoint(20, presetsRow));
    EXPECT_EQ(platform->popupCount(), 2) << "a click opens it too";
    EXPECT_TRUE(recorder.reports.empty());
}

TEST_F(SubMenuTest, PickingInTheSubMenuReportsTheSubMenuWithItsOwnValue) {
    root->setValue(0.f);
    platform->popupMouseMoved(0, CPoint(20, presetsRow));
    platform->popupClick(1, CPoint(20, RowCentre(5)));
    EXPECT_FALSE(root->isPopupShowing());
    EXPECT_EQ(platform->popupCount(), 0);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].control, programs);
    EXPECT_EQ(recorder.reports[0].tag, 8);
    EXPECT_EQ(recorder.reports[0].value, 5.f / 24.f);
    EXPECT_EQ(root->getValue(), 0.f) << "the root menu did not change";
    EXPECT_EQ(recorder.log, (Log{"listener begin 8", "change 8", "listener end 8"}))
        << "the sub-menu is not in the frame, so only its listener hears the bracket";
    long index = -1;
    EXPECT_EQ(root->getLastItemMenu(index), programs);
    EXPECT_EQ(index, 5);
}

TEST_F(SubMenuTest, EscapeDismissalAndAClickOutsideCloseEverythingWithoutAReport) {
    platform->popupMouseMoved(0, CPoint(20, presetsRow));
    VstKeyCode escape{0, VKEY_ESCAPE, 0};
    platform->popupKey(1, escape);
    EXPECT_FALSE(root->isPopupShowing());
    EXPECT_EQ(platform->popupCount(), 0);

    open(root);
    platform->popupMouseMoved(0, CPoint(20, presetsRow));
    platform->dismissPopups();
    EXPECT_FALSE(root->isPopupShowing());
    EXPECT_EQ(platform->popupCount(), 0);

    open(root);
    platform->click(CPoint(150, 10));
    EXPECT_FALSE(root->isPopupShowing());
    EXPECT_TRUE(recorder.reports.empty());
    EXPECT_TRUE(recorder.log.empty());
}

TEST_F(SubMenuTest, KeysMoveTheHighlightSkippingSeparatorsAndReturnPicks) {
    const auto key = [](unsigned char virt) { return VstKeyCode{0, virt, 0}; };
    // The list opens lit on the current entry (0); down three times passes the separator.
    platform->popupKey(0, key(VKEY_DOWN));
    platform->popupKey(0, key(VKEY_DOWN));
    platform->popupKey(0, key(VKEY_DOWN));
    platform->popupKey(0, key(VKEY_RETURN));  // on "Presets": opens the sub-menu lit on its first entry
    ASSERT_EQ(platform->popupCount(), 2);
    platform->popupKey(0, key(VKEY_DOWN));  // keys reach the deepest list
    platform->popupKey(0, key(VKEY_DOWN));
    platform->popupKey(0, key(VKEY_LEFT));  // back to the root list
    EXPECT_EQ(platform->popupCount(), 1);
    platform->popupKey(0, key(VKEY_RIGHT));
    platform->popupKey(0, key(VKEY_DOWN));
    platform->popupKey(0, key(VKEY_RETURN));
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].control, programs);
    EXPECT_EQ(recorder.reports[0].value, 1.f / 24.f);

    open(root);
    platform->popupKey(0, key(VKEY_UP));  // already on the first entry: stays
    platform->popupKey(0, key(VKEY_DOWN));
    platform->popupKey(0, key(VKEY_ENTER));
    ASSERT_EQ(recorder.reports.size(), 2u);
    EXPECT_EQ(recorder.reports[1].control, root);
    EXPECT_EQ(recorder.reports[1].value, 1.f / 5.f);
}

TEST_F(SubMenuTest, EntriesRebuiltWhileTheListsShowAreReadAfresh) {
    platform->popupMouseMoved(0, CPoint(20, presetsRow));
    programs->removeAllEntry();
    programs->addEntry("Only");
    platform->popupPixel(1, 5, 5);  // draws the changed list
    platform->popupClick(1, CPoint(20, RowCentre(5)));
    EXPECT_TRUE(recorder.reports.empty()) << "no entry 5 any more";
    platform->popupClick(1, CPoint(20, RowCentre(0)));
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].value, 0.f);
}

TEST_F(OptionMenuTest, CheckStyleMarksTheCurrentEntry) {
    // Counts, in the check area of a row, pixels unlike the row's own background at its left edge.
    const auto marks = [this](long row) {
        const CCoord y0 = RowCentre(row) - kRow / 2;
        const uint32_t back = platform->popupPixel(0, 2, y0 + 1);
        long n = 0;
        for (CCoord y = y0; y < y0 + kRow; ++y)
            for (CCoord x = 3; x < 15; ++x) n += platform->popupPixel(0, x, y) != back ? 1 : 0;
        return n;
    };
    COptionMenu* checked = makeMenu(3);
    checked->setCurrent(1);
    open(checked);
    EXPECT_EQ(marks(0), 0);
    EXPECT_GT(marks(1), 5);
    EXPECT_EQ(marks(2), 0);
    platform->dismissPopups();

    checked->setStyle(kNoFrame);
    open(checked);
    EXPECT_EQ(marks(1), 0);
}

TEST_F(OptionMenuTest, TheMenuShowsItsCurrentTitleUnlessToldNotTo) {
    COptionMenu* menu = makeMenu(0, kNoFrame);
    menu->addEntry("");
    menu->addEntry("WWWW");
    menu->setBackColor(MakeCColor(0, 0, 255));
    menu->setFontColor(kWhiteCColor);
    const auto inked = [this, menu] {
        long n = 0;
        const CRect r = menu->getViewSize();
        for (CCoord y = r.top; y < r.bottom; ++y)
            for (CCoord x = r.left; x < r.right; ++x) n += platform->pixel(x, y) != kOpaqueBlue ? 1 : 0;
        return n;
    };
    EXPECT_EQ(inked(), 0);
    menu->setCurrent(1);
    EXPECT_GT(inked(), 20);
    menu->setStyle(kNoFrame | kNoTextStyle);
    EXPECT_EQ(inked(), 0);
    menu->setStyle(kNoDrawStyle);
    EXPECT_EQ(platform->pixel(30, 35), kOpaqueBlack);
}

// A platform that can show no pop-up at all.
class NoPopups : public IPlatformFrame {
public:
    void present(const CRect&) override {}
    void processEvents() override {}
    CPoint getScreenPosition() override { return CPoint(0, 0); }
    void takeKeyboardFocus() override {}
    std::unique_ptr<IPlatformPopup> openPopup(const CRect&, IPlatformPopupClient*) override { return nullptr; }
    static std::unique_ptr<IPlatformFrame> Create(CFrame*, void*) { return std::make_unique<NoPopups>(); }
};

TEST(OptionMenuWithoutPopups, AClickPicksNothingWhenNoListCanOpen) {
    SetPlatformFrameFactory(&NoPopups::Create);
    Recorder recorder;
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, &recorder);
    auto* menu = new COptionMenu(CRect(10, 10, 50, 20), &recorder, 3);
    menu->addEntry("a");
    menu->addEntry("b");
    frame->addView(menu);
    CPoint where(20, 15);
    frame->onMouseDown(where, kLButton);
    EXPECT_FALSE(menu->isPopupShowing());
    EXPECT_FALSE(menu->takeFocus());
    EXPECT_TRUE(recorder.log.empty());
    delete frame;
    SetPlatformFrameFactory(nullptr);
}

}  // namespace
