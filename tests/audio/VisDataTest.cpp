// Tests of the vis data record: layout, blending and the synthetic beat generator.
#include "audio/ZynVisData.h"

#include "platform/ZynRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

TVisData Filled(float bass, float beat, uint8_t wave, uint8_t spectrum, int32_t resB = 0)
{
    TVisData v;
    v.ReservedA = 0.25f;
    v.Bass = bass;
    v.Beat = beat;
    std::memset(v.Waveform, wave, sizeof v.Waveform);
    std::memset(v.Spectrum, spectrum, sizeof v.Spectrum);
    v.ReservedB = resB;
    return v;
}

}  // namespace

TEST(VisDataRecord, StartsAllZeroAndHasTheWireLayout)
{
    TVisData v;
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&v);
    for (size_t i = 0; i < sizeof v; i++) ASSERT_EQ(raw[i], 0) << i;
    v.Bass = 1.0f;
    v.Waveform[0] = 7;
    v.Spectrum[575] = 9;
    v.ReservedB = 0x01020304;
    float bass;
    std::memcpy(&bass, raw + 4, 4);
    EXPECT_EQ(bass, 1.0f);
    EXPECT_EQ(raw[12], 7);
    EXPECT_EQ(raw[588 + 575], 9);
    EXPECT_EQ(raw[1164], 0x04);   // little-endian int at the end
}

TEST(BlendVisData, RepeatedHalfBlendsConverge)
{
    TVisData live;
    TVisData rec = Filled(1.0f, 2.0f, 200, 100);
    live = BlendVisData(live, rec, 0.5f);
    EXPECT_FLOAT_EQ(live.Bass, 0.5f);
    live = BlendVisData(live, rec, 0.5f);
    EXPECT_FLOAT_EQ(live.Bass, 0.75f);
    live = BlendVisData(live, rec, 0.5f);
    EXPECT_FLOAT_EQ(live.Bass, 0.875f);
    EXPECT_FLOAT_EQ(live.Beat, 1.75f);
    // bytes: 0 -> 100 -> 150 -> 175
    EXPECT_EQ(live.Waveform[3], 175);
    EXPECT_EQ(live.Spectrum[3], 88);   // 0 -> 50 -> 75 -> 87.5, ties to even = 88
}

TEST(BlendVisData, BytesRoundHalfToEven)
{
    TVisData a = Filled(0, 0, 255, 1);
    TVisData b = Filled(0, 0, 0, 0);
    TVisData r = BlendVisData(a, b, 0.5f);
    EXPECT_EQ(r.Waveform[0], 128);   // 127.5
    EXPECT_EQ(r.Spectrum[0], 0);     // 0.5
    TVisData c = Filled(0, 0, 3, 0);
    EXPECT_EQ(BlendVisData(c, b, 0.5f).Waveform[10], 2);   // 1.5 -> 2
}

TEST(BlendVisData, EndWeightsAndReservedB)
{
    TVisData a = Filled(0.3f, -0.2f, 10, 20, 111);
    TVisData b = Filled(1.5f, 0.7f, 200, 250, 222);
    TVisData same = BlendVisData(a, b, 0.0f);
    EXPECT_EQ(0, std::memcmp(&same, &a, sizeof a));
    TVisData other = BlendVisData(a, b, 1.0f);
    EXPECT_EQ(other.ReservedB, 111);
    other.ReservedB = b.ReservedB;
    EXPECT_EQ(0, std::memcmp(&other, &b, sizeof b));
}

TEST(BlendVisData, NonFiniteFloatsBecomeZeroAndBytesClamp)
{
    TVisData a;
    TVisData b = Filled(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 255, 255);
    TVisData r = BlendVisData(a, b, 0.5f);
    EXPECT_EQ(r.Bass, 0.0f);
    EXPECT_EQ(r.Beat, 0.0f);
    EXPECT_EQ(r.Waveform[0], 128);
    // Weights outside 0..1 would leave the byte range: clamped, not wrapped.
    TVisData over = BlendVisData(Filled(0, 0, 10, 250), Filled(0, 0, 250, 10), 2.0f);
    EXPECT_EQ(over.Waveform[0], 255);
    EXPECT_EQ(over.Spectrum[0], 0);
}

