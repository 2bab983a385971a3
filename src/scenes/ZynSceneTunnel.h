// ZynSceneTunnel: TvisTunnel, a flight through an endless twisting textured tube.
//
// A short chain of random control points is interpolated into a path, a ring
// of vertices is built around every path point, and the tube is drawn from
// the far end (faded to black) to the near end. The flight speed follows the
// bass; the chain only shifts, everything else is rebuilt every frame in
// fixed-size arrays (no allocation per frame).
// Depends on: engine/ZynSceneClass, scenes/kvGeometry, config/ZynConstDef, OpenGL, GLU.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvGeometry.h"

class TvisTunnel : public TZynScene {
public:
    static constexpr int32_t MaxControlPoints = 32;
    static constexpr int32_t MaxPathPoints = 1024;
    static constexpr int32_t MaxSides = 64;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Exposed for tests: the flight state after the last frame.
    float Position() const { return PositionValue; }
    const TkvVector& ControlPoint(int32_t i) const { return Control[i]; }
    const TkvVector& PathPoint(int32_t k) const { return Path[k]; }
    const TkvVector& LastEye() const { return Eye; }
    const TkvVector& LastUp() const { return Up; }

    // Sizes as used this frame: the constants clamped to what the arrays hold.
    static int32_t SectionCount();   // TUNNEL.Length in 6..28
    static int32_t StepCount();      // TUNNEL.Steps in 4..32
    static int32_t SideCount();      // TUNNEL.Sides in 3..64

    TkvVector NewControlPoint(const TkvVector& f) const;
    void AdvanceChain(float d);
    void BuildPath();

private:
    void PlaceCamera();
    void BuildRings();
    void DrawTube(float alpha);

    TkvVector Control[MaxControlPoints];
    float PositionValue = 0;
    TkvVector Path[MaxPathPoints];
    TkvVector Rings[MaxPathPoints][MaxSides];
    TkvVector Eye{}, Target{}, Up{0, 1, 0, 0};
};
