// ZynSceneCube: TvisCube ("Bass Cube"), a kicked, spinning textured cube leaving fading trails.
//
// The scene renders into its own texture: every frame starts from the previous
// picture darkened by a half-life factor and adds the cube at the matching
// opposite weight, so a still cube settles at full brightness whatever the
// frame rate. TZynFeedbackFrame holds that frame pattern; the fractal cube
// uses it too.
// Depends on: engine/ZynSceneClass, audio/ZynKick, config/ZynConstDef, gfx/kvTex, OpenGL, GLU.
#pragma once

#include "audio/ZynKick.h"
#include "engine/ZynSceneClass.h"

#include <cstdint>

// One frame drawn over a fading copy of the scene's previous picture.
class TZynFeedbackFrame {
public:
    // Saves the GL state, sets the texture-sized viewport and a square 90 degree
    // projection reaching to farPlane, and draws the previous picture darkened
    // by the half-life factor. False on the first frame after a reset or a
    // texture-size change: there is no previous picture, and End only creates it.
    bool Begin(TZynScene& scene, float dt, float halfLife, float farPlane);
    // Copies the picture into the scene's own texture, restores the viewport and
    // the projection, and presents the texture at alpha.
    void End(TZynScene& scene, float alpha);

    float Fade = 1;   // the darkening factor of this frame, 0..1

private:
    int32_t Viewport[4] = {0, 0, 0, 0};
};

class TvisCube : public TZynScene {
public:
    ~TvisCube() override;
    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

private:
    void DrawObject(const TVisData& visData, float dt, float fade);

    TZynKick* Kick = nullptr;
};
