// ZynSceneSparks: the flying sparks scene.
#include "scenes/ZynSceneSparks.h"

#include "config/ZynConstDef.h"
#include "platform/ZynRandom.h"
#include "scenes/kvSprite.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;
}

// Formulas write these past their limits: clamp where they size the arrays.
int32_t TvisSparks::SparkCount() { return std::clamp(zcSPARK_Count, 1, MaxSparks); }
int32_t TvisSparks::TrailPoints() { return std::clamp(zcSPARK_Res, 4, kvTrailCapacity); }

void TvisSparks::Init()
{
    TZynScene::Init();
    Name = "Flying Sparks";
    Section = "SPARK";
    TextureSlotCount = 1;
    Reset();
}

void TvisSparks::Reset()
{
    TZynScene::Reset();
    for (TSpark& s : Sparks) {
        for (int32_t axis = 0; axis < 3; axis++) {
            s.Freq[axis] = float(ZynRandomInt(4000)) / 1000;
            s.Phase[axis] = float(ZynRandomInt(4000)) / 1000;
            s.Amp[axis] = float(ZynRandomInt(3000)) / 1000 + 1;
        }
    }
    // x and y tilt the swarm, z pulls the view in by up to SPARK.Zoom.
    Wander.SetRange(Vec(Pi, Pi, 0), Vec(-Pi, -Pi, kvFiniteOr(zcSPARK_Zoom, 2)));
}

void TvisSparks::BuildTrail(const TSpark& s, float tiltA, float tiltB, int32_t points)
{
    float ca = std::cos(tiltA), sa = std::sin(tiltA), cb = std::cos(tiltB), sb = std::sin(tiltB);
    float step = kvFiniteOr(zcSPARK_Length, 0.5f) / points;
    for (int32_t j = 0; j < points; j++) {
        float tau = Time - j * step;
        float x = std::sin(tau * s.Freq[0] + s.Phase[0]) * s.Amp[0];
        float y = std::sin(tau * s.Freq[1] + s.Phase[1]) * s.Amp[1];
        float z = std::sin(tau * s.Freq[2] + s.Phase[2]) * s.Amp[2];
        float y1 = ca * y - sa * z, z1 = ca * z + sa * y;
        TkvTrailPoint& p = Trail[j];
        p.x = cb * x - sb * z1;
        p.y = y1;
        p.z = cb * z1 + sb * x;
    }
}

void TvisSparks::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = kvFiniteOr(visData.Bass, 0);
    TkvVector w = Wander.Advance(dt * bass);   // the view wanders only while there is bass

    UseTexture(zcSPARK_Tex0);
    kvBeginSprites(GL_ONE);
    glColor4f(alpha, alpha, alpha, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    float zoom = w.z - kvFiniteOr(zcSPARK_Dist, 9) + 2 * bass;
    glTranslatef(0, 0, kvFiniteOr(zoom, 0));

    float tiltA = bass * Pi / 6 + w.x, tiltB = bass * Pi / 8 + w.y;
    float h = std::max(kvFiniteOr(zcSPARK_Width, 0.1f) * bass, kvFiniteOr(zcSPARK_MinWidth, 0.05f));
    int32_t points = TrailPoints();
    for (int32_t i = 0, n = SparkCount(); i < n; i++) {
        BuildTrail(Sparks[i], tiltA, tiltB, points);
        DrawRibbon(points - 1, false, Trail, h);
    }
}
