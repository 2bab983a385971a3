// ZynWindowSceneSel: the scene selection window's layout and actions.
#include "ui/ZynWindowSceneSel.h"

#include "engine/ZynVis.h"
#include "platform/ZynRandom.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowMain.h"

TWindowSceneSel::TWindowSceneSel(TVisObject* owner, const std::string& title, float pitch)
    : TZWindow(owner), Pitch(pitch)
{
    Title = title;
    Width = 0.91f;
    if (owner) {
        SceneCount = owner->Scenes->Count();
        CombinationCount = owner->PredefineCount();
    }
    const int32_t iconRows = SceneCount > 0 ? (SceneCount - 1) / 8 : 0;
    // The preference window shows a value under each icon: its rows need the extra pitch.
    const float gridBottom = 0.12f + Pitch * static_cast<float>(iconRows) + (Pitch - 0.11f);
    Height = 0.035f * static_cast<float>(CombinationCount + 1) + gridBottom + 0.02f;
    for (int32_t n = 0; n < SceneCount; n++) SetGridRegion(n, n, Pitch, owner->Scenes->Items(n)->Name);
    for (int32_t k = 0; k < CombinationCount; k++) {
        const float y = gridBottom + 0.01f + 0.035f * static_cast<float>(k);
        SetRegion(SceneCount + k, 0.02f, y, Width - 0.02f, y + 0.035f, owner->Predefines->Name(k));
    }
    SetBackRegion(BackRegion(), Height - 0.05f, Height + 0.04f);
}

std::string TWindowSceneSel::RowText(int32_t k) const
{
    return Owner->Predefines->Name(k) + " (" + Owner->Predefines->Description(k) + ")";
}

void TWindowSceneSel::DrawContents()
{
    TZWindow::DrawContents();
    for (int32_t n = 0; n < SceneCount; n++) DrawIcon(n, 24 + n);
    DrawIcon(BackRegion(), 9);
    for (int32_t k = 0; k < CombinationCount; k++) {
        const TZRegion& r = Regions[static_cast<size_t>(SceneCount + k)];
        DrawTextLine(0, RowText(k), 0.75f, 0.6f, r.Y2 - 0.005f, r.X1, 1, 1, 1, 1);
    }
}

void TWindowSceneSel::Click(int32_t region, int32_t button)
{
    if (button != ZynMouseLeft || !UI() || region < 0) return;
    if (region == BackRegion()) {
        UI()->OpenWindow(std::make_unique<TWindowMain>(Owner));
        return;
    }
    const int32_t faders = Owner->Faders->Count();
    const int32_t fader = faders > 0 ? static_cast<int32_t>(ZynRandomInt(faders)) : 0;
    if (region < SceneCount) Owner->SceneChange(region, fader);
    else if (region < BackRegion()) Owner->SceneChange(-1 - (region - SceneCount), fader);
}
