// Plain pictures standing in for the plug-in's art where it cannot be found, in the same shapes:
// a 65-frame knob strip, a two-frame push button and a two-frame switch.
#pragma once

class CBitmap;

// UI thread: resource id loaded, or a generated picture of the same kind when it is missing.
CBitmap* KnobStripOrFallback(long id);
CBitmap* ButtonOrFallback(long id);
CBitmap* SwitchOrFallback(long id);

constexpr long kKnobFrames = 65;
