// ZynTextureScreen: the full-screen frame the four texture scenes draw in.
//
// Blitter, warper, wrapper and contours all show one texture across the
// whole window, whatever its aspect: a square 90-degree frustum of their own
// makes x and y from -1 to 1 fill the screen at z = -1. Begin sets that up
// with the texture bound and blending on; End puts the projection back.
// Depends on: engine/ZynSceneClass, platform/ZynNumbers, OpenGL, GLU.
#pragma once

#include "engine/ZynSceneClass.h"

#include <cstdint>

// Pushes the projection and sets the square frustum, loads the identity
// modelview, turns depth testing off and blending on and binds texture
// number `texture` through the scene; with repeat, both of its wrap modes
// are set to repeat (for scenes whose texture coordinates leave 0..1).
void ZynBeginTextureScreen(TZynScene& scene, int32_t texture, bool repeat);
// Pops the projection and leaves the modelview matrix current.
void ZynEndTextureScreen();
// glColor4f with each channel limited to 0..1 (formulas may write anything; NaN counts as 0).
void ZynTextureScreenColour(float r, float g, float b, float a);
// A free-form setting written by formulas: NaN gives fallback, and magnitudes
// are kept small enough that texture coordinates stay meaningful.
float ZynTextureScreenValue(float v, float fallback);
