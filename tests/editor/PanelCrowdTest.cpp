// The crowd panel in an open headless window: visible people, positions per display mode, picking,
// dragging (what the program and the host get), and where the selection is drawn.
#include <cairo.h>

#include <cmath>
#include <cstring>

#include "EditorHarness.h"

namespace {

using namespace edtest;

constexpr int kPan = 6;
constexpr int kTime = 3;
constexpr int kSpectra = 0;

class PanelCrowdTest : public OpenEditorTest {
protected:
    void SetUp() override {
        OpenEditorTest::SetUp();
        panel = Panel();
        w = static_cast<int>(panel->getWidth());
        h = static_cast<int>(panel->getHeight());
        ASSERT_GT(w, 100);
        ASSERT_GT(h, 100);
        Set(0, 3 * kStep);  // four people spread apart, person 0 in the middle
        Place(0, 0.5f, 0.5f, 0.5f);
        Place(1, 0.f, 0.f, 0.f);
        Place(2, 1.f, 1.f, 1.f);
        Place(3, 0.f, 1.f, 1.f);
        SetMode(0);
        host.Clear();
    }
    void Place(int p, float pan, float time, float spectra) {
        Set(PersonIndex(p, kPan), pan);
        Set(PersonIndex(p, kTime), time);
        Set(PersonIndex(p, kSpectra), spectra);
    }
    float Value(int p, int k) { return engine->CurrentProgram().Load(PersonIndex(p, k)); }
    void SetMode(int mode) { editor->GetDisplayMenu()->setCurrent(mode); }
    CPoint PersonAt(int p) {
        int x = -1, y = -1;
        panel->getPersonPos(p, x, y);
        return CPoint(x, y);
    }
    static CPoint Offset(CPoint p, CCoord dx, CCoord dy) { return CPoint(p.h + dx, p.v + dy); }
    // Mouse events at a panel point, given in window coordinates as the window does.
    CMouseEventResult Down(CPoint at, long buttons = kLButton) {
        CPoint where = Offset(at, 2, 2);
        return panel->onMouseDown(where, buttons);
    }
    CMouseEventResult Moved(CPoint at, long buttons = kLButton) {
        CPoint where = Offset(at, 2, 2);
        return panel->onMouseMoved(where, buttons);
    }
    void Up() {
        CPoint where(0, 0);
        panel->onMouseUp(where, 0);
    }

