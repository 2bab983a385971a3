// Tunnel scene: the control-point chain, the camera and the rendered picture.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "platform/ZynRandom.h"
#include "scenes/ZynSceneTunnel.h"
#include "support/ZynRenderHarness.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>

using namespace ZynRenderTest;

namespace {
constexpr int32_t TunnelScene = 14;

// Puts every TUNNEL constant back to its compiled-in value when a test ends.
struct TunnelDefaults {
    ~TunnelDefaults()
    {
        for (int32_t i = 0; i < ConstCount(); i++)
            if (std::string(ConstRow(i)->Section) == "TUNNEL") ConstSetFloat(i, ConstDefault(i));
    }
};

class TunnelRender : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(S.Open(640, 480, 5)); }
    void TearDown() override { S.Close(); }
    TvisTunnel& Tunnel() { return *static_cast<TvisTunnel*>(S.Vis()->Scenes->Items(TunnelScene)); }
    TSession S;
    TunnelDefaults Restore;
};

bool Finite(const TkvVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
}

TEST_F(TunnelRender, ChainShiftsBothWaysAndStaysInOneSection)
{
    TvisTunnel& t = Tunnel();
    zcTUNNEL_Twistiness = 1;
    t.Reset();
    TkvVector near = t.ControlPoint(1), far = t.ControlPoint(zcTUNNEL_Length + 3);
    // Backwards: a new point appears at the near end, the rest move up by one.
    t.AdvanceChain(-0.5f);
    EXPECT_NEAR(t.Position(), 0.5f, 1e-6);
    EXPECT_EQ(t.ControlPoint(2).x, near.x);
    // Several sections in one step shift several times.
    t.AdvanceChain(3.75f);
    EXPECT_NEAR(t.Position(), 0.25f, 1e-5);
    EXPECT_NE(t.ControlPoint(zcTUNNEL_Length + 3).x, far.x);
    t.AdvanceChain(1e30f);
    t.AdvanceChain(NAN);
    EXPECT_GE(t.Position(), 0.0f);
    EXPECT_LT(t.Position(), 1.0f);
}

TEST_F(TunnelRender, NoTwistGivesAStraightTubeAlongMinusZ)
{
    zcTUNNEL_Twistiness = 0;
    TvisTunnel& t = Tunnel();
    t.Reset();
    t.BuildPath();
    int32_t n = TvisTunnel::SectionCount() * TvisTunnel::StepCount();
    for (int32_t k = 0; k < n; k++) {
        EXPECT_EQ(t.PathPoint(k).x, 0.0f);
        EXPECT_EQ(t.PathPoint(k).y, 0.0f);
        EXPECT_NEAR(t.PathPoint(k).z, -float(k) / TvisTunnel::StepCount(), 1e-5);
    }
}

TEST_F(TunnelRender, CameraSurvivesTinyWindowsAndSpinOnAStraightTube)
{
    S.ShowScene(TunnelScene);
    zcTUNNEL_Steps = 4;
    zcTUNNEL_Smoothness = 0.1f;   // Round(0.4) would be a window of no points
    ASSERT_TRUE(S.Frame(TInput::Music, 0.02f));
    EXPECT_TRUE(Finite(Tunnel().LastEye()));
    zcTUNNEL_Twistiness = 0;
    zcTUNNEL_Spin = 1;
    Tunnel().Reset();
    ASSERT_TRUE(S.Frame(TInput::Music, 0.02f));
    EXPECT_GT(std::fabs(Tunnel().LastUp().x) + std::fabs(Tunnel().LastUp().y), 0.5f);
    EXPECT_GT(LitFraction(S.Grab()), 0.2);
}

TEST_F(TunnelRender, MovesWithBassAndStandsStillAtTheBassLevel)
{
    S.ShowScene(TunnelScene);
    zcTUNNEL_BassLevel = 0;
    S.Frame(TInput::Silence, 0.02f);
    TImage a = S.Grab();
    S.Frame(TInput::Silence, 0.02f);
    TImage b = S.Grab();
    EXPECT_LT(ImageDifference(a, b), 0.01) << "silence at the bass level must stand still";
    EXPECT_GT(LitFraction(a), 0.3) << "the tube fills most of the screen";
    S.Frame(TInput::SteadyBass, 0.02f);
    TImage c = S.Grab();
    S.Frame(TInput::SteadyBass, 0.02f);
    TImage d = S.Grab();
    EXPECT_GT(ImageDifference(c, d), 0.5) << "bass above the level flies forward";
    if (const char* dump = std::getenv("ZYN_DUMP_DIR")) SavePPM(d, std::string(dump) + "/tunnel.ppm");
    EXPECT_GT(Tunnel().Position(), 0.0f);
}

TEST_F(TunnelRender, StraightTubeWithoutSpinIsMirrorSymmetric)
{
    S.ShowScene(TunnelScene);
    zcTUNNEL_Twistiness = 0;
    zcTUNNEL_Spin = 0;
    zcTUNNEL_BassLevel = 0;
    Tunnel().Reset();
    S.Frame(TInput::Silence, 0.02f);
    TImage straight = S.Grab();
    zcTUNNEL_Twistiness = 3;
    Tunnel().Reset();
    S.Frame(TInput::Silence, 0.02f);
    TImage twisted = S.Grab();
    // The wall texture itself need not be symmetric, so compare against a twisted tube.
    EXPECT_LT(MirrorDifference(straight), MirrorDifference(twisted) * 0.5);
}

TEST_F(TunnelRender, EveryConstantAtItsLimitsRendersCleanly)
{
    S.ShowScene(TunnelScene);
    for (int32_t i = 0; i < ConstCount(); i++) {
        const TConstDef* row = ConstRow(i);
        if (std::string(row->Section) != "TUNNEL" || std::string(row->Name) == "TEX0") continue;
        for (double extreme : {-1e9, 1e9}) {
            ConstSetFloat(i, extreme);   // the registry clamps to the row's limits
            Tunnel().Reset();
            for (TInput in : {TInput::Silence, TInput::SteadyBass, TInput::Music})
                EXPECT_TRUE(S.Frame(in, 0.05f)) << ConstFullName(i) << " at " << extreme;
            EXPECT_TRUE(Finite(Tunnel().LastEye())) << ConstFullName(i);
            EXPECT_TRUE(std::isfinite(Tunnel().Position())) << ConstFullName(i);
        }
        ConstSetFloat(i, ConstDefault(i));
    }
    // Formulas write the variables directly, past the limits.
    zcTUNNEL_Length = 1000;
    zcTUNNEL_Steps = -3;
    zcTUNNEL_Sides = 0;
    zcTUNNEL_Smoothness = NAN;
    Tunnel().Reset();
    EXPECT_TRUE(S.Frame(TInput::Music, 0.02f));
    EXPECT_TRUE(Finite(Tunnel().LastEye()));
}
