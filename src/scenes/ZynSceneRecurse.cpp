// ZynSceneRecurse: the Recurse scene.
#include "scenes/ZynSceneRecurse.h"

#include "config/ZynConstDef.h"

#include <GL/gl.h>
#include <cmath>

void TvisRecurse::Init()
{
    TZynScene::Init();
    Name = "Recurse";
    Section = "RECURSE";
    TextureSlotCount = 1;
    Reset();
}

TCopyStackSettings TvisRecurse::Settings() const
{
    TCopyStackSettings s;
    s.SwayX = zcRECURSE_X;
    s.SwayY = zcRECURSE_Y;
    s.Distance = zcRECURSE_Distance;
    s.BassZoom = zcRECURSE_BassZoom;
    s.BassDivide = zcRECURSE_BassDivide;
    s.Scale = zcRECURSE_Scale;
    s.MoveSpeed = zcRECURSE_MoveSpeed;
    s.RotSpeed = zcRECURSE_RotSpeed;
    s.Copies = zcRECURSE_Amt;
    return s;
}

void TvisRecurse::BeginCopies(float alpha)
{
    UseTexture(zcRECURSE_TEX0);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glScalef(2, 2, 2);
    Filter.emplace();
}

void TvisRecurse::EndCopies() { Filter.reset(); }

void TvisRecurse::DrawCopy(int32_t k, int32_t copies, float alpha)
{
    float a = alpha * Finite(zcRECURSE_Brightness, 0.1f);
    if (zcRECURSE_Rainbow == 1) {
        float turn = 6.28318530717959f * float(k) / copies;
        glColor4f((std::cos(turn) + 1) / 2, (std::cos(2 * turn) + 1) / 2, (std::cos(4 * turn) + 1) / 2, a);
    } else {
        glColor4f(1, 1, 1, a);
    }
    DrawCube(kvOrigin);
}
