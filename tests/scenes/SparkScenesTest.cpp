// Spark sphere, flying sparks, particle and plasma scenes: their GL-free logic.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "scenes/ZynSceneParticle.h"
#include "scenes/ZynScenePlasma.h"
#include "scenes/ZynSceneSparkSphere.h"
#include "scenes/kvRibbon.h"
#include "scenes/kvSpriteCrop.h"

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

namespace {
// A soft spot like the shipped sprite textures: grey, alpha = brightness, clear margin.
std::vector<uint8_t> SoftSpot(int32_t n)
{
    std::vector<uint8_t> rgba(size_t(n) * n * 4);
    for (int32_t y = 0; y < n; y++)
        for (int32_t x = 0; x < n; x++) {
            float dx = (x + 0.5f) / n - 0.5f, dy = (y + 0.5f) / n - 0.5f;
            auto v = uint8_t(std::lround(255 * std::max(0.0f, std::exp(-18 * (dx * dx + dy * dy)) - 0.02f)));
            for (int k = 0; k < 4; k++) rgba[size_t(4 * (y * n + x) + k)] = v;
        }
    return rgba;
}

// Colour steps a fragment at (s, t) adds under bilinear, repeating sampling,
// modulated by white of the given alpha and blended with source alpha onto one.
long Steps(const std::vector<uint8_t>& rgba, int32_t n, float s, float t, float alpha)
{
    float u = s * n - 0.5f, v = t * n - 0.5f;
    int32_t x = int32_t(std::floor(u)), y = int32_t(std::floor(v));
    float fu = u - x, fv = v - y, c = 0, a = 0;
    for (int32_t k = 0; k < 4; k++) {
        int32_t tx = ((x + k % 2) % n + n) % n, ty = ((y + k / 2) % n + n) % n;
        float wgt = (k % 2 ? fu : 1 - fu) * (k / 2 ? fv : 1 - fv);
        const uint8_t* p = &rgba[size_t(4 * (ty * n + tx))];
        c += wgt * std::max({p[0], p[1], p[2]});
        a += wgt * p[3];
    }
    return std::lround(std::lround(c) * std::lround(a * alpha) / 255.0);
}
}  // namespace

TEST(SpriteCrop, LeavesOutOnlyWhatAddsNoColourStep)
{
    const int32_t n = 32;
    std::vector<uint8_t> spot = SoftSpot(n);
    TkvSpriteCrop previous;
    previous.FromPixels(spot.data(), n, n, 1, 0);
    for (float alpha : {0.05f, 0.112f, 0.5f, 1.0f}) {
        TkvSpriteCrop crop;
        crop.FromPixels(spot.data(), n, n, 1, alpha);
        ASSERT_FALSE(crop.Empty()) << alpha;
        // A soft spot is cropped, more so when faint, and a brighter crop holds a fainter one.
        EXPECT_GT(crop.SMin(), 0) << alpha;
        EXPECT_LT(crop.TMax(), 1) << alpha;
        EXPECT_LE(crop.SMin(), previous.SMin()) << alpha;
        EXPECT_GE(crop.TMax(), previous.TMax()) << alpha;
        long inside = 0;
        for (int32_t i = 0; i <= 8 * n; i++)
            for (int32_t j = 0; j <= 8 * n; j++) {
                float s = i / (8.0f * n), t = j / (8.0f * n);
                long steps = Steps(spot, n, s, t, alpha);
                bool in = s >= crop.SMin() && s <= crop.SMax() && t >= crop.TMin() && t <= crop.TMax();
                if (!in) ASSERT_EQ(steps, 0) << "alpha " << alpha << " at " << s << ", " << t;
                // Nor do the glow patch's cells that the crop says are clear.
                float c0 = std::min(5, i * 6 / (8 * n)) / 6.0f, d0 = std::min(5, j * 6 / (8 * n)) / 6.0f;
                if (!crop.Touches(c0, d0, c0 + 1 / 6.0f, d0 + 1 / 6.0f)) ASSERT_EQ(steps, 0) << alpha;
                inside += steps;
            }
        EXPECT_GT(inside, 0) << alpha;
        previous = crop;
    }
    // The corners of a soft spot add nothing, its middle does.
    TkvSpriteCrop crop;
    crop.FromPixels(spot.data(), n, n, 1, 0.5f);
    EXPECT_FALSE(crop.Touches(0, 0, 1 / 6.0f, 1 / 6.0f));
    EXPECT_TRUE(crop.Touches(2 / 6.0f, 2 / 6.0f, 3 / 6.0f, 3 / 6.0f));
}

TEST(SpriteCrop, ClearTexturesDrawNothingAndEdgesKeepTheWhole)
{
    const int32_t n = 16;
    std::vector<uint8_t> rgba(size_t(n) * n * 4, 0);
    TkvSpriteCrop crop;
    crop.FromPixels(rgba.data(), n, n, 1, 1);
    EXPECT_TRUE(crop.Empty());
    EXPECT_FALSE(crop.Touches(0, 0, 1, 1));
    // Colour without alpha adds nothing, but filtering mixes a clear neighbour's
    // colour with an opaque one's alpha.
    for (int32_t i = 0; i < n * n; i++) rgba[size_t(4 * i)] = 255;
    crop.FromPixels(rgba.data(), n, n, 1, 1);
    EXPECT_TRUE(crop.Empty());
    rgba[size_t(4 * (8 * n + 8) + 3)] = 255;
    crop.FromPixels(rgba.data(), n, n, 1, 1);
    EXPECT_FALSE(crop.Empty());
    EXPECT_LT(crop.SMax() - crop.SMin(), 0.5f);
    // A lit texel on the first column mixes with the last one across the wrap.
    std::fill(rgba.begin(), rgba.end(), 0);
    for (int k = 0; k < 4; k++) rgba[size_t(4 * (5 * n) + k)] = 255;
    crop.FromPixels(rgba.data(), n, n, 1, 1);
    EXPECT_EQ(crop.SMin(), 0);
    EXPECT_EQ(crop.SMax(), 1);
    // Bad sizes and NaN colours crop nothing.
    crop.FromPixels(nullptr, n, n, 1, 1);
    EXPECT_EQ(crop.SMin(), 0);
    EXPECT_EQ(crop.TMax(), 1);
    std::vector<uint8_t> spot = SoftSpot(n);
    crop.FromPixels(spot.data(), n, n, NAN, NAN);
    TkvSpriteCrop full;
    full.FromPixels(spot.data(), n, n, 1, 1);
    EXPECT_EQ(crop.SMin(), full.SMin());
}
