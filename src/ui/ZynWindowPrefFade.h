// ZynWindowPrefFade: TWindowPrefFade, the fader preferences: an icon per fader
// with its PREF value; left click raises, right click lowers.
// Depends on: ui/ZynWindow, ui/ZynUI, ui/ZynWindowMain, config/ZynConst, engine/ZynVis, app/ZynLog.
#pragma once

#include "ui/ZynWindow.h"

class TWindowPrefFade : public TZWindow {
public:
    explicit TWindowPrefFade(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;

    // Per fader its preference constant (-1 when it has none); Back follows.
    std::vector<int32_t> Prefs;
    int32_t BackRegion() const { return static_cast<int32_t>(Prefs.size()); }
};
