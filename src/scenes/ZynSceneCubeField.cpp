// ZynSceneCubeField: the cube field scene, the random swerve and the lattice box.
#include "scenes/ZynSceneCubeField.h"

#include "config/ZynConstDef.h"
#include "platform/ZynRandom.h"
#include "scenes/ZynSceneNumbers.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;

float Frac(float v) { return v - std::floor(v); }

// A random quarter turn (0..3) other than avoid.
int32_t OtherQuarter(int32_t avoid)
{
    int32_t q;
    do q = ZynRandomInt(4);
    while (q == avoid);
    return q;
}
}

TkvIntVector ZynRandomSwerve()
{
    TkvIntVector d{0, 0, 0, 1};
    switch (ZynRandomInt(8)) {
    case 0: d.x = 1; break;
    case 1: d.x = -1; break;
    case 2: d.y = 1; break;
    case 3: d.y = -1; break;
    case 4: d.x = 2; break;
    case 5: d.x = -2; break;
    case 6: d.y = 2; break;
    default: d.y = -2; break;
    }
    return d;
}

void ZynEmitBoxFaces(float x, float y, float z, float e, bool normals)
{
    // Per face: outward normal, then its corners as 0/1 steps along x, y, z.
    static const int8_t faces[6][5][3] = {
        {{1, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}},
        {{-1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}},
        {{0, 1, 0}, {0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},
        {{0, -1, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}},
        {{0, 0, 1}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
        {{0, 0, -1}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}},
    };
    static const float uv[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (const auto& f : faces) {
        if (normals) glNormal3f(f[0][0], f[0][1], f[0][2]);
        for (int k = 0; k < 4; k++) {
            glTexCoord2f(uv[k][0], uv[k][1]);
            glVertex3f(x + e * f[k + 1][0], y + e * f[k + 1][1], z + e * f[k + 1][2]);
        }
    }
}

// Formulas write these without limits: the lattice is clamped where it is drawn.
int32_t TvisCubeField::DepthCount() { return std::clamp(zcCUBEFIELD_CubeZ, 4, 32); }
int32_t TvisCubeField::AcrossCount() { return std::clamp(zcCUBEFIELD_CubeXY, 4, 32); }

void TvisCubeField::Init()
{
    TZynScene::Init();
    Name = "CubeField";
    Section = "CUBEFIELD";
    TextureSlotCount = 1;
    Reset();
}

void TvisCubeField::Reset()
{
    TZynScene::Reset();
    D1 = D0 = TkvIntVector{0, 0, 0, 1};
    A1 = 2;   // half a turn
    A0 = 0;
    Q = 0;
    S = 0;
}

void TvisCubeField::Advance(float bass, float dt)
{
    dt = ZynFiniteOr(dt, 0);
    Q += dt * bass * ZynFiniteOr(zcCUBEFIELD_BassEffect, 0);
    if (!std::isfinite(Q)) Q = 0;
    float f = Q - std::trunc(Q);
    Q += dt * (0.5f - std::fabs(f - 0.5f)) * ZynFiniteOr(zcCUBEFIELD_ReCenter, 0);
    S += dt;
    int32_t swerves = 0;
    for (; Q >= 1 && swerves < MaxSwervesPerFrame; swerves++) {
        Q -= 1;
        A0 = A1;
        A1 = OtherQuarter(A0);
        VecNegate(D1, D0);
        D1 = ZynRandomSwerve();
    }
    for (; Q < 0 && swerves < MaxSwervesPerFrame; swerves++) {
        Q += 1;
        A1 = A0;
        A0 = OtherQuarter(A1);
        VecNegate(D0, D1);
        D0 = ZynRandomSwerve();
    }
    // Beyond the swerves one frame may show, the rest of the push is dropped.
    if (!(Q >= 0 && Q < 1)) Q = std::isfinite(Q) ? Frac(Q) : 0;
    S = std::isfinite(S) ? Frac(S) : 0;
}

void TvisCubeField::CullCells(float e)
{
    float p[16], m[16], c[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            c[col * 4 + row] = 0;
            for (int k = 0; k < 4; k++) c[col * 4 + row] += p[k * 4 + row] * m[col * 4 + k];
        }
    // The six clip planes of the combined matrix, scaled to unit normals.
    float planes[6][4];
    for (int i = 0; i < 6; i++) {
        int axis = i / 2;
        float sign = (i % 2) ? -1.0f : 1.0f;
        for (int k = 0; k < 4; k++) planes[i][k] = c[k * 4 + 3] + sign * c[k * 4 + axis];
        float len = std::sqrt(planes[i][0] * planes[i][0] + planes[i][1] * planes[i][1] + planes[i][2] * planes[i][2]);
        for (int k = 0; k < 4 && len > 0; k++) planes[i][k] /= len;
    }
    // Faces and edges share the cell centre x + e/2; a sphere holds both boxes.
    float h = e / 2, radius = std::max(std::fabs(h), 0.25f) * 1.7321f;
    int32_t depth = DepthCount(), across = AcrossCount(), cell = 0;
    for (int32_t z = 0; z < depth; z++)
        for (int32_t y = 0; y < across; y++)
            for (int32_t x = 0; x < across; x++) {
                bool in = true;
                for (int i = 0; i < 6 && in; i++)
                    in = planes[i][0] * (x + h) + planes[i][1] * (y + h) + planes[i][2] * (z + h) + planes[i][3] >= -radius;
                CellVisible[cell++] = in;
            }
}

void TvisCubeField::DrawFaces(float alpha, float e)
{
    int32_t depth = DepthCount(), across = AcrossCount();
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_DEPTH_TEST);
    glTranslatef(0.25f, 0.25f, 0.25f);
    CullCells(e);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.5f, 0.5f, 1, alpha * ZynFiniteOr(zcCUBEFIELD_CubeBright, 0));
    UseTexture(zcCUBEFIELD_TEX0);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    int32_t cell = 0;
    for (int32_t z = 0; z < depth; z++)
        for (int32_t y = 0; y < across; y++)
            for (int32_t x = 0; x < across; x++)
                if (CellVisible[cell++]) ZynEmitBoxFaces(float(x), float(y), float(z), e, false);
    glEnd();
}

