// ZynSceneMetaBall: the shared metaball scene: formation chain, field set-up and drawing.
#include "scenes/ZynSceneMetaBall.h"

#include "app/ZynLog.h"
#include "gfx/kvTex.h"
#include "platform/ZynNumbers.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <exception>

namespace {
float Finite(float v, float fallback) { return std::isfinite(v) ? v : fallback; }
}

void TvisMetaBallScene::CreateField(int32_t meshSize, int32_t radius, int32_t balls, int32_t formations,
                                    int32_t border)
{
    Kick = TZynKick();
    Balls = std::clamp(balls, 1, TMetaBallEnhance::MaxBalls);
    Formations = std::max(formations, 1);
    FormationBalls.assign(size_t(Formations * Balls), TkvVector{});
    Meta = std::make_unique<TMetaBallEnhance>(meshSize, 32, radius, 1.0f, Balls, meshSize, meshSize);
    Meta->Border = border;
}

void TvisMetaBallScene::ResetMotion()
{
    Kick.Reset();
    FormationChain.Reset(Formations);
}

void TvisMetaBallScene::PlaceBalls(const TMetaLook& look)
{
    const TMetaChain& c = FormationChain;
    float spread = Finite(look.Spread, 0.5f);
    const int32_t size[3] = {Meta->SizeX, Meta->SizeY, Meta->SizeZ};
    for (int32_t i = 0; i < Balls; i++) {
        const TkvVector &a = Formation(c.A, i), &b = Formation(c.B, i), &cc = Formation(c.C, i),
                        &d = Formation(c.D, i);
        float p[3] = {c.At(a.x, b.x, cc.x, d.x), c.At(a.y, b.y, cc.y, d.y), c.At(a.z, b.z, cc.z, d.z)};
        int32_t centre[3];
        // -1 .. 1 spans the grid; anything outside simply misses it.
        for (int32_t k = 0; k < 3; k++)
            centre[k] = ZynRoundToInt32((double(p[k]) * spread + 1) * Meta->CellSize * size[k] / 2);
        Meta->Balls[i] = TkvIntVector{centre[0], centre[1], centre[2], 0};
    }
    Meta->BallCount = Balls;
}

void TvisMetaBallScene::RenderField(bool recompute, const char* errorLine)
{
    try {
        Meta->Render(recompute);
    } catch (const std::exception&) {
        ZynLogError(errorLine);
    }
}

void TvisMetaBallScene::RenderSurface(const TVisData& visData, float dt, float alpha, const TMetaLook& look)
{
    TZynScene::Render(visData, dt, alpha);
    if (!Meta) return;
    float bass = Finite(visData.Bass, 0);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, bass * Finite(look.BassZoom, 0) - Finite(look.Distance, 3));
    Kick.Update(visData, dt);
    Kick.Use();

    FormationChain.Progress += dt * bass * Finite(look.BallSpeed, 0);
    FormationChain.Normalise(Formations);
    PlaceBalls(look);
    // The smallest balls' threshold bounds from above, the largest balls' from below.
    float iso = Finite(look.BassOfs - bass * look.BassScl, look.IsoHigh);
    iso = std::max(std::min(iso, Finite(look.IsoHigh, 2)), Finite(look.IsoLow, 1));
    Meta->IsoFactor = iso;

    glEnable(GL_BLEND);
    if (look.Solid == 1) {
        if (look.ClearDepth) glClear(GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
        glColor4f(1, 1, 1, alpha);
        glEnable(GL_CULL_FACE);
        if (look.CullBack) glCullFace(GL_BACK);
    } else {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4f(alpha, alpha, alpha, 1);
        glDisable(GL_DEPTH_TEST);
    }
    float mesh = float(Meta->SizeX);
    glScalef(2 / mesh, 2 / mesh, 2 / mesh);
    glTranslatef(-mesh / 2, -mesh / 2, -mesh / 2);
    if (look.CubeMap == 1) {
        BeginEnvMap();
    } else {
        kvSphereMapOn();
        UseTexture(look.Tex0);
        glEnable(GL_TEXTURE_2D);
    }
    if (look.Wire) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glLineWidth(float(std::clamp(look.LineWidth, 1, 8)));
    }
    RenderField(true, look.ErrorLine);
    if (look.Wire) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glLineWidth(1);
    }
    if (look.Solid == 1) glDisable(GL_CULL_FACE);

    float skin = Finite(look.SkinFactor, 0);
    if (skin > 0) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4f(1, 1, 1, alpha / 2);
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        Meta->IsoFactor = iso / skin;
        RenderField(false, look.ErrorLine);
        Meta->IsoFactor = iso;
        glDepthMask(GL_TRUE);
    }

    if (look.CubeMap == 1) {
        EndEnvMap();
    } else {
        kvSphereMapOff();
        glDisable(GL_TEXTURE_2D);
    }
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
