// ZynScenePlasma: TvisPlasma, glowing filaments writhing inside a plasma ball.
//
// 32 filaments run from an inner sphere to an outer one. Each is a chain of
// five wandering control points: the ends wander on their spheres, the
// middle points chase the midpoint of their neighbours. A filament is drawn
// as a row of camera-facing sprites along a smooth curve through its points,
// with a glowing patch where it touches the outer sphere and a fainter one on
// the inner sphere below. The bass zooms the ball; the beat kicks it round.
// Depends on: engine/ZynSceneClass, audio/ZynKick, scenes/kvSprite, scenes/kvSpriteCrop, config/ZynConstDef, OpenGL.
#pragma once

#include "audio/ZynKick.h"
#include "engine/ZynSceneClass.h"
#include "scenes/kvSpriteCrop.h"

#include <vector>

class TvisPlasma : public TZynScene {
public:
    static constexpr int32_t FilamentCount = 32;
    static constexpr int32_t ChainPoints = 5;

    struct TControlPoint {
        TkvVector Keys[4];
        TkvVector Position;
        float Progress;   // between keys 1 and 2, below 1
        float Speed;      // progress per second per unit of PLASMA.Speed
    };
    struct TFilament {
        TControlPoint Points[ChainPoints];
    };

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // PLASMA.SubDiv clamped to 2..128.
    static int32_t Subdivisions();

    void AdvanceFilament(TFilament& f, float d);
    // The curve through the filament's points: x = 0 is point 0, x = 4 point 4.
    static TkvVector FilamentPoint(const TFilament& f, float x);
    // Corners of a patch: a 7 x 7 grid about e, square to it, spacing apart,
    // each pushed onto the sphere of the given radius.
    static void PatchGrid(const TkvVector& e, float spacing, float radius, TkvVector grid[7][7]);

    TFilament Filaments[FilamentCount];
    TZynKick Kick;

private:
    void InitFilament(TFilament& f);
    void NewKey(TFilament& f, int32_t i);
    void DrawFilament(const TFilament& f, const TkvVector& right, const TkvVector& up, float alpha);
    void DrawPatch(const TkvVector& e, float spacing, float radius, float a, const TkvSpriteCrop& crop);

    // What of the filament and glow textures can show this frame (read from them each frame).
    TkvSpriteCrop SpriteCrop, OuterCrop, InnerCrop;
    std::vector<uint8_t> Texels;
};
