// ZynRandom: the program's one pseudo-random generator.
//
// Seeded from the clock at start-up, or from --seed for repeatable runs.
// Scenes, pickers and movements all draw from it so a fixed seed fixes the show.
// Depends on: the C++ standard library only.
#pragma once

#include <cstdint>
#include <random>

void ZynRandomize(uint32_t seed);     // restart the sequence
void ZynRandomizeFromClock();         // unless a fixed seed was given (then reseeds with it)
void ZynRandomFixSeed(uint32_t seed); // from --seed: every later ZynRandomizeFromClock uses it
double ZynRandom();                   // uniform in [0, 1)
int32_t ZynRandomInt(int32_t n);      // uniform in [0, n); 0 when n <= 0
// The whole state, for work that must leave the sequence where it was.
std::mt19937 ZynRandomState();
void ZynRandomRestore(const std::mt19937& state);
