// ZynScenePlasma: the plasma ball scene.
#include "scenes/ZynScenePlasma.h"

#include "config/ZynConstDef.h"
#include "platform/ZynRandom.h"
#include "scenes/kvSprite.h"
#include "scenes/kvSpriteCrop.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;

// Each component uniform in [-a, a).
TkvVector RandomVector(float a)
{
    auto pick = [a] { return -a + float(ZynRandomInt(65536)) * 2 * a / 65536; };
    float x = pick(), y = pick(), z = pick();
    return TkvVector{x, y, z, 1};
}

// v pushed out or in to the given length; a zero vector points up.
TkvVector OnSphere(TkvVector v, float radius)
{
    VecNormalize(v);
    VecScale(v, radius, v);
    return v;
}

float Inner() { return kvFiniteOr(zcPLASMA_Inner, 0.75f); }
float Outer() { return kvFiniteOr(zcPLASMA_Outer, 3); }
}

int32_t TvisPlasma::Subdivisions() { return std::clamp(zcPLASMA_SubDiv, 2, 128); }

void TvisPlasma::Init()
{
    TZynScene::Init();
    Name = "Plasma Ball";
    Section = "PLASMA";
    TextureSlotCount = 2;
    Reset();
}

void TvisPlasma::InitFilament(TFilament& f)
{
    TControlPoint* p = f.Points;
    p[0].Keys[0] = OnSphere(RandomVector(1), Inner());
    p[4].Keys[0] = OnSphere(RandomVector(1), Outer());
    for (int32_t i = 1; i <= 3; i++) {
        TkvVector a, b;
        VecScale(p[0].Keys[0], 1 - i / 5.0f, a);
        VecScale(p[4].Keys[0], i / 5.0f, b);
        VecAdd(a, b, p[i].Keys[0]);
    }
    for (int32_t i = 0; i < ChainPoints; i++) {
        for (int32_t k = 1; k < 4; k++) p[i].Keys[k] = p[i].Keys[0];
        p[i].Position = p[i].Keys[0];
        p[i].Progress = 0;
        // The middle of the chain moves fastest: factors 2, 3, 4, 3, 2.
        float r = 0.5f + float(ZynRandomInt(65536)) * 0.5f / 65536;
        p[i].Speed = r * (3 - std::cos(i * Pi / 2));
    }
}

void TvisPlasma::Reset()
{
    TZynScene::Reset();
    Kick.Reset();
    for (TFilament& f : Filaments) InitFilament(f);
}

void TvisPlasma::NewKey(TFilament& f, int32_t i)
{
    TkvVector& k3 = f.Points[i].Keys[3];
    if (i == 0 || i == ChainPoints - 1) {
        float radius = i == 0 ? Inner() : Outer();
        TkvVector step = RandomVector((i == 0 ? 0.8f : 0.3f) * radius);
        VecAdd(k3, step, k3);
        k3 = OnSphere(k3, radius);
    } else {
        TkvVector sum;
        VecAdd3(f.Points[i - 1].Position, f.Points[i + 1].Position, RandomVector(0.5f), sum);
        VecScale(sum, 0.5f, k3);
    }
}

void TvisPlasma::AdvanceFilament(TFilament& f, float d)
{
    for (int32_t i = 0; i < ChainPoints; i++) {
        TControlPoint& p = f.Points[i];
        p.Progress += d * p.Speed;
        if (!std::isfinite(p.Progress)) p.Progress = 0;
        // After four new keys every key is fresh: more shifts would change nothing.
        if (p.Progress >= 5) p.Progress = 4 + (p.Progress - std::floor(p.Progress));
        while (p.Progress >= 1) {
            for (int32_t k = 0; k < 3; k++) p.Keys[k] = p.Keys[k + 1];
            NewKey(f, i);
            p.Progress -= 1;
        }
        if (p.Progress < 0) p.Progress = 0;   // a negative speed written by a formula
        CurvePoint(p.Keys[0], p.Keys[1], p.Keys[2], p.Keys[3], p.Progress, p.Position);
    }
    // Radii written far past their limits can overflow the keys: start the filament afresh.
    for (const TControlPoint& p : f.Points)
        if (!kvFinite(p.Position)) return InitFilament(f);
}

TkvVector TvisPlasma::FilamentPoint(const TFilament& f, float x)
{
    x = std::clamp(kvFiniteOr(x, 0), 0.0f, 4.0f);
    int32_t a = int32_t(x);
    auto at = [&f](int32_t i) -> const TkvVector& { return f.Points[std::clamp(i, 0, ChainPoints - 1)].Position; };
    TkvVector r;
    CurvePoint(at(a - 1), at(a), at(a + 1), at(a + 2), x - a, r);
    return r;
}

void TvisPlasma::PatchGrid(const TkvVector& e, float spacing, float radius, TkvVector grid[7][7])
{
    TkvVector s, t;
    VecCross(e, kvUp, s);
    VecNormalize(s);
    VecCross(e, s, t);
    VecNormalize(t);
    for (int32_t i = -3; i <= 3; i++) {
        for (int32_t j = -3; j <= 3; j++) {
            TkvVector a, b, g;
            VecScale(t, spacing * i, a);
            VecScale(s, spacing * j, b);
            VecAdd3(e, a, b, g);
            grid[i + 3][j + 3] = OnSphere(g, radius);
        }
    }
}

