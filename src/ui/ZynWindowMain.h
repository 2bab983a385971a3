// ZynWindowMain: TWindowMain, the main menu: six icons that open the other windows.
// Depends on: ui/ZynWindow, ui/ZynUI and the windows it opens.
#pragma once

#include "ui/ZynWindow.h"

class TWindowMain : public TZWindow {
public:
    explicit TWindowMain(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;
};
