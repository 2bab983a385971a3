// ZynSceneTunnel: the tunnel scene.
#include "scenes/ZynSceneTunnel.h"

#include "config/ZynConstDef.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float TwoPi = 6.28318530717959f;

float Finite(float v, float fallback) { return std::isfinite(v) ? v : fallback; }
}

// Formulas and the network write these constants without limits, so every
// size is clamped to the arrays here, where it is used.
int32_t TvisTunnel::SectionCount() { return std::clamp(zcTUNNEL_Length, 6, MaxControlPoints - 4); }
int32_t TvisTunnel::StepCount() { return std::clamp(zcTUNNEL_Steps, 4, 32); }
int32_t TvisTunnel::SideCount() { return std::clamp(zcTUNNEL_Sides, 3, MaxSides); }

void TvisTunnel::Init()
{
    TZynScene::Init();
    Name = "Tunnel";
    Section = "TUNNEL";
    TextureSlotCount = 1;
    Reset();
}

void TvisTunnel::Reset()
{
    TZynScene::Reset();
    PositionValue = 0;
    for (TkvVector& p : Control) p = kvOrigin;
    // A fresh random walk from the origin fills the whole chain.
    AdvanceChain(float(SectionCount() + 4));
}

TkvVector TvisTunnel::NewControlPoint(const TkvVector& f) const
{
    float twist = Finite(zcTUNNEL_Twistiness, 0);
    float a = float(ZynRandomInt(2000)), b = float(ZynRandomInt(2000));
    return TkvVector{f.x + (a - 1000) * twist / 1000, f.y + (b - 1000) * twist / 1000, 0, 0};
}

void TvisTunnel::AdvanceChain(float d)
{
    int32_t last = SectionCount() + 3;
    if (!std::isfinite(d)) d = 0;
    // Beyond a whole chain length every point is new anyway: cap the shifts.
    float cap = float(MaxControlPoints * 2);
    if (d > cap) d = cap + (d - std::floor(d));
    if (d < -cap) d = -cap + (d - std::floor(d));
    PositionValue += d;
    while (PositionValue < 0) {
        PositionValue += 1;
        for (int32_t i = last; i >= 1; i--) Control[i] = Control[i - 1];
        Control[0] = NewControlPoint(Control[1]);
    }
    while (PositionValue >= 1) {
        PositionValue -= 1;
        for (int32_t i = 0; i <= last - 1; i++) Control[i] = Control[i + 1];
        Control[last] = NewControlPoint(Control[last - 1]);
    }
}

void TvisTunnel::BuildPath()
{
    int32_t sections = SectionCount(), steps = StepCount();
    for (int32_t i = 0; i < sections; i++) {
        for (int32_t j = 0; j < steps; j++) {
            float along = float(i) + float(j) / steps;
            float u = PositionValue + along;
            int32_t a = std::clamp(int32_t(u), 0, MaxControlPoints - 4);
            TkvVector& p = Path[i * steps + j];
            CurvePoint(Control[a], Control[a + 1], Control[a + 2], Control[a + 3], u - a, p);
            p.z = -along;
        }
    }
}

void TvisTunnel::PlaceCamera()
{
    int32_t points = SectionCount() * StepCount();
    // Camera window of c points: at least one (Smoothness 0.1 with few steps
    // would give none) and never past the path rebuilt this frame.
    double want = double(StepCount()) * Finite(zcTUNNEL_Smoothness, 1.5f);
    int32_t c = std::clamp(ZynRoundToInt32(want, 1), 1, (points - 1) / 2);
    TkvVector eye{}, target{};
    for (int32_t k = 1; k <= c; k++) VecAdd(eye, Path[k], eye);
    for (int32_t k = c + 1; k <= 2 * c; k++) VecAdd(target, Path[k], target);
    VecDivide(eye, float(c), Eye);
    VecDivide(target, float(c), Target);
    Up = TkvVector{0, 1, 0, 0};
    if (zcTUNNEL_Spin == 1) {
        TkvVector d;
        VecSub(Eye, Target, d);
        // Only the sideways drift rolls the view; a straight tube has none,
        // and a zero up vector would make the view matrix meaningless.
        if (std::fabs(d.x) + std::fabs(d.y) > 1e-6f) Up = TkvVector{d.x, d.y, 0, 0};
    }
}

void TvisTunnel::BuildRings()
{
    int32_t points = SectionCount() * StepCount(), sides = SideCount();
    bool normalise = zcTUNNEL_Normalize == 1;
    for (int32_t k = 0; k <= points - 2; k++) {
        TkvVector d;
        VecSub(Path[k + 1], Path[k], d);
        VecNormalize(d);
        for (int32_t m = 0; m < sides; m++) {
            float theta = TwoPi * m / sides;
            TkvVector spoke{std::sin(theta), std::cos(theta), 0, 0}, v{};
            VecCross(spoke, d, v);
            if (normalise) VecNormalize(v);
            VecAdd(Path[k], v, Rings[k][m]);
        }
    }
}

void TvisTunnel::DrawTube(float alpha)
{
    int32_t steps = StepCount(), points = SectionCount() * steps, sides = SideCount();
    float mulX = Finite(zcTUNNEL_MulTexX, 6), mulY = Finite(zcTUNNEL_MulTexY, 1);
    UseTexture(zcTUNNEL_TEX0);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);   // drawn far to near
    for (int32_t k = points - 3; k >= 0; k--) {
        float b = alpha * (1 - float(k) / points);
        float v0 = (float(k) / steps + PositionValue) * mulY;
        float v1 = (float(k + 1) / steps + PositionValue) * mulY;
        glBegin(GL_QUAD_STRIP);
        for (int32_t p = 0; p <= sides; p++) {
            float u = p * mulX / sides;
            const TkvVector& a = Rings[k][p % sides];
            const TkvVector& c = Rings[k + 1][p % sides];
            glColor4f(b, b, b, 1);
            glTexCoord2f(u, v0); glVertex3f(a.x, a.y, a.z);
            glTexCoord2f(u, v1); glVertex3f(c.x, c.y, c.z);
        }
        glEnd();
    }
}

void TvisTunnel::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = Finite(visData.Bass, 0);
    AdvanceChain(dt * (bass - Finite(zcTUNNEL_BassLevel, -0.6f)) * Finite(zcTUNNEL_Speed, 0));
    BuildPath();
    PlaceCamera();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1, 1, Finite(zcTUNNEL_Distance, 2));
    glTranslatef(0, 0, 1);
    gluLookAt(Eye.x, Eye.y, 0, Target.x, Target.y, Target.z, Up.x, Up.y, 0);
    BuildRings();
    DrawTube(alpha);
}