void TvisPlasma::DrawPatch(const TkvVector& e, float spacing, float radius, float a, const TkvSpriteCrop& crop)
{
    TkvVector g[7][7];
    PatchGrid(e, spacing, radius, g);
    glColor4f(0.4f, 0.2f, 1, a);
    for (int32_t i = 0; i < 6; i++) {
        for (int32_t j = 0; j < 6; j++) {
            // Cells over the texture's empty margin add nothing.
            if (!crop.Touches(j / 6.0f, i / 6.0f, (j + 1) / 6.0f, (i + 1) / 6.0f)) continue;
            const int32_t corner[4][2] = {{i, j}, {i, j + 1}, {i + 1, j + 1}, {i + 1, j}};
            bool finite = true;
            for (const auto& c : corner) finite = finite && kvFinite(g[c[0]][c[1]]);
            if (!finite) continue;
            for (const auto& c : corner) {
                const TkvVector& v = g[c[0]][c[1]];
                glTexCoord2f(c[1] / 6.0f, c[0] / 6.0f);
                glVertex3f(v.x, v.y, v.z);
            }
        }
    }
}

// Inside glBegin(GL_QUADS).
void TvisPlasma::DrawFilament(const TFilament& f, const TkvVector& right, const TkvVector& up, float alpha)
{
    int32_t steps = 4 * Subdivisions();
    float size = kvFiniteOr(zcPLASMA_Size, 1) / 10, brightness = kvFiniteOr(zcPLASMA_Brightness, 0.8f);
    for (int32_t o = 2; o <= steps - 2; o++) {
        // Sprites bunch towards the outer end and swell in the middle.
        float u = float(o) / steps;
        float w = std::sin(0.4f * Pi * u) / std::sin(0.4f * Pi);
        float c = std::cos(2 * Pi * w);
        float s = ((c + 1) * (w + 0.5f) + 2) * size;
        glColor4f((c + 3) / 5, (c + 3) / 15, 1, (6 - c) * brightness / 50 * alpha);
        TkvVector r, v;
        VecScale(right, s, r);
        VecScale(up, s, v);
        SpriteCrop.DrawDiamond(FilamentPoint(f, 4 * w), r, v);
    }
}

void TvisPlasma::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = kvFiniteOr(visData.Bass, 0);
    kvBeginSprites(GL_SRC_ALPHA);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, kvFiniteOr(bass * kvFiniteOr(zcPLASMA_BassZoom, 1) - zcPLASMA_Distance, -9));
    Kick.Update(visData, dt);
    Kick.Use();

    float d = dt * kvFiniteOr(zcPLASMA_Speed, 1);
    for (TFilament& f : Filaments) AdvanceFilament(f, d);

    // The camera's axes in object space, for sprites that face the viewer.
    TkvMatrix m;
    GetModelviewMatrix(m);
    TkvVector right{m[0], m[4], m[8], 0}, up{m[1], m[5], m[9], 0};

    float brightest = 7 * kvFiniteOr(zcPLASMA_Brightness, 0.8f) / 50 * alpha;   // the sprites' top alpha
    float glow = kvFiniteOr(zcPLASMA_HBrightness, 0.5f) * alpha;
    {   // What of each texture can show, read as the sprites will sample it.
        UseTexture(zcPLASMA_TEX0);
        TkvSpriteFilter filter;
        int32_t w = 0, h = 0;
        SpriteCrop.SetWhole();
        if (TkvSpriteCrop::ReadBoundTexture(Texels, w, h)) SpriteCrop.FromPixels(Texels.data(), w, h, 1, brightest);
        UseTexture(zcPLASMA_TEX1);
        OuterCrop.SetWhole();
        InnerCrop.SetWhole();
        if (TkvSpriteCrop::ReadBoundTexture(Texels, w, h)) {
            OuterCrop.FromPixels(Texels.data(), w, h, 1, glow);
            InnerCrop.FromPixels(Texels.data(), w, h, 1, glow / 2);
        }
    }
    // Each filament's sprites, then its patches, each with the state set up
    // afresh: the software renderer's sums then come out the same whatever
    // ran before.
    for (const TFilament& f : Filaments) {
        UseTexture(zcPLASMA_TEX0);
        TkvSpriteFilter filter;
        TkvSpriteAlphaTest alphaTest;
        glBegin(GL_QUADS);
        DrawFilament(f, right, up, alpha);
        glEnd();
        TkvVector e = FilamentPoint(f, 4);
        UseTexture(zcPLASMA_TEX1);
        glBegin(GL_QUADS);
        DrawPatch(e, 0.5f, Outer(), glow, OuterCrop);
        glEnd();
        glBegin(GL_QUADS);
        DrawPatch(e, 0.75f, Inner(), glow / 2, InnerCrop);
        glEnd();
    }
}
