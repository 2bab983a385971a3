// ZynSendAnalyser: turns a stretch of music into one vis data record.
//
// For each packet the sender hands over the newest FftSize mono samples. The
// analyser fills the 1168-byte record the visualiser expects:
//   - Waveform: the newest 576 samples, 128 = silence;
//   - Spectrum: 576 bins of a Hann-windowed real FFT, log magnitude 0..255,
//     bin 0 the lowest band above DC;
//   - Bass: the level of the 30..150 Hz band on a 40 dB scale (0 silent,
//     1.5 at full scale by default), fast attack, slower release;
//   - Beat: how far Bass stands above its own slow average, signed (rises on
//     every kick, dips below 0 after it).
// Depends on: the C++ standard library only.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t ZynSendFftSize = 2048;
constexpr size_t ZynSendBins = 576;
constexpr size_t ZynSendRecordSize = 1168;

// In-place radix-2 FFT (forward, no scaling). a.size() must be a power of two.
void ZynFft(std::vector<std::complex<float>>& a);

class TZynAnalyser {
public:
    explicit TZynAnalyser(int sampleRate, float bassGain = 1.0f);

    // window: the newest ZynSendFftSize samples, oldest first. dt: seconds
    // since the previous record. Fills record (little-endian wire layout).
    void Analyse(const float* window, float dt, uint8_t (&record)[ZynSendRecordSize]);

    float Bass() const { return BassLevel; }
    float Beat() const { return BeatLevel; }
    // Amplitude (0..1 of full scale) of the bass band in the last window.
    float BassAmplitude() const { return LastBassAmp; }

private:
    int Rate;
    float Gain;
    float BassLevel = 0, BeatLevel = 0, SlowBass = 0, LastBassAmp = 0;
    std::vector<float> Hann;
    std::vector<std::complex<float>> Work;
    std::vector<float> Mag;   // per FFT bin, 1.0 = full-scale sine
};
