// ZynAnnounceClass: TZynAnnounce, the base of the text announcements.
//
// An announcement shows a text for a number of seconds over the picture. The
// sequencer owns them (in a TZynAnnounceList), starts one with Announce and
// renders the active one once per frame until its progress reaches 1.
// Depends on: gfx/ZynTextures (font textures), engine/ZynVis (owner).
#pragma once

#include <cstdint>
#include <string>

class TVisObject;

class TZynAnnounce {
public:
    explicit TZynAnnounce(TVisObject* owner) : Owner(owner) {}
    virtual ~TZynAnnounce() = default;
    TZynAnnounce(const TZynAnnounce&) = delete;
    TZynAnnounce& operator=(const TZynAnnounce&) = delete;

    // Starts (or restarts) the text for seconds.
    virtual void Announce(const std::string& text, float seconds);
    // Advances by dt and draws; returns the progress, 1 or more when done.
    // A duration of 0 or less (or not a number) is done at once.
    virtual float Render(float dt);

    // Binds texture n (masked to 0..127) of the owner's texture manager, texturing on.
    void BindTexture(int32_t n);
    // The fade of both kinds: rises over fadeTime, holds, falls over the last fadeTime.
    float FadeAlpha(float fadeTime) const;

    TVisObject* Owner;
    float Elapsed = 0;
    float Duration = 0;
    std::string Text;
};
