// The scene and fader catalogues: fixed order, names, sections and texture requests.
#include "EngineTestSupport.h"

#include "engine/ZynVis.h"

namespace {
class CatalogueTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ZynVisHooks = TZynVisHooks{};
    }
    void TearDown() override
    {
        ZynVisHooks = ZynVisDefaultHooks();
        GLTest::TearDown();
    }
};
}  // namespace

TEST_F(CatalogueTest, ScenesAndFadersAreBuiltInTheirFixedOrder)
{
    LogCapture log;
    TVisObject vis;
    const char* const scenes[24][2] = {
        {"SnakeCube", "SNAKE"}, {"Point Morph", "MORPH"}, {"Spark Sphere", "SSPHERE"},
        {"Flying Sparks", "SPARK"}, {"Visual Feedback", "KESSA"}, {"CubeField", "CUBEFIELD"},
        {"Cube Field 2", "CUBEFIELD2"}, {"Bass Cube", "CUBE"}, {"Fractal Cube", "FRACTCUBE"},
        {"Point Rendering", "POINT"}, {"MetaBall Morph", "META"}, {"HyperMetaBall Morph", "HYPERMORPH"},
        {"Ripples on a Torus", "TORUS"}, {"Down the Vortex", "VORTEX"}, {"Tunnel", "TUNNEL"},
        {"Image Sphere", "SPHERE"}, {"SkyBox", "SKYBOX"}, {"Recurse", "RECURSE"}, {"Particle", "PARTICLE"},
        {"Plasma Ball", "PLASMA"}, {"Texture Blitter", "BLIT"}, {"Texture Warper", "WARP"},
        {"Texture Wrapper", "WRAP"}, {"Contours", "CONTOUR"}};
    ASSERT_EQ(vis.Scenes->Count(), 24);
    EXPECT_EQ(vis.SceneTotal, 24);
    for (int32_t n = 0; n < 24; n++) {
        EXPECT_EQ(vis.Scenes->Items(n)->Name, scenes[n][0]) << n;
        EXPECT_EQ(vis.Scenes->Items(n)->Section, scenes[n][1]) << n;
    }
    // Texture slots: none for the snake cube and the torus, two for points and plasma.
    EXPECT_EQ(vis.Scenes->Items(0)->TextureSlotCount, 0);
    EXPECT_EQ(vis.Scenes->Items(12)->TextureSlotCount, 0);
    EXPECT_EQ(vis.Scenes->Items(9)->TextureSlotCount, 2);
    EXPECT_EQ(vis.Scenes->Items(19)->TextureSlotCount, 2);
    for (int32_t n : {1, 4, 7, 8}) EXPECT_TRUE(vis.Scenes->Items(n)->RendersToTexture) << n;
    EXPECT_FALSE(vis.Scenes->Items(14)->RendersToTexture);

    const char* const faders[10][2] = {
        {"FMERGE", "Merge"}, {"FHSTRIP", "Horizontal Strip"}, {"FVSTRIP", "Vertical Strip"},
        {"FSSQUARE", "Shrinking Squares"}, {"FSSQUARES", "Spinning Squares"}, {"FCUBE", "Spinning Cube"},
        {"FCENTER", "Looney Tunes"}, {"FRIPPLE", "Ripple Out"}, {"FSLICES", "Sliced Cube"},
        {"FDISTORT", "Distorting Image"}};
    ASSERT_EQ(vis.Faders->Count(), 10);
    for (int32_t i = 0; i < 10; i++) {
        TZynFader* f = vis.Faders->Items(i);
        EXPECT_EQ(f->Section, faders[i][0]) << i;
        EXPECT_EQ(f->Name, faders[i][1]) << i;
        EXPECT_TRUE(f->NeedsOldTexture) << i;
        bool wantsNew = i == 5 || i == 8 || (i == 9 && zcFDISTORT_Double == 1);
        EXPECT_EQ(f->NeedsNewTexture, wantsNew) << i;
    }
    // Construction logs the separator three times and resets nothing it should not.
    EXPECT_EQ(log.CountOf("--------------------------------"), 3);
    EXPECT_FALSE(log.AnyContains("#ERROR"));
}

TEST_F(CatalogueTest, DistortionAsksForTheNewPictureOnlyWhenDoubleIsSetAtConstruction)
{
    LogCapture log;
    int32_t saved = zcFDISTORT_Double;
    zcFDISTORT_Double = 0;
    TVisObject vis;
    EXPECT_FALSE(vis.Faders->Items(9)->NeedsNewTexture);
    zcFDISTORT_Double = 1;
    EXPECT_FALSE(vis.Faders->Items(9)->NeedsNewTexture);   // taken over only by a rebuild
    vis.RestartFader(9);
    EXPECT_TRUE(vis.Faders->Items(9)->NeedsNewTexture);
    zcFDISTORT_Double = saved;
}
