// zyn-send internals: FFT, music analysis into the vis record, WAV decoding.
#include "ZynSendAnalyser.h"
#include "ZynSendAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

static const double Pi = 3.14159265358979323846;

static float RecordFloat(const uint8_t* rec, size_t ofs)
{
    uint32_t u = rec[ofs] | (rec[ofs + 1] << 8) | (rec[ofs + 2] << 16) | (uint32_t(rec[ofs + 3]) << 24);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

static std::vector<float> Sine(double hz, double amp, size_t n, int rate = 44100)
{
    std::vector<float> v(n);
    for (size_t i = 0; i < n; i++) v[i] = float(amp * std::sin(2 * Pi * hz * double(i) / rate));
    return v;
}

TEST(SendFft, MatchesAPlainDft)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> d(-1, 1);
    const size_t n = 64;
    std::vector<std::complex<float>> a(n);
    for (auto& x : a) x = {d(rng), d(rng)};
    auto ref = a;
    ZynFft(a);
    for (size_t k = 0; k < n; k++) {
        std::complex<double> s = 0;
        for (size_t j = 0; j < n; j++)
            s += std::complex<double>(ref[j]) * std::polar(1.0, -2 * Pi * double(j * k) / double(n));
        EXPECT_NEAR(a[k].real(), s.real(), 1e-4) << k;
        EXPECT_NEAR(a[k].imag(), s.imag(), 1e-4) << k;
    }
}

TEST(SendFft, LargeTransformPutsASineInItsBin)
{
    std::vector<std::complex<float>> a(2048);
    for (size_t i = 0; i < a.size(); i++) a[i] = {float(std::cos(2 * Pi * 300.0 * double(i) / 2048.0)), 0};
    ZynFft(a);
    EXPECT_NEAR(std::abs(a[300]), 1024.0, 0.5);
    EXPECT_NEAR(std::abs(a[1748]), 1024.0, 0.5);
    for (size_t k = 0; k < 1024; k++)
        if (k != 300) EXPECT_LT(std::abs(a[k]), 0.05) << "leak at " << k;
}

TEST(SendAnalyser, FullScaleBassSineSettlesAtTheTopOfTheScale)
{
    TZynAnalyser an(44100);
    // Bin 4 (86.13 Hz) sits inside the 30..150 Hz bass band.
    auto s = Sine(44100.0 / 2048 * 4, 1.0, ZynSendFftSize);
    uint8_t rec[ZynSendRecordSize];
    for (int i = 0; i < 300; i++) an.Analyse(s.data(), 1.0f / 60, rec);
    EXPECT_NEAR(an.BassAmplitude(), 1.0, 0.05);
    EXPECT_NEAR(an.Bass(), 1.5, 0.02);
    EXPECT_FLOAT_EQ(RecordFloat(rec, 4), an.Bass());
    EXPECT_FLOAT_EQ(RecordFloat(rec, 8), an.Beat());
    EXPECT_EQ(RecordFloat(rec, 0), 0.0f);
    EXPECT_EQ(rec[1164] | rec[1165] | rec[1166] | rec[1167], 0);
    EXPECT_NEAR(an.Beat(), 0.0, 0.01) << "a steady level is no beat";
    // Spectrum bin i is FFT bin i+1: the sine shows at record bin 3.
    const uint8_t* bins = rec + 588;
    EXPECT_GT(bins[3], 200);
    EXPECT_LT(bins[40], bins[3] - 100);
}