TEST(SynthesizeVisData, StepsAdvanceWithTempoAndPatternsWrap)
{
    ZynRandomize(1234);
    TZynVisSynth gen;
    gen.Next(1.0f, 80);
    EXPECT_NEAR(gen.Step(), 2.6667f, 1e-3);
    EXPECT_FLOAT_EQ(gen.Time(), 1.0f);
    for (int i = 0; i < 5; i++) gen.Next(1.0f, 80);
    // 6 s at 80 BPM is exactly one pattern: 16 steps, Trunc 16 is not > 16.
    EXPECT_NEAR(gen.Step(), 16.0f, 1e-3);
    gen.Next(0.5f, 80);
    EXPECT_LT(gen.Step(), 16.0f);
    EXPECT_GE(gen.Step(), 1.0f);
    EXPECT_GE(gen.Pattern(), 0);
    EXPECT_LE(gen.Pattern(), 3);
}

TEST(SynthesizeVisData, PulseFollowsHitsAndRests)
{
    ZynRandomize(99);
    TZynVisSynth gen;
    // At 60 BPM two steps per second: dt 0.125 reaches S = 0.25, the pulse peak.
    TVisData first = gen.Next(0.125f, 60);
    EXPECT_NEAR(first.Beat, 0.75f, 1e-5);   // position 0 counts as a hit
    float expectBass = static_cast<float>(((std::sin(0.25) + std::sin(1.357 * 0.125)) / 2 + 2) / 3) + first.Beat;
    EXPECT_NEAR(first.Bass, expectBass, 1e-5);
    EXPECT_EQ(first.ReservedA, 0.0f);
    EXPECT_EQ(first.ReservedB, 0);
    // Pattern 0 position 2 ('.'): S = 2.25 -> rest, pulse peak / 4.
    TVisData rest = gen.Next(1.0f, 60);
    EXPECT_NEAR(gen.Step(), 2.25f, 1e-5);
    EXPECT_NEAR(rest.Beat, 0.1875f, 1e-5);
    // Second half of hit step 5: the negative half-wave is halved.
    TVisData neg = gen.Next(1.75f, 60);
    EXPECT_NEAR(gen.Step(), 5.75f, 1e-5);
    EXPECT_NEAR(neg.Beat, -0.375f, 1e-5);
    // The same phase on rest step 4 is divided by 4 as well.
    TVisData negRest = gen.Next(15.0f, 60);   // S = 35.75 -> wraps twice to 3.75
    EXPECT_NEAR(gen.Step(), 3.75f, 1e-4);
    if (BeatPatterns[gen.Pattern()][2] == '.') EXPECT_NEAR(negRest.Beat, -0.09375f, 1e-4);
    else EXPECT_NEAR(negRest.Beat, -0.375f, 1e-4);
}

TEST(SynthesizeVisData, SpectrumAndWaveformStayInShape)
{
    ZynRandomize(7);
    TZynVisSynth gen;
    for (int frame = 0; frame < 200; frame++) {
        TVisData v = gen.Next(0.02f, 120);
        EXPECT_EQ(v.Spectrum[0], 0);   // sin(0) = 0 at the lowest bin
        float limit = 127.0f * std::max(v.Bass, 0.0f) + 1.0f;
        int sum = 0;
        for (int i = 0; i < kVisSamples; i++) {
            ASSERT_LE(v.Spectrum[i], limit);
            sum += v.Waveform[i];
            ASSERT_GE(v.Waveform[i], 128 - 91);
            ASSERT_LE(v.Waveform[i], 128 + 91);
        }
        EXPECT_NEAR(sum / double(kVisSamples), 128.0, 40.0);
    }
    // The middle bins carry the hump when the bass is up.
    TVisData v = gen.Next(0.02f, 120);
    if (v.Bass > 0.5f) EXPECT_GT(v.Spectrum[288], 10);
}

TEST(SynthesizeVisData, ProgramWideGeneratorProducesChangingRecords)
{
    TVisData a = SynthesizeVisData(0.05f);
    TVisData b = SynthesizeVisData(0.05f);
    EXPECT_NE(0, std::memcmp(a.Waveform, b.Waveform, sizeof a.Waveform));
    EXPECT_NE(a.Bass, b.Bass);
}
