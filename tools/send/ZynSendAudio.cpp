// ZynSendAudio: WAV writing, 16-bit mix-down, synthetic beat.
#include "ZynSendAudio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

static uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

std::vector<uint8_t> ZynMakeWav16(int sampleRate, int channels, const std::vector<float>& interleaved)
{
    uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    std::vector<uint8_t> w;
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) w.push_back(uint8_t(v >> (8 * i))); };
    auto put16 = [&](uint16_t v) { w.push_back(uint8_t(v)); w.push_back(uint8_t(v >> 8)); };
    auto tag = [&](const char* t) { for (int i = 0; i < 4; i++) w.push_back(uint8_t(t[i])); };
    tag("RIFF"); put32(36 + dataBytes); tag("WAVE");
    tag("fmt "); put32(16); put16(1); put16(uint16_t(channels)); put32(uint32_t(sampleRate));
    put32(uint32_t(sampleRate * channels * 2)); put16(uint16_t(channels * 2)); put16(16);
    tag("data"); put32(dataBytes);
    for (float s : interleaved) {
        float c = std::clamp(s, -1.0f, 1.0f);
        put16(static_cast<uint16_t>(static_cast<int16_t>(std::lrint(c * 32767.0f))));
    }
    return w;
}

bool ZynWriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        error = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
}

void ZynMixS16(const uint8_t* data, size_t frames, int channels, std::vector<float>& out)
{
    for (size_t i = 0; i < frames; i++) {
        float sum = 0;
        for (int c = 0; c < channels; c++) sum += int16_t(Le16(data + (i * channels + c) * 2)) / 32768.0f;
        out.push_back(sum / channels);
    }
}

TZynBeatSynth::TZynBeatSynth(int sampleRate, double bpm) : Rate(sampleRate), Bpm(bpm) {}

float TZynBeatSynth::NextNoise()
{
    Noise ^= Noise << 13;
    Noise ^= Noise >> 17;
    Noise ^= Noise << 5;
    return (Noise & 0xFFFF) / 32768.0f - 1.0f;
}

void TZynBeatSynth::Render(size_t n, std::vector<float>& out)
{
    const double beatLen = 60.0 / Bpm;
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < n; i++, Pos++) {
        double t = double(Pos) / Rate;
        double beats = t / beatLen;
        long beat = static_cast<long>(beats);
        double inBeat = (beats - beat) * beatLen;          // seconds since the beat
        double inEighth = std::fmod(inBeat, beatLen / 2);  // seconds since the eighth
        // Kick: a falling sine sweep, 110 Hz down to 45 Hz, fast decay.
        double kf = 45.0 + 65.0 * std::exp(-inBeat * 30.0);
        double kick = std::sin(2 * pi * kf * inBeat) * std::exp(-inBeat * 9.0);
        // Snare on beats 2 and 4 of the bar: noise burst.
        double snare = (beat % 2 == 1) ? NextNoise() * 0.35 * std::exp(-inBeat * 18.0) : 0.0;
        // Hi-hat on every eighth: short, quiet noise.
        double hat = NextNoise() * 0.12 * std::exp(-inEighth * 60.0);
        // Bass note on the off-beat half of each beat.
        double off = inBeat - beatLen / 2;
        double bass = off >= 0 ? std::sin(2 * pi * 55.0 * t) * 0.12 * std::exp(-off * 8.0) : 0.0;
        out.push_back(static_cast<float>(std::clamp(0.8 * kick + snare + hat + bass, -1.0, 1.0)));
    }
}
