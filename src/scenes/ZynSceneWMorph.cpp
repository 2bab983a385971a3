// ZynSceneWMorph: the MetaBall Morph scene.
#include "scenes/ZynSceneWMorph.h"

#include "config/ZynConstDef.h"

#include <algorithm>

namespace {
constexpr float Diag = 0.566f;   // 0.8 / sqrt(2)

// Ball centres in -1 .. 1: a cube, a ring of eight, an octagon, a cross with
// a doubled centre, a leaning figure and two crossed bars.
constexpr float Shapes[TvisWMorph::FormationTotal][TvisWMorph::BallTotal][3] = {
    {{-0.4f, -0.4f, -0.4f}, {0.4f, -0.4f, -0.4f}, {-0.4f, 0.4f, -0.4f}, {0.4f, 0.4f, -0.4f},
     {-0.4f, -0.4f, 0.4f}, {0.4f, -0.4f, 0.4f}, {-0.4f, 0.4f, 0.4f}, {0.4f, 0.4f, 0.4f}},
    {{0.8f, 0, 0}, {0, 0.8f, 0}, {-0.8f, 0, 0}, {0, -0.8f, 0},
     {Diag, Diag, 0}, {Diag, -Diag, 0}, {-Diag, -Diag, 0}, {-Diag, Diag, 0}},
    {{0.8f, 0, 0}, {0.4f, 0.4f, 0}, {0, 0.8f, 0}, {-0.4f, 0.4f, 0},
     {-0.8f, 0, 0}, {-0.4f, -0.4f, 0}, {0, -0.8f, 0}, {0.4f, -0.4f, 0}},
    {{0.8f, 0, 0}, {-0.8f, 0, 0}, {0, 0.8f, 0}, {0, -0.8f, 0},
     {0, 0, 0.8f}, {0, 0, -0.8f}, {0, 0, 0}, {0, 0, 0}},
    {{0, 0, 0.8f}, {0, 0.4f, 0.05f}, {0, 0.8f, -0.7f}, {0, 0, -0.7f},
     {0, 0.8f, -0.7f}, {0, 0, 0.05f}, {0.7f, 0, 0}, {-0.7f, 0, 0}},
    {{0, 1, 0}, {0, 0.5f, 0}, {0, -0.5f, 0}, {0, -1, 0},
     {0, 0, 1}, {0, 0, 0.5f}, {0, 0, -0.5f}, {0, 0, -1}},
};
}

void TvisWMorph::Init()
{
    TZynScene::Init();
    Name = "MetaBall Morph";
    Section = "META";
    TextureSlotCount = 1;
    // Formulas may write any value: keep the field within its table ranges.
    CreateField(std::clamp(zcMETA_MeshSize, 16, 64), std::clamp(zcMETA_Radius, 5, 32), BallTotal,
                FormationTotal, 2);
    for (int32_t f = 0; f < FormationTotal; f++)
        for (int32_t i = 0; i < BallTotal; i++)
            FormationSlot(f, i) = TkvVector{Shapes[f][i][0], Shapes[f][i][1], Shapes[f][i][2], 0};
    Reset();
}

void TvisWMorph::Reset()
{
    TZynScene::Reset();
    ResetMotion();
}

void TvisWMorph::Render(const TVisData& visData, float dt, float alpha)
{
    TMetaLook look;
    look.BassZoom = zcMETA_BassZoom;
    look.Distance = zcMETA_Distance;
    look.BallSpeed = zcMETA_BallSpeed;
    look.Spread = zcMETA_Spread;
    look.BassOfs = zcMETA_BassOfs;
    look.BassScl = zcMETA_BassScl;
    look.IsoHigh = zcMETA_BallMin;
    look.IsoLow = zcMETA_BallMax;
    look.Solid = zcMETA_Solid;
    look.CubeMap = zcMETA_CubeMap;
    look.Tex0 = zcMETA_TEX0;
    look.Wire = zcMETA_Wire == 1;
    look.LineWidth = zcMETA_LineWidth;
    look.SkinFactor = zcMETA_Skin != 1 ? zcMETA_Skin : 0;
    look.ErrorLine = "visWaterMorph - Meta.Render Failed";
    RenderSurface(visData, dt, alpha, look);
}
