// ZynSceneSnakeCube: TvisSnakeCube, six writhing snakes of shrinking, reflection-mapped cubes.
//
// The snakes grow out of a common centre along the three axes in both
// directions. Cube k of a snake bends by where the bend path was k/Recurse
// keys ago, and the transformations accumulate along the snake, so bends
// travel outwards. The figure tumbles on a spin path, is drawn SNAKE.Draws
// times at slightly earlier moments for motion blur (edges on the sharpest
// copy only) and fades into linear fog. Without bass the figure is frozen.
// Depends on: engine/ZynSceneClass, scenes/kvMovement, gfx/kvTex, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvMovement.h"

class TvisSnakeCube : public TZynScene {
public:
    static constexpr int32_t MaxCubes = 300;    // SNAKE.Recurse
    static constexpr int32_t MaxDraws = 256;    // SNAKE.Draws

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    const kvMovement& BendPath() const { return Bend; }
    const kvMovement& SpinPath() const { return Spin; }
    // Cubes drawn in the last frame (faint and runaway cubes are skipped).
    int32_t CubesDrawn() const { return Cubes; }

private:
    struct TSnakeFrame {
        int32_t Length;    // cubes per snake
        float Spacing;     // distance between cube centres, in cube half-sizes / 2.4
        float Scale;       // size ratio between neighbouring cubes
        float LineBright;  // edge alpha of the sharpest copy
    };
    void DrawCopy(const TSnakeFrame& f, float delay, float bright, bool first);
    void DrawStar(const TSnakeFrame& f, float delay, float bright, bool first);
    void DrawSnake(const TSnakeFrame& f, float delay, float bright, bool first);

    kvMovement Bend, Spin;
    int32_t Cubes = 0;
};
