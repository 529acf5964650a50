// The window background (resource 200): the brushed frame, the crowd panel's well, the cards the
// controls stand on, every caption, the light fields under the menus and text field, the preset
// menu's button face and the dark overload lamp that the glow fades over.
#pragma once

#include <string_view>

#include "ArtPainter.h"
#include "ButtonArt.h"
#include "WindowLayout.h"

class WindowArt {
public:
    explicit WindowArt(const ArtPainter& painter);

    void Draw() const;

private:
    static constexpr double kHeaderTracking = 0.9;
    // Where a header has to fit between two controls.
    static constexpr double kTightTracking = 0.3;

    void Frame() const;
    void CrowdWell() const;
    void Card(const Box& box) const;
    void PersonCard() const;
    void GlobalCard() const;
    void MixCard() const;
    void PresetRow() const;

    // A light field for toolkit text; it reaches one pixel past the box for its rim.
    void Field(const Box& box) const;
    // Letter-spaced capitals from x; a rule follows them up to ruleEnd when there is room for one.
    void Header(std::string_view text, double x, double baseline, double ruleEnd, double tracking = kHeaderTracking) const;
    void Caption(std::string_view text, double centreX, double baseline, double size = 8.5) const;
    // "modulation" over the two modulation knobs of a row, with a bracket spanning both.
    void ModulationBracket(const Box& gain, const Box& speed, double baseline) const;
    void KnobCaptions(const Box& knob, std::string_view text, double baseline) const;
    void OverloadSocket(const Box& lamp) const;
    void DisplayIcon(double x, double y) const;
    void Wordmark(double centreX, double baseline) const;
    void Etch(double x, double y0, double y1) const;

    const ArtPainter& painter;
    ButtonArt buttons;
};
