// ZynSceneSparkSphere: TvisSparkSphere, a ball of glowing sprites with a comet tail.
//
// A ball of 60 sprites drifts and turns along smooth random paths. Behind it
// a tail of delayed copies, read from the same paths a little earlier, grows
// and fades, so the ball's recent motion shows as a swept shell. The bass
// speeds the paths up and zooms the view.
// Depends on: engine/ZynSceneClass, scenes/kvMovement, scenes/kvSprite, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvMovement.h"

class TvisSparkSphere : public TZynScene {
public:
    static constexpr int32_t BallPoints = 60;
    static constexpr int32_t MaxTrail = 512;
    static const TkvVector Ball[BallPoints];   // radius 3.534, nearest neighbours 1.3985 apart

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // SSPHERE.TrailRes clamped to 4..512, the copies the trail arrays hold.
    static int32_t TrailCount();
    // Trail spacing E(x): 0 at the head, rising towards e^ExpO at the tail.
    static float Spacing(float x);

private:
    void PlaceTrail(int32_t count);
    void DrawTrail(int32_t count, const TkvVector& wobble);

    kvMovement Turn, Drift, Wobble;
    TkvVector Positions[MaxTrail];
    TkvVector Angles[MaxTrail];
};
