// ZynAudioAnalyser: aubio FFTs, kick picking, vis data levels.
#include "audio/ZynAudioAnalyser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// A full-scale sine under a Hann window has |X| = N/4.
constexpr float HannScale(size_t n) { return 4.0f / float(n); }

// Kick picking. The detection function is how far the kick band's level rose
// over the last three hops (a kick's attack is smeared over the window); a
// kick must rise by an absolute minimum and by a good part of what the recent
// kicks rose. Bass-line notes and the low end of snares rise less.
constexpr float RiseMin = 0.01f;         // -40 dBFS
constexpr float RiseOfPeak = 0.7f;
constexpr float PeakDecaySeconds = 1.5f; // how fast the memory of the recent kicks fades
constexpr float LevelGateDb = -50.0f;    // quieter bands are not a kick
constexpr float MinGapSeconds = 0.075f;  // two kicks at least this far apart
// Where in the detector's window a kick's start lies when its flux peaks,
// counted back from the window's newest sample.
constexpr double OnsetOffsetSamples = 420.0;

// Bass and Beat.
constexpr float BassFallSeconds = 0.08f;
constexpr int BassGateHops = 4;          // the kick's level is followed this long
constexpr float SlowBassSeconds = 0.5f;

float Clean(float v) { return std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f; }

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::clamp(std::lrint(v), 0L, 255L)); }
}  // namespace

TZynAudioAnalyser::TZynAudioAnalyser(int sampleRate, float bassGain)
    : Rate(std::max(sampleRate, 1000)), Gain(bassGain), History(FftSize, 0.0f)
{
    const float bw = float(Rate) / float(OnsetWindow);
    BandLo = std::max<size_t>(1, size_t(std::ceil(30.0f / bw)));
    BandHi = std::max(BandLo, size_t(std::floor(150.0f / bw)));

    // 576 log-spaced display bands from 20 Hz up.
    const float fmax = std::min(16000.0f, 0.5f * float(Rate));
    const float fbin = float(Rate) / float(FftSize);
    BandOfBin.resize(kVisSamples + 1);
    BandPos.resize(kVisSamples);
    auto edge = [&](size_t i) { return 20.0f * std::pow(fmax / 20.0f, float(i) / float(kVisSamples)); };
    for (size_t i = 0; i <= kVisSamples; i++) BandOfBin[i] = int(std::lround(edge(i) / fbin));
    Tilt.resize(kVisSamples);
    for (size_t i = 0; i < kVisSamples; i++) {
        float fc = std::sqrt(edge(i) * edge(i + 1));
        BandPos[i] = fc / fbin;
        // -72..0 dBFS onto 0..255, tilted up 3 dB per octave above 200 Hz so the quieter highs show.
        Tilt[i] = 3.0f * std::log2(fc / 200.0f);
    }
}

TZynAudioAnalyser::~TZynAudioAnalyser() = default;

TZynAudioAnalyser::TFft::TFft(size_t size, const char* window)
    : Size(size), Fft(new_aubio_fft(uint_t(size))), In(new_fvec(uint_t(size))), Complex(new_fvec(uint_t(size))),
      Out(new_cvec(uint_t(size)))
{
    fvec_t* w = new_aubio_window(const_cast<char*>(window), uint_t(size));
    Window.assign(w->data, w->data + size);
    del_fvec(w);
}

TZynAudioAnalyser::TFft::~TFft()
{
    del_aubio_fft(Fft);
    del_fvec(In);
    del_fvec(Complex);
    del_cvec(Out);
}

const float* TZynAudioAnalyser::TFft::Magnitudes(const std::vector<float>& history, size_t pos)
{
    const size_t n = history.size();
    for (size_t i = 0; i < Size; i++) In->data[i] = history[(pos + n - Size + i) % n] * Window[i];
    // Only the magnitudes: aubio_fft_do would also work out every phase, the larger part of the cost.
    aubio_fft_do_complex(Fft, In, Complex);
    aubio_fft_get_norm(Complex, Out);
    return Out->norm;
}

void TZynAudioAnalyser::Push(const float* mono, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        float s = Clean(mono[i]);
        History[HistoryPos] = s;
        HistoryPos = (HistoryPos + 1) % FftSize;
        if (++SinceHop == Hop) {
            RunHop();
            SinceHop = 0;
        }
    }
    Total += n;
}

