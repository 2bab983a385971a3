// Vortex scene: the control chain turns within its limits, always ends its search and never reads unbuilt points.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "platform/ZynRandom.h"
#include "scenes/ZynSceneVortex.h"

#include <gtest/gtest.h>
#include <cmath>
#include <memory>

namespace {
const TZynSceneClass& VortexClass()
{
    static const TZynSceneClass c = ZynSceneClassOf<TvisVortex>("TvisVortex");
    return c;
}

class VortexChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZynRandomize(3);
        Scene = ZynCreateScene(VortexClass(), nullptr);   // no GL needed below
    }
    void TearDown() override
    {
        for (int32_t i = 0; i < ConstCount(); i++)
            if (std::string(ConstRow(i)->Section) == "VORTEX") ConstSetFloat(i, ConstDefault(i));
    }
    TvisVortex& V() { return static_cast<TvisVortex&>(*Scene); }
    std::unique_ptr<TZynScene> Scene;
};

TkvVector Segment(const TvisVortex& v, int32_t i)
{
    TkvVector d;
    VecSub(v.ControlPoint(i), v.ControlPoint(i - 1), d);
    return d;
}

// Every segment of the chain: its length, its turn from the one before, the
// up vector carried along it, and the chain centred on the origin.
void ExpectChain(const TvisVortex& v, float length, float minDeg, float maxDeg)
{
    int32_t n = TvisVortex::SectionCount() + 4;
    TkvVector sum{};
    for (int32_t i = 0; i < n; i++) VecAdd(sum, v.ControlPoint(i), sum);
    EXPECT_LT(VecLength(sum) / n, 1e-3f * length);
    for (int32_t i = 1; i < n; i++) {
        TkvVector d = Segment(v, i);
        EXPECT_NEAR(VecLength(d), length, 1e-3f * length) << "segment " << i;
        EXPECT_NEAR(VecLength(v.ControlUp(i)), 1.0f, 1e-4f) << "up " << i;
        EXPECT_NEAR(VecDot(v.ControlUp(i), d) / length, 0.0f, 1e-3f) << "up " << i;
        if (i < 2) continue;
        float turn = VecAngle(Segment(v, i - 1), d) * 180 / 3.14159265f;
        EXPECT_GE(turn, minDeg - 0.05f) << "turn at " << i;
        EXPECT_LE(turn, maxDeg + 0.05f) << "turn at " << i;
    }
}
}

TEST_F(VortexChain, TurnsStayWithinTheLimitsAsTheChainShifts)
{
    ExpectChain(V(), 4, 45, 70);
    V().AdvanceChain(7.25f);
    EXPECT_NEAR(V().Position(), 0.25f, 1e-5);
    ExpectChain(V(), 4, 45, 70);
    // Huge, NaN and backward steps keep the position inside one section.
    for (float step : {1e30f, NAN, -3.0f}) {
        V().AdvanceChain(step);
        EXPECT_GE(V().Position(), 0.0f);
        EXPECT_LT(V().Position(), 1.0f);
    }
    ExpectChain(V(), 4, 45, 70);
}

TEST_F(VortexChain, ImpossibleAndNarrowLimitsStillEndTheSearch)
{
    zcVORTEX_MinRot = 80;
    zcVORTEX_MaxRot = 30;
    V().Reset();
    ExpectChain(V(), 4, 0, 0);   // no turn fits: straight ahead
    zcVORTEX_MinRot = 179.99f;   // a band far too thin to hit by chance
    zcVORTEX_MaxRot = 180;
    V().Reset();
    ExpectChain(V(), 4, 179.99f, 180);
    // Formulas write past the limits: angles and step length are taken in range.
    zcVORTEX_MinRot = -500;
    zcVORTEX_MaxRot = 1e9f;
    zcVORTEX_Movement = 0;
    V().Reset();
    ExpectChain(V(), 0.25f, 0, 180);
}

TEST_F(VortexChain, GrowingTheTubeContinuesTheChainAndTheCurveStaysOnIt)
{
    zcVORTEX_Length = 16;
    V().AdvanceChain(0);
    ExpectChain(V(), 4, 45, 70);
    zcVORTEX_Length = 1000;
    EXPECT_EQ(TvisVortex::SectionCount(), 16);
    // Past either end the curve stops at the chain's last and first drawn points.
    TkvVector far = V().PathPoint(1e6f), end = V().ControlPoint(16 + 2), start = V().PathPoint(-5);
    EXPECT_NEAR(far.x, end.x, 1e-4f);
    EXPECT_NEAR(far.z, end.z, 1e-4f);
    EXPECT_NEAR(start.y, V().ControlPoint(1).y, 1e-4f);
    EXPECT_NEAR(VecLength(V().UpPoint(NAN)), 1.0f, 1e-4f);
}
