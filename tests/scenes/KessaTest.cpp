// Visual feedback scene: the effect cycle, the warp mesh and what the feedback does to a picture.
#include "config/ZynConst.h"
#include "config/ZynConstFormula.h"
#include "scenes/SceneDataFiles.h"
#include "scenes/ZynSceneKessa.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace ZynRenderTest;

namespace {
const TZynSceneClass KessaClass = ZynSceneClassOf<TvisKessa>("TvisKessa");

std::string Effect(const std::string& map, int style = 4, const std::string& vis = "")
{
    return "FMap=" + map + "\nFVis=" + vis + "\nVisStyle=" + std::to_string(style) + "\n";
}

// Puts the KESSA constants back when a test ends.
struct KessaDefaults {
    ~KessaDefaults()
    {
        for (int32_t i = 0; i < ConstCount(); i++)
            if (std::string(ConstRow(i)->Section) == "KESSA") ConstSetFloat(i, ConstDefault(i));
    }
};

// A headless session whose only scene is the feedback scene, loading the
// effects a test wrote into its own data folder.
class KessaRender : public ::testing::Test {
protected:
    void Start(const std::string& visfeed)
    {
        ASSERT_TRUE(S.Open(320, 240, 4));
        ShowWithOwnData(S, KessaClass, {{"Test.visfeed", visfeed}});
    }
    TvisKessa& Scene() { return *static_cast<TvisKessa*>(S.Vis()->Scenes->Items(0)); }
    void Frames(int n, TInput input = TInput::Music)
    {
        for (int i = 0; i < n; i++) ASSERT_TRUE(S.Frame(input, 1.0f / 30));
    }
    KessaDefaults Restore;
    TSession S;
};
}  // namespace

TEST(Kessa, EffectsHoldThenMorphAndNoTimerSettingHangs)
{
    ConstFormulaInstallHooks();
    KessaDefaults restore;
    TScratchData dir;
    dir.Write("A.visfeed", "[MAIN]\ncount=2\n[1]\n" + Effect("R=1;") + "[2]\n" + Effect("R=1;"));
    std::unique_ptr<TZynScene> made = ZynCreateScene(KessaClass, nullptr);
    TvisKessa& k = static_cast<TvisKessa&>(*made);
    ASSERT_EQ(k.EffectCount(), 2);
    EXPECT_EQ(k.CurrentEffect(), k.NextEffectIndex());   // Reset leaves it holding
    zcKESSA_SceneTime = 4;
    zcKESSA_ChangeSpeed = 0.5f;
    k.AdvanceTimer(3.9f);
    EXPECT_EQ(k.CurrentEffect(), k.NextEffectIndex());
    k.AdvanceTimer(0.2f);                                // hold over: a morph starts
    EXPECT_NE(k.CurrentEffect(), k.NextEffectIndex());
    int32_t next = k.NextEffectIndex();
    k.AdvanceTimer(0.5f);                                // morph over: holding the new effect
    EXPECT_EQ(k.CurrentEffect(), next);
    EXPECT_EQ(k.NextEffectIndex(), next);

    zcKESSA_ChangeSpeed = 0;
    zcKESSA_SceneTime = -1;
    k.AdvanceTimer(1);
    k.AdvanceTimer(NAN);
    zcKESSA_SceneTime = NAN;
    k.AdvanceTimer(1e30f);
    EXPECT_GE(k.BlendTimer(), 0.0f);
    EXPECT_LT(k.BlendTimer(), 1.0f);
    zcKESSA_Sparks = 100000;
    k.Reset();
    EXPECT_EQ(k.SparkCount(), TvisKessa::MaxSparks);
}

TEST(Kessa, OneEffectIsHeldForEverAndNoneDrawsNothingWithoutFailing)
{
    ConstFormulaInstallHooks();
    TScratchData dir;
    dir.Write("One.visfeed", "[MAIN]\ncount=1\n[1]\n" + Effect("R=1;"));
    std::unique_ptr<TZynScene> one = ZynCreateScene(KessaClass, nullptr);
    auto& k = static_cast<TvisKessa&>(*one);
    for (int i = 0; i < 30; i++) k.AdvanceTimer(1);
    EXPECT_EQ(k.CurrentEffect(), 0);
    EXPECT_EQ(k.NextEffectIndex(), 0);
    std::filesystem::remove(dir.Base / "data" / "One.visfeed");
    std::unique_ptr<TZynScene> none = ZynCreateScene(KessaClass, nullptr);
    static_cast<TvisKessa&>(*none).BuildMesh(0, 0, 0, 0.1f, 1, 0);   // no effect: nothing built
}

