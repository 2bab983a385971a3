// Music analysis into the vis record, audio file reading, the sender's own sounds.
#include "ZynSendAudio.h"
#include "audio/ZynAudioAnalyser.h"
#include "audio/ZynAudioFile.h"
#include "audio/ZynAudioRing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

static const double Pi = 3.14159265358979323846;

static std::vector<float> Sine(double hz, double amp, size_t n, int rate = 44100)
{
    std::vector<float> v(n);
    for (size_t i = 0; i < n; i++) v[i] = float(amp * std::sin(2 * Pi * hz * double(i) / rate));
    return v;
}

// The band of the record's log-frequency spectrum that holds hz.
static int BandOf(double hz, int rate = 44100)
{
    double fmax = std::min(16000.0, rate / 2.0);
    return int(std::floor(576.0 * std::log(hz / 20.0) / std::log(fmax / 20.0)));
}

TEST(SendAnalyser, SpectrumIsLogSpacedAndPutsEachToneInItsBand)
{
    for (double hz : {60.0, 440.0, 5000.0}) {
        TZynAudioAnalyser an(44100);
        auto s = Sine(hz, 0.9, 4096);
        an.Push(s.data(), s.size());
        TVisData v = an.Frame(1.0f / 60);
        int peak = int(std::max_element(v.Spectrum, v.Spectrum + 576) - v.Spectrum);
        EXPECT_NEAR(peak, BandOf(hz), hz < 100 ? 12 : 4) << hz << " Hz";
        EXPECT_GT(v.Spectrum[peak], 200) << "a -1 dB tone is near the top of the scale";
        EXPECT_LT(v.Spectrum[std::min(575, BandOf(hz * 8))], v.Spectrum[peak] - 100) << hz << " Hz leaks three octaves up";
    }
}

TEST(SendAnalyser, BassJumpsOnKicksAndFallsBetweenThem)
{
    const int rate = 44100;
    TZynBeatSynth synth(rate, 120);
    std::vector<float> pcm;
    synth.Render(size_t(rate) * 6, pcm);
    TZynAudioAnalyser an(rate);
    float maxBeat = -1, minBeat = 1, maxBass = 0, minBass = 9;
    int kicks = 0;
    for (size_t pos = 0; pos + 735 <= pcm.size(); pos += 735) {
        an.Push(pcm.data() + pos, 735);
        TVisData v = an.Frame(1.0f / 60);
        EXPECT_EQ(v.Bass, an.Bass());
        kicks += int(an.TakeOnsets().size());
        if (pos < size_t(rate)) continue;   // let the averages settle
        maxBeat = std::max(maxBeat, v.Beat);
        minBeat = std::min(minBeat, v.Beat);
        maxBass = std::max(maxBass, v.Bass);
        minBass = std::min(minBass, v.Bass);
    }
    EXPECT_EQ(kicks, 12) << "one onset per beat at 120 BPM for 6 s";
    EXPECT_GT(maxBass, 1.0f);
    EXPECT_LT(minBass, 0.1f);
    EXPECT_GT(maxBeat, 0.3f);
    EXPECT_LT(minBeat, -0.1f);
}

TEST(SendAnalyser, LoudAndQuietKicksGiveHighAndLowBassAndHighNotesNone)
{
    const int rate = 44100;
    TZynBeatSynth synth(rate, 120);
    std::vector<float> pcm;
    synth.Render(size_t(rate) * 3, pcm);
    auto peakBass = [&](float gain) {
        TZynAudioAnalyser an(rate);
        float peak = 0;
        std::vector<float> block(735);
        for (size_t pos = 0; pos + 735 <= pcm.size(); pos += 735) {
            for (size_t i = 0; i < 735; i++) block[i] = pcm[pos + i] * gain;
            an.Push(block.data(), block.size());
            peak = std::max(peak, an.Frame(1.0f / 60).Bass);
        }
        return peak;
    };
    float loud = peakBass(1.0f), quiet = peakBass(0.1f), faint = peakBass(0.003f);
    EXPECT_GT(loud, 1.2f);
    EXPECT_LT(quiet, loud - 0.5f);
    EXPECT_GT(quiet, 0.3f) << "-20 dB is quieter, not silent";
    EXPECT_EQ(faint, 0.0f) << "-50 dB kicks are below the scale";

    TZynAudioAnalyser an(rate);
    auto high = Sine(5000, 0.9, size_t(rate));
    for (size_t i = 0; i < high.size(); i += 512) an.Push(high.data() + i, std::min<size_t>(512, high.size() - i));
    EXPECT_EQ(an.Frame(0.01f).Bass, 0.0f);
    EXPECT_TRUE(an.TakeOnsets().empty());
}

