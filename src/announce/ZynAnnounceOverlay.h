// ZynAnnounceOverlay: TannOverlay, a text shown large in the middle of the picture.
//
// Eight shimmering copies of the text, each drifting along its own wandering
// offset and size path; the first AOVERLAY.AlphaOverlays layers blend normally,
// the rest add. Carriage returns break lines; the block is centred.
// Depends on: announce/ZynAnnounceClass, gfx/kvFont, scenes/kvMovement, config (AOVERLAY).
#pragma once

#include "announce/ZynAnnounceClass.h"
#include "scenes/kvMovement.h"

#include <array>

class TannOverlay : public TZynAnnounce {
public:
    // The layout holds this many characters; a longer text is cut to it.
    static constexpr size_t MaxChars = 1024;
    static constexpr int Layers = 8;

    using TZynAnnounce::TZynAnnounce;
    void Announce(const std::string& text, float seconds) override;
    float Render(float dt) override;

    struct TPos {
        float x = 0, y = 0;
    };
    float Scale = 0.1f;
    std::array<TPos, MaxChars> Positions{};

private:
    kvMovement Offsets[Layers];
    kvMovement Sizes[Layers];
};
