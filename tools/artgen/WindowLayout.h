// Where the editor puts its views in the window (window pixels). The editor fixes these places;
// the art is drawn around them, so they are copied here rather than chosen.
#pragma once

struct Box {
    double left, top, right, bottom;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
    double CentreX() const { return (left + right) / 2.0; }
    double CentreY() const { return (top + bottom) / 2.0; }
};

// A control's box from its top-left corner and the size of one frame of its bitmap.
constexpr Box At(double x, double y, double w, double h) { return Box{x, y, x + w, y + h}; }

namespace layout {

constexpr double kWindowWidth = 504;
constexpr double kWindowHeight = 404;

constexpr double kKnob = 36;
constexpr Box kCrowdPanel = At(2, 2, 352, 290);

constexpr Box kPopulationMenu{13, 297, 36, 316};
constexpr Box kPopulationDown = At(37, 297, 22, 19);
constexpr Box kPopulationUp = At(61, 297, 22, 19);
constexpr Box kOverloadLamp = At(96, 308, 16, 16);
constexpr Box kWetKnob = At(120, 298, kKnob, kKnob);
constexpr Box kDryKnob = At(160, 298, kKnob, kKnob);
constexpr Box kLowerKnob = At(266, 298, kKnob, kKnob);
constexpr Box kUpperKnob = At(306, 298, kKnob, kKnob);
constexpr Box kRandomiseButton = At(204, 310, 56, 18);
constexpr Box kScopeSwitch = At(204, 331, 56, 16);
constexpr Box kTargetMenu{206, 350, 300, 364};
constexpr Box kDisplayMenu{44, 350, 192, 364};

constexpr Box kPersonMenu{424, 38, 447, 59};
constexpr Box kPersonPrevious = At(448, 39, 22, 19);
constexpr Box kPersonNext = At(472, 39, 22, 19);
constexpr Box kSoloSwitch = At(385, 41, 36, 18);

// The eight person knobs in the order of a person's values, then the two global knobs.
constexpr Box kSpectraShift = At(365, 84, kKnob, kKnob);
constexpr Box kSpectraModGain = At(421, 84, kKnob, kKnob);
constexpr Box kSpectraModSpeed = At(463, 84, kKnob, kKnob);
constexpr Box kTimeDelay = At(365, 152, kKnob, kKnob);
constexpr Box kTimeModGain = At(421, 152, kKnob, kKnob);
constexpr Box kTimeModSpeed = At(463, 152, kKnob, kKnob);
constexpr Box kPan = At(361, 220, kKnob, kKnob);
constexpr Box kGain = At(425, 220, kKnob, kKnob);
constexpr Box kDiffuserSpread = At(361, 318, kKnob, kKnob);
constexpr Box kSpectraOffset = At(425, 318, kKnob, kKnob);

constexpr Box kPresetMenu{8, 383, 73, 396};
constexpr Box kProgramPrevious = At(76, 383, 18, 13);
constexpr Box kProgramNext = At(96, 383, 18, 13);
constexpr Box kProgramName{118, 384, 258, 396};
constexpr Box kHelpSwitch = At(280, 383, 44, 13);

// The cards the controls sit on. Flat, so that opaque control frames blend into them.
constexpr Box kPersonCard{357, 2, 502, 292};
constexpr Box kGlobalCard{357, 296, 502, 402};
constexpr Box kMixCard{2, 296, 354, 402};

}  // namespace layout
