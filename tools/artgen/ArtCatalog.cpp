#include "ArtCatalog.h"

#include "ButtonArt.h"
#include "CrowdArt.h"
#include "KnobArt.h"
#include "WindowArt.h"
#include "WindowLayout.h"

std::vector<ArtResource> ArtCatalog::Resources() const {
    const double knobStrip = KnobArt::kSize * KnobArt::kFrames;
    const double markerStrip = CrowdArt::kMarkerHeight * CrowdArt::kMarkerFrames;
    return {
        {200, layout::kWindowWidth, layout::kWindowHeight, 1, [](const ArtPainter& p) { WindowArt(p).Draw(); }},
        // Person and diffuser knobs carry the warm accent, the mix and bound knobs the cool one.
        {201, KnobArt::kSize, knobStrip, KnobArt::kFrames,
         [](const ArtPainter& p) { KnobArt(palette::kWarm, palette::kWarmBright).DrawStrip(p); }},
        {202, 22, 38, 2, [](const ArtPainter& p) { ButtonArt(p).ArrowStrip(22, 19, Arrow::kLeft); }},
        {203, 22, 38, 2, [](const ArtPainter& p) { ButtonArt(p).ArrowStrip(22, 19, Arrow::kRight); }},
        {206, 36, 36, 2, [](const ArtPainter& p) { ButtonArt(p).LampStrip(36, 18); }},
        {207, KnobArt::kSize, knobStrip, KnobArt::kFrames,
         [](const ArtPainter& p) { KnobArt(palette::kCool, palette::kCoolBright).DrawStrip(p); }},
        {208, 56, 36, 2, [](const ArtPainter& p) { ButtonArt(p).LetteredStrip(56, 18, "randomise", "randomise"); }},
        {209, 56, 32, 2, [](const ArtPainter& p) { ButtonArt(p).LetteredStrip(56, 16, "selected", "all people"); }},
        {210, CrowdArt::kMarkerWidth, markerStrip, CrowdArt::kMarkerFrames,
         [](const ArtPainter& p) { CrowdArt(p).MarkerStrip(); }},
        {211, layout::kCrowdPanel.Width(), layout::kCrowdPanel.Height(), 1,
         [](const ArtPainter& p) { CrowdArt(p).Plane(layout::kCrowdPanel.Width(), layout::kCrowdPanel.Height()); }},
        {212, 34, 36, 1, [](const ArtPainter& p) { CrowdArt(p).Ring(34, 36); }},
        {213, 18, 26, 2, [](const ArtPainter& p) { ButtonArt(p).ArrowStrip(18, 13, Arrow::kLeft); }},
        {214, 18, 26, 2, [](const ArtPainter& p) { ButtonArt(p).ArrowStrip(18, 13, Arrow::kRight); }},
        {215, 12, 48, 1, [](const ArtPainter& p) { CrowdArt(p).AxisLabel(12, 48, "time", true); }},
        {216, 12, 64, 1, [](const ArtPainter& p) { CrowdArt(p).AxisLabel(12, 64, "spectra", true); }},
        {217, 48, 12, 1, [](const ArtPainter& p) { CrowdArt(p).AxisLabel(48, 12, "pan", false); }},
        {218, 48, 12, 1, [](const ArtPainter& p) { CrowdArt(p).AxisLabel(48, 12, "time", false); }},
        {222, 44, 26, 2, [](const ArtPainter& p) { ButtonArt(p).LetteredStrip(44, 13, "help", "crowd"); }},
        {223, 17, 29, 1, [](const ArtPainter& p) { CrowdArt(p).HelpArrow(17, 29, true); }},
        {224, 17, 29, 1, [](const ArtPainter& p) { CrowdArt(p).HelpArrow(17, 29, false); }},
        {225, 16, 16, 1, [](const ArtPainter& p) { CrowdArt(p).LampGlow(16, 16); }},
    };
}
