// ZynSceneCopyStack: the paths and the copy loop shared by Recurse, SkyBox and Image Sphere.
#include "scenes/ZynSceneCopyStack.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

void TvisCopyStack::Reset()
{
    TZynScene::Reset();
    TCopyStackSettings s = Settings();
    float x = Finite(s.SwayX, 0), y = Finite(s.SwayY, 0), r = Finite(s.SpinRange, 180);
    Sway.SetRange(Vec(-x, -y, 0), Vec(x, y, 0));
    Spin.SetRange(Vec(r, r, r), Vec(-r, -r, -r));
    Drawn = 0;
}

void TvisCopyStack::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    TCopyStackSettings s = Settings();
    float bass = Finite(visData.Bass, 0);
    int32_t copies = std::clamp(s.Copies, 1, MaxCopies);
    // A divisor written as 0 by a formula would make every ratio infinite.
    float divide = Finite(s.BassDivide, 20);
    if (std::fabs(divide) < 0.01f) divide = 0.01f;
    float ratio = bass / divide + Finite(s.Scale, 1);

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT |
                 GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    // The copies are scaled, and reflections need unit normals.
    glEnable(GL_NORMALIZE);
    Sway.Advance(dt * (bass + Finite(s.ExtraMove, 0)) * Finite(s.MoveSpeed, 0) * 2);
    TkvVector spin = Spin.Advance(dt * bass * Finite(s.RotSpeed, 0));
    glTranslatef(0, 0, bass * Finite(s.BassZoom, 0) - Finite(s.Distance, 0));
    glRotatef(spin.x, 1, 0, 0);
    glRotatef(spin.y, 0, 1, 0);
    glRotatef(spin.z, 0, 0, 1);
    BeginCopies(alpha);
    Drawn = 0;
    for (int32_t k = 0; k < copies; k++) {
        float scale = std::pow(ratio, float(k));
        if (!std::isfinite(scale) || std::fabs(scale) > MaxCopyScale) break;
        TkvVector w = Sway.ValueAt(Sway.Progress() - float(k) / copies);
        glPushMatrix();
        glScalef(scale, scale, scale);
        glRotatef(w.x, 1, 0, 0);
        glRotatef(w.y, 0, 0, 1);
        DrawCopy(k, copies, alpha);
        glPopMatrix();
        Drawn++;
    }
    EndCopies();
    glPopAttrib();
}
