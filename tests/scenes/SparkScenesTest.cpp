// Spark sphere, flying sparks, particle and plasma scenes: their GL-free logic.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "scenes/ZynSceneParticle.h"
#include "scenes/ZynScenePlasma.h"
#include "scenes/ZynSceneSparkSphere.h"
#include "scenes/kvRibbon.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Every constant back to what it was when a test ends.
class SparkScenes : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int32_t i = 0; i < ConstCount(); i++) Saved.push_back(ConstAsFloat(i));
    }
    void TearDown() override
    {
        for (int32_t i = 0; i < ConstCount(); i++) ConstSetFloat(i, Saved[size_t(i)]);
    }
    template <class T>
    std::unique_ptr<T> Make()
    {
        static const TZynSceneClass cls = ZynSceneClassOf<T>("T");
        return std::unique_ptr<T>(static_cast<T*>(ZynCreateScene(cls, nullptr).release()));
    }
    std::vector<float> Saved;
};

float Distance(const TkvVector& a, const TkvVector& b)
{
    TkvVector d;
    VecSub(a, b, d);
    return VecLength(d);
}

bool Finite(const TkvVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

TEST_F(SparkScenes, RibbonIsOffsetSquareToItsLineByTheHalfWidth)
{
    // Four points (SPARK.Res 4): one quad, over points 1 and 2.
    TkvTrailPoint line[kvTrailCapacity];
    for (int32_t i = 0; i < 4; i++) { line[i].x = float(i); line[i].y = float(i); line[i].z = -2; }
    TkvRibbonVertex v[2 * kvTrailCapacity];
    ASSERT_EQ(BuildRibbon(3, line, 0.5f, v), 4);
    for (int32_t k = 0; k < 4; k++) {
        const TkvTrailPoint& p = line[v[k].point];
        EXPECT_EQ(v[k].point, 1 + k / 2);
        EXPECT_NEAR(std::hypot(v[k].x - p.x, v[k].y - p.y), 0.5f, 1e-6);
        EXPECT_NEAR((v[k].x - p.x) + (v[k].y - p.y), 0.0f, 1e-6) << "square to the line (1, 1)";
        EXPECT_EQ(v[k].z, -2.0f);
        EXPECT_EQ(v[k].t, k % 2 == 0 ? 1.0f : 0.0f);
    }
    // Coincident neighbours and a non-finite point give no vertices; a count
    // past the buffer is cut to it.
    line[2] = line[0];
    EXPECT_EQ(BuildRibbon(3, line, 0.5f, v), 2);
    line[2].x = NAN;
    EXPECT_EQ(BuildRibbon(3, line, 0.5f, v), 0);
    for (int32_t i = 0; i < kvTrailCapacity; i++) { line[i].x = float(i); line[i].y = 0; }
    EXPECT_EQ(BuildRibbon(100000, line, 0.1f, v), 2 * (kvTrailCapacity - 2));
}

TEST_F(SparkScenes, SphereBallIsATruncatedIcosahedronAndTheTrailBunchesAtItsEnd)
{
    // The table: every point on radius 3.534, its nearest neighbour 1.3985
    // away and two more on its pentagon 1.4418 away.
    for (int32_t i = 0; i < TvisSparkSphere::BallPoints; i++) {
        const TkvVector& p = TvisSparkSphere::Ball[i];
        EXPECT_NEAR(VecLength(p), 3.534f, 2e-3) << i;
        std::vector<float> d;
        for (int32_t j = 0; j < TvisSparkSphere::BallPoints; j++)
            if (j != i) d.push_back(Distance(p, TvisSparkSphere::Ball[j]));
        std::sort(d.begin(), d.end());
        EXPECT_NEAR(d[0], 1.3985f, 1e-3) << i;
        EXPECT_NEAR(d[1], 1.4418f, 1e-3) << i;
        EXPECT_NEAR(d[2], 1.4418f, 1e-3) << i;
        EXPECT_GT(d[3], 2.3f) << i;
    }
    EXPECT_EQ(TvisSparkSphere::Spacing(0), 0.0f);
    float last = 0;
    for (int32_t i = 1; i <= 100; i++) {
        float e = TvisSparkSphere::Spacing(i / 100.0f);
        EXPECT_GT(e, last);
        last = e;
    }
    EXPECT_NEAR(last, std::exp(zcSSPHERE_ExpO), 0.01) << "the tail copies all lie near e^ExpO";
    zcSSPHERE_ExpX = 0.1f;
    EXPECT_LT(TvisSparkSphere::Spacing(1), 0.02f);
    zcSSPHERE_TrailRes = 100000;
    EXPECT_EQ(TvisSparkSphere::TrailCount(), TvisSparkSphere::MaxTrail);
}

TEST_F(SparkScenes, ParticlesAreCappedBeforeThePullWhateverTheFrameRate)
{
    zcPARTICLE_MaxVel = 40;
    zcPARTICLE_Strength = 100;
    TvisParticle::TParticle p{};
    p.Velocity = Vec(100, 0, 0);
    TvisParticle::MoveParticle(p, 1);
    EXPECT_NEAR(VecLength(p.Velocity), 40.0f, 1e-4) << "at the origin: the cap, and no pull";
    p.Position = Vec(10, 0, 0);
    p.Velocity = Vec(0, 0, 0);
    TvisParticle::MoveParticle(p, 1);
    EXPECT_NEAR(p.Velocity.x, -1.0f, 1e-6) << "pull: position times distance over strength";

    // One frame of 1/30 s moves a particle as two frames of 1/60 s.
    auto scene = Make<TvisParticle>();
    TvisParticle::TParticle slow{}, fast{};
    slow.Position = fast.Position = Vec(3, -2, 1);
    slow.Velocity = fast.Velocity = Vec(5, 7, -1);
    scene->Step(slow, 1.0f / 30);
    scene->Step(fast, 1.0f / 60);
    scene->Step(fast, 1.0f / 60);
    EXPECT_NEAR(Distance(slow.Position, fast.Position), 0.0f, 1e-4);
    EXPECT_NEAR(Distance(slow.Velocity, fast.Velocity), 0.0f, 1e-3);

    // Written past their limits: counts are cut, a runaway particle starts over.
    zcPARTICLE_Count = 1;
    scene->Reset();
    EXPECT_EQ(scene->Particles().size(), 2u);
    zcPARTICLE_Count = 100000000;
    scene->Reset();
    EXPECT_EQ(scene->Particles().size(), size_t(TvisParticle::MaxCount) + 1);
    zcPARTICLE_Strength = -5;
    zcPARTICLE_PDist = 4;
    TvisParticle::TParticle wild{};
    wild.Position = Vec(1e30f, 0, 0);
    for (int32_t i = 0; i < 4; i++) scene->Step(wild, 1);
    EXPECT_TRUE(Finite(wild.Position) && Finite(wild.Velocity));
}

TEST_F(SparkScenes, PlasmaEndsStayOnTheirSpheresAndSurviveWildSpeeds)
{
    auto scene = Make<TvisPlasma>();
    TvisPlasma::TFilament& f = scene->Filaments[0];
    for (int32_t i = 0; i < 200; i++) scene->AdvanceFilament(f, 0.05f);
    for (const TkvVector& k : f.Points[0].Keys) EXPECT_NEAR(VecLength(k), zcPLASMA_Inner, 1e-4);
    for (const TkvVector& k : f.Points[4].Keys) EXPECT_NEAR(VecLength(k), zcPLASMA_Outer, 1e-4);
    EXPECT_NEAR(Distance(TvisPlasma::FilamentPoint(f, 0), f.Points[0].Position), 0.0f, 1e-5);
    EXPECT_NEAR(Distance(TvisPlasma::FilamentPoint(f, 4), f.Points[4].Position), 0.0f, 1e-5);

    // Speed 0 freezes; a huge or non-finite step neither hangs nor poisons the chain.
    TkvVector before = f.Points[2].Position;
    scene->AdvanceFilament(f, 0);
    EXPECT_EQ(Distance(before, f.Points[2].Position), 0.0f);
    for (float d : {1e30f, INFINITY, NAN, -3.0f}) {
        scene->AdvanceFilament(f, d);
        for (const auto& p : f.Points) {
            EXPECT_TRUE(Finite(p.Position)) << d;
            EXPECT_GE(p.Progress, 0.0f);
            EXPECT_LT(p.Progress, 1.0f);
        }
    }

    // An outer end on the y axis: the patch frame collapses but stays on the sphere.
    TkvVector grid[7][7];
    TvisPlasma::PatchGrid(Vec(0, 3, 0), 0.5f, 3, grid);
    for (const auto& row : grid)
        for (const TkvVector& g : row) EXPECT_NEAR(VecLength(g), 3.0f, 1e-4);
}
