// Texture scenes: the blitter shows a custom image as it is, the wrapper without overlap is the plain texture, and
// the contours stand still at their bass level.
#include "config/ZynConstDef.h"
#include "gfx/ZynTextures.h"
#include "scenes/ZynSceneContour.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace ZynRenderTest;

namespace {
constexpr int32_t BlitScene = 20, WrapScene = 22;

class TextureScenes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(S.Open(640, 480, 7)); }
    void TearDown() override
    {
        zcBLIT_TEX0 = 19;
        zcBLIT_Zoom = 0;
        zcWRAP_Overlap = 0.5f;
        S.Close();
    }
    TImage Show(int32_t scene)
    {
        S.ShowScene(scene);
        EXPECT_TRUE(S.Frame(TInput::Music, 0.02f));
        return S.Grab();
    }
    TSession S;
};

// Mean colour of the middle half of one quadrant (qx, qy 0 or 1, from the bottom left).
void QuadrantColour(const TImage& img, int qx, int qy, double out[3])
{
    int32_t w = img.Width / 2, h = img.Height / 2;
    double sum[3] = {0, 0, 0};
    int64_t n = 0;
    for (int32_t y = qy * h + h / 4; y < qy * h + 3 * h / 4; y++)
        for (int32_t x = qx * w + w / 4; x < qx * w + 3 * w / 4; x++, n++)
            for (int c = 0; c < 3; c++) sum[c] += img.Rgb[(size_t(y) * img.Width + x) * 3 + c];
    for (int c = 0; c < 3; c++) out[c] = sum[c] / double(n);
}
}

TEST_F(TextureScenes, BlitShowsACustomImageFullScreenQuadrantByQuadrant)
{
    // Four colours, first stored row at the bottom: red, green below; blue, white above.
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    TkvImage image = kvNewImage(64, 64);
    for (int32_t y = 0; y < 64; y++)
        for (int32_t x = 0; x < 64; x++) {
            const uint8_t* c = colours[(y / 32) * 2 + x / 32];
            uint8_t* p = image.At(size_t(y) * 64 + size_t(x));
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
        }
    ASSERT_TRUE(S.Vis()->Textures()->CustomTexReplace(3, image));
    zcBLIT_TEX0 = 3;
    TImage shot = Show(BlitScene);
    for (int q = 0; q < 4; q++) {
        double got[3];
        QuadrantColour(shot, q % 2, q / 2, got);
        for (int c = 0; c < 3; c++) EXPECT_NEAR(got[c], colours[q][c], 4.0) << "quadrant " << q << " channel " << c;
    }
    // Zoom at its limit crops to the centre: one colour everywhere.
    zcBLIT_Zoom = 0.5f;
    shot = Show(BlitScene);
    double a[3], b[3];
    QuadrantColour(shot, 0, 0, a);
    QuadrantColour(shot, 1, 1, b);
    for (int c = 0; c < 3; c++) EXPECT_NEAR(a[c], b[c], 2.0);
}

TEST_F(TextureScenes, WrapWithoutOverlapIsThePlainTexture)
{
    TImage plain = Show(BlitScene);
    zcWRAP_Overlap = 0;
    EXPECT_LT(ImageDifference(plain, Show(WrapScene)), 1.0);
    zcWRAP_Overlap = 0.5f;
    EXPECT_GT(ImageDifference(plain, Show(WrapScene)), 2.0) << "the cross-faded edges show";
}

TEST(ContourPhase, StandsStillAtTheBassLevelAndSurvivesBadInput)
{
    static const TZynSceneClass cls = ZynSceneClassOf<TvisContour>("TvisContour");
    auto scene = ZynCreateScene(cls, nullptr);
    TvisContour& c = static_cast<TvisContour&>(*scene);
    c.AdvancePhase(zcCONTOUR_BassNormal, 5);
    EXPECT_EQ(c.Phase(), 0.0f);
    c.AdvancePhase(0, 1);   // below the level the contours run backwards
    EXPECT_NEAR(c.Phase(), -zcCONTOUR_BassNormal * zcCONTOUR_BassAmount, 1e-6);
    float before = c.RampAt(0.3f, 0.7f);
    c.AdvancePhase(NAN, 1);
    c.AdvancePhase(1, INFINITY);
    EXPECT_EQ(c.RampAt(0.3f, 0.7f), before);
    // Hours of loud music keep the phase small enough to resolve the contours.
    for (int i = 0; i < 1000; i++) c.AdvancePhase(2, 100);
    EXPECT_LT(std::fabs(c.Phase()), 63.0f);
}
