// ZynWindowSide: TWindowSide, the permanent side bar of buttons (bottom right).
//
// Player toggle, scene options, change scene, main options, full-screen toggle
// and exit. It fades in with mouse activity and out when the mouse rests.
// Depends on: ui/ZynWindow, ui/ZynUI, ui/ZynWindowMain, ui/ZynWindowConst,
// ui/ZynWindowWinAMP, console/ZynCommands (ToggleFullscreen, Quit), engine/ZynVis.
#pragma once

#include "ui/ZynWindow.h"

class TWindowSide : public TZWindow {
public:
    explicit TWindowSide(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;
    void Hover(int32_t region, uint8_t state, float x, float y) override { Hovered = region; }

    float Fade = 0;   // the interface's idle fade (0..2, counts as 1 above 1)
    int32_t Hovered = -1;
};
