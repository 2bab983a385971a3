// ZynSendAudio: WAV decoding and writing, 16-bit mix-down, synthetic beat.
#include "ZynSendAudio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

static uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
static uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

namespace {
struct WavFormat {
    int Tag = 0;        // 1 = PCM, 3 = IEEE float
    int Channels = 0;
    int Rate = 0;
    int Bits = 0;
    int BlockAlign = 0;
};

// One sample of the given format at p, as -1..1.
float SampleAt(const WavFormat& f, const uint8_t* p)
{
    if (f.Tag == 3) {   // float files may exceed full scale: clip, and drop NaN / infinity
        double v;
        if (f.Bits == 32) { uint32_t u = Le32(p); float x; std::memcpy(&x, &u, 4); v = x; }
        else { uint64_t u = Le32(p) | (uint64_t(Le32(p + 4)) << 32); std::memcpy(&v, &u, 8); }
        return std::isfinite(v) ? static_cast<float>(std::clamp(v, -1.0, 1.0)) : 0.0f;
    }
    switch (f.Bits) {
    case 8: return (int(p[0]) - 128) / 128.0f;
    case 16: return int16_t(Le16(p)) / 32768.0f;
    case 24: { int32_t v = int32_t((p[0] << 8) | (p[1] << 16) | (uint32_t(p[2]) << 24)) >> 8; return v / 8388608.0f; }
    default: return int32_t(Le32(p)) / 2147483648.0f;
    }
}

bool ReadFormat(const uint8_t* p, uint32_t size, WavFormat& f, std::string& error)
{
    if (size < 16) { error = "fmt chunk too short"; return false; }
    f.Tag = Le16(p);
    f.Channels = Le16(p + 2);
    f.Rate = static_cast<int>(Le32(p + 4));
    f.BlockAlign = Le16(p + 12);
    f.Bits = Le16(p + 14);
    if (f.Tag == 0xFFFE) {
        if (size < 40) { error = "extensible fmt chunk too short"; return false; }
        f.Tag = Le16(p + 24);   // first two bytes of the sub-format GUID
    }
    bool pcmOk = f.Tag == 1 && (f.Bits == 8 || f.Bits == 16 || f.Bits == 24 || f.Bits == 32);
    bool floatOk = f.Tag == 3 && (f.Bits == 32 || f.Bits == 64);
    if (!pcmOk && !floatOk) {
        error = "unsupported WAV encoding (format " + std::to_string(f.Tag) + ", " +
                std::to_string(f.Bits) + " bits): use PCM or float";
        return false;
    }
    if (f.Channels < 1 || f.Channels > 32) { error = "bad channel count " + std::to_string(f.Channels); return false; }
    if (f.Rate < 1000 || f.Rate > 768000) { error = "bad sample rate " + std::to_string(f.Rate); return false; }
    if (f.BlockAlign != f.Channels * f.Bits / 8) { error = "bad block size"; return false; }
    return true;
}
}  // namespace

bool ZynParseWav(const uint8_t* data, size_t len, TZynPcm& out, std::string& error)
{
    if (len < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    WavFormat fmt;
    bool haveFmt = false;
    size_t pos = 12;
    while (pos + 8 <= len) {
        const uint8_t* chunk = data + pos;
        uint32_t size = Le32(chunk + 4);
        size_t body = pos + 8;
        size_t avail = len - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > avail) { error = "truncated fmt chunk"; return false; }
            if (!ReadFormat(data + body, size, fmt, error)) return false;
            haveFmt = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFmt) { error = "data chunk before fmt chunk"; return false; }
            size_t bytes = std::min<size_t>(size, avail);
            size_t frames = bytes / static_cast<size_t>(fmt.BlockAlign);
            int bps = fmt.Bits / 8;
            out.SampleRate = fmt.Rate;
            out.Channels = fmt.Channels;
            out.Mono.assign(frames, 0.0f);
            for (size_t i = 0; i < frames; i++) {
                const uint8_t* frame = data + body + i * fmt.BlockAlign;
                float sum = 0;
                for (int c = 0; c < fmt.Channels; c++) sum += SampleAt(fmt, frame + c * bps);
                out.Mono[i] = sum / fmt.Channels;
            }
            return true;
        }
        if (size > avail) break;
        pos = body + size + (size & 1);   // chunks are padded to even sizes
    }
    error = haveFmt ? "no data chunk" : "no fmt chunk";
    return false;
}

bool ZynReadWav(const std::string& path, TZynPcm& out, std::string& error)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot open \"" + path + "\"";
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (!ZynParseWav(bytes.data(), bytes.size(), out, error)) {
        error = "\"" + path + "\": " + error;
        return false;
    }
    return true;
}

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
