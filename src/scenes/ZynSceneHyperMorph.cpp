// ZynSceneHyperMorph: the HyperMetaBall Morph scene.
#include "scenes/ZynSceneHyperMorph.h"

#include "app/ZynLog.h"
#include "config/ZynConstDef.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double Pi = 3.14159265358979323846;

TkvVector Ball(double x, double y, double z) { return TkvVector{float(x), float(y), float(z), 0}; }
}

void TvisHyperMorph::Init()
{
    TZynScene::Init();
    Name = "HyperMetaBall Morph";
    Section = "HYPERMORPH";
    TextureSlotCount = 1;
    // Formulas may write any value: keep the field within its table ranges.
    CreateField(std::clamp(zcHYPERMORPH_MeshSize, 16, 64), std::clamp(zcHYPERMORPH_Radius, 5, 32),
                std::clamp(zcHYPERMORPH_Points, 8, 128), FormationTotal, 0);
    ComputeFormations();
    Reset();
}

void TvisHyperMorph::ComputeFormations()
{
    ZynLogLine("Calculating Morph Frames");
    const int32_t n = Balls;
    const int32_t e = std::max(ZynRoundToInt32(std::sqrt(double(n))), 1);
    const int32_t f = std::max(n / e, 1);
    for (int32_t i = 0; i < n; i++) {
        double t = double(i) / n, a = 2 * Pi * t;
        double g = std::sin(Pi * i / (2.0 * n)), h = 4 * Pi * (1 - g);
        FormationSlot(0, i) = Ball(std::sin(a), std::cos(a), 0);
        double ring = 2 * Pi * (i % e) / e;
        FormationSlot(1, i) = Ball(std::sin(ring), 2 * (double(i / e) / f - 0.5), std::cos(ring));
        FormationSlot(2, i) = Ball(g * std::sin(h), g * std::cos(h), 2 * g - 1);
        FormationSlot(3, i) = Ball(ZynRandomInt(256) / 128.0 - 1, ZynRandomInt(256) / 128.0 - 1,
                                   ZynRandomInt(256) / 128.0 - 1);
        double o = t < 0.5 ? std::sin(Pi * t) / 2 : 1 - std::sin(Pi * (1 - t)) / 2;
        FormationSlot(4, i) = Ball(std::sin(Pi * o) * std::sin(12 * Pi * t), std::sin(Pi * o) * std::cos(12 * Pi * t),
                                   std::cos(Pi * o));
        FormationSlot(5, i) = Ball(std::sin(a), std::cos(a), std::sin(2 * a));
        FormationSlot(6, i) = Ball(std::sin(a), std::cos(a), i % 2 == 1 ? 1 : -1);
        FormationSlot(7, i) = Ball(3 * (((i % e) + 0.5) / e - 0.5), 3 * (((i / e) + 0.5) / f - 0.5), 0);
        FormationSlot(8, i) = Ball(2 * (t - 0.5), std::cos(a), std::sin(a));
        double d = 2 * (t - 0.5);
        const TkvVector frame[4] = {Ball(0, 1, d), Ball(0, -1, d), Ball(0, d, 1), Ball(0, d, -1)};
        FormationSlot(9, i) = frame[i % 4];
        FormationSlot(10, i) = i % 2 == 1 ? Ball(0, 0.8 * (std::cos(a) - 0.5), 0.8 * std::sin(a))
                                          : Ball(0.8 * std::sin(a), 0.8 * (std::cos(a) + 0.5), 0);
        FormationSlot(11, i) = i < n / 2 ? Ball(std::sin(2 * a), 0, std::cos(2 * a)) : Ball(0, 4 * (t - 0.75), 0);
    }
}

void TvisHyperMorph::Reset()
{
    TZynScene::Reset();
    ResetMotion();
}

void TvisHyperMorph::Render(const TVisData& visData, float dt, float alpha)
{
    TMetaLook look;
    look.BassZoom = zcHYPERMORPH_BassZoom;
    look.Distance = zcHYPERMORPH_Distance;
    look.BallSpeed = zcHYPERMORPH_BallSpeed;
    look.Spread = zcHYPERMORPH_Spread;
    look.BassOfs = zcHYPERMORPH_BassOfs;
    look.BassScl = zcHYPERMORPH_BassScl;
    look.IsoHigh = zcHYPERMORPH_BassMin;
    look.IsoLow = zcHYPERMORPH_BassMax;
    look.Solid = zcHYPERMORPH_Solid;
    look.CubeMap = zcHYPERMORPH_CubeMap;
    look.Tex0 = zcHYPERMORPH_TEX0;
    look.SkinFactor = zcHYPERMORPH_Skin == 1 ? 2.0f : 0;   // iso x 0.5
    look.ClearDepth = true;
    look.CullBack = true;
    look.ErrorLine = "visHyperMorph - Meta.Render Failed";
    RenderSurface(visData, dt, alpha, look);
}
