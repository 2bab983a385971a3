// ZynSceneSnakeCube: TvisSnakeCube, six writhing snakes of shrinking, reflection-mapped cubes.
//
// The snakes grow out of a common centre along the three axes in both
// directions. Cube k of a snake bends by where the bend path was k/Recurse
// keys ago, and the transformations accumulate along the snake, so bends
// travel outwards. The figure tumbles on a spin path, is drawn SNAKE.Draws
// times at slightly earlier moments for motion blur (edges on the sharpest
// copy only) and fades into linear fog (worked out per vertex). Without bass
// the figure is frozen.
// The cubes are transformed here rather than by GL matrix calls, so that a
// frame's faces go to GL as one batch instead of one draw per cube.
// Depends on: app/ZynLog, engine/ZynSceneClass, scenes/kvMovement, scenes/kvGeometry, gfx/kvTex, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvGeometry.h"
#include "scenes/kvMovement.h"

class TvisSnakeCube : public TZynScene {
public:
    static constexpr int32_t MaxCubes = 300;    // SNAKE.Recurse
    static constexpr int32_t MaxDraws = 256;    // SNAKE.Draws
    // Work one frame may take: cubes, and the screen area their faces cover
    // (in whole screens). The sharpest copy comes first, so when a frame runs
    // out, the faintest blur copies are the ones left out.
    static constexpr int32_t MaxCubesPerFrame = 60000;
    static constexpr float MaxCoverage = 256;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    const kvMovement& BendPath() const { return Bend; }
    const kvMovement& SpinPath() const { return Spin; }
    // Cubes drawn in the last frame (faint and runaway cubes are skipped).
    int32_t CubesDrawn() const { return Cubes; }
    // Whether the last frame ran out of its work budget.
    bool FrameBudgetReached() const { return OutOfBudget; }

private:
    struct TSnakeFrame {
        int32_t Length;    // cubes per snake
        float Spacing;     // step between cube centres, in units of 2.4 half-sizes
        float Scale;       // size ratio between neighbouring cubes
        float LineBright;  // edge alpha of the sharpest copy
        bool Fog;          // into black, linear in the eye depth
        float FogEnd;      // depth where the fog is complete
        float FogScale;    // 1 / the fog's depth range
    };
    void DrawCopy(const TSnakeFrame& f, float delay, float bright, bool first);
    void DrawSnake(const TSnakeFrame& f, TkvMatrix m, float delay, float bright, bool first);
    void DrawEdges(const TSnakeFrame& f) const;
    bool WithinBudget(const TkvMatrix& m, float size);

    kvMovement Bend, Spin;
    int32_t Cubes = 0;
    float Coverage = 0;        // screens covered so far this frame (estimate)
    bool OutOfBudget = false;
    bool BudgetReported = false;   // once per Reset, not every frame
    // The sharpest copy's cube matrices, for its edges drawn after all faces.
    TkvMatrix EdgeCubes[6 * MaxCubes];
    int32_t EdgeCount = 0;
};
