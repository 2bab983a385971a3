// ZynSceneFractCube: TvisFractCube, a kicked lattice of mirrored cubes leaving fading trails.
//
// The same feedback frame as the Bass Cube: the previous picture fades with a
// half-life and the lattice is added over it.
// Depends on: scenes/ZynSceneCube (feedback frame), audio/ZynKick, scenes/kvGeometry,
// config/ZynConstDef, gfx/kvTex, OpenGL.
#pragma once

#include "audio/ZynKick.h"
#include "engine/ZynSceneClass.h"

#include <cstdint>

class TvisFractCube : public TZynScene {
public:
    ~TvisFractCube() override;
    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Cubes per lattice edge as drawn: FRACTCUBE.blocks clamped to 2..24.
    static int32_t BlockCount();

private:
    void DrawLattice(const TVisData& visData, float dt, float fade);

    TZynKick* Kick = nullptr;
};
