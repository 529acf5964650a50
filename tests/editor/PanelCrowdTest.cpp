// The crowd panel in an open headless window: visible people, positions per display mode, picking,
// dragging (what the program and the host get), and where the selection is drawn.
#include <cairo.h>

#include <cmath>
#include <cstring>

#include "EditorHarness.h"
#include "editor/HelpPages.h"

namespace {

using namespace edtest;

constexpr int kPan = 6;
constexpr int kTime = 3;
constexpr int kSpectra = 0;
constexpr long kLeft = kLButton;

class PanelCrowdTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(Open());
        panel = Panel();
        ASSERT_NE(panel, nullptr);
        w = static_cast<int>(panel->getWidth());
        h = static_cast<int>(panel->getHeight());
        ASSERT_GT(w, 100);
        ASSERT_GT(h, 100);
        // Four people, spread apart; person 0 in the middle.
        Set(0, 3 * kStep);
        Place(0, 0.5f, 0.5f, 0.5f);
        Place(1, 0.f, 0.f, 0.f);
        Place(2, 1.f, 1.f, 1.f);
        Place(3, 0.f, 1.f, 1.f);
        SetMode(0);
        host.Clear();
    }

    // Person p's pan, time and spectra, through the host.
    void Place(int p, float pan, float time, float spectra) {
        Set(PersonIndex(p, kPan), pan);
        Set(PersonIndex(p, kTime), time);
        Set(PersonIndex(p, kSpectra), spectra);
    }
    float Value(int p, int k) { return engine->CurrentProgram().Load(PersonIndex(p, k)); }
    void SetMode(int mode) { editor->GetDisplayMenu()->setCurrent(mode); }
    // Panel point of a person's marker.
    CPoint PersonAt(int p) {
        int x = -1;
        int y = -1;
        panel->getPersonPos(p, x, y);
        return CPoint(x, y);
    }
    // Mouse events at a panel point, as the window gives them (window coordinates).
    CMouseEventResult Down(CPoint panelPoint, long buttons = kLeft) {
        CPoint where(panelPoint.h + 2, panelPoint.v + 2);
        return panel->onMouseDown(where, buttons);
    }
    CMouseEventResult Moved(CPoint panelPoint, long buttons = kLeft) {
        CPoint where(panelPoint.h + 2, panelPoint.v + 2);
        return panel->onMouseMoved(where, buttons);
    }
    void Up() {
        CPoint where(0, 0);
        panel->onMouseUp(where, 0);
    }
    CPoint Offset(CPoint p, CCoord dx, CCoord dy) { return CPoint(p.h + dx, p.v + dy); }

    PanelCrowd* panel = nullptr;
    int w = 0;
    int h = 0;
};

TEST_F(PanelCrowdTest, VisibleCountFollowsThePopulationUpTo59) {
    const struct { float population; int visible; } cases[] = {
        {0.f, 1}, {3 * kStep, 4}, {58 * kStep, 59}, {59 * kStep, 59}, {1.f, 59}, {-1.f, 1}, {std::nanf(""), 1}};
    for (const auto& c : cases) {
        engine->CurrentProgram().Store(0, c.population);
        EXPECT_EQ(panel->GetVisibleCount(), c.visible) << "population " << c.population;
    }
}

TEST_F(PanelCrowdTest, PositionsFollowTheDisplayModesAxes) {
    Place(5, 0.25f, 0.5f, 0.75f);
    const struct { int mode; int x; int y; } cases[] = {
        // x = trunc((w − 8) × X + 4), y = trunc((h − 8) × (1 − Y) + 4)
        {0, int((w - 8) * 0.25f + 4), int((h - 8) * 0.25f + 4)},  // pan, spectra
        {1, int((w - 8) * 0.25f + 4), int((h - 8) * 0.5f + 4)},   // pan, time
        {2, int((w - 8) * 0.5f + 4), int((h - 8) * 0.25f + 4)},   // time, spectra
    };
    for (const auto& c : cases) {
        SetMode(c.mode);
        EXPECT_EQ(PersonAt(5), CPoint(c.x, c.y)) << "mode " << c.mode;
    }
    // The corners of the usable area, inset by 4.
    SetMode(0);
    EXPECT_EQ(PersonAt(1), CPoint(4, h - 4));
    EXPECT_EQ(PersonAt(2), CPoint(w - 4, 4));
    // A value beyond 0..1 (the host may send one) keeps the marker on the panel.
    engine->CurrentProgram().Store(PersonIndex(6, kPan), 7.f);
    engine->CurrentProgram().Store(PersonIndex(6, kSpectra), std::nanf(""));
    EXPECT_EQ(PersonAt(6), CPoint(w - 4, h - 4));
}

