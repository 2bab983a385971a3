// ZynSceneSnakeCube: the snake cube scene.
#include "scenes/ZynSceneSnakeCube.h"

#include "app/ZynLog.h"
#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "platform/ZynNumbers.h"
#include "scenes/kvSprite.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace {
float Finite(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

// An additive contribution below half a colour step changes no pixel.
constexpr float FaintestAlpha = 1.0f / 512;
// Cubes grown or shrunk past these sizes are beyond the far plane or below a pixel.
constexpr float LargestCube = 1e6f, SmallestCube = 1e-4f;

// The cube from (-1, -1, -1) to (1, 1, 1): per face its outward normal and corners.
const float CubeFaces[6][5][3] = {
    {{0, 0, 1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
    {{0, 0, -1}, {1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}},
    {{1, 0, 0}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}},
    {{-1, 0, 0}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
    {{0, 1, 0}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},
    {{0, -1, 0}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
};

// m := m * (rotation by degrees about a unit axis), as glRotatef does.
void Rotate(TkvMatrix& m, float degrees, float x, float y, float z)
{
    TkvMatrix r;
    MatrixRotateAxis(Vec(x, y, z, 0), degrees * 0.0174532925199433f, r);
    MatrixMultiply(r, m);   // r := m * r in GL's order
    m = r;
}

void ScaleBy(TkvMatrix& m, float s)
{
    for (int i = 0; i < 12; i++) m[i] *= s;
}

void TranslateZ(TkvMatrix& m, float d)
{
    for (int i = 0; i < 3; i++) m[12 + i] += d * m[8 + i];
}

// Linear fog into black, worked out per vertex: the fog factor is linear in
// the eye depth, so the interpolated colour matches GL's per-fragment fog
// except where a face crosses the fog's start or end (a few levels at most),
// and the software renderer saves about a tenth of the scene's fill cost.
struct TShade {
    bool Fog = false;
    float FogEnd = 0, FogScale = 0;   // factor (end - depth) * scale, clamped to 0..1
    float Alpha = 1;
};

// The point and the direction m makes of p (a direction ignores translation).
void Point(const TkvMatrix& m, const float p[3], const TShade& shade)
{
    float x = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12], y = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13],
          z = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
    if (shade.Fog) {
        float f = std::clamp((shade.FogEnd - std::fabs(z)) * shade.FogScale, 0.0f, 1.0f);
        glColor4f(f, f, f, shade.Alpha);
    }
    glVertex3f(x, y, z);
}

void Direction(const TkvMatrix& m, const float n[3])
{
    // The matrices are rotations and uniform scales, so the normal turns with
    // them; GL_NORMALIZE takes out the length.
    glNormal3f(m[0] * n[0] + m[4] * n[1] + m[8] * n[2], m[1] * n[0] + m[5] * n[1] + m[9] * n[2],
               m[2] * n[0] + m[6] * n[1] + m[10] * n[2]);
}

// Inside a GL_QUADS batch. The sphere map makes the texture coordinates.
void CubeFaceQuads(const TkvMatrix& m, const TShade& shade)
{
    for (const auto& f : CubeFaces) {
        Direction(m, f[0]);
        for (int k = 0; k < 4; k++) Point(m, f[k + 1], shade);
    }
}

// Inside a GL_LINES batch: every face outline.
void CubeFaceOutlines(const TkvMatrix& m, const TShade& shade)
{
    for (const auto& f : CubeFaces) {
        Direction(m, f[0]);
        for (int k = 0; k < 4; k++) {
            Point(m, f[k + 1], shade);
            Point(m, f[(k + 1) % 4 + 1], shade);
        }
    }
}
}  // namespace

void TvisSnakeCube::Init()
{
    TZynScene::Init();
    Name = "SnakeCube";
    Section = "SNAKE";
    // SNAKE.TEX0 exists, but the scene declares no slot for it.
    TextureSlotCount = 0;
    Reset();
}

void TvisSnakeCube::Reset()
{
    TZynScene::Reset();
    float fall = Finite(zcSNAKE_Fall, 0), twist = Finite(zcSNAKE_Twist, 0), dist = Finite(zcSNAKE_DistMove, 0);
    Bend.SetRange(Vec(-fall, -twist, -dist), Vec(fall, twist, dist));
    Spin.SetRange(Vec(180, 180, 180), Vec(-180, -180, -180));
    Cubes = 0;
    BudgetReported = false;
}

// Inside the frame's GL_QUADS batch; the transformations accumulate along the snake.
void TvisSnakeCube::DrawSnake(const TSnakeFrame& f, TkvMatrix m, float delay, float bright, bool first)
{
    float size = 1, faces = bright / 2;
    bool edges = first && f.LineBright >= FaintestAlpha;
    for (int32_t k = 0; k < f.Length; k++) {
        size *= std::fabs(f.Scale);
        faces *= 0.95f;
        if (size > LargestCube || size < SmallestCube || (faces < FaintestAlpha && !edges)) return;
        if (!WithinBudget(m, size)) return;
        TkvVector w = Bend.ValueAt(Bend.Progress() - delay - float(k) / f.Length);
        ScaleBy(m, f.Scale);
        TranslateZ(m, 2.4f * f.Spacing);
        Rotate(m, w.x, 1, 0, 0);
        Rotate(m, w.y, 0, 0, 1);
        glColor4f(1, 1, 1, faces);
        CubeFaceQuads(m, TShade{f.Fog, f.FogEnd, f.FogScale, faces});
        if (edges && EdgeCount < int32_t(std::size(EdgeCubes))) EdgeCubes[EdgeCount++] = m;
        Cubes++;
    }
}

// Counts the next cube (half-size in eye space, centre at the matrix's
// origin) against the frame's budget: front and back faces of a cube in
// front of the eye cover about 2 (size / (depth tan 22.5°))² screens, at
// most two whole screens when it surrounds the eye.
bool TvisSnakeCube::WithinBudget(const TkvMatrix& m, float size)
{
    float depth = -m[14];
    if (depth + 1.8f * size > 0) {
        float r = size / (0.414f * std::max(depth, size));
        Coverage += std::min(2.0f, 2 * r * r);
    }
    if (Cubes < MaxCubesPerFrame && Coverage <= MaxCoverage) return true;
    OutOfBudget = true;
    return false;
}

// Three snakes along x, y and z, then their mirror images.
void TvisSnakeCube::DrawCopy(const TSnakeFrame& f, float delay, float bright, bool first)
{
    TkvVector w = Bend.ValueAt(Bend.Progress() - delay);
    TkvVector u = Spin.ValueAt(Spin.Progress() - delay);
    TkvMatrix m = kvIdentity;
    TranslateZ(m, w.z - Finite(zcSNAKE_Distance, 26));
    Rotate(m, u.x, 1, 0, 0);
    Rotate(m, u.y, 0, 1, 0);
    Rotate(m, u.z, 0, 0, 1);
    for (int mirror = 0; mirror < 2; mirror++) {
        TkvMatrix alongX = m, alongY = m;
        Rotate(alongX, 90, 1, 0, 0);
        Rotate(alongY, 90, 0, 1, 0);
        DrawSnake(f, m, delay, bright, first);
        DrawSnake(f, alongX, delay, bright, first);
        DrawSnake(f, alongY, delay, bright, first);
        ScaleBy(m, -1);
    }
}

void TvisSnakeCube::DrawEdges(const TSnakeFrame& f) const
{
    if (EdgeCount == 0) return;
    glColor4f(1, 1, 1, f.LineBright);
    const TShade shade{f.Fog, f.FogEnd, f.FogScale, f.LineBright};
    glBegin(GL_LINES);
    for (int32_t i = 0; i < EdgeCount; i++) CubeFaceOutlines(EdgeCubes[i], shade);
    glEnd();
}

void TvisSnakeCube::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = Finite(visData.Bass, 0);
    float sizing = Finite(zcSNAKE_BassSizing, 0);
    TSnakeFrame f{};
    f.Length = std::clamp(zcSNAKE_Recurse, 2, MaxCubes);
    f.Spacing = Finite((bass * sizing + 1) / (sizing + 1) * alpha, alpha);
    f.Scale = Finite(zcSNAKE_Scale, 0.9f);
    f.LineBright = Finite(zcSNAKE_LineBright, 0) * alpha;
    int32_t draws = std::clamp(zcSNAKE_Draws, 1, MaxDraws);
    float blur = Finite(zcSNAKE_Blurlength, 0), brightness = Finite(zcSNAKE_Brightness, 1);
    float fog = Finite(zcSNAKE_Fog, 0), distance = Finite(zcSNAKE_Distance, 26);

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT |
                 GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    // The cubes shrink along the snake, and reflections need unit normals.
    glEnable(GL_NORMALIZE);
    Bend.Advance(dt * bass * Finite(zcSNAKE_MoveSpeed, 0));
    Spin.Advance(dt * bass * Finite(zcSNAKE_RotSpeed, 0));
    UseTexture(zcSNAKE_TEX0);
    glEnable(GL_TEXTURE_2D);
    kvSphereMapOn();
    TkvSpriteFilter filter;
    // Linear fog from the viewer distance to 2 units per cube beyond.
    f.Fog = fog > 0;
    f.FogEnd = distance + 2.0f * f.Length;
    f.FogScale = 1 / (2.0f * f.Length);
    Cubes = 0;
    EdgeCount = 0;
    Coverage = 0;
    OutOfBudget = false;
    // Additive blending does not care about order: all faces, then the edges.
    glBegin(GL_QUADS);
    for (int32_t i = 0; i < draws && !OutOfBudget; i++) {
        float share = float(draws - i) / draws;
        DrawCopy(f, i * blur / draws, share * share * alpha * brightness / draws, i == 0);
    }
    glEnd();
    DrawEdges(f);
    if (OutOfBudget && !BudgetReported) {
        ZynLogWarning(ZynFormat("TvisSnakeCube.Render - %d cubes over %.0f screens fill a frame, fainter copies left out",
                                Cubes, Coverage));
        BudgetReported = true;
    }
    kvSphereMapOff();
    glPopAttrib();
}
