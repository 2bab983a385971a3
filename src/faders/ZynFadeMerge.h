// ZynFadeMerge: the "Merge" transition (TfadeMerge).
// Depends on: engine/ZynFadeClass, faders/ZynFadeCommon, OpenGL.
#pragma once

#include "engine/ZynFadeClass.h"

class TfadeMerge : public TZynFader {
public:
    void Create(TVisObject* owner) override;
    float Fade(uint32_t newTex, uint32_t oldTex, float dt) override;
};
