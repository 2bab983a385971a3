// ZynSceneSparks: TvisSparks, a swarm of glowing ribbons on Lissajous curves.
//
// Every spark runs along its own three-dimensional Lissajous curve; its
// ribbon is the curve sampled over the last SPARK.Length seconds, so trails
// are recomputed from the clock each frame rather than stored. The bass
// widens the ribbons, tilts and zooms the swarm and drives a slow wander of
// the view.
// Depends on: engine/ZynSceneClass, scenes/kvMovement, scenes/kvRibbon, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvMovement.h"
#include "scenes/kvRibbon.h"

class TvisSparks : public TZynScene {
public:
    static constexpr int32_t MaxSparks = 512;

    struct TSpark {
        float Freq[3];
        float Phase[3];
        float Amp[3];
    };

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Sizes as used this frame: the constants clamped to what the arrays hold.
    static int32_t SparkCount();   // SPARK.Count in 1..512
    static int32_t TrailPoints();  // SPARK.Res in 4..256

    const TSpark& Spark(int32_t i) const { return Sparks[i]; }

private:
    void BuildTrail(const TSpark& spark, float tiltA, float tiltB, int32_t points);

    TSpark Sparks[MaxSparks];
    kvMovement Wander;
    TkvTrailPoint Trail[kvTrailCapacity];
};
