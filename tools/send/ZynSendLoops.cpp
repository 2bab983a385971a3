// ZynSendLoops: drum-loop recipes, their synthesis and the F-measure.
#include "ZynSendLoops.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
const double Pi = 3.14159265358979323846;

// 16 steps per bar: K kick, S snare, g ghost snare, H closed hat, O open hat,
// B bass note (offset into the bass riff), '.' nothing.
struct Pattern {
    const char* Kick;
    const char* Snare;
    const char* Hat;
    const char* Bass;
};
const Pattern Patterns[3] = {
    {"K...K...K...K...", "....S.......S...", "HHHOHHHOHHHOHHHO", "..B...B...B...BB"},
    {"K..K..K...K..K..", "....S..g....S...", "H.H.H.H.H.H.H.HO", "B.....B..B....B."},
    {"K.....K..K......", "....S..g.g..S..g", "HHH.HHHOHHH.HHHH", "..B..B...B.B..B."},
};
const double BassNotes[4] = {55.0, 41.2, 49.0, 61.7};

struct Noise {
    uint32_t State;
    float Next()
    {
        State ^= State << 13;
        State ^= State >> 17;
        State ^= State << 5;
        return float(State & 0xFFFF) / 32768.0f - 1.0f;
    }
};

void AddKick(std::vector<float>& out, size_t at, int rate, float vel, Noise& rnd)
{
    const size_t n = std::min(out.size() - std::min(out.size(), at), size_t(0.45 * rate));
    double phase = 0;
    for (size_t i = 0; i < n; i++) {
        double t = double(i) / rate;
        double f = 48.0 + 100.0 * std::exp(-t * 35.0);   // pitch sweep down
        phase += 2 * Pi * f / rate;
        double click = t < 0.003 ? rnd.Next() * 0.3 * (1.0 - t / 0.003) : 0.0;
        double attack = std::min(1.0, t / 0.001);
        out[at + i] += float(vel * (0.75 * std::sin(phase) * std::exp(-t * 8.0) * attack + click));
    }
}

void AddSnare(std::vector<float>& out, size_t at, int rate, float vel, Noise& rnd)
{
    const size_t n = std::min(out.size() - std::min(out.size(), at), size_t(0.25 * rate));
    float last = 0;
    for (size_t i = 0; i < n; i++) {
        double t = double(i) / rate;
        float w = rnd.Next();
        float hp = w - 0.6f * last;   // a little brighter than white
        last = w;
        double body = std::sin(2 * Pi * 185.0 * t) * std::exp(-t * 30.0);
        out[at + i] += float(vel * (0.35 * hp * std::exp(-t * 18.0) + 0.25 * body));
    }
}

void AddHat(std::vector<float>& out, size_t at, int rate, float vel, bool open, Noise& rnd)
{
    const double decay = open ? 12.0 : 60.0;
    const size_t n = std::min(out.size() - std::min(out.size(), at), size_t((open ? 0.3 : 0.08) * rate));
    float last = 0;
    for (size_t i = 0; i < n; i++) {
        double t = double(i) / rate;
        float w = rnd.Next();
        out[at + i] += float(vel * 0.14 * (w - last) * std::exp(-t * decay));   // high-passed noise
        last = w;
    }
}

void AddBass(std::vector<float>& out, size_t at, int rate, double freq, double len, float vel)
{
    const size_t n = std::min(out.size() - std::min(out.size(), at), size_t(len * rate));
    for (size_t i = 0; i < n; i++) {
        double t = double(i) / rate;
        double env = std::min(1.0, t / 0.006) * std::exp(-t * 3.0) * std::min(1.0, (len - t) / 0.01);
        double s = std::sin(2 * Pi * freq * t) + 0.3 * std::sin(4 * Pi * freq * t);
        out[at + i] += float(vel * 0.3 * env * s);
    }
}
}  // namespace

