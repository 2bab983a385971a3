// ZynWindowAbout: TWindowAbout, the version, the keys of the default set-up and
// notes about the program over a background picture, scrolled with a scroll bar.
// Depends on: ui/ZynWindow, gfx/ZynTextures, platform/ZynNumbers, OpenGL.
#pragma once

#include "ui/ZynWindow.h"

class TWindowAbout : public TZWindow {
public:
    static constexpr int32_t ShownLines = 40;
    static constexpr int32_t ScrollRegion = 0;

    explicit TWindowAbout(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;
    void Hover(int32_t region, uint8_t state, float x, float y) override;

    // The fixed text, one entry per line.
    static const std::vector<std::string>& Text();
    int32_t ScrollOffset = 0;
};
