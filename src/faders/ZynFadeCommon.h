// ZynFadeCommon: the frame set-up every transition shares.
//
// A fader pushes and resets both matrices, blends without depth testing,
// binds the outgoing picture and draws in one of two screen mappings:
// centred (x, y in -1..1 fill the screen) or unit (x, y in 0..1 fill it).
// Counts and durations come from constants that formulas and the network can
// write without limits, so they are clamped here before use.
// Depends on: OpenGL.
#pragma once

#include <cstdint>

constexpr float ZynPi = 3.14159265358979f;

// Progress Time / duration; a duration of 0 (or not a number) ends the fade at once.
float FadeProgress(float time, float duration);
// cos(p * pi / 2): 1 at the start of a transition, 0 at its end.
float FadeEase(float p);
// Integer constant clamped to lo..hi.
int32_t FadeCount(int32_t value, int32_t lo, int32_t hi);
// Float constant clamped to lo..hi; not a number gives fallback.
float FadeClampF(float value, float lo, float hi, float fallback);

// Push and reset both matrices, blending on, depth test off, tex bound.
void FadeBegin(uint32_t tex);
// Pop both matrices again.
void FadeEnd();
void FadeCentredMapping();
void FadeUnitMapping(float zScale = 2.0f);
void FadeBindTexture(uint32_t tex);
// Textured quad x0..x1, y0..y1 with texture coordinates s0..s1, t0..t1 (inside glBegin(GL_QUADS)).
void FadeQuad(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1);

// The outgoing picture cut into strips (horizontal: rows, else columns), even
// strips moved by +shift and odd ones by -shift across the strips' direction.
void FadeDrawStrips(int32_t strips, float shift, bool horizontal);
// The outgoing picture cut into sx x sy cells, each scaled by e about its centre
// and turned by turn radians; corners keep the cell's texture rectangle.
void FadeDrawCells(int32_t sx, int32_t sy, float e, float turn);

// Timing of the two cube transitions: the animation time T (clamped to the
// duration), the eased turn s in 0..1 and the projection aspect, which runs
// from 1 (the flat picture fills the screen) to the viewport's aspect and back.
struct TFadeCubeTiming {
    float T = 0, s = 0, a = 0, aspect = 1;
};
TFadeCubeTiming FadeCubeTiming(float time, float duration, float aspectTime, float viewportAspect);
