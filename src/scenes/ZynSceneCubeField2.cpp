// ZynSceneCubeField2: the cube field 2 scene.
#include "scenes/ZynSceneCubeField2.h"

#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "platform/ZynRandom.h"
#include "scenes/ZynSceneCubeField.h"
#include "scenes/ZynSceneNumbers.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;
}

int32_t TvisCubeField2::CubeCount() { return std::clamp(zcCUBEFIELD2_CubeXYZ, 2, 32); }

TkvVector TvisCubeField2::RandomAxis()
{
    TkvVector a;
    do {
        a = TkvVector{float(ZynRandomInt(1000) - 500), float(ZynRandomInt(1000) - 500),
                      float(ZynRandomInt(1000) - 500), 0};
    } while (VecLength(a) == 0);
    VecNormalize(a);
    return a;
}

void TvisCubeField2::Init()
{
    TZynScene::Init();
    Name = "Cube Field 2";
    Section = "CUBEFIELD2";
    TextureSlotCount = 1;
    Reset();
}

void TvisCubeField2::Reset()
{
    TZynScene::Reset();
    D1 = D0 = TkvIntVector{0, 0, 0, 1};
    M = kvIdentity;
    A1 = TkvVector{0, 1, 0, 0};
    A0 = TkvVector{1, 0, 0, 0};
    Q = 0;
    S = 0;
}

// Thousands of frame-by-frame products let rounding creep into the matrix;
// keeping it a pure rotation keeps the lattice from slowly shearing or growing.
void TvisCubeField2::Orthonormalise()
{
    TkvVector c0{M[0], M[1], M[2], 0}, c1{M[4], M[5], M[6], 0}, c2;
    VecNormalize(c0);
    TkvVector along;
    VecScale(c0, VecDot(c0, c1), along);
    VecSub(c1, along, c1);
    VecNormalize(c1);
    VecCross(c0, c1, c2);
    float cols[3][3] = {{c0.x, c0.y, c0.z}, {c1.x, c1.y, c1.z}, {c2.x, c2.y, c2.z}};
    for (int c = 0; c < 3; c++)
        for (int r = 0; r < 3; r++) M[c * 4 + r] = cols[c][r];
}

void TvisCubeField2::Advance(float bass, float dt)
{
    dt = ZynFiniteOr(dt, 0);
    Q += dt * bass * ZynFiniteOr(zcCUBEFIELD2_BassEffect, 0);
    if (!std::isfinite(Q)) Q = 0;
    S += dt;
    for (int32_t n = 0; Q >= 1 && n < MaxAxisChangesPerFrame; n++) {
        Q -= 1;
        A0 = A1;
        // A new axis well away from the old one, so that the change shows.
        float angle;
        do {
            A1 = RandomAxis();
            angle = VecAngle(A1, A0);
        } while (!(angle > Pi / 4 && angle < 3 * Pi / 4));
        VecNegate(D1, D0);
        D1 = ZynRandomSwerve();
    }
    if (Q >= 1) Q -= std::floor(Q);
    if (Q < 0) Q = 0;
    S = std::isfinite(S) ? S - std::floor(S) : 0;

    TkvVector a, b, axis;
    VecScale(A0, 1 - Q, a);
    VecScale(A1, Q, b);
    VecAdd(a, b, axis);
    VecNormalize(axis);
    TkvMatrix turn;
    MatrixRotateAxis(axis, dt * Pi / 2, turn);
    MatrixMultiply(M, turn);
    Orthonormalise();
}

void TvisCubeField2::DrawLattice()
{
    int32_t n = CubeCount();
    glBegin(GL_QUADS);
    for (int32_t z = 0; z < n; z++)
        for (int32_t y = 0; y < n; y++)
            for (int32_t x = 0; x < n; x++) ZynEmitBoxFaces(float(x), float(y), float(z), 0.5f, true);
    glEnd();
}

void TvisCubeField2::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    Advance(ZynFiniteOr(visData.Bass, 0), dt);
    int32_t n = CubeCount();
    bool cubeMap = zcCUBEFIELD2_CubeMap == 1;

    glPushAttrib(GL_ENABLE_BIT | GL_FOG_BIT | GL_POLYGON_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    static const float black[4] = {0, 0, 0, 0};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, black);
    glFogf(GL_FOG_START, 0);
    glFogf(GL_FOG_END, float(n - 1));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(M.m);
    float f = S * ZynFiniteOr(zcCUBEFIELD2_FSpeed, 2);
    glTranslatef(0, 0, std::isfinite(f) ? f - std::floor(f) : 0);
    // Shift the lattice against the viewing direction so that it lies ahead.
    TkvVector view{M[2], M[6], M[10], 0}, v;
    VecScale(view, (n - 1) / 2.0f, view);
    VecRound(view, v);
    VecNegate(v, v);
    float half = n / 2.0f;
    glTranslatef(v.x - half, v.y - half, v.z - half);

    glDisable(GL_TEXTURE_2D);
    if (zcCUBEFIELD2_TwoSided == 0) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    } else {
        glDisable(GL_CULL_FACE);
    }
    glTranslatef(0.25f, 0.25f, 0.25f);
    glColor4f(1, 1, 1, ZynFiniteOr(zcCUBEFIELD2_CubeAlpha, 1));
    glEnable(GL_BLEND);
    if (zcCUBEFIELD2_Solid == 1) {
        glEnable(GL_DEPTH_TEST);
        glClear(GL_DEPTH_BUFFER_BIT);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    }
    if (cubeMap) {
        BeginEnvMap();
    } else {
        UseTexture(zcCUBEFIELD2_TEX0);
        glEnable(GL_TEXTURE_2D);
        kvSphereMapOn();
    }
    DrawLattice();
    if (cubeMap) EndEnvMap();
    else kvSphereMapOff();
    glPopAttrib();
}
