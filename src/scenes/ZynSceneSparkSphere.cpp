// ZynSceneSparkSphere: the spark sphere scene.
#include "scenes/ZynSceneSparkSphere.h"

#include "config/ZynConstDef.h"
#include "scenes/kvSprite.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;
}

// The 60 corners of a truncated icosahedron (pentagon edges 1.4418, the others 1.3985).
const TkvVector TvisSparkSphere::Ball[BallPoints] = {
    {1.2265f, 0.0000f, 3.3145f, 1},   {0.3790f, 1.1664f, 3.3145f, 1},   {-0.9922f, 0.7209f, 3.3145f, 1},
    {-0.9922f, -0.7209f, 3.3145f, 1}, {0.3790f, -1.1664f, 3.3145f, 1},  {3.4084f, 0.7209f, 0.5948f, 1},
    {2.7951f, 1.1664f, 1.8213f, 1},   {2.4161f, 0.0000f, 2.5793f, 1},   {2.7951f, -1.1664f, 1.8213f, 1},
    {3.4084f, -0.7209f, 0.5948f, 1},  {0.3676f, 3.4643f, 0.5948f, 1},   {-0.2456f, 3.0188f, 1.8213f, 1},
    {0.7466f, 2.2979f, 2.5793f, 1},   {1.9731f, 2.2979f, 1.8213f, 1},   {1.7389f, 3.0188f, 0.5948f, 1},
    {-3.1812f, 1.4202f, 0.5948f, 1},  {-2.9469f, 0.6993f, 1.8213f, 1},  {-1.9547f, 1.4202f, 2.5793f, 1},
    {-1.5757f, 2.5866f, 1.8213f, 1},  {-2.3337f, 2.5866f, 0.5948f, 1},  {-2.3337f, -2.5866f, 0.5948f, 1},
    {-1.5757f, -2.5866f, 1.8213f, 1}, {-1.9547f, -1.4202f, 2.5793f, 1}, {-2.9469f, -0.6993f, 1.8213f, 1},
    {-3.1812f, -1.4202f, 0.5948f, 1}, {1.7389f, -3.0188f, 0.5948f, 1},  {1.9731f, -2.2979f, 1.8213f, 1},
    {0.7466f, -2.2979f, 2.5793f, 1},  {-0.2456f, -3.0188f, 1.8213f, 1}, {0.3676f, -3.4643f, 0.5948f, 1},
    {0.9922f, 0.7209f, -3.3145f, 1},  {-0.3790f, 1.1664f, -3.3145f, 1}, {-1.2265f, 0.0000f, -3.3145f, 1},
    {-0.3790f, -1.1664f, -3.3145f, 1}, {0.9922f, -0.7209f, -3.3145f, 1}, {2.3337f, 2.5866f, -0.5948f, 1},
    {1.5757f, 2.5866f, -1.8213f, 1},  {1.9547f, 1.4202f, -2.5793f, 1},  {2.9469f, 0.6993f, -1.8213f, 1},
    {3.1812f, 1.4202f, -0.5948f, 1},  {-1.7389f, 3.0188f, -0.5948f, 1}, {-1.9731f, 2.2979f, -1.8213f, 1},
    {-0.7466f, 2.2979f, -2.5793f, 1}, {0.2456f, 3.0188f, -1.8213f, 1},  {-0.3676f, 3.4643f, -0.5948f, 1},
    {-3.4084f, -0.7209f, -0.5948f, 1}, {-2.7951f, -1.1664f, -1.8213f, 1}, {-2.4161f, 0.0000f, -2.5793f, 1},
    {-2.7951f, 1.1664f, -1.8213f, 1}, {-3.4084f, 0.7209f, -0.5948f, 1}, {-0.3676f, -3.4643f, -0.5948f, 1},
    {0.2456f, -3.0188f, -1.8213f, 1}, {-0.7466f, -2.2979f, -2.5793f, 1}, {-1.9731f, -2.2979f, -1.8213f, 1},
    {-1.7389f, -3.0188f, -0.5948f, 1}, {3.1812f, -1.4202f, -0.5948f, 1}, {2.9469f, -0.6993f, -1.8213f, 1},
    {1.9547f, -1.4202f, -2.5793f, 1}, {1.5757f, -2.5866f, -1.8213f, 1}, {2.3337f, -2.5866f, -0.5948f, 1},
};

