// The weighted walk behind PickScene and PickFader, and PickSceneLength.
#include "engine/ZynPicker.h"
#include "platform/ZynRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <vector>

namespace {
int32_t Pick(const std::vector<float>& w, int32_t excluded = -100)
{
    return ZynWeightedPick(
        0, static_cast<int32_t>(w.size()) - 1, [&](int32_t n) { return w[static_cast<size_t>(n)]; },
        [&](int32_t n) { return n != excluded; });
}

std::map<int32_t, int> Histogram(const std::vector<float>& w, int picks, int32_t excluded = -100)
{
    std::map<int32_t, int> h;
    for (int i = 0; i < picks; i++) h[Pick(w, excluded)]++;
    return h;
}
}  // namespace

TEST(Picker, ZeroWeightIsNeverPickedAndOneToThreeGivesAboutOneToThree)
{
    ZynRandomize(42);
    auto h = Histogram({1, 0, 3, 0}, 40000);
    EXPECT_EQ(h.count(1), 0u);
    EXPECT_EQ(h.count(3), 0u);
    EXPECT_EQ(h.count(-1), 0u);
    double ratio = static_cast<double>(h[2]) / h[0];
    EXPECT_NEAR(ratio, 3.0, 0.15);
}

TEST(Picker, EqualWeightsSplitTheRangeEvenly)
{
    ZynRandomize(7);
    auto h = Histogram({10, 10}, 20000);
    EXPECT_NEAR(h[0] / 20000.0, 0.5, 0.02);
    EXPECT_NEAR(h[1] / 20000.0, 0.5, 0.02);
}

TEST(Picker, ExcludedOrWeightlessCandidatesGiveMinusOne)
{
    ZynRandomize(1);
    EXPECT_EQ(Pick({0, 0, 0}), -1);
    EXPECT_EQ(Pick({}), -1);
    // The excluded candidate is the only one with weight.
    EXPECT_EQ(Pick({0, 5, 0}, 1), -1);
    auto h = Histogram({5, 5, 5}, 3000, 1);
    EXPECT_EQ(h.count(1), 0u);
}

TEST(Picker, SumBelowOneHalfAlwaysGivesTheFirstEligible)
{
    ZynRandomize(3);
    auto h = Histogram({0, 0.2f, 0.2f}, 500);
    EXPECT_EQ(h[1], 500);
}

TEST(Picker, NonFiniteAndHugeWeightsCannotBreakThePick)
{
    ZynRandomize(9);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto h = Histogram({inf, nan, 1, -inf}, 1000);
    EXPECT_EQ(h[2], 1000);   // only the finite positive weight counts
    const float big = std::numeric_limits<float>::max();
    h = Histogram({big, big, big}, 3000);
    EXPECT_EQ(h.count(-1), 0u);
    for (int32_t n = 0; n < 3; n++) EXPECT_NEAR(h[n] / 3000.0, 1.0 / 3, 0.05) << n;
    // A huge weight beside a tiny one: the tiny one is (almost) never picked, nothing overflows.
    h = Histogram({3e9f, 1}, 1000);
    EXPECT_EQ(h[0], 1000);
}

TEST(Picker, WalkIsInCandidateOrderFromTheFirstNumber)
{
    // Negative numbers (predefines) come first in the walk.
    ZynRandomize(11);
    std::map<int32_t, int> h;
    for (int i = 0; i < 4000; i++)
        h[ZynWeightedPick(-2, 1, [](int32_t n) { return n == -2 ? 3.0f : (n == 1 ? 1.0f : 0.0f); },
                          [](int32_t) { return true; })]++;
    EXPECT_EQ(h.size(), 2u);
    EXPECT_NEAR(static_cast<double>(h[-2]) / h[1], 3.0, 0.4);
}
