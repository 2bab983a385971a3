// ZynSceneWrap: the texture wrapper.
#include "scenes/ZynSceneWrap.h"

#include "config/ZynConstDef.h"
#include "platform/ZynNumbers.h"
#include "scenes/ZynTextureScreen.h"

#include <GL/gl.h>

namespace {
// One corner of a band: opacity, texture coordinate, screen position.
void Corner(float a, float s, float t, float x, float y)
{
    glColor4f(1, 1, 1, a);
    glTexCoord2f(s, t);
    glVertex2f(x, y);
}
}

void TvisWrap::Init()
{
    TZynScene::Init();
    Name = "Texture Wrapper";
    Section = "WRAP";
    TextureSlotCount = 1;
    Reset();
}

void TvisWrap::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    ZynBeginTextureScreen(*this, zcWRAP_TEX0, false);
    glTranslatef(0, 0, -1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    float o = ZynClampFloat(zcWRAP_Overlap, 0, 1, 0.5f);
    float inner = 2 * o - 1;   // where a band from the low edge has faded out
    glBegin(GL_QUADS);   // the whole texture
    Corner(1, 0, 0, -1, -1);
    Corner(1, 1, 0, 1, -1);
    Corner(1, 1, 1, 1, 1);
    Corner(1, 0, 1, -1, 1);
    glEnd();
    glBegin(GL_QUADS);   // left: the texture's right edge
    Corner(1, 1 - o, 1, -1, 1);
    Corner(1, 1 - o, 0, -1, -1);
    Corner(0, 1, 0, inner, -1);
    Corner(0, 1, 1, inner, 1);
    glEnd();
    glBegin(GL_QUADS);   // right: the texture's left edge
    Corner(0, 0, 1, -inner, 1);
    Corner(0, 0, 0, -inner, -1);
    Corner(1, o, 0, 1, -1);
    Corner(1, o, 1, 1, 1);
    glEnd();
    glBegin(GL_QUADS);   // bottom: the texture's top edge
    Corner(1, 0, 1 - o, -1, -1);
    Corner(1, 1, 1 - o, 1, -1);
    Corner(0, 1, 1, 1, inner);
    Corner(0, 0, 1, -1, inner);
    glEnd();
    glBegin(GL_QUADS);   // top: the texture's bottom edge
    Corner(0, 0, 0, -1, -inner);
    Corner(0, 1, 0, 1, -inner);
    Corner(1, 1, o, 1, 1);
    Corner(1, 0, o, -1, 1);
    glEnd();
    ZynEndTextureScreen();
}
