// ZynSceneCubeField2: TvisCubeField2, a drift through a turning lattice of mirrored cubes.
//
// The lattice turns a quarter turn per second about an axis that the bass
// slides from one random direction to the next; it is re-centred on the
// viewing direction every frame so that it always surrounds the viewer.
// Depends on: scenes/ZynSceneCubeField (swerve, box faces), scenes/kvGeometry,
// config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvGeometry.h"

class TvisCubeField2 : public TZynScene {
public:
    static constexpr int32_t MaxAxisChangesPerFrame = 16;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Cubes along each axis as drawn: CUBEFIELD2.CubeXYZ clamped to 2..32.
    static int32_t CubeCount();
    // A random unit axis from integer steps in -500..499.
    static TkvVector RandomAxis();

    // Moves the axis blend by the bass, the phase by dt, and turns the orientation.
    void Advance(float bass, float dt);

    // Exposed for tests.
    const TkvMatrix& Orientation() const { return M; }
    const TkvVector& Axis() const { return A1; }
    float AxisProgress() const { return Q; }

private:
    void Orthonormalise();
    void DrawLattice();

    TkvIntVector D1{0, 0, 0, 1}, D0{0, 0, 0, 1};
    float Q = 0, S = 0;
    TkvMatrix M = kvIdentity;
    TkvVector A1{0, 1, 0, 0}, A0{1, 0, 0, 0};
};
