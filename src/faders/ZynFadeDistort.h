// ZynFadeDistort: the "Distorting Image" transition (TfadeDistort).
// Depends on: engine/ZynFadeClass, faders/ZynFadeCommon, OpenGL.
#pragma once

#include "engine/ZynFadeClass.h"
#include "scenes/kvGeometry.h"

#include <vector>

class TfadeDistort : public TZynFader {
public:
    void Create(TVisObject* owner) override;
    float Fade(uint32_t newTex, uint32_t oldTex, float dt) override;
    void Reset() override;

private:
    void BuildField();
    int32_t SquareX = 12, SquareY = 9;     // grid fixed at construction (a restart applies a change)
    std::vector<TkvVector> D;              // smooth random displacement field, fine grid
    std::vector<TkvVector> O, I;           // outgoing and incoming texture coordinates
};