TEST(SendAnalyser, SilenceAndGarbageGiveAFlatWaveformAndEmptyRecord)
{
    TZynAudioAnalyser an(48000);
    std::vector<float> junk(5000, 0.0f);
    junk[100] = NAN;
    junk[200] = INFINITY;
    an.Push(junk.data(), junk.size());
    TVisData v = an.Frame(0.02f);
    for (int i = 0; i < 576; i++) ASSERT_EQ(v.Waveform[i], 128) << i;
    for (int i = 0; i < 576; i++) ASSERT_EQ(v.Spectrum[i], 0) << i;
    EXPECT_EQ(v.Bass, 0.0f);
    EXPECT_EQ(v.Beat, 0.0f);
    EXPECT_EQ(v.ReservedA, 0.0f);
    EXPECT_EQ(v.ReservedB, 0);
}

TEST(SendAnalyser, WaveformIsTheNewestSamplesWhateverTheBlockSizes)
{
    TZynAudioAnalyser an(44100);
    std::vector<float> w(3000, 0.0f);
    w[3000 - 576] = 1.0f;   // oldest sample of the waveform block
    w[3000 - 1] = -1.0f;    // newest
    w[3000 - 577] = 0.5f;   // just before the block: not shown
    an.Push(w.data(), 1000);
    an.Push(w.data() + 1000, 7);
    an.Push(w.data() + 1007, 1993);
    TVisData v = an.Frame(0.01f);
    EXPECT_EQ(v.Waveform[0], 255);
    EXPECT_EQ(v.Waveform[575], 1);
    EXPECT_EQ(v.Waveform[1], 128);
    EXPECT_EQ(an.SamplesIn(), 3000u);
}

TEST(SendAudioRing, CarriesSamplesAcrossThreadsAndCountsOverflow)
{
    TZynAudioRing ring(1000);
    EXPECT_EQ(ring.Capacity(), 1024u);
    std::vector<float> big(1500, 1.0f);
    EXPECT_EQ(ring.Write(big.data(), big.size()), 1024u);
    EXPECT_EQ(ring.TakeDropped(), 476u);
    std::vector<float> out(2000);
    EXPECT_EQ(ring.Read(out.data(), out.size()), 1024u);

    // One writer, one reader: every sample arrives once, in order.
    const int total = 200000;
    std::thread writer([&] {
        float block[37];
        for (int next = 0; next < total;) {
            int k = std::min(37, total - next);
            for (int i = 0; i < k; i++) block[i] = float(next + i);
            size_t done = 0;
            while (done < size_t(k)) done += ring.Write(block + done, size_t(k) - done);
            next += k;
        }
    });
    int expect = 0;
    while (expect < total) {
        size_t n = ring.Read(out.data(), 101);
        for (size_t i = 0; i < n; i++) ASSERT_EQ(out[i], float(expect++));
    }
    writer.join();
}

// A hand-built WAV image with an arbitrary fmt chunk and data bytes.
static std::vector<uint8_t> Wav(uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits,
                                const std::vector<uint8_t>& data, bool extensible = false)
{
    std::vector<uint8_t> w;
    auto p32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) w.push_back(uint8_t(v >> (8 * i))); };
    auto p16 = [&](uint16_t v) { w.push_back(uint8_t(v)); w.push_back(uint8_t(v >> 8)); };
    auto tagw = [&](const char* t) { for (int i = 0; i < 4; i++) w.push_back(uint8_t(t[i])); };
    tagw("RIFF"); p32(0); tagw("WAVE");
    tagw("fmt "); p32(extensible ? 40 : 16);
    p16(extensible ? 0xFFFE : tag); p16(ch); p32(rate); p32(rate * ch * bits / 8); p16(uint16_t(ch * bits / 8)); p16(bits);
    if (extensible) {
        p16(22); p16(bits); p32(ch == 1 ? 4 : 3); p16(tag);
        const uint8_t guid[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        w.insert(w.end(), guid, guid + 14);
    }
    tagw("data"); p32(uint32_t(data.size()));
    w.insert(w.end(), data.begin(), data.end());
    uint32_t riff = uint32_t(w.size() - 8);
    for (int i = 0; i < 4; i++) w[4 + i] = uint8_t(riff >> (8 * i));
    return w;
}

