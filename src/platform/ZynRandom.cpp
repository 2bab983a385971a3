// ZynRandom: the program's one pseudo-random generator.
#include "platform/ZynRandom.h"

#include <chrono>
#include <random>

static std::mt19937 g_rng(12345u);
static bool g_fixed = false;
static uint32_t g_fixedSeed = 0;

void ZynRandomize(uint32_t seed) { g_rng.seed(seed); }

void ZynRandomFixSeed(uint32_t seed)
{
    g_fixed = true;
    g_fixedSeed = seed;
    g_rng.seed(seed);
}

void ZynRandomizeFromClock()
{
    if (g_fixed) { g_rng.seed(g_fixedSeed); return; }
    auto t = std::chrono::steady_clock::now().time_since_epoch().count();
    g_rng.seed(static_cast<uint32_t>(t ^ (t >> 32)));
}

double ZynRandom()
{
    // 32 random bits -> [0, 1); never returns 1.0.
    return static_cast<double>(g_rng()) * (1.0 / 4294967296.0);
}

int32_t ZynRandomInt(int32_t n)
{
    if (n <= 0) return 0;
    return static_cast<int32_t>(ZynRandom() * n);
}

std::mt19937 ZynRandomState() { return g_rng; }

void ZynRandomRestore(const std::mt19937& state) { g_rng = state; }
