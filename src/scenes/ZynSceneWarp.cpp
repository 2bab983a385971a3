// ZynSceneWarp: the texture warper.
#include "scenes/ZynSceneWarp.h"

#include "config/ZynConstDef.h"
#include "gfx/kvBlend.h"
#include "scenes/ZynTextureScreen.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;
}

void TvisWarp::Init()
{
    TZynScene::Init();
    Name = "Texture Warper";
    Section = "WARP";
    TextureSlotCount = 1;
    Reset();
}

void TvisWarp::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    ZynBeginTextureScreen(*this, zcWARP_TEX0, true);
    // x and y from 0 to 1 fill the screen.
    glTranslatef(-1, -1, -1);
    glScalef(2, 2, 1);
    kvBlendByType(zcWARP_Type);
    ZynTextureScreenColour(zcWARP_R, zcWARP_G, zcWARP_B, zcWARP_A);
    // Formulas write the grid size without limits: keep it to the range.
    int32_t columns = std::clamp(zcWARP_SquareX, 4, MaxSquares), rows = std::clamp(zcWARP_SquareY, 4, MaxSquares);
    float freq = ZynTextureScreenValue(zcWARP_SFreq, 1), offset = ZynTextureScreenValue(zcWARP_SOffset, -1.8f);
    float amp = ZynTextureScreenValue(zcWARP_SAmp, 0.5f);
    auto point = [&](int32_t c, int32_t r) {
        float x = float(c) / columns, y = float(r) / rows;
        float m = std::sqrt((x - 0.5f) * (x - 0.5f) + (y - 0.5f) * (y - 0.5f));
        float o = 1 + amp * std::sin(offset + freq * Pi * m) / (m + 0.5f);
        glTexCoord2f((x - 0.5f) * o + 0.5f, (y - 0.5f) * o + 0.5f);
        glVertex2f(x, y);
    };
    glBegin(GL_QUADS);
    for (int32_t r = 0; r < rows; r++)
        for (int32_t c = 0; c < columns; c++) {
            point(c, r);
            point(c + 1, r);
            point(c + 1, r + 1);
            point(c, r + 1);
        }
    glEnd();
    ZynEndTextureScreen();
}
