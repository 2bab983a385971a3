// ZynWindowSceneSel: TWindowSceneSel, scene selection: an icon per scene and a
// text row per predefined combination; a click changes to it through a fader
// chosen uniformly at random.
// Depends on: ui/ZynWindow, ui/ZynUI, ui/ZynWindowMain, engine/ZynVis, platform/ZynRandom.
#pragma once

#include "ui/ZynWindow.h"

class TWindowSceneSel : public TZWindow {
public:
    explicit TWindowSceneSel(TVisObject* owner) : TWindowSceneSel(owner, "Scene Selection", 0.11f) {}
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;

    // Regions: 0 .. Scenes-1 the icons, then one per combination, then Back.
    int32_t SceneCount = 0;
    int32_t CombinationCount = 0;
    int32_t BackRegion() const { return SceneCount + CombinationCount; }

protected:
    TWindowSceneSel(TVisObject* owner, const std::string& title, float pitch);
    // The text of combination row k.
    virtual std::string RowText(int32_t k) const;
    float Pitch;
};
