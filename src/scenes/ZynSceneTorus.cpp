// ZynSceneTorus: the ripples-on-a-torus scene and its wave field.
#include "scenes/ZynSceneTorus.h"

#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "platform/ZynRandom.h"
#include "scenes/ZynSceneNumbers.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float TwoPi = 6.28318530717959f;
}

void TZynWaveField::Clear(int32_t nx, int32_t ny)
{
    Nx = std::clamp(nx, MinSide, MaxSide);
    Ny = std::clamp(ny, MinSide, MaxSide);
    DropTimer = 0;
    for (auto& row : Height) std::fill(std::begin(row), std::end(row), 0.0f);
    for (auto& row : Velocity) std::fill(std::begin(row), std::end(row), 0.0f);
}

void TZynWaveField::Step(float dt, float speed, float halfLife)
{
    float k = std::clamp(ZynFiniteOr(dt * speed, 0), 0.0f, 1.0f);
    for (int32_t a = 0; a < Nx; a++) {
        int32_t am = (a + Nx - 1) % Nx, ap = (a + 1) % Nx;
        for (int32_t b = 0; b < Ny; b++) {
            int32_t bm = (b + Ny - 1) % Ny, bp = (b + 1) % Ny;
            float edges = Height[am][b] + Height[ap][b] + Height[a][bm] + Height[a][bp];
            float corners = Height[am][bm] + Height[ap][bm] + Height[am][bp] + Height[ap][bp];
            Velocity[a][b] += k * (Height[a][b] - (4 * edges + corners) / 24);
        }
    }
    float damp = ZynHalfLifeFactor(dt, halfLife);
    for (int32_t a = 0; a < Nx; a++)
        for (int32_t b = 0; b < Ny; b++) {
            Height[a][b] -= k * Velocity[a][b];
            Velocity[a][b] *= damp;
        }
}

int32_t TZynWaveField::Drop(float bass, float dt)
{
    bass = ZynFiniteOr(bass, 0);
    float amount = 2 * bass * bass * ZynFiniteOr(dt, 0);
    // More than a frame's worth of drops would only be lost anyway.
    amount = std::isfinite(amount) ? std::clamp(amount, 0.0f, float(MaxDropsPerFrame)) : float(MaxDropsPerFrame);
    if (!std::isfinite(DropTimer)) DropTimer = 0;
    DropTimer -= amount;
    int32_t drops = 0;
    while (DropTimer < 0 && drops < MaxDropsPerFrame) {
        DropTimer += 1;
        int32_t p = ZynRandomInt(Nx - 4), q = ZynRandomInt(Ny - 4);
        int32_t r = ZynRandomInt(Nx - 4), t = ZynRandomInt(Ny - 4);
        Velocity[p + 2][q + 2] = Velocity[r + 2][t + 2] + 4;
        drops++;
    }
    if (DropTimer < 0) DropTimer = 0;
    return drops;
}

TvisTorus::~TvisTorus() { delete Kick; }

void TvisTorus::Init()
{
    TZynScene::Init();
    Name = "Ripples on a Torus";
    Section = "TORUS";
    Kick = new TZynKick();
    Reset();
}

void TvisTorus::Reset()
{
    TZynScene::Reset();
    Kick->Reset();
    // The grid size is taken here for both the wave and the geometry, so the
    // two always describe the same grid.
    Field.Clear(zcTORUS_x, zcTORUS_y);
    BuildGeometry(Field.Nx, Field.Ny);
}

void TvisTorus::BuildGeometry(int32_t n, int32_t m)
{
    for (int32_t a = 0; a < n; a++) {
        float angle = TwoPi * a / n;
        Centre[a] = TkvVector{2 * std::sin(angle), 2 * std::cos(angle), 0, 1};
    }
    for (int32_t a = 0; a < n; a++) {
        VecSub(Centre[(a + 1) % n], Centre[a], Tangent[a]);
        VecNormalize(Tangent[a]);
        Radial[a] = Centre[a];
        VecNormalize(Radial[a]);
        VecCross(Radial[a], Tangent[a], Binormal[a]);
        VecNormalize(Binormal[a]);
        for (int32_t b = 0; b < m; b++) {
            float angle = TwoPi * b / m, c = std::cos(angle), s = std::sin(angle);
            TkvVector r, q;
            VecScale(Radial[a], -s, r);
            VecScale(Binormal[a], c, q);
            VecAdd(r, q, Around[a][b]);
            VecScale(Radial[a], c, r);
            VecScale(Binormal[a], s, q);
            VecAdd(r, q, Offset[a][b]);
        }
    }
}

void TvisTorus::SurfacePoint(int32_t a, int32_t b) const
{
    a %= Field.Nx;
    b %= Field.Ny;
    const TkvVector& s = Offset[a][b];
    float h = Field.H(a, b);
    float along = h - Field.H(a + 1, b), around = h - Field.H(a, b + 1);
    const TkvVector& t = Tangent[a];
    const TkvVector& u = Around[a][b];
    glNormal3f(s.x + t.x * along + u.x * around, s.y + t.y * along + u.y * around,
               s.z + t.z * along + u.z * around);
    float bulge = 1 + std::clamp(h, -1.0f, 1.0f) / 4;
    glVertex3f(Centre[a].x + s.x * bulge, Centre[a].y + s.y * bulge, Centre[a].z + s.z * bulge);
}

void TvisTorus::DrawSurface() const
{
    for (int32_t b = 0; b < Field.Ny; b++) {
        glBegin(GL_QUAD_STRIP);
        for (int32_t a = 0; a <= Field.Nx; a++) {
            SurfacePoint(a, b);
            SurfacePoint(a, b + 1);
        }
        glEnd();
    }
}

void TvisTorus::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    Kick->Update(visData, dt);
    float bass = ZynFiniteOr(visData.Bass, 0);
    Field.Drop(bass, dt);
    Field.Step(dt, zcTORUS_Speed, zcTORUS_Halflife);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, bass * ZynFiniteOr(zcTORUS_BassZoom, 0) - ZynFiniteOr(zcTORUS_Dist, 12));
    Kick->Use();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    bool cubeMap = zcTORUS_CubeMap == 1;
    if (cubeMap) {
        BeginEnvMap();
    } else {
        UseTexture(zcTORUS_TEX0);
        glEnable(GL_TEXTURE_2D);
        kvSphereMapOn();
    }
    DrawSurface();
    if (cubeMap) EndEnvMap();
    else kvSphereMapOff();
    glPopAttrib();
}
