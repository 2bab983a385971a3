// ZynSceneWMorph: TvisWMorph, "MetaBall Morph": eight metaballs gliding between six formations.
//
// Drawn by default as an environment-mapped wire frame inside a larger
// glowing second skin. The grid keeps a border of two points free so the
// surface never touches the edge of the field.
// Depends on: scenes/ZynSceneMetaBall, config/ZynConstDef.
#pragma once

#include "scenes/ZynSceneMetaBall.h"

class TvisWMorph : public TvisMetaBallScene {
public:
    static constexpr int32_t BallTotal = 8;
    static constexpr int32_t FormationTotal = 6;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;
};
