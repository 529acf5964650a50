// The crowd panel in an open headless window: visible people, positions per display mode, picking,
// dragging (what the program and the host get), and where the selection is drawn.
#include <cairo.h>

#include <cmath>

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
        Set(0, 3 * kStep);  // four people spread apart, person 0 in the middle
        Place(0, 0.5f, 0.5f, 0.5f);
        Place(1, 0.f, 0.f, 0.f);
        Place(2, 1.f, 1.f, 1.f);
        Place(3, 0.f, 1.f, 1.f);
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

    PanelCrowd* panel = nullptr;
    int w = 0, h = 0;
};

TEST_F(PanelCrowdTest, VisibleCountFollowsThePopulationUpTo59AndPositionsTheModesAxesOnThePanel) {
    const std::pair<float, int> cases[] = {{0.f, 1},  {3 * kStep, 4}, {58 * kStep, 59},       {59 * kStep, 59},
                                           {1.f, 59}, {-1.f, 1},      {std::nanf(""), 1}};
    for (const auto& [population, visible] : cases) {
        engine->CurrentProgram().Store(0, population);
        EXPECT_EQ(panel->GetVisibleCount(), visible) << population;
    }
    Place(5, 0.25f, 0.5f, 0.75f);
    engine->CurrentProgram().Store(PersonIndex(6, kPan), 7.f);  // values the host may send
    engine->CurrentProgram().Store(PersonIndex(6, kSpectra), std::nanf(""));
    engine->CurrentProgram().Store(PersonIndex(6, kTime), -std::nanf(""));
    // x = trunc((w − 8) × X + 4), y = trunc((h − 8) × (1 − Y) + 4); modes: pan/spectra, pan/time, time/spectra
    const int x25 = int((w - 8) * 0.25f + 4), x50 = int((w - 8) * 0.5f + 4);
    const int y25 = int((h - 8) * 0.25f + 4), y50 = int((h - 8) * 0.5f + 4);
    const std::vector<CPoint> expected[] = {{{x25, y25}, {4, h - 4}, {w - 4, 4}, {w - 4, h - 4}},
                                            {{x25, y50}, {4, h - 4}, {w - 4, 4}, {w - 4, h - 4}},
                                            {{x50, y25}, {4, h - 4}, {w - 4, 4}, {4, h - 4}}};
    for (int mode = 0; mode < 3; ++mode) {
        SetMode(mode);
        EXPECT_EQ((std::vector<CPoint>{PersonAt(5), PersonAt(1), PersonAt(2), PersonAt(6)}), expected[mode]) << mode;
    }
}

TEST_F(PanelCrowdTest, PickingReachesThirteenPixelsPicksTheLowerIndexOfEqualsAndSelectsPlainly) {
    Set(1, 2 * kStep);
    Down(Offset(PersonAt(0), 14, 0));
    EXPECT_EQ(Get(1), 2 * kStep);
    Down(Offset(PersonAt(0), 13, 0));
    EXPECT_EQ(Get(1), 0.f);
    for (const auto& [index, value] : host.Automations()) EXPECT_NE(index, 1);
    // A press on the selected person does not rewrite the selection: 0.004 reads as person 0.
    Set(1, 0.004f);
    EXPECT_EQ(Down(PersonAt(0)), kMouseEventHandled);
    EXPECT_EQ(Get(1), 0.004f);
    // Person 3 ten pixels right of person 0; a press halfway picks person 0.
    Set(PersonIndex(3, kPan), (PersonAt(0).h + 10 - 4 + 0.5f) / (w - 8));
    Set(PersonIndex(3, kSpectra), 0.5f);
    ASSERT_EQ(PersonAt(3), Offset(PersonAt(0), 10, 0));
    Set(1, 3 * kStep);
    Down(Offset(PersonAt(0), 5, 0));
    EXPECT_EQ(Get(1), 0.f);
}

