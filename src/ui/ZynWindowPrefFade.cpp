// ZynWindowPrefFade: fader weights, shown and stepped.
#include "ui/ZynWindowPrefFade.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "engine/ZynVis.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowMain.h"

TWindowPrefFade::TWindowPrefFade(TVisObject* owner) : TZWindow(owner)
{
    Title = "Fade Preference";
    Width = 0.91f;
    const int32_t faders = owner ? owner->Faders->Count() : 0;
    Height = 0.18f * static_cast<float>((faders + 1) / 8) + 0.16f;
    for (int32_t i = 0; i < faders; i++) {
        const TZynFader* fader = owner->Faders->Items(i);
        const int32_t c = FindConstQuiet("PREF." + fader->Section);
        if (c < 0) ZynLogError(fader->Section + " Fader doesn't have a preference constant");
        Prefs.push_back(c);
        SetGridRegion(i, i, 0.18f, fader->Name);
    }
    SetBackRegion(BackRegion(), Height - 0.09f, Height);
}

void TWindowPrefFade::DrawContents()
{
    TZWindow::DrawContents();
    for (int32_t i = 0; i < BackRegion(); i++) {
        DrawIcon(i, 48 + i);
        if (Prefs[static_cast<size_t>(i)] < 0) continue;
        const TZRegion& r = Regions[static_cast<size_t>(i)];
        DrawTextLine(1, ConstToString(Prefs[static_cast<size_t>(i)]), 0.75f, 1, r.Y2 + 0.035f, (r.X1 + r.X2) / 2,
                     1, 1, 1, 1);
    }
    DrawIcon(BackRegion(), 9);
}

void TWindowPrefFade::Click(int32_t region, int32_t button)
{
    if ((button != ZynMouseLeft && button != ZynMouseRight) || region < 0 || !UI()) return;
    if (region == BackRegion()) {
        if (button == ZynMouseLeft) UI()->OpenWindow(std::make_unique<TWindowMain>(Owner));
    } else if (region < BackRegion() && Prefs[static_cast<size_t>(region)] >= 0) {
        ConstStep(Prefs[static_cast<size_t>(region)], button == ZynMouseLeft ? 1 : -1);
    }
}
