// Point morph scene: the shape and rotation chains, formula shapes and the drawn cloud.
#include "config/ZynConst.h"
#include "config/ZynConstFormula.h"
#include "scenes/SceneDataFiles.h"
#include "scenes/ZynScenePointMorph.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>

using namespace ZynRenderTest;

namespace {
const TZynSceneClass MorphClass = ZynSceneClassOf<TvisPointMorph>("TvisPointMorph");

// n frames, frame f with every point at (f, 0, 0) and white.
std::string Frames(int n)
{
    std::string out;
    for (int f = 0; f < n; f++) {
        for (int i = 0; i < kZynMorphPoints; i++) {
            float v[4] = {float(f), 0, 0, 0};
            out.append(reinterpret_cast<const char*>(v), sizeof v);
            out.append(4, char(255));
        }
    }
    return out;
}

struct MorphDefaults {
    ~MorphDefaults()
    {
        for (int32_t i = 0; i < ConstCount(); i++)
            if (std::string(ConstRow(i)->Section) == "MORPH") ConstSetFloat(i, ConstDefault(i));
    }
};

std::unique_ptr<TvisPointMorph> Make()
{
    return std::unique_ptr<TvisPointMorph>(static_cast<TvisPointMorph*>(ZynCreateScene(MorphClass, nullptr).release()));
}
}  // namespace

TEST(PointMorph, ChainsHoldAfterEachMorphAndSurviveAnyStep)
{
    ConstFormulaInstallHooks();
    MorphDefaults restore;
    TScratchData dir;
    dir.Write("Three.morph", Frames(3));
    dir.Write("Short.morph", Frames(1).substr(1));   // refused
    auto m = Make();
    ASSERT_EQ(m->ShapeCount(), 3);
    zcMORPH_Allways = 0;
    // Reset leaves a hold (c = d); the next unit morphs, the one after holds again.
    const int32_t* c = m->MorphChain();
    EXPECT_EQ(c[2], c[3]);
    m->Advance(1.0f, 1.5f);   // progress += 1 * (1.5 - 0.5) * 1
    EXPECT_NE(c[2], c[3]);
    m->Advance(1.0f, 1.5f);
    EXPECT_EQ(c[2], c[3]);
    for (int32_t i = 0; i < 4; i++) EXPECT_TRUE(c[i] >= 0 && c[i] < 3);
    // Backwards (bass below MoveAvr) plays the chain the other way.
    int32_t held = c[2];
    m->Advance(1.0f, -0.5f);
    EXPECT_EQ(c[3], held);

    m->Advance(1.0f, 1e30f);
    m->Advance(1.0f, NAN);
    zcMORPH_MinRotate = 1e9f;   // unreachable: still returns
    m->Advance(1.0f, 1e30f);
    EXPECT_GE(m->MorphProgress(), 0.0f);
    EXPECT_LE(m->MorphProgress(), 1.0f);
    EXPECT_GE(m->RotationProgress(), 0.0f);
    EXPECT_LE(m->RotationProgress(), 1.0f);

    zcMORPH_MinRotate = 0;   // rotations never change after a reset
    m->Reset();
    TkvVector q1 = m->Rotation(1);
    for (int i = 0; i < 5; i++) m->Advance(1.0f, 3);
    EXPECT_EQ(m->Rotation(1).x, q1.x);
    EXPECT_EQ(m->Rotation(1).y, q1.y);
}

TEST(PointMorph, FormulaShapesSpreadRowsAndSaturateColours)
{
    ConstFormulaInstallHooks();
    TScratchData dir;
    dir.Write("A.amorph", "[MAIN]\ncount=2\n[1]\nFPoint=X=D1; Y=D2; Z=0/0; R=3; G=0-1; B=0/0; A=0.5;\nRow=360\n"
                          "[2]\nFPoint=X=D1; Y=D2;\nRow=36\n");
    auto m = Make();
    ASSERT_EQ(m->ShapeCount(), 2);
    TZynMorphFrame f;
    m->GetFrame(1, f);   // section 1: one row
    EXPECT_EQ(f[359].X, 359.0f / 360 * 128);
    EXPECT_EQ(f[359].Y, 0.0f);
    EXPECT_EQ(f[0].Z, 0.0f);
    EXPECT_EQ(int(f[0].R), 255);
    EXPECT_EQ(int(f[0].G), 0);
    EXPECT_EQ(int(f[0].B), 0);
    EXPECT_EQ(int(f[0].A), 127);
    m->GetFrame(0, f);   // section 2: ten rows of 36
    EXPECT_EQ(f[35].Y, 0.0f);
    EXPECT_FLOAT_EQ(f[359].Y, 128.0f);
    EXPECT_FLOAT_EQ(f[36 * 5].Y, 5.0f / 9 * 128);
    m->GetFrame(7, f);   // no such shape
    EXPECT_EQ(f[0].A, 0);
}

TEST(PointMorph, BlendingMixesColoursAndTurnsAboutXThenY)
{
    TScratchData dir;
    auto m = Make();
    TZynMorphFrame a{}, b{};
    for (auto& p : a) p = TZynMorphPoint{0, 256, 0, 0, 0, 0, 0};
    for (auto& p : b) p = TZynMorphPoint{0, 256, 0, 200, 100, 50, 255};
    const float half = 3.14159265f / 2;
    m->BlendPoints(a, b, 0.5f, half, 0, 1);   // y turns into z about x
    EXPECT_NEAR(m->Point(0).Y, 0, 1e-5);
    EXPECT_NEAR(m->Point(0).Z, 1, 1e-5);
    EXPECT_EQ(int(m->Point(0).R), 100);
    EXPECT_EQ(int(m->Point(0).A), 128);       // 127.5 rounds to even
    m->BlendPoints(a, b, 1, half, half, 2);   // then z turns into x about y
    EXPECT_NEAR(m->Point(0).X, -2, 1e-5);
}

TEST(PointMorph, AllPointsAtTheOriginConvergeToACentredSpot)
{
    TSession s;
    ASSERT_TRUE(s.Open(320, 240, 2));
    ShowWithOwnData(s, MorphClass, {{"Origin.morph", Frames(1)}});
    for (int i = 0; i < 60; i++) ASSERT_TRUE(s.Frame(TInput::Music, 1.0f / 30));
    TImage img = s.Grab();
    double sum = 0, sx = 0, sy = 0;
    for (int y = 0; y < img.Height; y++)
        for (int x = 0; x < img.Width; x++) {
            const uint8_t* p = &img.Rgb[size_t((y * img.Width + x) * 3)];
            double v = p[0] + p[1] + p[2];
            sum += v, sx += v * x, sy += v * y;
        }
    ASSERT_GT(sum, 0);
    EXPECT_NEAR(sx / sum, img.Width / 2.0, img.Width * 0.02);
    EXPECT_NEAR(sy / sum, img.Height / 2.0, img.Height * 0.02);
    EXPECT_GT(LitFraction(img), 0.0001);
    EXPECT_LT(LitFraction(img), 0.05);
}
