// ZynScenePointRender: TvisPointRender, "Point Rendering": a tiny rendered picture redrawn as glowing dots.
//
// Each frame the kicked, spinning wire-frame logo (or a texture) is drawn
// into a POINT.X by POINT.Y corner of the frame, read back, and every pixel
// becomes one sprite coloured by the pixel's hue and sized by its brightness
// (with the logo, by the bass as well).
// Depends on: engine/ZynSceneClass, audio/ZynKick, scenes/ZynLogoMesh, gfx/kvTex, config/ZynConstDef, OpenGL.
#pragma once

#include "audio/ZynKick.h"
#include "engine/ZynSceneClass.h"

class TvisPointRender : public TZynScene {
public:
    static constexpr int32_t MaxDots = 128;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Dots across and down this frame: the constants clamped to the buffer and the viewport.
    static void DotGrid(const int32_t viewport[4], int32_t& across, int32_t& down);
    // The picture read back last frame, bottom row first, across x 3 bytes per row.
    const uint8_t* Pixels() const { return PixelBuffer; }

private:
    void DrawSource(const TVisData& visData, float dt, float bass);
    void DrawDots(int32_t across, int32_t down, float bass);

    TZynKick Kick;
    uint8_t PixelBuffer[MaxDots * MaxDots * 3] = {};
};