TEST(SendAnalyser, BassFollowsLoudnessAndIgnoresHighNotes)
{
    TZynAnalyser an(44100);
    uint8_t rec[ZynSendRecordSize];
    auto loud = Sine(80, 0.8, ZynSendFftSize);
    auto quiet = Sine(80, 0.05, ZynSendFftSize);
    auto high = Sine(5000, 0.9, ZynSendFftSize);
    for (int i = 0; i < 60; i++) an.Analyse(loud.data(), 1.0f / 60, rec);
    float loudBass = an.Bass();
    for (int i = 0; i < 60; i++) an.Analyse(quiet.data(), 1.0f / 60, rec);
    float quietBass = an.Bass();
    for (int i = 0; i < 60; i++) an.Analyse(high.data(), 1.0f / 60, rec);
    float highBass = an.Bass();
    EXPECT_GT(loudBass, 1.2f);
    EXPECT_LT(quietBass, loudBass - 0.6f);
    EXPECT_GT(quietBass, 0.1f) << "-26 dB is quiet but not silent";
    EXPECT_LT(highBass, 0.1f);
    // The 5 kHz tone lands near record bin 5000 / 21.53 - 1 = 231.
    const uint8_t* bins = rec + 588;
    int peak = int(std::max_element(bins, bins + 576) - bins);
    EXPECT_NEAR(peak, 231, 2);
}

TEST(SendAnalyser, SilenceIsAFlatWaveformAndEmptyRecord)
{
    TZynAnalyser an(48000);
    std::vector<float> zero(ZynSendFftSize, 0.0f);
    uint8_t rec[ZynSendRecordSize];
    std::memset(rec, 0xCC, sizeof rec);
    an.Analyse(zero.data(), 0.02f, rec);
    for (int i = 0; i < 576; i++) ASSERT_EQ(rec[12 + i], 128) << i;
    for (int i = 0; i < 576; i++) ASSERT_EQ(rec[588 + i], 0) << i;
    EXPECT_EQ(RecordFloat(rec, 4), 0.0f);
    EXPECT_EQ(RecordFloat(rec, 8), 0.0f);
}

TEST(SendAnalyser, WaveformIsTheNewestSamples)
{
    TZynAnalyser an(44100);
    std::vector<float> w(ZynSendFftSize, 0.0f);
    w[ZynSendFftSize - 576] = 1.0f;   // oldest sample of the waveform block
    w[ZynSendFftSize - 1] = -1.0f;    // newest
    w[ZynSendFftSize - 577] = 0.5f;   // just before the block: not shown
    uint8_t rec[ZynSendRecordSize];
    an.Analyse(w.data(), 0.01f, rec);
    EXPECT_EQ(rec[12], 255);
    EXPECT_EQ(rec[12 + 575], 1);
    EXPECT_EQ(rec[13], 128);
}

TEST(SendAnalyser, SyntheticBeatPulsesBothWays)
{
    const int rate = 44100;
    TZynBeatSynth synth(rate, 120);
    std::vector<float> pcm;
    synth.Render(size_t(rate) * 4, pcm);
    TZynAnalyser an(rate);
    uint8_t rec[ZynSendRecordSize];
    float maxBeat = -1, minBeat = 1, maxBass = 0, minBass = 9;
    for (size_t pos = ZynSendFftSize; pos < pcm.size(); pos += rate / 60) {
        an.Analyse(pcm.data() + pos - ZynSendFftSize, 1.0f / 60, rec);
        if (pos < size_t(rate)) continue;   // let the averages settle
        maxBeat = std::max(maxBeat, an.Beat());
        minBeat = std::min(minBeat, an.Beat());
        maxBass = std::max(maxBass, an.Bass());
        minBass = std::min(minBass, an.Bass());
    }
    EXPECT_GT(maxBeat, 0.3f);
    EXPECT_LT(minBeat, -0.1f);
    EXPECT_GT(maxBass - minBass, 0.4f) << "the bass must rise and fall with the kicks";
}

TEST(SendWav, SixteenBitStereoRoundTripsAndMixesDown)
{
    std::vector<float> inter = {0.5f, -0.5f, 1.0f, 1.0f, -1.0f, 0.0f};
    auto img = ZynMakeWav16(22050, 2, inter);
    TZynPcm pcm;
    std::string err;
    ASSERT_TRUE(ZynParseWav(img.data(), img.size(), pcm, err)) << err;
    EXPECT_EQ(pcm.SampleRate, 22050);
    EXPECT_EQ(pcm.Channels, 2);
    ASSERT_EQ(pcm.Mono.size(), 3u);
    EXPECT_NEAR(pcm.Mono[0], 0.0f, 1e-4);
    EXPECT_NEAR(pcm.Mono[1], 1.0f, 1e-4);
    EXPECT_NEAR(pcm.Mono[2], -0.5f, 1e-4);
}

