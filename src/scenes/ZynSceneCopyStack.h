// ZynSceneCopyStack: TvisCopyStack, the swaying stack of scaled, additively blended copies.
//
// Recurse, SkyBox and Image Sphere draw one shape many times from the same
// matrix: copy k is scaled by the bass-dependent ratio to the power k and
// tilted by where a wandering sway path was k/Amt keys ago, so the stack
// twists like a tunnel. A spin path turns the whole stack. The scenes differ
// in their constants, their texturing and the shape they draw per copy.
// Depends on: engine/ZynSceneClass, scenes/kvMovement, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvMovement.h"

#include <cmath>

// One frame's settings, read from the scene's constants.
struct TCopyStackSettings {
    float SwayX = 0, SwayY = 0;   // sway range in degrees (taken at Reset)
    float SpinRange = 180;        // spin range in degrees (taken at Reset)
    float Distance = 0;
    float BassZoom = 0;
    float BassDivide = 20;
    float Scale = 1;
    float MoveSpeed = 0;
    float ExtraMove = 0;          // sway speed that does not need bass
    float RotSpeed = 0;
    int32_t Copies = 1;           // Amt, clamped to 1..MaxCopies
};

class TvisCopyStack : public TZynScene {
public:
    static constexpr int32_t MaxCopies = 80;
    // Copies grown past this scale lie beyond the far plane: they are not drawn.
    static constexpr float MaxCopyScale = 1e6f;

    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    const kvMovement& SwayPath() const { return Sway; }
    const kvMovement& SpinPath() const { return Spin; }
    // Copies drawn in the last frame (fewer than Amt when the ratio runs away).
    int32_t CopiesDrawn() const { return Drawn; }

protected:
    // Formulas may write NaN or infinity into any constant.
    static float Finite(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

    virtual TCopyStackSettings Settings() const = 0;
    // Texture, blending and the stack's own scale, after the spin.
    virtual void BeginCopies(float alpha) = 0;
    // Copy k of copies, its matrix already set.
    virtual void DrawCopy(int32_t k, int32_t copies, float alpha) = 0;
    virtual void EndCopies() = 0;

private:
    kvMovement Sway, Spin;
    int32_t Drawn = 0;
};
