// ZynFadeSquares: the "Shrinking Squares" transition (TfadeSquares).
// Depends on: engine/ZynFadeClass, faders/ZynFadeCommon, OpenGL.
#pragma once

#include "engine/ZynFadeClass.h"

class TfadeSquares : public TZynFader {
public:
    void Create(TVisObject* owner) override;
    float Fade(uint32_t newTex, uint32_t oldTex, float dt) override;
};