TEST(Kessa, MeshMapsPolarDisplacementAndSaturatesTints)
{
    ConstFormulaInstallHooks();
    KessaDefaults restore;
    TScratchData dir;
    // Polar: a displacement of length 0.5 at 90 degrees, a tint over 1 and one that is not a number.
    dir.Write("P.visfeed", "[MAIN]\ncount=1\n[1]\nUsePolar=1\n" +
                               Effect("MapA=0.5; MapB=pi/2; R=4; G=0.25; B=0/0; A=Radius;"));
    std::unique_ptr<TZynScene> made = ZynCreateScene(KessaClass, nullptr);
    auto& k = static_cast<TvisKessa&>(*made);
    zcKESSA_MeshX = 4;
    zcKESSA_MeshY = 4;
    k.BuildMesh(0, 0, 0, 0.5f, 2.0f, 0);
    const float* v = k.MeshVertex(0, 0);          // grid point (-0.5 * aspect, -0.5)
    EXPECT_NEAR(v[0], (-1.0f + 0.0f) / 2, 1e-5);   // x: no sideways move, divided by the aspect
    EXPECT_NEAR(v[1], -0.5f + 0.25f, 1e-5);       // y: 0.5 per second for half a second
    EXPECT_FLOAT_EQ(v[2], 1);                     // tint 4 saturates to 1
    EXPECT_NEAR(v[3], std::sqrt(0.25f), 1e-5);    // a tint is a factor per second
    EXPECT_EQ(v[4], 0);                           // not a number: black (0 to the power 0.5)
    const float* centre = k.MeshVertex(2, 2);     // the warp centre
    EXPECT_NEAR(centre[5], std::sqrt(0.001f), 1e-5);   // the radius there is kept at 0.001
    zcKESSA_MeshX = 100000;                       // a formula may write any size
    zcKESSA_MeshY = -3;
    k.BuildMesh(0, 0, 0, 0.5f, 2.0f, 0);
    EXPECT_EQ(TvisKessa::MeshColumns(), TvisKessa::MaxMesh - 1);
    EXPECT_EQ(TvisKessa::MeshRows(), 1);
}

TEST_F(KessaRender, AnIdentityEffectKeepsThePictureUnchanged)
{
    Start("[MAIN]\ncount=1\n[1]\n" + Effect("MapA=0; MapB=0; R=1; G=1; B=1; A=1;", 1,
                                            "R=1; G=0.8; B=0.4; A=1; Radius=1; Theta=Time;"));
    Frames(20);   // the waveform paints a picture
    zcKESSA_DrawVis = 0;
    Frames(2);
    TImage before = S.Grab();
    EXPECT_GT(LitFraction(before), 0.02);
    Frames(30);
    EXPECT_LT(ImageDifference(before, S.Grab()), 0.5);
}

TEST_F(KessaRender, ATintOfOneHalfHalvesTheBrightnessInASecond)
{
    Start("[MAIN]\ncount=1\n[1]\n" + Effect("MapA=0; MapB=0; R=0.5; G=0.5; B=0.5; A=1;"));
    zcKESSA_UseTex = 1;   // the overlay picture burns in
    Frames(15);
    zcKESSA_UseTex = 0;
    Frames(1);
    double start = MeanBrightness(S.Grab());
    ASSERT_GT(start, 20.0);
    Frames(30);
    double ratio = MeanBrightness(S.Grab()) / start;
    EXPECT_GT(ratio, 0.4);
    EXPECT_LT(ratio, 0.6);
}

TEST_F(KessaRender, AFileWithASyntaxErrorIsReportedAndTheOthersRun)
{
    TLogLines log;
    ASSERT_TRUE(S.Open(320, 240, 4));
    ShowWithOwnData(S, KessaClass,
                    {{"Bad.visfeed", "[MAIN]\ncount=1\n[1]\n" + Effect("MapA=(0.1+;R=1;G=1;B=1;A=1;", 1)},
                     {"Good.visfeed", "[MAIN]\ncount=1\n[1]\n" + Effect("MapA=X; MapB=Y; R=0.9; G=0.9; B=0.9; A=1;", 3,
                                                                        "R=1; G=1; B=1; A=1; Radius=0.5; Theta=1;")}});
    EXPECT_GE(log.Containing("#FORMULA ERROR"), 1);
    EXPECT_EQ(Scene().EffectCount(), 2);
    zcKESSA_SceneTime = 0.2f;   // both effects come round
    zcKESSA_ChangeSpeed = 0.2f;
    Frames(60);
    EXPECT_GT(LitFraction(S.Grab()), 0.01);
}