TEST_F(PanelCrowdTest, PickingReachesThirteenPixelsButNotFourteen) {
    Set(1, 2 * kStep);
    const CPoint centre = PersonAt(0);
    Down(Offset(centre, 14, 0));
    Up();
    EXPECT_EQ(panel->GetDraggedPerson(), -1);
    EXPECT_FLOAT_EQ(Get(1), 2 * kStep);

    Down(Offset(centre, 13, 0));
    Up();
    EXPECT_EQ(panel->GetDraggedPerson(), 0);
    EXPECT_FLOAT_EQ(Get(1), 0.f);
    // The selection is a plain write: the host hears no automation of index 1.
    for (const auto& [index, value] : host.Automations()) EXPECT_NE(index, 1);
}

TEST_F(PanelCrowdTest, EqualDistancesPickTheLowerIndex) {
    const CPoint centre = PersonAt(0);
    // Person 3 ten pixels to the right of person 0, on the same row.
    Set(PersonIndex(3, kPan), (centre.h + 10 - 4 + 0.5f) / (w - 8));
    Set(PersonIndex(3, kSpectra), Value(0, kSpectra));
    ASSERT_EQ(PersonAt(3), Offset(centre, 10, 0));
    Set(1, 3 * kStep);
    Down(Offset(centre, 5, 0));
    EXPECT_EQ(panel->GetDraggedPerson(), 0);
    EXPECT_FLOAT_EQ(Get(1), 0.f);
}

