// The ten transitions: order and names, pictures during and after a change, limits.
#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "engine/ZynSceneCatalogue.h"
#include "faders/ZynFadeCommon.h"
#include "scenes/ZynSceneTunnel.h"
#include "support/ZynRenderHarness.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace ZynRenderTest;

namespace {

// A still picture that looks nothing like the tunnel: colour bands and a wedge.
class TvisTestPattern : public TZynScene {
public:
    void Init() override
    {
        TZynScene::Init();
        Name = "Pattern";
        Section = "BLIT";
        Reset();
    }
    void Render(const TVisData& visData, float dt, float alpha) override
    {
        TZynScene::Render(visData, dt, alpha);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_QUADS);
        glColor4f(0.9f, 0.2f, 0.1f, alpha); glVertex2f(-1, -1);
        glColor4f(0.1f, 0.3f, 0.9f, alpha); glVertex2f(1, -1);
        glColor4f(0.2f, 0.9f, 0.3f, alpha); glVertex2f(1, 1);
        glColor4f(0.9f, 0.9f, 0.2f, alpha); glVertex2f(-1, 1);
        glEnd();
        glColor4f(0, 0, 0, alpha);
        glBegin(GL_TRIANGLES);
        glVertex2f(-0.8f, -0.8f); glVertex2f(0.2f, -0.6f); glVertex2f(-0.5f, 0.7f);
        glEnd();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
};

const std::vector<TZynSceneClass>& TwoScenes()
{
    static const std::vector<TZynSceneClass> scenes = {
        ZynSceneClassOf<TvisTunnel>("TvisTunnel"),
        ZynSceneClassOf<TvisTestPattern>("TvisTestPattern"),
    };
    return scenes;
}

float FaderTime(int32_t f)
{
    const char* names[] = {"FMERGE", "FHSTRIP", "FVSTRIP", "FSSQUARE", "FSSQUARES",
                           "FCUBE", "FCENTER", "FRIPPLE", "FSLICES", "FDISTORT"};
    return ConstAsFloat(FindConst(std::string(names[f]) + ".Time"));
}

class FaderRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedBassLevel = zcTUNNEL_BassLevel;
        zcTUNNEL_BassLevel = 0;   // the tunnel stands still in silence
        ZynLogSetConsoleSink([this](const std::string& l) { Lines.push_back(l); });
    }
    void TearDown() override
    {
        ZynLogSetConsoleSink(nullptr);
        S.Close();
        zcTUNNEL_BassLevel = savedBassLevel;
    }
    TSession S;
    std::vector<std::string> Lines;
    float savedBassLevel = 0;
};

}  // namespace

TEST(FaderCatalogue, TenFadersInOrderWithTheirSections)
{
    const char* expect[][2] = {
        {"TfadeMerge", "FMERGE"}, {"TfadeHStrip", "FHSTRIP"}, {"TfadeVStrip", "FVSTRIP"},
        {"TfadeSquares", "FSSQUARE"}, {"TfadeSquareSpin", "FSSQUARES"}, {"TfadeCube", "FCUBE"},
        {"TfadeCenter", "FCENTER"}, {"TfadeRipple", "FRIPPLE"}, {"TfadeSlices", "FSLICES"},
        {"TfadeDistort", "FDISTORT"}};
    ASSERT_EQ(ZynFaderCatalogue().size(), 10u);
    for (int i = 0; i < 10; i++) EXPECT_EQ(ZynFaderCatalogue()[i].ClassName, expect[i][0]);
}

TEST(FaderTiming, ProgressAndCubeTimingSurviveDegenerateDurations)
{
    EXPECT_EQ(FadeProgress(0.5f, 0.0f), 1.0f);
    EXPECT_EQ(FadeProgress(0.5f, NAN), 1.0f);
    EXPECT_FLOAT_EQ(FadeProgress(0.5f, 2.0f), 0.25f);
    TFadeCubeTiming start = FadeCubeTiming(0, 2, 0.5f, 4.0f / 3);
    EXPECT_FLOAT_EQ(start.s, 0);
    EXPECT_FLOAT_EQ(start.aspect, 1);       // the flat picture fills the screen
    TFadeCubeTiming mid = FadeCubeTiming(1, 2, 0.5f, 4.0f / 3);
    EXPECT_FLOAT_EQ(mid.s, 0.5f);
    EXPECT_FLOAT_EQ(mid.aspect, 4.0f / 3);
    TFadeCubeTiming over = FadeCubeTiming(7, 2, 0.5f, 4.0f / 3);   // clamped end pose
    EXPECT_FLOAT_EQ(over.s, 1);
    EXPECT_FLOAT_EQ(over.aspect, 1);
    TFadeCubeTiming none = FadeCubeTiming(0.3f, 0, 0, 1.5f);
    EXPECT_FLOAT_EQ(none.s, 1);
    EXPECT_TRUE(std::isfinite(none.aspect));
}

