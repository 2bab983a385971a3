// ZynSendLoops: the generated drum-loop test set for kick detection, and its score.
//
// Each loop is a named recipe (tempo, pattern, swing, noise, tempo change,
// quiet part) rendered by code into mono samples with kick, snare, hi-hats
// and a bass line, together with the true start time of every kick. The beat
// tests and `zyn-send make-loop` use the same recipes. ZynKickFMeasure scores
// detected onsets against the true kicks the usual beat-tracking way.
// Depends on: the C++ standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TZynLoopRecipe {
    const char* Name;
    double Bpm;
    double BpmEnd;          // tempo at the end (a change halfway); = Bpm for none
    int Pattern;            // 0 four-on-the-floor, 1 syncopated, 2 broken beat
    double Swing;           // 0..0.5 of a sixteenth: how late the off sixteenths fall
    double Noise;           // amplitude of a steady noise bed (0: none)
    bool QuietPart;         // the middle third 20 dB quieter
    double Seconds;
};

struct TZynLoop {
    int SampleRate = 44100;
    std::vector<float> Mono;
    std::vector<double> Kicks;   // seconds
};

// The whole test set.
const std::vector<TZynLoopRecipe>& ZynLoopRecipes();
// Null when no recipe has that name.
const TZynLoopRecipe* ZynFindLoop(const std::string& name);
TZynLoop ZynRenderLoop(const TZynLoopRecipe& recipe, int sampleRate = 44100);

struct TZynScore {
    int Matched = 0, Detected = 0, Truth = 0;
    double Precision() const { return Detected ? double(Matched) / Detected : 0.0; }
    double Recall() const { return Truth ? double(Matched) / Truth : 0.0; }
    double F() const;
};

// Each detection matches at most one true kick within +-tolerance seconds and
// the other way round (both lists in time order).
TZynScore ZynKickFMeasure(const std::vector<double>& detected, const std::vector<double>& truth,
                          double tolerance = 0.070);
