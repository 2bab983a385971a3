// ZynWindowBass: TWindowBass, the bass analysis settings with a live display of
// the current music record: spectrum bars, the bass range, the bass level and
// the waveform.
// Depends on: ui/ZynWindow, ui/ZynUI, ui/ZynWindowOptions, config/ZynConst,
// engine/ZynVis (the frame's music record), OpenGL.
#pragma once

#include "ui/ZynWindow.h"

class TWindowBass : public TZWindow {
public:
    explicit TWindowBass(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;

    // Region i is row i (registry indexes); Back follows.
    std::vector<int32_t> Rows;
    int32_t BackRegion() const { return static_cast<int32_t>(Rows.size()); }

private:
    void DrawAnalysis();
};
