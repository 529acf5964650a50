#include <gtest/gtest.h>

#include "Canvas.h"
#include "toolkit/CFrame.h"
#include "toolkit/COffscreenContext.h"

namespace {

TEST(OffscreenContext, StartsFilledWithItsBackground) {
    COffscreenContext offscreen(nullptr, 10, 8, kGreenCColor);
    EXPECT_EQ(offscreen.getWidth(), 10);
    EXPECT_EQ(offscreen.getHeight(), 8);
    EXPECT_EQ(offscreen.getScaleFactor(), 1.0);
    Canvas canvas(12, 10);
    offscreen.copyFrom(&canvas.context, CRect(0, 0, 10, 8));
    EXPECT_EQ(canvas.countColour(kGreen), 80);
    EXPECT_EQ(canvas.pixel(10, 0), kWhite);
}

TEST(OffscreenContext, CopyFromTakesPixelsFromTheSourceOffset) {
    COffscreenContext offscreen(nullptr, 10, 8, kBlackCColor);
    offscreen.setFillColor(kBlueCColor);
    offscreen.fillRect(CRect(5, 0, 10, 8));  // right half blue

    Canvas canvas(20, 20);
    offscreen.copyFrom(&canvas.context, CRect(2, 2, 7, 10), CPoint(5, 0));
    EXPECT_EQ(canvas.countColour(kBlue), 40);
    EXPECT_EQ(canvas.countColour(0xFF000000), 0);
    EXPECT_EQ(canvas.pixel(2, 2), kBlue);
    EXPECT_EQ(canvas.pixel(6, 9), kBlue);
    EXPECT_EQ(canvas.pixel(7, 2), kWhite);

    // The destination passes through the context's offset and clip.
    Canvas shifted(20, 20);
    shifted.context.setOffset(CPoint(10, 10));
    shifted.context.setClipRect(CRect(0, 0, 3, 20));
    offscreen.copyFrom(&shifted.context, CRect(0, 0, 5, 8), CPoint(5, 0));
    EXPECT_EQ(shifted.countColour(kBlue), 3 * 8);
    EXPECT_EQ(shifted.pixel(10, 10), kBlue);
    EXPECT_EQ(shifted.pixel(13, 10), kWhite);
}

TEST(OffscreenContext, CopyToADenseContextDoublesPixels) {
    COffscreenContext offscreen(nullptr, 4, 4, kRedCColor);
    offscreen.setFillColor(kBlueCColor);
    offscreen.fillRect(CRect(2, 0, 4, 4));
    Canvas dense(4, 4, 2.0);
    offscreen.copyFrom(&dense.context, CRect(0, 0, 4, 4));
    EXPECT_EQ(dense.countColour(kRed), 32);
    EXPECT_EQ(dense.countColour(kBlue), 32);
    EXPECT_EQ(dense.pixel(3, 7), kRed);
    EXPECT_EQ(dense.pixel(4, 0), kBlue);
}

TEST(OffscreenContext, TakesTheFramesScaleFactor) {
    CFrame frame(CRect(0, 0, 20, 20), nullptr, nullptr);
    frame.setScaleFactor(2.0);
    COffscreenContext offscreen(&frame, 4, 3, kRedCColor);
    EXPECT_EQ(offscreen.getScaleFactor(), 2.0);
    EXPECT_EQ(offscreen.getWidth(), 4);
    offscreen.setFillColor(kBlueCColor);
    offscreen.fillRect(CRect(0, 0, 1, 1));
    // Dense pixels go one to one into a dense context.
    Canvas dense(10, 10, 2.0);
    offscreen.copyFrom(&dense.context, CRect(0, 0, 4, 3));
    EXPECT_EQ(dense.countColour(kBlue), 4);
    EXPECT_EQ(dense.countColour(kRed), 8 * 6 - 4);
    EXPECT_EQ(dense.pixel(8, 0), kWhite);
}

TEST(OffscreenContext, CopyOntoItselfMovesPixels) {
    COffscreenContext offscreen(nullptr, 6, 1, kBlackCColor);
    offscreen.setFillColor(kRedCColor);
    offscreen.fillRect(CRect(0, 0, 3, 1));
    offscreen.copyFrom(&offscreen, CRect(1, 0, 6, 1));  // overlapping shift right by one
    Canvas canvas(6, 1);
    offscreen.copyFrom(&canvas.context, CRect(0, 0, 6, 1));
    EXPECT_EQ(canvas.pixel(0, 0), kRed);
    EXPECT_EQ(canvas.pixel(3, 0), kRed);
    EXPECT_EQ(canvas.pixel(4, 0), 0xFF000000);
}

TEST(OffscreenContext, OddSizesAreRefusedSafely) {
    COffscreenContext negative(nullptr, -5, 10);
    EXPECT_EQ(negative.getWidth(), 0);
    Canvas canvas(4, 4);
    const auto before = canvas.bytes();
    negative.copyFrom(&canvas.context, CRect(0, 0, 4, 4));
    negative.fillRect(CRect(0, 0, 4, 4));
    COffscreenContext huge(nullptr, 1L << 40, 2);
    EXPECT_LE(huge.getWidth(), 4096);
    COffscreenContext fine(nullptr, 4, 4);
    fine.copyFrom(nullptr, CRect(0, 0, 4, 4));
    EXPECT_EQ(canvas.bytes(), before);
}

}  // namespace
