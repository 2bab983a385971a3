// ZynSceneWarp: TvisWarp, one texture seen through a static radial lens ("Texture Warper").
//
// The WARP.TEX0 texture fills the screen on a WARP.SquareX x SquareY grid
// whose texture coordinates are pushed out or pulled in by a ring pattern
// around the centre (WARP.SFreq, SOffset, SAmp). Ignores the music.
// Depends on: engine/ZynSceneClass, scenes/ZynTextureScreen, gfx/kvBlend, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"

class TvisWarp : public TZynScene {
public:
    static constexpr int32_t MaxSquares = 128;

    void Init() override;
    void Render(const TVisData& visData, float dt, float alpha) override;
};
