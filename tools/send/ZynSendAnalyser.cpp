// ZynSendAnalyser: FFT, spectrum, bass and beat for the vis data record.
#include "ZynSendAnalyser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

static const float Pi = 3.14159265358979f;

void ZynFft(std::vector<std::complex<float>>& a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; i++) {   // bit-reversal permutation
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        double ang = -2.0 * 3.14159265358979323846 / double(len);
        std::complex<float> wl(static_cast<float>(std::cos(ang)), static_cast<float>(std::sin(ang)));
        for (size_t i = 0; i < n; i += len) {
            std::complex<float> w(1.0f, 0.0f);
            for (size_t k = 0; k < len / 2; k++) {
                std::complex<float> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                // Recompute every 64 steps to stop the rounding drift of w.
                if ((k & 63) == 63) {
                    double t = ang * double(k + 1);
                    w = {static_cast<float>(std::cos(t)), static_cast<float>(std::sin(t))};
                } else {
                    w *= wl;
                }
            }
        }
    }
}

TZynAnalyser::TZynAnalyser(int sampleRate, float bassGain)
    : Rate(sampleRate), Gain(bassGain), Hann(ZynSendFftSize), Work(ZynSendFftSize), Mag(ZynSendFftSize / 2)
{
    for (size_t i = 0; i < ZynSendFftSize; i++)
        Hann[i] = 0.5f - 0.5f * std::cos(2.0f * Pi * float(i) / float(ZynSendFftSize));
}

static void PutFloat(uint8_t* p, float v)
{
    uint32_t u;
    std::memcpy(&u, &v, 4);
    for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

void TZynAnalyser::Analyse(const float* window, float dt, uint8_t (&record)[ZynSendRecordSize])
{
    for (size_t i = 0; i < ZynSendFftSize; i++) Work[i] = {window[i] * Hann[i], 0.0f};
    ZynFft(Work);
    // A full-scale sine gives |X| = N/4 under the Hann window: scale to 1.0.
    const float scale = 4.0f / float(ZynSendFftSize);
    for (size_t k = 0; k < Mag.size(); k++) Mag[k] = std::abs(Work[k]) * scale;

    // Bass band energy. A windowed sine spreads over three bins (1, 1/2, 1/2),
    // so the energy sum of a sine is 1.5 x its squared amplitude.
    const float binHz = float(Rate) / float(ZynSendFftSize);
    size_t lo = std::max<size_t>(1, static_cast<size_t>(std::floor(30.0f / binHz)));
    size_t hi = std::min(Mag.size() - 1, static_cast<size_t>(std::ceil(150.0f / binHz)));
    float energy = 0;
    for (size_t k = lo; k <= hi; k++) energy += Mag[k] * Mag[k];
    LastBassAmp = std::sqrt(energy / 1.5f);

    // 40 dB scale: -40 dBFS and below is 0, full scale is 1, times 1.5 x gain.
    float db = 20.0f * std::log10(LastBassAmp + 1e-9f);
    float target = std::clamp((db + 40.0f) / 40.0f, 0.0f, 1.0f) * 1.5f * Gain;
    float attack = 1.0f - std::exp(-dt / 0.02f), release = 1.0f - std::exp(-dt / 0.15f);
    BassLevel += (target - BassLevel) * (target > BassLevel ? attack : release);
    SlowBass += (BassLevel - SlowBass) * (1.0f - std::exp(-dt / 0.5f));
    BeatLevel = std::clamp((BassLevel - SlowBass) * 2.0f, -0.5f, 0.75f);

    std::memset(record, 0, sizeof record);
    PutFloat(record + 0, 0.0f);          // ReservedA
    PutFloat(record + 4, BassLevel);
    PutFloat(record + 8, BeatLevel);
    const float* wave = window + ZynSendFftSize - ZynSendBins;
    for (size_t i = 0; i < ZynSendBins; i++)
        record[12 + i] = static_cast<uint8_t>(std::clamp(std::lrint(128.0f + wave[i] * 127.0f), 0L, 255L));
    // Spectrum: bins 1..576 (skip DC), -72..0 dBFS onto 0..255, tilted up
    // 3 dB per octave so the quieter highs still show.
    for (size_t i = 0; i < ZynSendBins; i++) {
        float m = Mag[i + 1];
        float d = 20.0f * std::log10(m + 1e-9f) + 3.0f * std::log2(float(i + 1) / 8.0f);
        record[588 + i] = static_cast<uint8_t>(std::clamp(std::lrint((d + 72.0f) * (255.0f / 72.0f)), 0L, 255L));
    }
    // ReservedB stays 0.
}
