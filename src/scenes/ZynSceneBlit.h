// ZynSceneBlit: TvisBlit, one texture shown full screen ("Texture Blitter").
//
// A background layer for scene combinations: the BLIT.TEX0 texture on one
// screen-filling quad, tinted by BLIT.R/G/B/A and blended by BLIT.Type;
// BLIT.Zoom crops it symmetrically towards its centre. Ignores the music.
// Depends on: engine/ZynSceneClass, scenes/ZynTextureScreen, gfx/kvBlend, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"

class TvisBlit : public TZynScene {
public:
    void Init() override;
    void Render(const TVisData& visData, float dt, float alpha) override;
};