TEST(SendAudioFile, SixteenBitStereoRoundTripsAndMixesDown)
{
    std::vector<float> inter = {0.5f, -0.5f, 1.0f, 1.0f, -1.0f, 0.0f};
    auto img = ZynMakeWav16(22050, 2, inter);
    TZynPcm pcm;
    std::string err;
    ASSERT_TRUE(ZynDecodeAudio(img.data(), img.size(), pcm, err)) << err;
    EXPECT_EQ(pcm.SampleRate, 22050);
    EXPECT_EQ(pcm.Channels, 2);
    ASSERT_EQ(pcm.Mono.size(), 3u);
    EXPECT_NEAR(pcm.Mono[0], 0.0f, 1e-4);
    EXPECT_NEAR(pcm.Mono[1], 1.0f, 1e-4);
    EXPECT_NEAR(pcm.Mono[2], -0.5f, 1e-4);
}

TEST(SendAudioFile, DecodesCommonSampleFormatsAndCleansFloats)
{
    TZynPcm pcm;
    std::string err;
    auto w24 = Wav(1, 1, 44100, 24, {0x00, 0x00, 0x40, 0x00, 0x00, 0xC0});   // +0.5, -0.5
    ASSERT_TRUE(ZynDecodeAudio(w24.data(), w24.size(), pcm, err)) << err;
    ASSERT_EQ(pcm.Mono.size(), 2u);
    EXPECT_FLOAT_EQ(pcm.Mono[0], 0.5f);
    EXPECT_FLOAT_EQ(pcm.Mono[1], -0.5f);

    auto w8 = Wav(1, 1, 8000, 8, {128, 0});
    ASSERT_TRUE(ZynDecodeAudio(w8.data(), w8.size(), pcm, err)) << err;
    EXPECT_FLOAT_EQ(pcm.Mono[0], 0.0f);
    EXPECT_FLOAT_EQ(pcm.Mono[1], -1.0f);

    float f[3] = {0.25f, NAN, 7.5f};
    std::vector<uint8_t> fb(12);
    std::memcpy(fb.data(), f, 12);
    auto wf = Wav(3, 1, 48000, 32, fb, true);
    ASSERT_TRUE(ZynDecodeAudio(wf.data(), wf.size(), pcm, err)) << err;
    EXPECT_EQ(pcm.SampleRate, 48000);
    ASSERT_EQ(pcm.Mono.size(), 3u);
    EXPECT_FLOAT_EQ(pcm.Mono[0], 0.25f);
    EXPECT_EQ(pcm.Mono[1], 0.0f) << "non-finite samples become silence";
    EXPECT_EQ(pcm.Mono[2], 1.0f) << "float samples beyond full scale are clipped";
}

TEST(SendAudioFile, UnreadableAndUnknownFilesAreRejectedWithAReason)
{
    TZynPcm pcm;
    std::string err;
    std::vector<uint8_t> junk = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
    EXPECT_FALSE(ZynDecodeAudio(junk.data(), junk.size(), pcm, err));
    EXPECT_NE(err.find("not an audio file"), std::string::npos) << err;
    EXPECT_FALSE(ZynDecodeAudio(junk.data(), 0, pcm, err));
    auto badRate = Wav(1, 1, 10, 16, {0, 0});
    EXPECT_FALSE(ZynDecodeAudio(badRate.data(), badRate.size(), pcm, err));
    EXPECT_FALSE(ZynReadAudio("/nonexistent/x.wav", pcm, err));
    EXPECT_NE(err.find("cannot open"), std::string::npos) << err;
}

TEST(SendAudioFile, MutatedImagesNeverReadPastTheEnd)
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
    for (int i = 0; i < 2000; i++) {
        auto img = seeds[i % seeds.size()];
        int flips = 1 + int(rng() % 6);
        for (int f = 0; f < flips; f++) img[rng() % img.size()] = uint8_t(rng());
        img.resize(rng() % (img.size() + 1));
        if (ZynDecodeAudio(img.data(), img.size(), pcm, err)) {
            EXPECT_LE(pcm.Mono.size() * size_t(pcm.Channels), img.size());
            for (float s : pcm.Mono) ASSERT_TRUE(std::isfinite(s) && s >= -1.0f && s <= 1.0f);
        }
    }
}

TEST(SendAudioFile, MixesRawS16Frames)
{
    uint8_t frames[8] = {0x00, 0x40, 0x00, 0x40, 0x00, 0xC0, 0x00, 0x00};   // (0.5, 0.5), (-0.5, 0)
    std::vector<float> out;
    ZynMixS16(frames, 2, 2, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_FLOAT_EQ(out[1], -0.25f);
}
