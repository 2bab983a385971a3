// ZynWindowPrefScene: scene and combination weights, shown and stepped.
#include "ui/ZynWindowPrefScene.h"

#include "config/ZynConst.h"
#include "engine/ZynVis.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowMain.h"

#include <algorithm>

TWindowPrefScene::TWindowPrefScene(TVisObject* owner) : TWindowSceneSel(owner, "Scene Preference", 0.15f) {}

int32_t TWindowPrefScene::PrefConst(int32_t n) const
{
    return FindConstQuiet("PREF." + Owner->Scenes->Items(n)->Section);
}

std::string TWindowPrefScene::RowText(int32_t k) const
{
    return TWindowSceneSel::RowText(k) + " = " + ConstFormatFloat(Owner->Predefines->Weight(k));
}

void TWindowPrefScene::DrawContents()
{
    TWindowSceneSel::DrawContents();
    for (int32_t n = 0; n < SceneCount; n++) {
        const int32_t c = PrefConst(n);
        if (c < 0) continue;
        const TZRegion& r = Regions[static_cast<size_t>(n)];
        DrawTextLine(1, ConstToString(c), 0.75f, 1, r.Y2 + 0.035f, (r.X1 + r.X2) / 2, 1, 1, 1, 1);
    }
}

void TWindowPrefScene::Click(int32_t region, int32_t button)
{
    if ((button != ZynMouseLeft && button != ZynMouseRight) || region < 0 || !UI()) return;
    const double step = button == ZynMouseLeft ? 1 : -1;
    if (region == BackRegion()) {
        if (button == ZynMouseLeft) UI()->OpenWindow(std::make_unique<TWindowMain>(Owner));
    } else if (region < SceneCount) {
        const int32_t c = PrefConst(region);
        if (c >= 0) ConstStep(c, step);
    } else if (region < BackRegion()) {
        const int32_t k = region - SceneCount;
        Owner->Predefines->SetWeight(k, std::max(0.0f, Owner->Predefines->Weight(k) + static_cast<float>(step)));
    }
}
