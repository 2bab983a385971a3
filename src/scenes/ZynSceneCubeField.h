// ZynSceneCubeField: TvisCubeField, a flight through an endless lattice of glowing cubes.
//
// The lattice repeats every cell, so the flight only needs a forward phase in
// 0..1 and a swerve between two whole-cell offsets (with a roll by quarter
// turns) that the bass pushes along. Also home of the random swerve and the
// lattice box that Cube Field 2 shares.
// Depends on: engine/ZynSceneClass, scenes/kvGeometry, config/ZynConstDef, OpenGL, GLU.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvGeometry.h"

#include <cstdint>

// (0, 0, 0, 1) with one of x, y set to ±1 or ±2, each of the eight equally likely.
TkvIntVector ZynRandomSwerve();

// Emits the six faces of the box (x, y, z)..(x + e, y + e, z + e) into an open
// GL_QUADS batch, wound counter-clockwise seen from outside, each face with
// the whole texture; with normals, each face also gets its outward normal.
void ZynEmitBoxFaces(float x, float y, float z, float e, bool normals);

class TvisCubeField : public TZynScene {
public:
    // Swerves worked off in one frame at most: a flood of bass cannot stall it.
    static constexpr int32_t MaxSwervesPerFrame = 16;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Lattice sizes as drawn: the constants clamped to 4..32.
    static int32_t DepthCount();    // CUBEFIELD.CubeZ
    static int32_t AcrossCount();   // CUBEFIELD.CubeXY

    // Moves the swerve by the bass and the forward phase by dt (steps 2 and 3).
    void Advance(float bass, float dt);

    // Exposed for tests: the flight state after the last frame.
    float SwerveProgress() const { return Q; }
    float ForwardPhase() const { return S; }
    const TkvIntVector& Swerve() const { return D1; }
    int32_t RollQuarters() const { return A1; }

private:
    static constexpr int32_t MaxCells = 32 * 32 * 32;

    // Marks the cells whose box can reach the view (the big lattices are
    // mostly outside it); call with the faces' modelview matrix current.
    void CullCells(float e);
    void DrawFaces(float alpha, float e);
    void DrawEdges(float alpha);

    uint8_t CellVisible[MaxCells] = {};

    TkvIntVector D1{0, 0, 0, 1}, D0{0, 0, 0, 1};
    int32_t A1 = 2, A0 = 0;   // roll angles in quarter turns
    float Q = 0, S = 0;
};
