// ZynFadePlaceholder: a stand-in for a fader class that is not written yet.
//
// It carries the real fader's section, name and texture requests and blends
// with a plain cosine cross-fade over the section's Time constant. Each
// catalogue line that uses it is replaced by the real class when that lands.
// Depends on: engine/ZynFadeClass, engine/ZynEngineDeps (registry), OpenGL.
#pragma once

#include "engine/ZynFadeClass.h"

struct TZynPlaceholderFaderIdentity {
    std::string Section;
    std::string Name;
    bool NeedsNew = false;
    // Section of a switch constant that asks for the new texture when 1
    // (empty: NeedsNew alone decides).
    std::string NeedsNewSwitch;
};

class TZynFadePlaceholder : public TZynFader {
public:
    explicit TZynFadePlaceholder(TZynPlaceholderFaderIdentity identity) : Identity(std::move(identity)) {}

    void Create(TVisObject* owner) override;
    float Fade(uint32_t newTex, uint32_t oldTex, float dt) override;

private:
    TZynPlaceholderFaderIdentity Identity;
    int32_t TimeRow = -1;   // registry row of Section.Time
};

TZynFaderClass ZynPlaceholderFader(const std::string& className, const std::string& section,
                                   const std::string& name, bool needsNew,
                                   const std::string& needsNewSwitch = "");