TEST_F(FaderRender, EachFaderBlendsTunnelIntoTheNextScene)
{
    const char* names[] = {"Merge", "Horizontal Strip", "Vertical Strip", "Shrinking Squares",
                           "Spinning Squares", "Spinning Cube", "Looney Tunes", "Ripple Out",
                           "Sliced Cube", "Distorting Image"};
    ASSERT_TRUE(S.Open(320, 240, 9));
    S.UseScenes(TwoScenes());
    S.ShowScene(1);
    S.Frame(TInput::Silence, 0.02f);
    TImage pattern = S.Grab();
    for (int32_t f = 0; f < 10; f++) {
        SCOPED_TRACE(names[f]);
        S.ShowScene(0);
        S.Frame(TInput::Silence, 0.02f);
        TImage tunnel = S.Grab();
        ASSERT_GT(ImageDifference(tunnel, pattern), 10.0);
        Lines.clear();
        S.Vis()->SceneChange(1, f);
        ASSERT_EQ(S.Vis()->CurrentScene, 1);
        EXPECT_NE(std::find(Lines.begin(), Lines.end(), "RESETFADER \"" + std::string(names[f]) + "\""), Lines.end());
        float dt = FaderTime(f) / 10;
        for (int i = 0; i < 5; i++) ASSERT_TRUE(S.Frame(TInput::Silence, dt));
        TImage mid = S.Grab();
        if (const char* dump = std::getenv("ZYN_DUMP_DIR")) SavePPM(mid, std::string(dump) + "/fade_mid" + std::to_string(f) + ".ppm");
        EXPECT_GT(ImageDifference(mid, tunnel), 2.0) << "mid-fade equals the old scene";
        EXPECT_GT(ImageDifference(mid, pattern), 2.0) << "mid-fade equals the new scene";
        for (int i = 0; i < 7 && S.Vis()->FadeProgress < 1; i++) ASSERT_TRUE(S.Frame(TInput::Silence, dt));
        EXPECT_GE(S.Vis()->FadeProgress, 1.0f);
        S.Frame(TInput::Silence, dt);
        EXPECT_LT(ImageDifference(S.Grab(), pattern), 0.5) << "after the fade only the new scene shows";
    }
}

TEST_F(FaderRender, FirstFrameOfEachFaderShowsTheOldPicture)
{
    ASSERT_TRUE(S.Open(320, 240, 9));
    S.UseScenes(TwoScenes());
    // Faders that draw only the old picture over the new one cover it exactly at p = 0.
    for (int32_t f : {0, 1, 2, 3, 4, 6}) {
        S.ShowScene(0);
        S.Frame(TInput::Silence, 0.02f);
        TImage tunnel = S.Grab();
        S.Vis()->SceneChange(1, f);
        S.Frame(TInput::Silence, 0.0001f);
        EXPECT_LT(BlockDifference(S.Grab(), tunnel), 3.0) << f;
        S.Frame(TInput::Silence, 100.0f);   // longer than any duration: ends at once
        EXPECT_GE(S.Vis()->FadeProgress, 1.0f) << f;
    }
}

TEST_F(FaderRender, EveryFaderConstantAtItsLimitsFinishesCleanly)
{
    ASSERT_TRUE(S.Open(160, 120, 3));
    S.UseScenes(TwoScenes());
    const char* sections[] = {"FMERGE", "FHSTRIP", "FVSTRIP", "FSSQUARE", "FSSQUARES",
                              "FCUBE", "FCENTER", "FRIPPLE", "FSLICES", "FDISTORT"};
    for (int32_t f = 0; f < 10; f++) {
        for (int32_t i = 0; i < ConstCount(); i++) {
            if (std::string(ConstRow(i)->Section) != sections[f]) continue;
            for (double extreme : {-1e9, 1e9}) {
                ConstSetFloat(i, extreme);
                S.Vis()->RestartFader(f);
                S.ShowScene(0);
                S.Frame(TInput::Music, 0.02f);
                S.Vis()->SceneChange(1, f);
                int frames = 0;
                while (S.Vis()->FadeProgress < 1 && frames < 100) {
                    EXPECT_TRUE(S.Frame(TInput::Music, 0.25f)) << ConstFullName(i) << " " << extreme;
                    frames++;
                }
                EXPECT_LT(frames, 100) << ConstFullName(i) << " never finished";
            }
            ConstSetFloat(i, ConstDefault(i));
            S.Vis()->RestartFader(f);
        }
    }
    // Values formulas may write straight into the variables.
    zcFHSTRIP_Strips = 0;
    zcFHSTRIP_Time = 0;
    S.ShowScene(0);
    S.Frame(TInput::Music, 0.02f);
    S.Vis()->SceneChange(1, 1);
    EXPECT_TRUE(S.Frame(TInput::Music, 0.02f));
    EXPECT_GE(S.Vis()->FadeProgress, 1.0f);
    zcFHSTRIP_Strips = 16;
    zcFHSTRIP_Time = 1;
}