// A hand-built WAV image with an arbitrary fmt chunk and data bytes.
static std::vector<uint8_t> Wav(uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits,
                                const std::vector<uint8_t>& data, bool extensible = false,
                                uint32_t dataSize = 0xFFFFFFFF)
{
    std::vector<uint8_t> w;
    auto p32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) w.push_back(uint8_t(v >> (8 * i))); };
    auto p16 = [&](uint16_t v) { w.push_back(uint8_t(v)); w.push_back(uint8_t(v >> 8)); };
    auto tagw = [&](const char* t) { for (int i = 0; i < 4; i++) w.push_back(uint8_t(t[i])); };
    tagw("RIFF"); p32(0); tagw("WAVE");
    tagw("LIST"); p32(3); w.push_back('a'); w.push_back('b'); w.push_back('c'); w.push_back(0);   // odd chunk + pad
    tagw("fmt "); p32(extensible ? 40 : 16);
    p16(extensible ? 0xFFFE : tag); p16(ch); p32(rate); p32(rate * ch * bits / 8); p16(uint16_t(ch * bits / 8)); p16(bits);
    if (extensible) { p16(22); p16(bits); p32(3); p16(tag); for (int i = 0; i < 14; i++) w.push_back(0); }
    tagw("data"); p32(dataSize == 0xFFFFFFFF ? uint32_t(data.size()) : dataSize);
    w.insert(w.end(), data.begin(), data.end());
    return w;
}

TEST(SendWav, DecodesEveryCommonSampleFormat)
{
    TZynPcm pcm;
    std::string err;
    auto w24 = Wav(1, 1, 44100, 24, {0x00, 0x00, 0x40, 0x00, 0x00, 0xC0});   // +0.5, -0.5
    ASSERT_TRUE(ZynParseWav(w24.data(), w24.size(), pcm, err)) << err;
    ASSERT_EQ(pcm.Mono.size(), 2u);
    EXPECT_FLOAT_EQ(pcm.Mono[0], 0.5f);
    EXPECT_FLOAT_EQ(pcm.Mono[1], -0.5f);

    auto w8 = Wav(1, 1, 8000, 8, {128, 0, 255});
    ASSERT_TRUE(ZynParseWav(w8.data(), w8.size(), pcm, err)) << err;
    EXPECT_FLOAT_EQ(pcm.Mono[0], 0.0f);
    EXPECT_FLOAT_EQ(pcm.Mono[1], -1.0f);

    float f[3] = {0.25f, NAN, 7.5f};
    std::vector<uint8_t> fb(12);
    std::memcpy(fb.data(), f, 12);
    auto wf = Wav(3, 1, 48000, 32, fb, true);
    ASSERT_TRUE(ZynParseWav(wf.data(), wf.size(), pcm, err)) << err;
    EXPECT_EQ(pcm.SampleRate, 48000);
    EXPECT_FLOAT_EQ(pcm.Mono[0], 0.25f);
    EXPECT_EQ(pcm.Mono[1], 0.0f) << "non-finite samples become silence";
    EXPECT_EQ(pcm.Mono[2], 1.0f) << "float samples beyond full scale are clipped";

    auto w32 = Wav(1, 1, 44100, 32, {0, 0, 0, 0xC0});
    ASSERT_TRUE(ZynParseWav(w32.data(), w32.size(), pcm, err)) << err;
    EXPECT_FLOAT_EQ(pcm.Mono[0], -0.5f);
}

