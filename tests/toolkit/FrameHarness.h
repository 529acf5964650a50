// A headless frame with one recorder standing in for both the controls' listener and the editor, so a
// test sees in one ordered log what the controls report and which gesture brackets reach the editor.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Canvas.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/HeadlessPlatformFrame.h"

using Log = std::vector<std::string>;

class Recorder : public CControlListener, public VSTGUIEditorInterface {
public:
    struct Report { CControl* control; float value; };
    // The log of one gesture on tag with changes reports, the editor's brackets inside the listener's.
    static Log Gesture(long tag, int changes, bool editor = true) {
        const std::string t = " " + std::to_string(tag);
        Log log{"listener begin" + t};
        if (editor) log.push_back("editor begin" + t);
        log.insert(log.end(), changes, "change" + t);
        if (editor) log.push_back("editor end" + t);
        log.push_back("listener end" + t);
        return log;
    }

    void valueChanged(CControl* control) override {
        reports.push_back({control, control->getValue()});
        note("change", control->getTag());
    }
    long controlModifierClicked(CControl*, long buttons) override {
        log.push_back("modifier " + std::to_string(buttons));
        return 0;
    }
    void controlBeginEdit(CControl* control) override { note("listener begin", control->getTag()); }
    void controlEndEdit(CControl* control) override { note("listener end", control->getTag()); }
    void beginEdit(long index) override { note("editor begin", index); }
    void endEdit(long index) override { note("editor end", index); }
    long getKnobMode() const override { return knobMode; }
    CFrame* getFrame() const override { return frame; }

    std::vector<float> values() const {
        std::vector<float> v;
        for (const Report& r : reports) v.push_back(r.value);
        return v;
    }

    std::vector<Report> reports;
    Log log;
    long knobMode = kLinearMode;
    CFrame* frame = nullptr;

private:
    void note(const char* what, long tag) { log.push_back(what + (" " + std::to_string(tag))); }
};

class HeadlessFrameTest : public ::testing::Test {
protected:
    static constexpr CCoord kWidth = 200, kHeight = 150;

    void SetUp() override {
        SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
        recorder.frame = frame = new CFrame(CRect(0, 0, kWidth, kHeight), nullptr, &recorder);
        platform = HeadlessPlatformFrame::Of(frame);
    }
    void TearDown() override {
        delete frame;
        SetPlatformFrameFactory(nullptr);
    }
    // The frame takes over the new view's reference.
    template <typename View>
    View* add(View* view) {
        EXPECT_TRUE(frame->addView(view));
        return view;
    }

    Recorder recorder;
    Log events;  // for probes: it outlives the frame, which may still tell one of them at its end
    CFrame* frame = nullptr;
    HeadlessPlatformFrame* platform = nullptr;
};

// A view painting one colour that logs what reaches it, as a view and as a pop-up's client:
// "name down 20,20 b2" (buttons as bits), keys as "name key character,virt" with modifiers as bits,
// "name lost" for the focus, "name dismissed" for a pop-up. It counts its draws.
class Probe : public CView, public IPlatformPopupClient {
public:
    Probe(const CRect& size, CColor colour, Log* events = nullptr, const char* name = "probe",
          CMouseEventResult downResult = kMouseEventHandled)
        : CView(size), colour(colour), events(events), name(name), downResult(downResult) {}
    void draw(CDrawContext* context) override {
        ++draws;
        context->setFillColor(colour);
        context->fillRect(size);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override {
        note("down", where, buttons);
        return downResult;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override { return note("move", where, buttons); }
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override { return note("up", where, buttons); }
    bool onWheel(const CPoint&, const float& distance, const long&) override {
        return note("wheel", CPoint(static_cast<CCoord>(distance), 0), 0);
    }
    long onKeyDown(VstKeyCode& key) override { return note("key", CPoint(key.character, key.virt), key.modifier); }
    void looseFocus() override { say("lost"); }
    void drawPopup(CDrawContext* context) override { draw(context); }
    void popupMouseDown(const CPoint& where, long buttons) override { note("down", where, buttons); }
    void popupMouseMoved(const CPoint& where, long buttons) override { note("move", where, buttons); }
    void popupMouseUp(const CPoint& where, long buttons) override { note("up", where, buttons); }
    void popupKeyDown(const VstKeyCode& key) override { note("key", CPoint(key.character, key.virt), key.modifier); }
    void popupDismissed() override {
        say("dismissed");
        if (onDismiss) onDismiss();
    }

    int draws = 0;
    std::function<void()> onDismiss;

private:
    CMouseEventResult note(const char* what, const CPoint& where, long buttons) {
        say(what + (" " + std::to_string(where.h) + "," + std::to_string(where.v)) +
            (buttons != 0 ? " b" + std::to_string(buttons) : ""));
        return kMouseEventHandled;  // 1, also as a key's and a wheel step's "taken"
    }
    void say(const std::string& what) {
        if (events != nullptr) events->push_back(name + " " + what);
    }
    CColor colour;
    Log* events;
    std::string name;
    CMouseEventResult downResult;
};

// A bitmap of pictures of width x pictureHeight stacked downwards, picture i filled with colours[i].
inline CBitmap* MakeStrip(const std::vector<uint32_t>& colours, CCoord width, CCoord pictureHeight) {
    auto* bitmap = new CBitmap(width, pictureHeight * static_cast<CCoord>(colours.size()));
    cairo_t* cr = cairo_create(bitmap->getSurface());
    for (size_t i = 0; i < colours.size(); ++i) {
        SetSource(cr, colours[i]);
        cairo_rectangle(cr, 0, double(pictureHeight) * double(i), double(width), double(pictureHeight));
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(bitmap->getSurface());
    return bitmap;
}

inline CPoint Centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
