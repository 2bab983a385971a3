// ZynSceneBlit: the texture blitter.
#include "scenes/ZynSceneBlit.h"

#include "config/ZynConstDef.h"
#include "gfx/kvBlend.h"
#include "platform/ZynNumbers.h"
#include "scenes/ZynTextureScreen.h"

#include <GL/gl.h>

void TvisBlit::Init()
{
    TZynScene::Init();
    Name = "Texture Blitter";
    Section = "BLIT";
    TextureSlotCount = 1;
    Reset();
}

void TvisBlit::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    ZynBeginTextureScreen(*this, zcBLIT_TEX0, false);
    glTranslatef(0, 0, -1);
    kvBlendByType(zcBLIT_Type);
    ZynTextureScreenColour(zcBLIT_R, zcBLIT_G, zcBLIT_B, zcBLIT_A);
    float lo = ZynClampFloat(zcBLIT_Zoom, 0, 0.5f, 0), hi = 1 - lo;
    glBegin(GL_QUADS);
    glTexCoord2f(lo, lo); glVertex2f(-1, -1);
    glTexCoord2f(hi, lo); glVertex2f(1, -1);
    glTexCoord2f(hi, hi); glVertex2f(1, 1);
    glTexCoord2f(lo, hi); glVertex2f(-1, 1);
    glEnd();
    ZynEndTextureScreen();
}