void TvisCubeField::DrawEdges(float alpha)
{
    int32_t depth = DepthCount(), across = AcrossCount();
    float inset = ZynFiniteOr(zcCUBEFIELD_Inset, 0);
    glTranslatef(-inset, -inset, -inset);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.5f, 0.5f, 1, alpha);
    glLineWidth(float(std::clamp(zcCUBEFIELD_LineWidth, 1, 16)));
    glBegin(GL_LINES);
    int32_t cell = 0;
    for (int32_t z = 0; z < depth; z++)
        for (int32_t y = 0; y < across; y++)
            for (int32_t x = 0; x < across; x++) {
                if (!CellVisible[cell++]) continue;
                float lo[3] = {float(x), float(y), float(z)};
                // Four edges along each axis, at the four corners of the other two.
                for (int axis = 0; axis < 3; axis++) {
                    int u = (axis + 1) % 3, v = (axis + 2) % 3;
                    for (int corner = 0; corner < 4; corner++) {
                        float p[3];
                        p[axis] = lo[axis];
                        p[u] = lo[u] + 0.5f * (corner & 1);
                        p[v] = lo[v] + 0.5f * (corner >> 1);
                        glVertex3fv(p);
                        p[axis] += 0.5f;
                        glVertex3fv(p);
                    }
                }
            }
    glEnd();
    glLineWidth(1);
}

void TvisCubeField::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    Advance(ZynFiniteOr(visData.Bass, 0), dt);
    float speed = ZynFiniteOr(zcCUBEFIELD_FSpeed, 4);
    float o = (std::cos(Pi * Q) + 2 - Q) / 3;   // 1 at the start of a swerve, 0 at its end
    float z = Frac(S * speed);
    if (!std::isfinite(z)) z = 0;

    glPushAttrib(GL_ENABLE_BIT | GL_FOG_BIT | GL_LINE_BIT | GL_POLYGON_BIT | GL_COLOR_BUFFER_BIT);
    static const float black[4] = {0, 0, 0, 0};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, black);
    glFogf(GL_FOG_START, 0);
    glFogf(GL_FOG_END, float(DepthCount() - 1));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    float roll = (o * A0 + (1 - o) * A1) * Pi / 2;
    // Never look at the eye itself: a speed written as 0 would leave no direction.
    float ahead = std::max(speed, 0.1f);
    gluLookAt(o * D0.x, o * D0.y, z, (1 - o) * D1.x, (1 - o) * D1.y, z + ahead, std::sin(roll), std::cos(roll), 0);
    float half = AcrossCount() / 2.0f;
    glTranslatef(-half, -half, 0);
    DrawFaces(alpha, 0.5f - 2 * ZynFiniteOr(zcCUBEFIELD_Inset, 0));
    DrawEdges(alpha);
    glPopAttrib();
}
