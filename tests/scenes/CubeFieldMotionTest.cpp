// Cube field swerves: stillness without bass, several swerves per long frame, bounded floods.
#include "platform/ZynRandom.h"
#include "scenes/ZynSceneCubeField.h"
#include "scenes/ZynSceneCubeField2.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

namespace {
template <class T>
std::unique_ptr<TZynScene> Make(const char* name)
{
    static const TZynSceneClass cls = ZynSceneClassOf<T>(name);
    return ZynCreateScene(cls, nullptr);
}
}

TEST(CubeFieldMotion, SwerveIsOneOfEightSingleAxisSteps)
{
    ZynRandomize(11);
    std::set<std::pair<int32_t, int32_t>> seen;
    for (int i = 0; i < 400; i++) {
        TkvIntVector d = ZynRandomSwerve();
        EXPECT_TRUE((d.x == 0) != (d.y == 0));
        EXPECT_LE(std::abs(d.x) + std::abs(d.y), 2);
        EXPECT_EQ(d.z, 0);
        seen.insert({d.x, d.y});
    }
    EXPECT_EQ(seen.size(), 8u);
}

TEST(CubeFieldMotion, StandsStillWithoutBassAndSwervesOnIt)
{
    auto scene = Make<TvisCubeField>("TvisCubeField");
    auto& f = static_cast<TvisCubeField&>(*scene);
    for (int i = 0; i < 100; i++) f.Advance(0, 0.03f);
    EXPECT_EQ(f.SwerveProgress(), 0.0f);
    EXPECT_EQ(f.Swerve().x, 0);
    EXPECT_EQ(f.Swerve().y, 0);
    // A push of 1.2 plus the re-centring pull: exactly one swerve, with a new roll.
    int32_t roll = f.RollQuarters();
    f.Advance(3, 1.0f);
    EXPECT_NEAR(f.SwerveProgress(), 0.43f, 1e-4f);
    EXPECT_NE(f.Swerve().x * f.Swerve().x + f.Swerve().y * f.Swerve().y, 0);
    EXPECT_NE(f.RollQuarters(), roll);
    // A long frame of strong bass works off several swerves and ends inside one.
    f.Advance(8, 1.0f);
    EXPECT_GE(f.SwerveProgress(), 0.0f);
    EXPECT_LT(f.SwerveProgress(), 1.0f);
}

TEST(CubeFieldMotion, FloodsOfBassNeitherHangNorPoisonTheState)
{
    auto a = Make<TvisCubeField>("TvisCubeField");
    auto b = Make<TvisCubeField2>("TvisCubeField2");
    auto& field = static_cast<TvisCubeField&>(*a);
    auto& field2 = static_cast<TvisCubeField2&>(*b);
    for (float bass : {std::numeric_limits<float>::infinity(), -1e30f, 1e30f, std::nanf("")}) {
        field.Advance(bass, 1.0f);
        field2.Advance(bass, 1.0f);
        EXPECT_TRUE(field.SwerveProgress() >= 0 && field.SwerveProgress() < 1) << bass;
        EXPECT_TRUE(field2.AxisProgress() >= 0 && field2.AxisProgress() < 1) << bass;
        EXPECT_NEAR(VecLength(field2.Axis()), 1.0f, 1e-5f);
    }
}

TEST(CubeFieldMotion, LatticeTurnStaysARotationWithoutBass)
{
    auto s = Make<TvisCubeField2>("TvisCubeField2");
    auto& f = static_cast<TvisCubeField2&>(*s);
    TkvVector axis = f.Axis();
    for (int i = 0; i < 20000; i++) f.Advance(0, 1.0f / 60);
    EXPECT_EQ(f.Axis().x, axis.x);
    EXPECT_EQ(f.Axis().y, axis.y);
    // 20000 small turns about a fixed axis: still orthonormal, turned about the start axis (x).
    const TkvMatrix& m = f.Orientation();
    for (int c = 0; c < 3; c++)
        EXPECT_NEAR(m[c * 4] * m[c * 4] + m[c * 4 + 1] * m[c * 4 + 1] + m[c * 4 + 2] * m[c * 4 + 2], 1.0f, 1e-5f);
    EXPECT_NEAR(m[0], 1.0f, 1e-4f);
}
