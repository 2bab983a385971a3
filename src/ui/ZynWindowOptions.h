// ZynWindowOptions: TWindowOptions, an icon menu of every constants section.
//
// The general sections, then one entry per scene and per fader; a click opens
// the constants window of the entry's section (the bass window for BASS).
// Depends on: ui/ZynWindow, ui/ZynUI, ui/ZynWindowConst, ui/ZynWindowBass,
// ui/ZynWindowMain, engine/ZynVis (scene and fader sections and names).
#pragma once

#include "ui/ZynWindow.h"

class TWindowOptions : public TZWindow {
public:
    explicit TWindowOptions(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;

    struct TEntry {
        std::string Section;
        int32_t Icon = 0;
    };
    // Region 0 is Back; region k + 1 is grid entry k.
    std::vector<TEntry> Entries;
};
