// ZynFadeSquareSpin: the "Spinning Squares" transition (TfadeSquareSpin).
// Depends on: engine/ZynFadeClass, faders/ZynFadeCommon, OpenGL.
#pragma once

#include "engine/ZynFadeClass.h"

class TfadeSquareSpin : public TZynFader {
public:
    void Create(TVisObject* owner) override;
    float Fade(uint32_t newTex, uint32_t oldTex, float dt) override;
};
