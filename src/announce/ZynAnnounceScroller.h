// ZynAnnounceScroller: TannScroller, a text running right to left through a band.
//
// A dark band with blue edges near the bottom of the picture; the text enters
// at the right edge and leaves at the left over the duration, after a start
// delay of ASCROLLER.FadeTime. Carriage returns are drawn as glyphs.
// Depends on: announce/ZynAnnounceClass, gfx/kvFont, config (ASCROLLER), platform/ZynNumbers.
#pragma once

#include "announce/ZynAnnounceClass.h"

class TannScroller : public TZynAnnounce {
public:
    // Cells across the screen are limited to this, whatever the viewport.
    static constexpr int32_t MaxCells = 4096;

    using TZynAnnounce::TZynAnnounce;
    void Announce(const std::string& text, float seconds) override;
    float Render(float dt) override;

    // Cells across a viewport of width x height (0 for an empty viewport).
    static int32_t CellsFor(int32_t width, int32_t height, float charSize);
    // Scroll position L for the current time: text at rest in the middle when
    // the duration leaves no time to scroll.
    float ScrollPosition() const;

    int32_t Cells = 0;
    float Aspect = 1;
};
