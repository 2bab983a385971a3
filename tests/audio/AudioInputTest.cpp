// The file input of an offline render: exact sample positions, no replay from the start.
#include "audio/ZynAudioInput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A 16-bit mono WAV file of these samples.
std::string WriteWav(const std::string& name, int rate, const std::vector<int16_t>& samples)
{
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    FILE* f = std::fopen(path.c_str(), "wb");
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) std::fputc(int(v >> (8 * i)) & 255, f); };
    auto u16 = [&](uint16_t v) { std::fputc(v & 255, f); std::fputc(v >> 8, f); };
    const uint32_t bytes = uint32_t(samples.size() * 2);
    std::fputs("RIFF", f); u32(36 + bytes); std::fputs("WAVEfmt ", f); u32(16); u16(1); u16(1);
    u32(uint32_t(rate)); u32(uint32_t(rate) * 2); u16(2); u16(16); std::fputs("data", f); u32(bytes);
    for (int16_t s : samples) u16(uint16_t(s));
    std::fclose(f);
    return path;
}

bool Flat(const TVisData& v)
{
    for (uint8_t w : v.Waveform)
        if (w != 128) return false;
    return true;
}

}  // namespace

TEST(AudioInputOffline, ReadsExactlyUpToTheSampleAskedFor)
{
    // One loud sample at 1000 in silence: it is in the record from end = 1001 on, not before.
    std::vector<int16_t> pcm(8000, 0);
    pcm[1000] = 32767;
    std::string file = WriteWav("zyn_input_spike.wav", 8000, pcm);
    TZynAudioInput in;
    std::string error;
    ASSERT_TRUE(in.Open(file, "", error)) << error;
    EXPECT_EQ(in.SampleRate(), 8000);
    EXPECT_EQ(in.Samples(), 8000u);
    for (uint64_t end : {0u, 500u, 1000u}) EXPECT_TRUE(Flat(in.FrameUntil(end, 0.01f))) << end;
    TVisData v = in.FrameUntil(1001, 0.01f);
    EXPECT_GT(v.Waveform[575], 200);
    EXPECT_EQ(v.Waveform[574], 128);
    std::filesystem::remove(file);
}

TEST(AudioInputOffline, PastTheEndKeepsTheLastSoundInsteadOfStartingAgain)
{
    // Silence, then a loud square wave over the last quarter.
    std::vector<int16_t> pcm(8000, 0);
    for (size_t i = 6000; i < pcm.size(); i++) pcm[i] = (i / 4) % 2 ? 30000 : -30000;
    std::string file = WriteWav("zyn_input_tail.wav", 8000, pcm);
    TZynAudioInput offline, live;
    std::string error;
    ASSERT_TRUE(offline.Open(file, "", error)) << error;
    ASSERT_TRUE(live.Open(file, "", error)) << error;
    // 40 frames of 1/30 s: ten past the end of the file.
    TVisData last{}, lastLive{};
    for (uint64_t k = 1; k <= 40; k++) {
        last = offline.FrameUntil(k * 8000 / 30, 1.0f / 30);
        lastLive = live.Frame(1.0f / 30);
    }
    EXPECT_FALSE(Flat(last));     // still the tail's sound
    EXPECT_TRUE(Flat(lastLive));  // the live input has gone round to the silent start
    std::filesystem::remove(file);
}
