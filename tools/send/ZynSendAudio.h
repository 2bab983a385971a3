// ZynSendAudio: the sender's music sources: WAV files and a synthetic beat.
//
// Everything is turned into mono float samples in -1..1 at the source's own
// sample rate; the analyser (ZynSendAnalyser) does the rest.
// Depends on: the C++ standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded sound, mixed down to mono.
struct TZynPcm {
    int SampleRate = 0;
    int Channels = 0;            // channels of the source before the mix-down
    std::vector<float> Mono;
    double Seconds() const { return SampleRate > 0 ? double(Mono.size()) / SampleRate : 0.0; }
};

// Decodes a RIFF/WAVE image: PCM 8/16/24/32-bit, IEEE float 32/64-bit, and
// the extensible format with either. A data chunk that claims more bytes than
// the image holds (streamed recordings) is read up to the end. False with
// error set for anything else.
bool ZynParseWav(const uint8_t* data, size_t len, TZynPcm& out, std::string& error);
bool ZynReadWav(const std::string& path, TZynPcm& out, std::string& error);

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
