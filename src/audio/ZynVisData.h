// ZynVisData: the vis data record, blending received records and the synthetic generator.
//
// TVisData is the fixed 1168-byte record that carries one frame of music
// analysis (waveform, spectrum, bass and beat). It has the same layout in
// memory and inside the UDP vis data packet. BlendVisData mixes a received
// record into the live one; SynthesizeVisData makes a record at a set tempo
// for the demo / screen-saver input.
// Depends on: platform/ZynNumbers, platform/ZynRandom, config/ZynConstDef (MAIN.ScreenSaveBPM).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kVisSamples = 576;

struct TVisData {
    float ReservedA = 0.0f;
    float Bass = 0.0f;
    float Beat = 0.0f;
    uint8_t Waveform[kVisSamples] = {};   // 128 is the zero line
    uint8_t Spectrum[kVisSamples] = {};   // bin 0 lowest
    int32_t ReservedB = 0;
};

static_assert(sizeof(TVisData) == 1168, "TVisData is a fixed wire layout");
static_assert(offsetof(TVisData, Bass) == 4 && offsetof(TVisData, Beat) == 8);
static_assert(offsetof(TVisData, Waveform) == 12 && offsetof(TVisData, Spectrum) == 588);
static_assert(offsetof(TVisData, ReservedB) == 1164);

// a * (1 - f) + b * f per field; ReservedB comes from a. Non-finite float
// results become 0 and byte results are clamped to 0..255.
TVisData BlendVisData(const TVisData& a, const TVisData& b, float f);

// The generator behind SynthesizeVisData, with its own state (for tests and tools).
class TZynVisSynth {
public:
    // Advances the generator by dt seconds at bpm beats per minute.
    TVisData Next(float dt, int32_t bpm);

    float Time() const { return T; }
    float Step() const { return S; }
    int32_t Pattern() const { return P; }

private:
    float T = 0.0f;     // seconds accumulated
    float S = 0.0f;     // position in the current pattern, in steps
    int32_t P = 0;      // playing row of the beat patterns
};

// The four 16-step beat patterns ('-' hit, '.' rest).
extern const char* const BeatPatterns[4];

// One synthetic record for a frame of dt seconds at MAIN.ScreenSaveBPM,
// advancing the program-wide generator (never reset).
TVisData SynthesizeVisData(float dt);