TEST(SendWav, StreamedDataSizeIsReadToTheEnd)
{
    auto w = Wav(1, 1, 44100, 16, {0x00, 0x40, 0x00, 0xC0, 0x11}, false, 0xFFFFFFF0u);
    TZynPcm pcm;
    std::string err;
    ASSERT_TRUE(ZynParseWav(w.data(), w.size(), pcm, err)) << err;
    EXPECT_EQ(pcm.Mono.size(), 2u) << "a trailing half frame is dropped";
}

TEST(SendWav, MalformedFilesAreRejectedWithAReason)
{
    TZynPcm pcm;
    std::string err;
    std::vector<uint8_t> junk = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
    EXPECT_FALSE(ZynParseWav(junk.data(), junk.size(), pcm, err));
    EXPECT_FALSE(ZynParseWav(junk.data(), 5, pcm, err));
    auto badBits = Wav(1, 1, 44100, 12, {0, 0});
    EXPECT_FALSE(ZynParseWav(badBits.data(), badBits.size(), pcm, err));
    EXPECT_NE(err.find("unsupported"), std::string::npos) << err;
    auto mp3 = Wav(0x55, 2, 44100, 16, {0, 0, 0, 0});
    EXPECT_FALSE(ZynParseWav(mp3.data(), mp3.size(), pcm, err));
    auto noChannels = Wav(1, 0, 44100, 16, {0, 0});
    EXPECT_FALSE(ZynParseWav(noChannels.data(), noChannels.size(), pcm, err));
    auto badRate = Wav(1, 1, 10, 16, {0, 0});
    EXPECT_FALSE(ZynParseWav(badRate.data(), badRate.size(), pcm, err));
    // Cut inside the fmt chunk, and no data chunk at all.
    auto good = Wav(1, 1, 44100, 16, {0, 0});
    EXPECT_FALSE(ZynParseWav(good.data(), 30, pcm, err));
    EXPECT_FALSE(ZynParseWav(good.data(), 44, pcm, err));
    // A chunk claiming 4 GB before the data chunk ends the scan safely.
    auto huge = good;
    huge[16] = huge[17] = huge[18] = huge[19] = 0xFF;   // the LIST chunk's size
    EXPECT_FALSE(ZynParseWav(huge.data(), huge.size(), pcm, err));
    EXPECT_FALSE(ZynReadWav("/nonexistent/x.wav", pcm, err));
    EXPECT_NE(err.find("cannot open"), std::string::npos);
}

TEST(SendWav, MixesRawS16Frames)
{
    uint8_t frames[8] = {0x00, 0x40, 0x00, 0x40, 0x00, 0xC0, 0x00, 0x00};   // (0.5, 0.5), (-0.5, 0)
    std::vector<float> out;
    ZynMixS16(frames, 2, 2, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_FLOAT_EQ(out[1], -0.25f);
}

TEST(SendWav, MutatedImagesNeverReadPastTheEnd)
{
    // Random byte flips and truncations of valid images: every result is
    // either a clean error or samples that came from inside the image.
    std::vector<std::vector<uint8_t>> seeds = {
        Wav(1, 2, 44100, 16, std::vector<uint8_t>(64, 0x11)),
        Wav(3, 1, 48000, 32, std::vector<uint8_t>(32, 0x3F), true),
        Wav(1, 3, 22050, 24, std::vector<uint8_t>(90, 0x80)),
    };
    std::mt19937 rng(99);
    TZynPcm pcm;
    std::string err;
    for (int i = 0; i < 3000; i++) {
        auto img = seeds[i % seeds.size()];
        int flips = 1 + int(rng() % 6);
        for (int f = 0; f < flips; f++) img[rng() % img.size()] = uint8_t(rng());
        img.resize(rng() % (img.size() + 1));
        if (ZynParseWav(img.data(), img.size(), pcm, err)) {
            EXPECT_LE(pcm.Mono.size() * size_t(pcm.Channels), img.size());
            for (float s : pcm.Mono) ASSERT_TRUE(std::isfinite(s) && s >= -1.0f && s <= 1.0f);
        }
    }
}
