// Beat kick and momentum: impulses, axis choice, frame-rate independent damping.
#include "audio/ZynKick.h"
#include "config/ZynConstDef.h"
#include "platform/ZynRandom.h"

#include <gtest/gtest.h>
#include <cmath>

static TVisData Beat(float b)
{
    TVisData d{};
    d.Beat = b;
    return d;
}

static bool IsIdentity(const TkvMatrix& m)
{
    for (int i = 0; i < 16; i++)
        if (std::fabs(m[i] - kvIdentity[i]) > 1e-6f) return false;
    return true;
}

TEST(Kick, SteadyBeatNeverPicksAnAxis)
{
    TZynKick kick;
    for (int i = 0; i < 100; i++) kick.Update(Beat(i < 50 ? 0.01f * i : 0.49f), 0.02f);
    EXPECT_EQ(VecLength(kick.Axis), 0.0f);
    EXPECT_TRUE(IsIdentity(kick.Mom.Orientation));
}

TEST(Kick, RisingBeatPushesAlongTheAxis)
{
    float saved = zcBASS_Rotate;
    zcBASS_Rotate = 3;
    TZynKick kick;
    kick.Axis = TkvVector{0, 0, 1, 1};
    kick.Update(Beat(0.5f), 0.02f);
    // 0.5 * 0.3 / 0.02 = 7.5 rad/s, then one frame of damping.
    float damp = std::pow(0.5f, 0.02f / 0.25f);
    EXPECT_NEAR(kick.Mom.AngularMomentum.z, 7.5f * damp, 1e-3);
    EXPECT_FALSE(IsIdentity(kick.Mom.Orientation));
    zcBASS_Rotate = saved;
}

TEST(Kick, FallingBeatPicksOneOfTheGridDirections)
{
    ZynRandomize(11);
    TZynKick kick;
    kick.Update(Beat(0.8f), 0.02f);
    for (int i = 0; i < 50; i++) {
        kick.Update(Beat(0.1f), 0.02f);
        EXPECT_NEAR(VecLength(kick.Axis), 1.0f, 1e-5);
        // Each component is -1, 0 or +1 before normalising: equal non-zero magnitudes.
        float nz = 0;
        for (float c : {kick.Axis.x, kick.Axis.y, kick.Axis.z})
            if (c != 0) {
                if (nz == 0) nz = std::fabs(c);
                EXPECT_NEAR(std::fabs(c), nz, 1e-5);
            }
        kick.Update(Beat(0.8f), 0.02f);
    }
}

TEST(Kick, DampingHalvesEveryQuarterSecondAtAnyFrameRate)
{
    for (float dt : {0.01f, 0.02f, 0.1f, 0.25f}) {
        TZynKick kick;
        kick.Mom.AngularMomentum = TkvVector{0, 4, 0, 1};
        int frames = int(std::lround(1.0f / dt));
        for (int i = 0; i < frames; i++) kick.Update(Beat(0), dt);
        EXPECT_NEAR(VecLength(kick.Mom.AngularMomentum), 4.0f / 16.0f, 1e-3) << dt;
    }
}

TEST(Kick, ZeroTimeStepChangesNothing)
{
    TZynKick kick;
    kick.Axis = TkvVector{1, 0, 0, 1};
    kick.Mom.AngularMomentum = TkvVector{1, 0, 0, 1};
    kick.Update(Beat(0.9f), 0.0f);
    EXPECT_EQ(kick.LastBeat, 0.0f);
    EXPECT_EQ(kick.Mom.AngularMomentum.x, 1.0f);
    EXPECT_TRUE(IsIdentity(kick.Mom.Orientation));
}

TEST(Kick, NonFiniteInputCannotPoisonTheOrientation)
{
    TZynKick kick;
    kick.Axis = TkvVector{1, 0, 0, 1};
    kick.Update(Beat(NAN), 0.02f);
    kick.Update(Beat(1.0f), 0.02f);
    kick.Mom.AddImpulse(TkvVector{INFINITY, 0, 0, 1});
    kick.Update(Beat(1.0f), 0.02f);
    for (int i = 0; i < 16; i++) EXPECT_TRUE(std::isfinite(kick.Mom.Orientation[i]));
    kick.Reset();
    EXPECT_TRUE(IsIdentity(kick.Mom.Orientation));
}
