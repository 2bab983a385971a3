// ZynVisData: vis data blending and the synthetic beat generator.
#include "audio/ZynVisData.h"

#include "config/ZynConstDef.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <cmath>
#include <cstring>

const char* const BeatPatterns[4] = {
    "-...-...-...-...",
    "-.-.-.-.-...-...",
    "--..--..-...-...",
    "-...-...-----...",
};

static float Mix(float a, float b, float f)
{
    float v = a * (1.0f - f) + b * f;
    return std::isfinite(v) ? v : 0.0f;
}

static uint8_t ToByte(double v)
{
    int64_t n = ZynRoundEven64(v);
    return static_cast<uint8_t>(n < 0 ? 0 : (n > 255 ? 255 : n));
}

TVisData BlendVisData(const TVisData& a, const TVisData& b, float f)
{
    TVisData r = a;
    r.ReservedA = Mix(a.ReservedA, b.ReservedA, f);
    r.Bass = Mix(a.Bass, b.Bass, f);
    r.Beat = Mix(a.Beat, b.Beat, f);
    const float g = 1.0f - f;
    for (int i = 0; i < kVisSamples; i++) {
        r.Waveform[i] = ToByte(static_cast<float>(a.Waveform[i]) * g + static_cast<float>(b.Waveform[i]) * f);
        r.Spectrum[i] = ToByte(static_cast<float>(a.Spectrum[i]) * g + static_cast<float>(b.Spectrum[i]) * f);
    }
    return r;
}

TVisData TZynVisSynth::Next(float dt, int32_t bpm)
{
    constexpr double kPi = 3.14159265358979323846;
    TVisData v;
    T += dt;
    S += static_cast<float>(bpm * 2) * (dt / 60.0f);
    while (std::trunc(S) > 16.0f) {
        S -= 16.0f;
        P = ZynRandomInt(4);
    }
    float frac = S - std::trunc(S);
    float pulse = 0.75f * static_cast<float>(std::sin(2.0 * kPi * frac));
    if (frac > 0.5f) pulse /= 2.0f;
    int pos = static_cast<int>(std::trunc(S));
    if (pos >= 1 && pos <= 16 && BeatPatterns[P][pos - 1] == '.') pulse /= 4.0f;
    v.ReservedA = 0.0f;
    v.Beat = pulse;
    v.Bass = static_cast<float>(((std::sin(2.0 * T) + std::sin(1.357 * T)) / 2.0 + 2.0) / 3.0) + pulse;
    v.ReservedB = 0;
    for (int i = 0; i < kVisSamples; i++) {
        int r = ZynRandomInt(96);
        double s = std::trunc((r + 32) * std::sin(i * kPi / kVisSamples) * v.Bass);
        v.Spectrum[i] = static_cast<uint8_t>(s < 0 ? 0 : (s > 255 ? 255 : s));
    }
    for (int i = 0; i < kVisSamples; i++) {
        int r = ZynRandomInt(256);
        float w = static_cast<float>(r / 256.0 + std::sin(58.0 * T + 8.0 * i / kVisSamples) * v.Bass - 0.5);
        w = w * 40.0f;
        v.Waveform[i] = ToByte(w + 128.0f);
    }
    return v;
}

TVisData SynthesizeVisData(float dt)
{
    static TZynVisSynth generator;
    return generator.Next(dt, zcMAIN_ScreenSaveBPM);
}
