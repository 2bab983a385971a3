// ZynSceneSkyBox: TvisSkyBox, the Recurse stack of cubes drawn with reflection mapping.
//
// SKYBOX.CubeMap 1 reflects the environment cube map (or its sphere-map
// stand-in, as MAIN.CubeMap says); 0 sphere-maps SKYBOX.TEX0 onto the cubes.
// Depends on: scenes/ZynSceneCopyStack, scenes/kvGeometry (DrawCube), gfx/kvTex, config/ZynConstDef, OpenGL.
#pragma once

#include "scenes/ZynSceneCopyStack.h"

class TvisSkyBox : public TvisCopyStack {
public:
    void Init() override;

protected:
    TCopyStackSettings Settings() const override;
    void BeginCopies(float alpha) override;
    void DrawCopy(int32_t k, int32_t copies, float alpha) override;
    void EndCopies() override;

private:
    bool EnvMapOn = false;   // which mapping BeginCopies turned on
};
