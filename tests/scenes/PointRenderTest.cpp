// Point rendering scene: the tiny picture read back row by row, and dots only where the source has light.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTex.h"
#include "scenes/ZynScenePointRender.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>
#include <string>

using namespace ZynRenderTest;

namespace {
constexpr int32_t PointScene = 9;

class PointRender : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(S.Open(640, 480, 3)); }
    void TearDown() override
    {
        for (int32_t i = 0; i < ConstCount(); i++)
            if (std::string(ConstRow(i)->Section) == "POINT") ConstSetFloat(i, ConstDefault(i));
        S.Close();
    }
    // Custom texture 0 as a 64 x 64 picture, dark left of column split, bright from it on.
    void SplitTexture(int32_t split)
    {
        TkvImage img = kvNewImage(64, 64);
        for (int32_t y = 0; y < 64; y++)
            for (int32_t x = 0; x < 64; x++) {
                uint8_t* p = img.At(size_t(y * 64 + x));
                p[0] = p[1] = p[2] = x >= split ? 255 : 0;
                p[3] = 255;
            }
        ASSERT_TRUE(S.Vis()->Textures()->CustomTexReplace(0, std::move(img)));
        zcPOINT_UseTex = 1;
        zcPOINT_TEX1 = 0;
    }
    const TvisPointRender& Scene() { return *static_cast<TvisPointRender*>(S.Vis()->Scenes->Items(PointScene)); }
    TSession S;
};
}  // namespace

TEST_F(PointRender, OddWidthsReadBackWithoutSkew)
{
    SplitTexture(32);
    S.ShowScene(PointScene);
    for (int32_t across : {63, 37}) {
        zcPOINT_X = across;
        zcPOINT_Y = 47;
        ASSERT_TRUE(S.Frame(TInput::Music, 0.02f));
        // The bright half starts in the same column on every row.
        const uint8_t* px = Scene().Pixels();
        int32_t first = -1;
        for (int32_t r = 0; r < 47; r++) {
            int32_t c = 0;
            while (c < across && px[(r * across + c) * 3] < 128) c++;
            if (first < 0) first = c;
            EXPECT_NEAR(c, first, 1) << "row " << r << " of " << across;
        }
        EXPECT_NEAR(first, across / 2, 2);
    }
}

TEST_F(PointRender, DotsOnlyWhereTheSourceHasLight)
{
    SplitTexture(64);   // all dark
    S.ShowScene(PointScene);
    ASSERT_TRUE(S.Frame(TInput::Music, 0.02f));
    EXPECT_LT(LitFraction(S.Grab()), 0.001);
    SplitTexture(32);
    ASSERT_TRUE(S.Frame(TInput::Music, 0.02f));
    TImage img = S.Grab();
    EXPECT_GT(LitFraction(img), 0.05);
    // Dots fill the right half only.
    int32_t litLeft = 0, litRight = 0;
    for (int32_t y = 0; y < img.Height; y++)
        for (int32_t x = 0; x < img.Width; x++)
            if (img.Rgb[size_t(y * img.Width + x) * 3] > 24) (x < img.Width / 2 ? litLeft : litRight)++;
    EXPECT_GT(litRight, 20 * (litLeft + 1));
}