TEST_F(PanelCrowdTest, DraggingInModeOneChangesOnlyPanAndTimeOfThatPersonWithinTheEdges) {
    SetMode(1);
    const CPoint start = PersonAt(0);
    // Grabbed 3 pixels off the marker's point: the grabbed point stays under the pointer.
    Down(Offset(start, 3, -2));
    Moved(Offset(start, 3 + 86, -2 - 141));
    EXPECT_EQ(PersonAt(0), Offset(start, 86, -141));
    EXPECT_FLOAT_EQ(Value(0, kPan), (start.h + 86 - 4.f) / (w - 8));
    EXPECT_FLOAT_EQ(Value(0, kTime), 1.f - (start.v - 141 - 4.f) / (h - 8));
    EXPECT_EQ(Value(0, kSpectra), 0.5f);
    EXPECT_EQ(std::make_pair(Value(1, kPan), Value(2, kTime)), std::make_pair(0.f, 1.f)) << "nobody else moved";
    Moved(CPoint(-500, 2000));
    EXPECT_EQ(std::make_pair(Value(0, kPan), Value(0, kTime)), std::make_pair(0.f, 0.f));
    Moved(CPoint(5000, -5000));
    EXPECT_EQ(std::make_pair(Value(0, kPan), Value(0, kTime)), std::make_pair(1.f, 1.f));
}

TEST_F(PanelCrowdTest, DragThroughTheWindowIsAGestureOfAutomationOnTheAxesInModeOrder) {
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
        EXPECT_EQ(Get(1), 0.f);
        const int x = PersonIndex(0, axes[mode].first), y = PersonIndex(0, axes[mode].second);
        // The press reports both axes unmoved, the move reports them moved; the engine got them
        // through the shell, not only the program's floats.
        EXPECT_EQ(host.Automations(), (Calls{{x, 0.5f}, {y, 0.5f}, {x, Get(x)}, {y, Get(y)}}));
        EXPECT_NE(Get(x), 0.5f);
        // The gesture carries the axis knobs' tags, as a turn of the knob does; never the panel's 737.
        EXPECT_EQ(host.Of(audioMasterBeginEdit), (Calls{{17 + axes[mode].first, 0}, {17 + axes[mode].second, 0}}));
        EXPECT_EQ(host.Of(audioMasterEndEdit), (Calls{{17 + axes[mode].second, 0}, {17 + axes[mode].first, 0}}));
    }
}

TEST_F(PanelCrowdTest, OnlyTheLeftOrRightButtonActsAndAPressOnNobodyEndsTheDragAndItsGestureOnce) {
    Set(1, 2 * kStep);
    EXPECT_EQ(Down(PersonAt(0), kMButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(Get(1), 2 * kStep);
    EXPECT_EQ(Down(PersonAt(0), kRButton), kMouseEventHandled);
    for (long buttons : {static_cast<long>(kMButton), 0L})
        EXPECT_EQ(Moved(Offset(PersonAt(0), 40, 0), buttons), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(host.Of(audioMasterBeginEdit), (Calls{{17 + kPan, 0}, {17 + kSpectra, 0}}));
    EXPECT_EQ(Down(CPoint(w / 4, h / 4)), kMouseEventHandled);
    EXPECT_EQ(panel->GetDraggedPerson(), -1);
    EXPECT_EQ(Moved(CPoint(w / 4 + 30, h / 4 + 30)), kMouseEventHandled);
    EXPECT_EQ(Value(0, kPan), 0.5f);
    CPoint nowhere(0, 0);
    panel->onMouseUp(nowhere, 0);
    EXPECT_EQ(host.Of(audioMasterEndEdit), (Calls{{17 + kSpectra, 0}, {17 + kPan, 0}})) << "ended once, by the press";
    // The window closed mid-drag ends the open gesture too.
    host.Clear();
    Down(PersonAt(0));
    Close();
    EXPECT_EQ(host.Of(audioMasterEndEdit), (Calls{{17 + kSpectra, 0}, {17 + kPan, 0}}));
}

TEST_F(PanelCrowdTest, SelectedPersonsRingIsBlendedAtItsPlaceOnTheOpaqueWindow) {
    CBitmap* ring = editor->GetBitmap(212);
    cairo_surface_t* art = ring->getSurface();
    cairo_surface_flush(art);
    const int scale = cairo_image_surface_get_width(art) / static_cast<int>(ring->getWidth());
    auto ringPixel = [&](int u, int v) {
        const unsigned char* row = cairo_image_surface_get_data(art) + v * scale * cairo_image_surface_get_stride(art);
        return reinterpret_cast<const uint32_t*>(row)[u * scale];
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
    ASSERT_EQ(Frame()->getViewAt(CPoint(360, 300)), nullptr);
    EXPECT_EQ(Headless()->pixel(360, 300) >> 24, 0xFFu) << "the background where no view lies";
}

}  // namespace
