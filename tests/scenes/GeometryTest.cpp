// Vector/matrix toolkit, the four-point curve and the wandering path.
#include "platform/ZynRandom.h"
#include "scenes/kvGeometry.h"
#include "scenes/kvMovement.h"

#include <gtest/gtest.h>
#include <cmath>

TEST(Geometry, NormalizeHandlesZeroAndTinyVectors)
{
    TkvVector z{0, 0, 0, 1};
    VecNormalize(z);
    EXPECT_EQ(z.x, 0); EXPECT_EQ(z.y, 1); EXPECT_EQ(z.z, 0); EXPECT_EQ(z.w, 0);

    TkvVector tiny{0, 0, 1e-30f, 1};
    VecNormalize(tiny);
    EXPECT_NEAR(tiny.z, 1.0f, 1e-6f);
    EXPECT_NEAR(VecLength(tiny), 1.0f, 1e-6f);

    TkvVector v{3, 4, 0, 7};
    VecNormalize(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f); EXPECT_FLOAT_EQ(v.y, 0.8f); EXPECT_EQ(v.w, 7);
}

TEST(Geometry, WRulesOfTheVectorOperations)
{
    TkvVector a{1, 2, 3, 5}, b{4, 5, 6, 9}, r{0, 0, 0, 42};
    VecScale(a, 2, r);   EXPECT_EQ(r.w, 5);  EXPECT_EQ(r.z, 6);
    VecDivide(a, 2, r);  EXPECT_EQ(r.w, 5);  EXPECT_EQ(r.y, 1);
    VecAdd(a, b, r);     EXPECT_EQ(r.w, 1);  EXPECT_EQ(r.x, 5);
    VecSub(a, b, r);     EXPECT_EQ(r.w, 1);  EXPECT_EQ(r.x, -3);
    r.w = 42;
    VecCross(a, b, r);   EXPECT_EQ(r.w, 42);
    EXPECT_FLOAT_EQ(r.x, -3); EXPECT_FLOAT_EQ(r.y, 6); EXPECT_FLOAT_EQ(r.z, -3);
    TkvVector h{0.5f, 1.5f, -2.5f, 0};
    VecRound(h, r);
    EXPECT_EQ(r.x, 0); EXPECT_EQ(r.y, 2); EXPECT_EQ(r.z, -2); EXPECT_EQ(r.w, 1);
    EXPECT_NEAR(VecAngle(Vec(1, 0, 0), Vec(0, 3, 0)), M_PI / 2, 1e-6);
    EXPECT_NEAR(VecAngle(Vec(1, 1, 0), Vec(2, 2, 0)), 0.0, 1e-3);   // clamped, not NaN
}

TEST(Geometry, RotationAndMultiplyFollowOpenGLOrder)
{
    TkvMatrix r;
    MatrixRotateAxis(Vec(0, 0, 1), float(M_PI / 2), r);
    // Column-major: the image of the x axis is the first column (m0, m1, m2).
    EXPECT_NEAR(r[0], 0, 1e-6); EXPECT_NEAR(r[1], 1, 1e-6); EXPECT_NEAR(r[2], 0, 1e-6);
    TkvMatrix m = kvIdentity;
    MatrixMultiply(m, r);
    for (int i = 0; i < 16; i++) EXPECT_FLOAT_EQ(m[i], r[i]);
    // Two quarter turns make a half turn.
    MatrixMultiply(m, r);
    EXPECT_NEAR(m[0], -1, 1e-6); EXPECT_NEAR(m[5], -1, 1e-6); EXPECT_NEAR(m[10], 1, 1e-6);
}

TEST(Geometry, CurveJoinsItsInnerPoints)
{
    for (float p0 : {-5.0f, 0.0f, 9.0f}) {
        for (float p3 : {-3.0f, 4.0f}) {
            EXPECT_NEAR(CurveValue(0, p0, 1, 2, p3), 1, 1e-5);
            EXPECT_NEAR(CurveValue(1, p0, 1, 2, p3), 2, 1e-5);
        }
    }
    // Evenly spaced points give the straight line.
    EXPECT_NEAR(CurveValue(0.3f, 0, 1, 2, 3), 1.3f, 1e-5);
    TkvVector out;
    CurvePoint(Vec(0, 0, 0), Vec(1, 1, 1), Vec(2, 4, 8), Vec(3, 3, 3), 1, out);
    EXPECT_NEAR(out.y, 4, 1e-5); EXPECT_NEAR(out.z, 8, 1e-5); EXPECT_EQ(out.w, 0);
}

TEST(Movement, PathIsContinuousAndStaysNearItsBox)
{
    ZynRandomize(7);
    kvMovement m;
    m.SetRange(Vec(-2, 0, 5), Vec(2, 1, 6));
    EXPECT_EQ(m.Progress(), 0);
    TkvVector prev = m.ValueAt(0);
    for (int i = 0; i < 2000; i++) {
        TkvVector p = m.Advance(0.01f);
        // Small steps never jump, including where a key is shifted out.
        EXPECT_LT(std::fabs(p.x - prev.x) + std::fabs(p.y - prev.y) + std::fabs(p.z - prev.z), 0.5f) << i;
        // The curve may overshoot its keys a little, never far.
        EXPECT_GT(p.x, -3.0f); EXPECT_LT(p.x, 3.0f);
        EXPECT_GT(p.z, 4.5f);  EXPECT_LT(p.z, 6.5f);
        EXPECT_EQ(p.w, 0);
        prev = p;
    }
    EXPECT_GE(m.Progress(), 0); EXPECT_LT(m.Progress(), 1);
}

TEST(Movement, LooksBackAndSurvivesWildSteps)
{
    ZynRandomize(3);
    kvMovement m;
    m.SetRange(Vec(0, 0, 0), Vec(1, 1, 1));
    m.Advance(0.5f);
    // Reading a moment ago: t - 1 through the previous keys joins the current segment.
    TkvVector before = m.ValueAt(-1e-4f), now = m.ValueAt(0);
    EXPECT_NEAR(before.x, now.x, 1e-2); EXPECT_NEAR(before.y, now.y, 1e-2);
    m.Advance(-3.25f);
    EXPECT_GE(m.Progress(), 0); EXPECT_LT(m.Progress(), 1);
    m.Advance(1e30f);
    m.Advance(NAN);
    EXPECT_GE(m.Progress(), 0); EXPECT_LT(m.Progress(), 1);
}
