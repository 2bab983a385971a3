// Torus wave field: stillness, symmetric spreading on the wrapped grid, damping and drops.
#include "platform/ZynRandom.h"
#include "scenes/ZynSceneTorus.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <memory>

namespace {
std::unique_ptr<TZynWaveField> Field(int32_t nx, int32_t ny)
{
    auto f = std::make_unique<TZynWaveField>();
    f->Clear(nx, ny);
    return f;
}

float MaxAbs(const TZynWaveField& f)
{
    float m = 0;
    for (int32_t a = 0; a < f.Nx; a++)
        for (int32_t b = 0; b < f.Ny; b++) m = std::max({m, std::fabs(f.H(a, b)), std::fabs(f.V(a, b))});
    return m;
}
}

TEST(TorusWaves, StillFieldStaysStillWithoutBass)
{
    auto f = Field(64, 32);
    for (int i = 0; i < 200; i++) {
        EXPECT_EQ(f->Drop(0, 0.02f), 0);
        f->Step(i % 2 ? 0.02f : 2.0f, 20, 1.5f);   // k clamps to 1 at the long frames
    }
    EXPECT_EQ(MaxAbs(*f), 0.0f);
}

TEST(TorusWaves, ImpulseSpreadsSymmetricallyAcrossTheWrappedEdges)
{
    // One impulse on the seam and one in the middle: the same field, shifted.
    auto seam = Field(20, 16), mid = Field(20, 16);
    seam->SetV(0, 0, 4);
    mid->SetV(7, 5, 4);
    for (int i = 0; i < 12; i++) {
        seam->Step(0.02f, 20, 1.5f);
        mid->Step(0.02f, 20, 1.5f);
    }
    EXPECT_GT(std::fabs(seam->H(4, 0)), 1e-4f) << "the ripple has travelled";
    for (int32_t a = 0; a < 20; a++)
        for (int32_t b = 0; b < 16; b++) {
            float h = seam->H(a, b);
            EXPECT_NEAR(h, seam->H(-a, b), 1e-5f) << a << "," << b;
            EXPECT_NEAR(h, seam->H(a, -b), 1e-5f) << a << "," << b;
            EXPECT_NEAR(h, mid->H(a + 7, b + 5), 1e-5f) << a << "," << b;
        }
}

TEST(TorusWaves, VelocityHalvesOverTheHalfLife)
{
    auto f = Field(16, 16);
    for (int32_t a = 0; a < 16; a++)
        for (int32_t b = 0; b < 16; b++) f->SetV(a, b, 1);
    // Without coupling only the damping acts: ten steps make one half-life.
    for (int i = 0; i < 10; i++) f->Step(0.15f, 0, 1.5f);
    EXPECT_NEAR(f->V(3, 9), 0.5f, 1e-5f);
    // A half-life of zero (written by a formula) with a frame of no time keeps everything finite.
    f->Step(0, 20, 0);
    EXPECT_NEAR(f->V(3, 9), 0.5f, 1e-5f);
    f->Step(0.02f, 20, 0);
    EXPECT_EQ(f->V(3, 9), 0.0f);
}

TEST(TorusWaves, DropsLandClearOfTheSeamAndFloodsStayBounded)
{
    ZynRandomize(3);
    auto f = Field(16, 20);
    // 2 * bass^2 * dt = 1 drop per frame.
    for (int i = 0; i < 400; i++) EXPECT_EQ(f->Drop(1, 0.5f), 1);
    for (int32_t a = 0; a < f->Nx; a++)
        for (int32_t b = 0; b < f->Ny; b++)
            if (a < 2 || a > f->Nx - 3 || b < 2 || b > f->Ny - 3) EXPECT_EQ(f->V(a, b), 0.0f) << a << "," << b;
    EXPECT_GT(MaxAbs(*f), 0.0f);
    for (float flood : {std::numeric_limits<float>::infinity(), 1e30f, std::nanf("")}) {
        int32_t n = f->Drop(flood, 0.02f);
        EXPECT_LE(n, TZynWaveField::MaxDropsPerFrame);
        EXPECT_TRUE(std::isfinite(f->DropTimer));
        EXPECT_EQ(f->Drop(0, 0.02f), 0) << "a flood leaves no debt for later frames";
    }
}
