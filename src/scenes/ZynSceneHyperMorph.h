// ZynSceneHyperMorph: TvisHyperMorph, "HyperMetaBall Morph": HYPERMORPH.Points metaballs and twelve computed formations.
//
// The formations (rings, a cylinder, spirals, a random cloud, a grid, a
// square frame...) are computed once for the ball count in Init.
// Depends on: scenes/ZynSceneMetaBall, config/ZynConstDef, platform/ZynNumbers, platform/ZynRandom, app/ZynLog.
#pragma once

#include "scenes/ZynSceneMetaBall.h"

class TvisHyperMorph : public TvisMetaBallScene {
public:
    static constexpr int32_t FormationTotal = 12;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

private:
    void ComputeFormations();
};
