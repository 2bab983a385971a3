// ZynAudioAnalyser: mono PCM in, one vis data record per frame out, with kick onsets.
//
// Both the sender (zyn-send) and the program (zyn --audio) feed their samples
// here. Samples arrive in any count through Push; the kick detector runs on
// every hop of 256 samples, so the levels and onsets do not depend on the
// frame rate. Frame builds the record for the newest samples:
//   - Waveform: the newest 576 samples, 128 = silence;
//   - Spectrum: 576 log-spaced bands from 20 Hz up to 16 kHz (or Nyquist) of
//     a 2048-point Hann-windowed FFT, -72..0 dBFS onto 0..255, bin 0 lowest;
//   - Bass: jumps on each kick to the kick's level (a 40 dB scale: -40 dBFS
//     and below 0, full scale 1.5, times the gain) and falls off in about
//     0.2 s, so it is high on the kicks and near 0 between them;
//   - Beat: how far Bass stands above its own half-second average (rises on
//     every kick, dips below 0 after it), -0.5..0.75.
// Kicks are found in the 30..150 Hz band of aubio's FFT of the newest 1024
// samples, every hop: a sharp
// rise of the band's level, picked against a threshold that follows the
// recent kicks' strength, so hats, snares and the softer attacks of a bass
// line do not count.
// Depends on: aubio, audio/ZynVisData (TVisData, a plain record).
#pragma once

#include "audio/ZynVisData.h"

#include <aubio/aubio.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class TZynAudioAnalyser {
public:
    static constexpr size_t FftSize = 2048;   // display spectrum
    static constexpr size_t Hop = 256;        // kick detector step
    static constexpr size_t OnsetWindow = 1024;

    explicit TZynAudioAnalyser(int sampleRate, float bassGain = 1.0f);
    ~TZynAudioAnalyser();
    TZynAudioAnalyser(const TZynAudioAnalyser&) = delete;
    TZynAudioAnalyser& operator=(const TZynAudioAnalyser&) = delete;

    // Appends mono samples in -1..1 (others are clipped, NaN counts as 0).
    void Push(const float* mono, size_t n);
    // The record for the newest samples. dt: seconds since the previous frame.
    TVisData Frame(float dt);

    float Bass() const { return BassLevel; }
    float Beat() const { return BeatLevel; }
    int SampleRate() const { return Rate; }
    uint64_t SamplesIn() const { return Total; }
    // Kick onsets found since the last call: seconds from the first sample
    // pushed, corrected for the detector's delay.
    std::vector<double> TakeOnsets();
    // How long after a kick starts the detector reports it, in seconds.
    double DetectionDelay() const;

private:
    void RunHop();
    void UpdateLevels(float hopLevel, bool onset);

    int Rate;
    float Gain;
    uint64_t Total = 0;
    std::vector<float> History;   // the newest FftSize samples, ring-ordered
    size_t HistoryPos = 0;
    size_t SinceHop = 0;          // samples since the last hop
    uint64_t Hops = 0;

    // An aubio FFT of the newest Size samples under a window, magnitudes only.
    struct TFft {
        TFft(size_t size, const char* window);
        ~TFft();
        TFft(const TFft&) = delete;
        TFft& operator=(const TFft&) = delete;
        // history: a ring of at least Size samples, oldest at pos.
        const float* Magnitudes(const std::vector<float>& history, size_t pos);
        size_t Size;
        aubio_fft_t* Fft;
        fvec_t* In;
        fvec_t* Complex;
        cvec_t* Out;
        std::vector<float> Window;
    };
    TFft Onset{OnsetWindow, "hanningz"};   // the kick detector's
    TFft Display{FftSize, "hanning"};      // the record's spectrum
    size_t BandLo = 1, BandHi = 3;   // detector FFT bins of the kick band
    std::vector<int> BandOfBin;      // spectrum: first FFT bin of each band edge
    std::vector<float> BandPos;      // spectrum: fractional FFT bin of each band centre
    std::vector<float> Tilt;         // spectrum: dB added to each band

    // Kick picking state.
    float Level[3] = {0, 0, 0};    // kick band amplitude of the last three hops, newest last
    float LastDb = -180;           // kick band level of the previous hop
    float Odf[3] = {0, 0, 0};      // rise of the last three hops, newest last
    float PeakTrack = 0;           // strength of recent kicks, decays
    float Floor = 0;               // slow average of the flux (noise floor)
    uint64_t LastOnsetHop = 0;
    bool HaveOnset = false;
    int GateHops = 0;              // hops left in which Bass follows the kick's level
    std::vector<double> Onsets;

    float BassLevel = 0, BeatLevel = 0, SlowBass = 0;
};