void TZynAudioAnalyser::RunHop()
{
    const float* mag = Onset.Magnitudes(History, HistoryPos);
    float energy = 0;
    for (size_t k = BandLo; k <= BandHi; k++) energy += mag[k] * mag[k];
    // A windowed sine spreads over three bins (1, 1/2, 1/2): energy 1.5 a^2.
    const float amp = std::sqrt(energy / 1.5f) * HannScale(OnsetWindow);
    const float levelDb = 20.0f * std::log10(amp + 1e-9f);
    const float rise = std::max(0.0f, amp - *std::min_element(Level, Level + 3));
    Level[0] = Level[1];
    Level[1] = Level[2];
    Level[2] = amp;

    Odf[0] = Odf[1];
    Odf[1] = Odf[2];
    Odf[2] = rise;
    const float hopSeconds = float(Hop) / float(Rate);
    PeakTrack *= std::exp(-hopSeconds / PeakDecaySeconds);

    // The previous hop is a kick if its rise is a peak that clears both
    // thresholds, the band is loud enough and the last kick is long enough ago.
    const float cand = Odf[1];
    const uint64_t minGap = uint64_t(MinGapSeconds * float(Rate) / float(Hop)) + 1;
    bool onset = cand > Odf[0] && cand >= Odf[2] && cand >= RiseMin && cand >= RiseOfPeak * PeakTrack &&
                 LastDb > LevelGateDb && Hops >= 1 && (!HaveOnset || Hops - 1 - LastOnsetHop >= minGap);
    if (onset) {
        HaveOnset = true;
        LastOnsetHop = Hops - 1;
        PeakTrack = std::max(PeakTrack, cand);
        // The candidate hop's window ended at sample Hops * Hop.
        Onsets.push_back((double(Hops) * Hop - OnsetOffsetSamples) / Rate);
    }
    // Bass does not wait for the peak to be confirmed: a rise that already
    // clears the thresholds lifts it a hop (5.8 ms) sooner.
    const bool rising = rise >= RiseMin && rise >= RiseOfPeak * PeakTrack && levelDb > LevelGateDb &&
                        (!HaveOnset || Hops - LastOnsetHop >= minGap);
    LastDb = levelDb;
    UpdateLevels(levelDb, onset || rising);
    Hops++;
}

void TZynAudioAnalyser::UpdateLevels(float levelDb, bool onset)
{
    const float hopSeconds = float(Hop) / float(Rate);
    const float target = std::clamp((levelDb + 40.0f) / 40.0f, 0.0f, 1.0f) * 1.5f * Gain;
    if (onset) GateHops = BassGateHops;
    BassLevel *= std::exp(-hopSeconds / BassFallSeconds);
    if (GateHops > 0) {
        BassLevel = std::max(BassLevel, target);
        GateHops--;
    }
    SlowBass += (BassLevel - SlowBass) * (1.0f - std::exp(-hopSeconds / SlowBassSeconds));
    BeatLevel = std::clamp((BassLevel - SlowBass) * 2.0f, -0.5f, 0.75f);
}

std::vector<double> TZynAudioAnalyser::TakeOnsets()
{
    std::vector<double> out;
    out.swap(Onsets);
    return out;
}

double TZynAudioAnalyser::DetectionDelay() const
{
    // Reported one hop after the candidate hop, whose window ended Offset after the kick.
    return (OnsetOffsetSamples + double(Hop)) / Rate;
}

TVisData TZynAudioAnalyser::Frame(float dt)
{
    (void)dt;   // the levels advance with the samples, not the frames
    TVisData v;
    v.Bass = BassLevel;
    v.Beat = BeatLevel;
    // History in time order: oldest at HistoryPos.
    for (size_t i = 0; i < size_t(kVisSamples); i++) {
        float s = History[(HistoryPos + FftSize - kVisSamples + i) % FftSize];
        v.Waveform[i] = ToByte(128.0f + s * 127.0f);
    }
    const float* mag = Display.Magnitudes(History, HistoryPos);
    const float scale = HannScale(FftSize);
    const int nbins = int(FftSize / 2);
    for (size_t i = 0; i < size_t(kVisSamples); i++) {
        int lo = BandOfBin[i], hi = std::min(BandOfBin[i + 1], nbins);
        float m;
        if (hi - lo >= 2) {   // wide band: its strongest bin
            m = 0;
            for (int k = lo; k < hi; k++) m = std::max(m, mag[k]);
        } else {              // narrower than a bin: interpolate at its centre
            float p = std::min(BandPos[i], float(nbins - 1));
            int k = int(p);
            float f = p - float(k);
            m = mag[k] * (1.0f - f) + mag[std::min(k + 1, nbins)] * f;
        }
        float d = 20.0f * std::log10(m * scale + 1e-9f) + Tilt[i];
        v.Spectrum[i] = ToByte((d + 72.0f) * (255.0f / 72.0f));
    }
    return v;
}
