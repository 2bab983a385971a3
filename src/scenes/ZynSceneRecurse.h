// ZynSceneRecurse: TvisRecurse, a twisting stack of nested, additively blended textured cubes.
//
// Copy k of RECURSE.Amt is larger than the one before by the bass-dependent
// ratio and lags further behind the sway; RECURSE.Rainbow tints the copies
// around the colour wheel. Without bass the stack stands still.
// Depends on: scenes/ZynSceneCopyStack, scenes/kvGeometry (DrawCube), scenes/kvSprite (filter),
// config/ZynConstDef, OpenGL.
#pragma once

#include "scenes/ZynSceneCopyStack.h"
#include "scenes/kvSprite.h"

#include <optional>

class TvisRecurse : public TvisCopyStack {
public:
    void Init() override;

protected:
    TCopyStackSettings Settings() const override;
    void BeginCopies(float alpha) override;
    void DrawCopy(int32_t k, int32_t copies, float alpha) override;
    void EndCopies() override;

private:
    // The cube faces are mostly magnified: bilinear minification costs the
    // software renderer far less and looks the same.
    std::optional<TkvSpriteFilter> Filter;
};
