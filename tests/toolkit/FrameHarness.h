// A headless frame with one recorder standing in for both the controls' listener and the editor, so a
// test sees in one ordered log what the controls report and which gesture brackets reach the editor.
#pragma once

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CColor.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/HeadlessPlatformFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

class Recorder : public CControlListener, public VSTGUIEditorInterface {
public:
    struct Report {
        CControl* control;
        long tag;
        float value;
    };

    void valueChanged(CControl* control) override {
        reports.push_back({control, control->getTag(), control->getValue()});
        log.push_back("change " + std::to_string(control->getTag()));
    }
    long controlModifierClicked(CControl* /*control*/, long buttons) override {
        modifierButtons.push_back(buttons);
        return modifierAnswer;
    }
    void controlBeginEdit(CControl* control) override { log.push_back("listener begin " + std::to_string(control->getTag())); }
    void controlEndEdit(CControl* control) override { log.push_back("listener end " + std::to_string(control->getTag())); }
    void beginEdit(long index) override { log.push_back("editor begin " + std::to_string(index)); }
    void endEdit(long index) override { log.push_back("editor end " + std::to_string(index)); }
    long getKnobMode() const override { return knobMode; }
    CFrame* getFrame() const override { return frame; }

    std::vector<float> values() const {
        std::vector<float> v;
        for (const Report& r : reports) v.push_back(r.value);
        return v;
    }
    void clear() {
        reports.clear();
        log.clear();
        modifierButtons.clear();
    }

    std::vector<Report> reports;
    std::vector<std::string> log;
    std::vector<long> modifierButtons;
    long modifierAnswer = 0;
    long knobMode = kLinearMode;
    CFrame* frame = nullptr;
};

class HeadlessFrameTest : public ::testing::Test {
protected:
    static constexpr CCoord kWidth = 200;
    static constexpr CCoord kHeight = 150;

    void SetUp() override {
        SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
        frame = new CFrame(CRect(0, 0, kWidth, kHeight), nullptr, &recorder);
        recorder.frame = frame;
        platform = HeadlessPlatformFrame::Of(frame);
        ASSERT_NE(platform, nullptr);
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

// Opaque colours as the back buffer stores them (0xAARRGGBB).
constexpr uint32_t kOpaqueBlack = 0xFF000000;
constexpr uint32_t kOpaqueRed = 0xFFFF0000;
constexpr uint32_t kOpaqueGreen = 0xFF00FF00;
constexpr uint32_t kOpaqueBlue = 0xFF0000FF;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

// A bitmap of pictures of width x pictureHeight stacked downwards, picture i filled with colours[i].
inline CBitmap* MakeStrip(const std::vector<uint32_t>& colours, CCoord width, CCoord pictureHeight) {
    auto* bitmap = new CBitmap(width, pictureHeight * static_cast<CCoord>(colours.size()));
    cairo_t* cr = cairo_create(bitmap->getSurface());
    for (size_t i = 0; i < colours.size(); ++i) {
        const uint32_t c = colours[i];
        cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                              (c >> 24) / 255.0);
        cairo_rectangle(cr, 0, static_cast<double>(pictureHeight) * static_cast<double>(i), static_cast<double>(width),
                        static_cast<double>(pictureHeight));
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(bitmap->getSurface());
    return bitmap;
}

// The centre of a rectangle.
inline CPoint Centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
