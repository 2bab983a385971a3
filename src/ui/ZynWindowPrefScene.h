// ZynWindowPrefScene: TWindowPrefScene, the scene preferences (pick weights).
//
// Laid out like scene selection, with each scene's PREF value under its icon
// and each combination's weight in its row; left click raises, right click
// lowers. Combination weights are written back to their files.
// Depends on: ui/ZynWindowSceneSel, config/ZynConst, engine/ZynVis.
#pragma once

#include "ui/ZynWindowSceneSel.h"

class TWindowPrefScene : public TWindowSceneSel {
public:
    explicit TWindowPrefScene(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;

    // The preference constant of scene n ("PREF." + its section), -1 if none.
    int32_t PrefConst(int32_t n) const;

protected:
    std::string RowText(int32_t k) const override;
};