    PanelCrowd* panel = nullptr;
    int w = 0, h = 0;
};

TEST_F(PanelCrowdTest, VisibleCountFollowsThePopulationUpTo59) {
    const std::pair<float, int> cases[] = {{0.f, 1},  {3 * kStep, 4}, {58 * kStep, 59},       {59 * kStep, 59},
                                           {1.f, 59}, {-1.f, 1},      {std::nanf(""), 1}};
    for (const auto& [population, visible] : cases) {
        engine->CurrentProgram().Store(0, population);
        EXPECT_EQ(panel->GetVisibleCount(), visible) << population;
    }
}

TEST_F(PanelCrowdTest, PositionsFollowTheDisplayModesAxesAndStayOnThePanel) {
    Place(5, 0.25f, 0.5f, 0.75f);
    // x = trunc((w − 8) × X + 4), y = trunc((h − 8) × (1 − Y) + 4)
    const CPoint expected[] = {{int((w - 8) * 0.25f + 4), int((h - 8) * 0.25f + 4)},   // pan, spectra
                               {int((w - 8) * 0.25f + 4), int((h - 8) * 0.5f + 4)},    // pan, time
                               {int((w - 8) * 0.5f + 4), int((h - 8) * 0.25f + 4)}};   // time, spectra
    for (int mode = 0; mode < 3; ++mode) {
        SetMode(mode);
        EXPECT_EQ(PersonAt(5), expected[mode]) << "mode " << mode;
    }
    SetMode(0);
    EXPECT_EQ(PersonAt(1), CPoint(4, h - 4));
    EXPECT_EQ(PersonAt(2), CPoint(w - 4, 4));
    engine->CurrentProgram().Store(PersonIndex(6, kPan), 7.f);
    engine->CurrentProgram().Store(PersonIndex(6, kSpectra), std::nanf(""));
    EXPECT_EQ(PersonAt(6), CPoint(w - 4, h - 4));
}

TEST_F(PanelCrowdTest, PickingReachesThirteenPixelsButNotFourteenAndSelectsPlainly) {
    Set(1, 2 * kStep);
    Down(Offset(PersonAt(0), 14, 0));
    EXPECT_EQ(panel->GetDraggedPerson(), -1);
    EXPECT_FLOAT_EQ(Get(1), 2 * kStep);
    Down(Offset(PersonAt(0), 13, 0));
    EXPECT_EQ(panel->GetDraggedPerson(), 0);
    EXPECT_FLOAT_EQ(Get(1), 0.f);
    for (const auto& [index, value] : host.Automations()) EXPECT_NE(index, 1);
}

TEST_F(PanelCrowdTest, EqualDistancesPickTheLowerIndex) {
    const CPoint centre = PersonAt(0);
    Set(PersonIndex(3, kPan), (centre.h + 10 - 4 + 0.5f) / (w - 8));
    Set(PersonIndex(3, kSpectra), Value(0, kSpectra));
    ASSERT_EQ(PersonAt(3), Offset(centre, 10, 0));
    Set(1, 3 * kStep);
    Down(Offset(centre, 5, 0));
    EXPECT_EQ(panel->GetDraggedPerson(), 0);
    EXPECT_FLOAT_EQ(Get(1), 0.f);
}

TEST_F(PanelCrowdTest, PressOnTheSelectedPersonLeavesTheSelectionAlone) {
    Set(1, 0.004f);  // reads as person 0 but is not 0 × step, so a rewrite would show
    EXPECT_EQ(Down(PersonAt(0)), kMouseEventHandled);
    EXPECT_EQ(panel->GetDraggedPerson(), 0);
    EXPECT_FLOAT_EQ(Get(1), 0.004f);
}

TEST_F(PanelCrowdTest, OnlyTheLeftOrRightButtonActs) {
    Set(1, 2 * kStep);
    EXPECT_EQ(Down(PersonAt(0), kMButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(panel->GetDraggedPerson(), -1);
    EXPECT_FLOAT_EQ(Get(1), 2 * kStep);
    EXPECT_EQ(Down(PersonAt(0), kRButton), kMouseEventHandled);
    EXPECT_EQ(panel->GetDraggedPerson(), 0);
    const float pan = Value(0, kPan);
    for (long buttons : {static_cast<long>(kMButton), 0L})
        EXPECT_EQ(Moved(Offset(PersonAt(0), 40, 0), buttons), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FLOAT_EQ(Value(0, kPan), pan);
}

TEST_F(PanelCrowdTest, DraggingInModeOneChangesOnlyPanAndTimeOfThatPerson) {
    SetMode(1);
    const float spectra = Value(0, kSpectra);
    const CPoint start = PersonAt(0);
    // Grabbed 3 pixels off the marker's point: the grabbed point stays under the pointer.
    Down(Offset(start, 3, -2));
    Moved(Offset(start, 3 + 86, -2 - 141));
    EXPECT_EQ(PersonAt(0), Offset(start, 86, -141));
    EXPECT_FLOAT_EQ(Value(0, kPan), (start.h + 86 - 4.f) / (w - 8));
    EXPECT_FLOAT_EQ(Value(0, kTime), 1.f - (start.v - 141 - 4.f) / (h - 8));
    EXPECT_FLOAT_EQ(Value(0, kSpectra), spectra);
    EXPECT_FLOAT_EQ(Value(1, kPan), 0.f);
    EXPECT_FLOAT_EQ(Value(2, kTime), 1.f);
}

TEST_F(PanelCrowdTest, PointerOutsideThePanelClampsToTheEdges) {
    Down(PersonAt(0));
    Moved(CPoint(-500, 2000));
    EXPECT_EQ(PersonAt(0), CPoint(4, h - 4));
    EXPECT_EQ(Value(0, kPan), 0.f);
    EXPECT_EQ(Value(0, kSpectra), 0.f);
    Moved(CPoint(5000, -5000));
    EXPECT_EQ(Value(0, kPan), 1.f);
    EXPECT_EQ(Value(0, kSpectra), 1.f);
}

TEST_F(PanelCrowdTest, PressOnNobodyEndsTheDrag) {
    Down(PersonAt(0));
    const float pan = Value(0, kPan);
    EXPECT_EQ(Down(CPoint(w / 4, h / 4)), kMouseEventHandled);
    EXPECT_EQ(panel->GetDraggedPerson(), -1);
    EXPECT_EQ(Moved(CPoint(w / 4 + 30, h / 4 + 30)), kMouseEventHandled);
    EXPECT_FLOAT_EQ(Value(0, kPan), pan);
}

TEST_F(PanelCrowdTest, DragThroughTheWindowReachesTheHostAsAutomationOfTheAxesInModeOrder) {
    const std::pair<int, int> axes[] = {{kPan, kSpectra}, {kPan, kTime}, {kTime, kSpectra}};
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        SetMode(mode);
        Place(0, 0.5f, 0.5f, 0.5f);
        Set(1, 2 * kStep);
        host.Clear();
        const CPoint start = Offset(PersonAt(0), 2, 2), end = Offset(start, 43, 47);
        Headless()->mouseDown(start);
        Headless()->mouseMoved(end);
        Headless()->mouseUp(end);
        EXPECT_FLOAT_EQ(Get(1), 0.f);
        const int first = PersonIndex(0, axes[mode].first), second = PersonIndex(0, axes[mode].second);
        // The press reports both axes unmoved; the move reports them again, moved. The engine
        // got them through the shell, not only the program's floats.
        EXPECT_EQ(host.Automations(), (std::vector<std::pair<int, float>>{
                                          {first, 0.5f}, {second, 0.5f}, {first, Get(first)}, {second, Get(second)}}));
        EXPECT_NE(Get(first), 0.5f);
        EXPECT_EQ(Get(first), Value(0, axes[mode].first));
        // A gesture on the two axis knobs (their tags, as a turn of the knob carries), closed at
        // the release; the panel's own tag 737 is no parameter and never shows.
        const int firstTag = 17 + axes[mode].first, secondTag = 17 + axes[mode].second;
        EXPECT_EQ(host.Indices(audioMasterBeginEdit), (std::vector<int>{firstTag, secondTag}));
        EXPECT_EQ(host.Indices(audioMasterEndEdit), (std::vector<int>{secondTag, firstTag}));
    }
}

TEST_F(PanelCrowdTest, AGestureCutShortIsStillEndedOnce) {
    // A release that never came: the next press ends the gesture before it picks anew.
    Down(PersonAt(0));
    EXPECT_EQ(host.Indices(audioMasterBeginEdit), (std::vector<int>{17 + kPan, 17 + kSpectra}));
    Down(CPoint(w / 4, h / 4));
    EXPECT_EQ(host.Indices(audioMasterEndEdit), (std::vector<int>{17 + kSpectra, 17 + kPan}));
    Up();
    EXPECT_EQ(host.Count(audioMasterEndEdit), 2) << "a press on nobody opens no gesture";
    // The window closed mid-drag ends the open gesture too.
    host.Clear();
    Down(PersonAt(0));
    Close();
    EXPECT_EQ(host.Indices(audioMasterEndEdit), (std::vector<int>{17 + kSpectra, 17 + kPan}));
}

TEST_F(PanelCrowdTest, SelectedPersonsRingIsBlendedAtItsPlace) {
    CBitmap* ring = editor->GetBitmap(212);
    cairo_surface_t* surface = ring->getSurface();
    cairo_surface_flush(surface);
    const int scale = cairo_image_surface_get_width(surface) / static_cast<int>(ring->getWidth());
    auto ringPixel = [&](int u, int v) {
        uint32_t pixel;
        std::memcpy(&pixel, cairo_image_surface_get_data(surface) + v * scale * cairo_image_surface_get_stride(surface) +
                                4 * u * scale, 4);
        return pixel;
    };
    // An opaque point of the ring left of the animated marker (which starts 5 pixels in).
    int pu = -1, pv = -1;
    for (int v = 0; v < ring->getHeight() && pu < 0; ++v)
        for (int u = 0; u < 5 && pu < 0; ++u)
            if ((ringPixel(u, v) >> 24) == 255) pu = u, pv = v;
    ASSERT_GE(pu, 0) << "the ring has no opaque pixel near its left edge";
    // The ring's top-left sits at (sx − 17, sy − 18) under the (3, 3) origin of the crowd drawing.
    const CPoint at = Offset(PersonAt(0), -17 + 3 + pu, -18 + 3 + pv);
    auto shown = [&](float selection) {
        Set(1, selection);
        Advance(100);
        Idle();
        return Headless()->pixel(at.h, at.v);
    };
    const uint32_t selected = shown(0.f), under = shown(2 * kStep);
    for (int shift : {16, 8, 0}) {
        const int want = (((ringPixel(pu, pv) >> shift) & 0xff) * 200 + ((under >> shift) & 0xff) * 55 + 127) / 255;
        EXPECT_NEAR(static_cast<int>((selected >> shift) & 0xff), want, 3) << "channel shift " << shift;
    }
}

TEST_F(PanelCrowdTest, CopiesOwnTheirHelpAndAPanelOutlivingTheWindowDrawsNothing) {
    auto* copy = static_cast<PanelCrowd*>(panel->newCopy());
    EXPECT_NE(copy->GetHelp(), panel->GetHelp());
    copy->forget();
    PanelCrowd loose(panel->getViewSize(), editor, 737, nullptr);
    Close();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 320);
    auto* context = new CDrawContext(surface, CRect(0, 0, 400, 320));
    loose.drawPopulation(context);
    EXPECT_FLOAT_EQ(loose.GetRedraw(), 1.f) << "drawPopulation did nothing";
    context->forget();
    cairo_surface_destroy(surface);
}

}  // namespace
