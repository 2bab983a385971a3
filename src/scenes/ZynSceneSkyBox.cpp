// ZynSceneSkyBox: the SkyBox scene.
#include "scenes/ZynSceneSkyBox.h"

#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"

#include <GL/gl.h>

void TvisSkyBox::Init()
{
    TZynScene::Init();
    Name = "SkyBox";
    Section = "SKYBOX";
    TextureSlotCount = 1;
    Reset();
}

TCopyStackSettings TvisSkyBox::Settings() const
{
    TCopyStackSettings s;
    s.SwayX = zcSKYBOX_X;
    s.SwayY = zcSKYBOX_Y;
    s.Distance = zcSKYBOX_Distance;
    s.BassZoom = zcSKYBOX_BassZoom;
    s.BassDivide = zcSKYBOX_BassDivide;
    s.Scale = zcSKYBOX_Scale;
    s.MoveSpeed = zcSKYBOX_MoveSpeed;
    s.RotSpeed = zcSKYBOX_RotSpeed;
    s.Copies = zcSKYBOX_Amt;
    return s;
}

void TvisSkyBox::BeginCopies(float alpha)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glScalef(2, 2, 2);
    // Remembered so that EndCopies undoes what was turned on here.
    EnvMapOn = zcSKYBOX_CubeMap == 1;
    if (EnvMapOn) {
        BeginEnvMap();
    } else {
        UseTexture(zcSKYBOX_TEX0);
        glEnable(GL_TEXTURE_2D);
        kvSphereMapOn();
    }
}

void TvisSkyBox::DrawCopy(int32_t k, int32_t copies, float alpha)
{
    glColor4f(1, 1, 1, alpha * Finite(zcSKYBOX_Brightness, 0.3f));
    DrawCube(kvOrigin);
}

void TvisSkyBox::EndCopies()
{
    if (EnvMapOn) EndEnvMap();
    else kvSphereMapOff();
}
