// A headless frame with one recorder standing in for both the controls' listener and the editor, so a
// test sees in one ordered log what the controls report and which gesture brackets reach the editor.
#pragma once

#include <gtest/gtest.h>

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
    struct Report {
        CControl* control;
        float value;
    };
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
        modifierButtons.push_back(buttons);
        return modifierAnswer;
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
    std::vector<long> modifierButtons;
    long modifierAnswer = 0;
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
    CFrame* frame = nullptr;
    HeadlessPlatformFrame* platform = nullptr;
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
