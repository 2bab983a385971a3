// ZynSceneContour: the contours scene.
#include "scenes/ZynSceneContour.h"

#include "config/ZynConstDef.h"
#include "gfx/kvBlend.h"
#include "platform/ZynNumbers.h"
#include "scenes/ZynTextureScreen.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float TwoPi = 6.28318530717959f;
// 1.8, 1.7, 1.6 and 1 times the phase all turn whole circles over 20 pi, so
// the picture repeats with that period: the phase is kept within it, where
// single precision still resolves the contours after hours of play.
constexpr double PhasePeriod = 10 * 6.283185307179586;
}

void TvisContour::Init()
{
    TZynScene::Init();
    Name = "Contours";
    Section = "CONTOUR";
    TextureSlotCount = 1;
    Reset();
}

void TvisContour::AdvancePhase(float bass, float dt)
{
    double step = double(dt) * (double(bass) - zcCONTOUR_BassNormal) * zcCONTOUR_BassAmount;
    if (!std::isfinite(step)) return;   // a NaN from a formula would stop the scene for good
    PhaseValue = float(std::fmod(PhaseValue + step, PhasePeriod));
}

float TvisContour::RampAt(float u, float v) const
{
    float p = TwoPi * (u - 0.5f), q = TwoPi * (v - 0.5f), f = PhaseValue;
    float amt = ZynTextureScreenValue(zcCONTOUR_Amt, 0.5f);
    return amt * (std::sin(1.8f * f + p) + std::sin(1.7f * f + q) + std::sin(1.6f * f + std::sin(f) * p + std::cos(f) * q));
}

void TvisContour::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    AdvancePhase(visData.Bass, dt);
    ZynBeginTextureScreen(*this, zcCONTOUR_TEX0, true);
    int32_t columns = std::clamp(zcCONTOUR_X, 4, MaxSquares), rows = std::clamp(zcCONTOUR_Y, 4, MaxSquares);
    glTranslatef(0, 0, -1);
    glTranslatef(-1, -1, 0);
    glScalef(2.0f / columns, 2.0f / rows, 1);
    kvBlendByType(zcCONTOUR_Type);
    ZynTextureScreenColour(zcCONTOUR_R, zcCONTOUR_G, zcCONTOUR_B, zcCONTOUR_A);
    float ramp = ZynClampFloat(zcCONTOUR_YPos, 0, 1, 0.56f);
    for (int32_t i = 0; i < rows; i++) {
        float v0 = float(i) / rows, v1 = float(i + 1) / rows;
        glBegin(GL_QUAD_STRIP);
        for (int32_t c = 0; c <= columns; c++) {
            float u = float(c) / columns;
            glTexCoord2f(RampAt(u, v0), ramp);
            glVertex2i(c, i);
            glTexCoord2f(RampAt(u, v1), ramp);
            glVertex2i(c, i + 1);
        }
        glEnd();
    }
    ZynEndTextureScreen();
}
