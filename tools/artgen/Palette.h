// The colours of the window's art, in one place so every picture agrees with the others.
#pragma once

struct Rgb {
    double r, g, b;
};

constexpr Rgb Bytes(int r, int g, int b) { return Rgb{r / 255.0, g / 255.0, b / 255.0}; }

namespace palette {

// The brushed gutters between the cards.
constexpr Rgb kGutterTop = Bytes(44, 49, 57);
constexpr Rgb kGutterBottom = Bytes(31, 35, 41);

// Cards are flat: knob and button frames are opaque and fill their corners with this colour.
constexpr Rgb kPlate = Bytes(50, 56, 65);
constexpr Rgb kPlateLight = Bytes(76, 84, 96);
constexpr Rgb kPlateShadow = Bytes(21, 24, 29);
constexpr Rgb kRule = Bytes(70, 78, 90);
constexpr Rgb kEtchDark = Bytes(33, 37, 44);

constexpr Rgb kCaption = Bytes(204, 211, 221);
constexpr Rgb kCaptionDim = Bytes(146, 156, 170);
constexpr Rgb kHeader = Bytes(236, 172, 92);
constexpr Rgb kTitle = Bytes(232, 236, 242);

constexpr Rgb kWarm = Bytes(244, 162, 58);
constexpr Rgb kWarmBright = Bytes(255, 214, 150);
constexpr Rgb kCool = Bytes(84, 198, 220);
constexpr Rgb kCoolBright = Bytes(188, 238, 248);

// Text fields carry black text drawn by the toolkit, so they are light.
constexpr Rgb kField = Bytes(220, 227, 236);
constexpr Rgb kFieldShade = Bytes(176, 186, 200);
constexpr Rgb kFieldRim = Bytes(20, 23, 28);

constexpr Rgb kButtonTop = Bytes(82, 90, 103);
constexpr Rgb kButtonBottom = Bytes(58, 64, 74);
constexpr Rgb kButtonDownTop = Bytes(34, 38, 45);
constexpr Rgb kButtonDownBottom = Bytes(46, 51, 59);
constexpr Rgb kButtonRim = Bytes(17, 19, 23);
constexpr Rgb kButtonText = Bytes(214, 220, 229);

// The crowd plane: dark so that light markers and the help text read well on it.
constexpr Rgb kPlane = Bytes(19, 25, 33);
constexpr Rgb kPlaneCentre = Bytes(24, 32, 42);
constexpr Rgb kGrid = Bytes(30, 40, 52);
constexpr Rgb kGridMajor = Bytes(40, 54, 70);
constexpr Rgb kMarker = Bytes(196, 218, 246);
constexpr Rgb kAxisLabel = Bytes(128, 152, 182);

// Help scroll bar colours of the help pages, so the arrows match the track and thumb.
constexpr Rgb kHelpTrack = Bytes(49, 82, 112);
constexpr Rgb kHelpThumb = Bytes(153, 179, 212);

}  // namespace palette