const std::vector<TZynLoopRecipe>& ZynLoopRecipes()
{
    static const std::vector<TZynLoopRecipe> recipes = {
        {"four-80", 80, 80, 0, 0, 0, false, 20},
        {"four-128", 128, 128, 0, 0, 0, false, 20},
        {"four-180", 180, 180, 0, 0, 0, false, 20},
        {"sync-95", 95, 95, 1, 0, 0, false, 20},
        {"sync-140", 140, 140, 1, 0, 0, false, 20},
        {"broken-85", 85, 85, 2, 0, 0, false, 20},
        {"broken-170", 170, 170, 2, 0, 0, false, 20},
        {"four-124-noise", 124, 124, 0, 0, 0.08, false, 20},
        {"broken-110-noise", 110, 110, 2, 0, 0.08, false, 20},
        {"four-100-swing", 100, 100, 0, 0.33, 0, false, 20},
        {"sync-120-swing", 120, 120, 1, 0.25, 0, false, 20},
        {"four-120-to-150", 120, 150, 0, 0, 0, false, 20},
        {"broken-90-to-160", 90, 160, 2, 0, 0.03, false, 20},
        {"four-126-quiet-part", 126, 126, 0, 0, 0.02, true, 24},
        {"sync-150-quiet-part", 150, 150, 1, 0.15, 0, true, 24},
    };
    return recipes;
}

const TZynLoopRecipe* ZynFindLoop(const std::string& name)
{
    for (const auto& r : ZynLoopRecipes())
        if (name == r.Name) return &r;
    return nullptr;
}

TZynLoop ZynRenderLoop(const TZynLoopRecipe& r, int sampleRate)
{
    TZynLoop loop;
    loop.SampleRate = sampleRate;
    loop.Mono.assign(size_t(r.Seconds * sampleRate), 0.0f);
    const Pattern& p = Patterns[std::clamp(r.Pattern, 0, 2)];
    Noise rnd{0x9E3779B9u ^ uint32_t(r.Bpm * 1000)};
    double t = 0.05;   // a little lead-in
    for (long step = 0; t < r.Seconds; step++) {
        const double bpm = t < r.Seconds / 2 ? r.Bpm : r.BpmEnd;
        const double stepLen = 60.0 / bpm / 4.0;
        const int s = int(step % 16);
        const double at = t + (s % 2 == 1 ? r.Swing * stepLen : 0.0);
        const size_t i = size_t(at * sampleRate);
        // A little human variation in every hit's loudness.
        auto vel = [&] { return 0.85f + 0.15f * rnd.Next(); };
        if (p.Kick[s] == 'K') {
            AddKick(loop.Mono, i, sampleRate, vel(), rnd);
            if (at < r.Seconds) loop.Kicks.push_back(at);
        }
        if (p.Snare[s] == 'S') AddSnare(loop.Mono, i, sampleRate, vel(), rnd);
        if (p.Snare[s] == 'g') AddSnare(loop.Mono, i, sampleRate, 0.3f * vel(), rnd);
        if (p.Hat[s] != '.') AddHat(loop.Mono, i, sampleRate, vel(), p.Hat[s] == 'O', rnd);
        if (p.Bass[s] == 'B') AddBass(loop.Mono, i, sampleRate, BassNotes[(step / 16) % 4], 1.8 * stepLen, vel());
        t += stepLen;
    }
    const size_t n = loop.Mono.size();
    for (size_t i = 0; i < n; i++) {
        float v = loop.Mono[i];
        if (r.Noise > 0) v += float(r.Noise) * rnd.Next();
        if (r.QuietPart && i >= n / 3 && i < 2 * n / 3) v *= 0.1f;
        loop.Mono[i] = std::clamp(v * 0.8f, -1.0f, 1.0f);
    }
    return loop;
}

double TZynScore::F() const
{
    double p = Precision(), r = Recall();
    return p + r > 0 ? 2 * p * r / (p + r) : 0.0;
}

TZynScore ZynKickFMeasure(const std::vector<double>& detected, const std::vector<double>& truth, double tolerance)
{
    TZynScore s;
    s.Detected = int(detected.size());
    s.Truth = int(truth.size());
    size_t j = 0;
    for (double d : detected) {
        while (j < truth.size() && truth[j] < d - tolerance) j++;   // kicks too early for this one
        if (j < truth.size() && std::fabs(truth[j] - d) <= tolerance) {
            s.Matched++;
            j++;
        }
    }
    return s;
}
