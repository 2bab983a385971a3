// ZynSceneContour: TvisContour, moving interference contours ("Contours").
//
// A grid over the screen reads one row of the CONTOUR.TEX0 texture (at
// height CONTOUR.YPos) as a colour ramp, indexed by a sum of three sine
// waves whose phase runs with the bass above CONTOUR.BassNormal (and
// backwards below it). The phase is the scene's only state and is never reset.
// Depends on: engine/ZynSceneClass, scenes/ZynTextureScreen, gfx/kvBlend, config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"

class TvisContour : public TZynScene {
public:
    static constexpr int32_t MaxSquares = 64;

    void Init() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    float Phase() const { return PhaseValue; }
    // Advances the phase by dt seconds at this bass level.
    void AdvancePhase(float bass, float dt);
    // The ramp position s read at grid point (u, v), both 0..1, at the current phase.
    float RampAt(float u, float v) const;

private:
    float PhaseValue = 0;
};
