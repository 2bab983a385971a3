// kvBlend: the numbered blend modes shared by the texture scenes (and the logo).
//
// Type 0 is ordinary transparency, 1 additive, 2 screen-like, 3 and 4
// multiply (by source or by destination colour), 5 an inverting exclusion.
// Any other number leaves the current blend function alone, so a layer with
// an unknown type blends as whatever was drawn before it set up.
// Depends on: OpenGL.
#pragma once

#include <cstdint>

constexpr int32_t kvBlendTypeCount = 6;

// Sets glBlendFunc for type 0..5; false (and nothing changed) for any other value.
bool kvBlendByType(int32_t type);