TEST_F(PanelCrowdTest, PressOnTheSelectedPersonLeavesTheSelectionAlone) {
    // 0.004 reads as person 0 but is not 0 × step, so a rewrite would show.
    Set(1, 0.004f);
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
    // Moves without a held left or right button never move the person.
    EXPECT_EQ(Moved(Offset(PersonAt(0), 40, 0), kMButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(Moved(Offset(PersonAt(0), 40, 0), 0), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FLOAT_EQ(Value(0, kPan), pan);
}

TEST_F(PanelCrowdTest, DraggingInModeOneChangesOnlyPanAndTime) {
    SetMode(1);
    const float spectra = Value(0, kSpectra);
    const CPoint start = PersonAt(0);
    // Grab 3 pixels off the marker's point: the grabbed point stays under the pointer.
    Down(Offset(start, 3, -2));
    Moved(Offset(start, 3 + 86, -2 - 141));
    EXPECT_EQ(PersonAt(0), Offset(start, 86, -141));
    EXPECT_FLOAT_EQ(Value(0, kPan), (start.h + 86 - 4.f) / (w - 8));
    EXPECT_FLOAT_EQ(Value(0, kTime), 1.f - (start.v - 141 - 4.f) / (h - 8));
    EXPECT_FLOAT_EQ(Value(0, kSpectra), spectra);
    // Nobody else moved.
    EXPECT_FLOAT_EQ(Value(1, kPan), 0.f);
    EXPECT_FLOAT_EQ(Value(2, kTime), 1.f);
}

TEST_F(PanelCrowdTest, PointerOutsideThePanelClampsToTheEdges) {
    Down(PersonAt(0));
    Moved(CPoint(-500, 2000));
    EXPECT_FLOAT_EQ(Value(0, kPan), 0.f);
    EXPECT_FLOAT_EQ(Value(0, kSpectra), 0.f);
    EXPECT_EQ(PersonAt(0), CPoint(4, h - 4));
    Moved(CPoint(5000, -5000));
    EXPECT_FLOAT_EQ(Value(0, kPan), 1.f);
    EXPECT_FLOAT_EQ(Value(0, kSpectra), 1.f);
}

TEST_F(PanelCrowdTest, PressOnNobodyEndsTheDrag) {
    Down(PersonAt(0));
    Up();
    ASSERT_EQ(panel->GetDraggedPerson(), 0);
    const CPoint empty(w / 4, h / 4);
    EXPECT_EQ(Down(empty), kMouseEventHandled);
    EXPECT_EQ(panel->GetDraggedPerson(), -1);
    const float pan = Value(0, kPan);
    EXPECT_EQ(Moved(Offset(empty, 30, 30)), kMouseEventHandled);
    EXPECT_FLOAT_EQ(Value(0, kPan), pan);
}

TEST_F(PanelCrowdTest, DragReachesTheHostAsAutomationOfTheAxesInModeOrder) {
    const struct { int mode; int first; int second; } cases[] = {
        {0, kPan, kSpectra}, {1, kPan, kTime}, {2, kTime, kSpectra}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        SetMode(c.mode);
        Place(0, 0.5f, 0.5f, 0.5f);
        Set(1, 2 * kStep);
        host.Clear();
        // Through the window, as a user would: press on person 0, drag, release.
        const CPoint start = PersonAt(0);
        Headless()->mouseDown(CPoint(start.h + 2, start.v + 2));
        Headless()->mouseMoved(CPoint(start.h + 2 + 43, start.v + 2 + 47));
        Headless()->mouseUp(CPoint(start.h + 2 + 43, start.v + 2 + 47));
        EXPECT_FLOAT_EQ(Get(1), 0.f);
        const auto automations = host.Automations();
        // The press moves nobody but reports both axes; the move reports both again.
        ASSERT_EQ(automations.size(), 4u);
        EXPECT_EQ(automations[0].first, PersonIndex(0, c.first));
        EXPECT_EQ(automations[1].first, PersonIndex(0, c.second));
        EXPECT_EQ(automations[2].first, PersonIndex(0, c.first));
        EXPECT_EQ(automations[3].first, PersonIndex(0, c.second));
        EXPECT_FLOAT_EQ(automations[2].second, Value(0, c.first));
        EXPECT_FLOAT_EQ(automations[3].second, Value(0, c.second));
        EXPECT_NE(Value(0, c.first), 0.5f);
        // The engine got the values through the shell, not only the program's floats.
        EXPECT_FLOAT_EQ(Get(PersonIndex(0, c.first)), automations[2].second);
        // The host hears a gesture on the two axis knobs (their tags, as a turn of the knob
        // carries), closed at the release; the panel's own tag 737 is no parameter and never shows.
        const int firstTag = 17 + c.first;
        const int secondTag = 17 + c.second;
        EXPECT_EQ(host.Indices(audioMasterBeginEdit), (std::vector<int>{firstTag, secondTag}));
        EXPECT_EQ(host.Indices(audioMasterEndEdit), (std::vector<int>{secondTag, firstTag}));
    }
}

TEST_F(PanelCrowdTest, DrawnWithTheSelectedPersonsRingAtItsPlace) {
    CBitmap* ring = editor->GetBitmap(212);
    ASSERT_NE(ring, nullptr);
    ASSERT_TRUE(ring->isLoaded());
    cairo_surface_t* surface = ring->getSurface();
    cairo_surface_flush(surface);
    const int scale = cairo_image_surface_get_width(surface) / static_cast<int>(ring->getWidth());
    ASSERT_GE(scale, 1);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    auto ringPixel = [&](int u, int v) {
        uint32_t pixel;
        std::memcpy(&pixel, data + v * scale * stride + 4 * u * scale, 4);
        return pixel;
    };
    // An opaque point of the ring left of the animated marker (which starts 5 pixels in).
    int pu = -1;
    int pv = -1;
    for (int v = 0; v < ring->getHeight() && pu < 0; ++v)
        for (int u = 0; u < 5 && pu < 0; ++u) {
            const uint32_t p = ringPixel(u, v);
            if ((p >> 24) == 255) {
                pu = u;
                pv = v;
            }
        }
    ASSERT_GE(pu, 0) << "the ring has no opaque pixel near its left edge";
    const uint32_t ringColour = ringPixel(pu, pv);

    // The ring's top-left sits at (sx − 17, sy − 18) under the (3, 3) origin of the crowd drawing.
    Set(1, 0.f);
    const CPoint s = PersonAt(0);
    const CPoint at(s.h - 17 + 3 + pu, s.v - 18 + 3 + pv);
    Advance(100);
    Idle();
    const uint32_t selected = Headless()->pixel(at.h, at.v);
    // The same place with the selection elsewhere: what the ring was blended over.
    Set(1, 2 * kStep);
    Advance(100);
    Idle();
    const uint32_t under = Headless()->pixel(at.h, at.v);
    for (int shift : {16, 8, 0}) {
        const int top = (ringColour >> shift) & 0xff;
        const int bottom = (under >> shift) & 0xff;
        const int want = (top * 200 + bottom * 55 + 127) / 255;
        EXPECT_NEAR(static_cast<int>((selected >> shift) & 0xff), want, 3) << "channel shift " << shift;
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

TEST_F(PanelCrowdTest, DrawsNothingOnceTheEditorIsClosedAndCopiesStandAlone) {
    auto* copy = static_cast<PanelCrowd*>(panel->newCopy());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->isTypeOf("PanelCrowd"));
    EXPECT_TRUE(copy->isTypeOf("CControl"));
    EXPECT_NE(copy->GetHelp(), panel->GetHelp());
    EXPECT_EQ(copy->GetScreen(), panel->GetScreen());
    EXPECT_EQ(copy->getTag(), 737);
    copy->forget();

    // A panel whose editor closed keeps its redraw flag: drawPopulation did nothing.
    PanelCrowd loose(panel->getViewSize(), editor, 737, nullptr);
    Close();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 320);
    auto* context = new CDrawContext(surface, CRect(0, 0, 400, 320));
    loose.drawPopulation(context);
    EXPECT_FLOAT_EQ(loose.GetRedraw(), 1.f);
    context->forget();
    cairo_surface_destroy(surface);
}

}  // namespace
