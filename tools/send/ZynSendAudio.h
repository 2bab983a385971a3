// ZynSendAudio: the sender's own sounds: WAV writing, raw PCM mix-down and a synthetic beat.
//
// Files are read through audio/ZynAudioFile and analysed by
// audio/ZynAudioAnalyser; this adds what only the sender needs.
// Depends on: the C++ standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Builds a 16-bit PCM WAV image from interleaved samples in -1..1 (clipped).
std::vector<uint8_t> ZynMakeWav16(int sampleRate, int channels, const std::vector<float>& interleaved);
bool ZynWriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Mixes interleaved signed 16-bit little-endian frames down to mono floats.
void ZynMixS16(const uint8_t* data, size_t frames, int channels, std::vector<float>& out);

// A steady four-on-the-floor pattern: kick on every beat, snare on 2 and 4,
// hi-hat on the eighths and a bass note on the off-beats.
class TZynBeatSynth {
public:
    TZynBeatSynth(int sampleRate, double bpm);
    // Appends n samples.
    void Render(size_t n, std::vector<float>& out);
    double Time() const { return double(Pos) / Rate; }

private:
    int Rate;
    double Bpm;
    uint64_t Pos = 0;
    uint32_t Noise = 0x12345678u;
    float NextNoise();
};
