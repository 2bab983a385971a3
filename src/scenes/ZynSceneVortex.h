// ZynSceneVortex: TvisVortex, a flight down a tube that winds freely in three dimensions.
//
// The tube's axis is a chain of control points, each new one turning away
// from the last segment by an angle between VORTEX.MinRot and MaxRot, with an
// up vector carried along so the tube does not twist. Every frame a ring of
// unit offsets is built along the curve through the chain, and the tube is
// drawn as two translucent shells scrolling in opposite directions plus a
// lattice of glowing lines, all additive and fading with distance. Only time
// moves it; the music is ignored. Fixed arrays, no allocation per frame.
// Depends on: engine/ZynSceneClass, scenes/kvGeometry, config/ZynConstDef, OpenGL, GLU.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvGeometry.h"

class TvisVortex : public TZynScene {
public:
    static constexpr int32_t MaxPoints = 32;
    static constexpr int32_t MaxRings = 2048;
    static constexpr int32_t MaxRingVertices = 64;
    // Random directions tried for a turn inside the limits before the turn is built outright.
    static constexpr int32_t TurnTries = 4096;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Sizes as used this frame: the constants limited to their ranges.
    static int32_t SectionCount();      // VORTEX.Length in 2..16
    static int32_t DivCount();          // VORTEX.Divs in 4..64
    static int32_t RingVertexCount();   // VORTEX.Rad in 4..64

    // The chain, exposed for tests.
    float Position() const { return PositionValue; }
    const TkvVector& ControlPoint(int32_t i) const { return Points[i]; }
    const TkvVector& ControlUp(int32_t i) const { return Ups[i]; }
    const TkvVector& LastEye() const { return Eye; }

    // The point after p (p the newer of the last two points p and q).
    TkvVector NewPoint(const TkvVector& p, const TkvVector& q) const;
    // Moves the flight on by a number of sections, shifting in new points.
    void AdvanceChain(float sections);
    // The curve through the chain and its up vector, x in sections from point 1.
    TkvVector PathPoint(float x) const;
    TkvVector UpPoint(float x) const;

private:
    static TkvVector Curve(const TkvVector* chain, float x);
    void ExtendChain();
    void AppendPoint(int32_t i);
    void Recentre();
    void PlaceCamera();
    void BuildRings();
    void DrawShells(float alpha);
    void DrawLattice(float alpha);

    TkvVector Points[MaxPoints];
    TkvVector Ups[MaxPoints];
    int32_t Built = 0;   // points 0 .. Built - 1 belong to the current chain
    float PositionValue = 0;
    TkvVector Rings[MaxRings][MaxRingVertices];
    TkvVector Centres[MaxRings];   // where each ring's tube segment starts
    TkvVector Eye{}, Centre{}, Up{0, 1, 0, 0};
};
