// ZynSceneWrap: TvisWrap, how a texture tiles ("Texture Wrapper").
//
// The WRAP.TEX0 texture fills the screen, and four bands along the edges
// cross-fade the opposite edge of the texture over it (WRAP.Overlap wide),
// so a picture that does not tile shows its seams softened. Ignores the music.
// Depends on: engine/ZynSceneClass, scenes/ZynTextureScreen, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"

class TvisWrap : public TZynScene {
public:
    void Init() override;
    void Render(const TVisData& visData, float dt, float alpha) override;
};