int32_t TvisSparkSphere::TrailCount() { return std::clamp(zcSSPHERE_TrailRes, 4, MaxTrail); }

float TvisSparkSphere::Spacing(float x)
{
    float o = kvFiniteOr(zcSSPHERE_ExpO, 0.05f), e = x * kvFiniteOr(zcSSPHERE_ExpX, 2.4f);
    return kvFiniteOr(std::exp(o) - std::exp(o - e * e), 0);
}

void TvisSparkSphere::Init()
{
    TZynScene::Init();
    Name = "Spark Sphere";
    Section = "SSPHERE";
    TextureSlotCount = 1;
    Reset();
}

void TvisSparkSphere::Reset()
{
    TZynScene::Reset();
    float m = kvFiniteOr(zcSSPHERE_Move, 2.1f);
    Turn.SetRange(Vec(Pi, Pi, 0), Vec(-Pi, -Pi, 0));
    Drift.SetRange(Vec(m, m, m), Vec(-m, -m, -m));
    Wobble.SetRange(Vec(Pi / 4, Pi / 4, 0), Vec(-Pi / 4, -Pi / 4, 0));
}

void TvisSparkSphere::PlaceTrail(int32_t count)
{
    float delay = kvFiniteOr(zcSSPHERE_Time, 0.4f), length = kvFiniteOr(zcSSPHERE_TrailLen, 2);
    for (int32_t i = 0; i < count; i++) {
        float e = Spacing(float(i) / count);
        Positions[i] = Drift.ValueAt(Drift.Progress() - e * delay * length);
        Angles[i] = Turn.ValueAt(Turn.Progress() - e * delay);
    }
}

void TvisSparkSphere::DrawTrail(int32_t count, const TkvVector& wobble)
{
    float length = kvFiniteOr(zcSSPHERE_TrailLen, 2), middle = kvFiniteOr(zcSSPHERE_MiddleRad, 1);
    float size = kvFiniteOr(zcSSPHERE_TrailSize, 0.4f);
    glBegin(GL_QUADS);
    for (int32_t i = 0; i < count; i++) {
        float r = Spacing(float(i) / count) * length + middle;
        float ax = Angles[i].x + wobble.x, ay = Angles[i].y + wobble.y;
        float cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
        float h = (1 - float(i) / count) * size;
        const TkvVector& at = Positions[i];
        for (const TkvVector& b : Ball) {
            float x = b.x * r, y = b.y * r, z = b.z * r;
            float y1 = cx * y - sx * z, z1 = cx * z + sx * y;
            float x2 = cy * x - sy * z1, z2 = cy * z1 + sy * x;
            kvSpriteQuad(x2 + at.x, y1 + at.y, z2 + at.z, h);
        }
    }
    glEnd();
}

void TvisSparkSphere::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = kvFiniteOr(visData.Bass, 0);
    // The constant terms keep the ball moving in silence.
    Turn.Advance(dt * (bass + 2) / 3);
    Drift.Advance(dt / 2 * (bass + 1));
    TkvVector wobble = Wobble.Advance(dt * 2 * (bass + 3) / 4);

    int32_t count = TrailCount();
    kvBeginSprites(GL_SRC_ALPHA);
    glColor4f(alpha, alpha, alpha, kvFiniteOr(zcSSPHERE_Alpha, 11) / count);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, kvFiniteOr(bass * kvFiniteOr(zcSSPHERE_BassAmt, 2.1f) - zcSSPHERE_Dist, -18.9f));

    PlaceTrail(count);
    UseTexture(zcSSPHERE_TEX0);
    TkvSpriteFilter filter;
    DrawTrail(count, wobble);
}
