// ZynSceneNumbers: numeric guards the scenes share for values written without limits.
//
// Formulas and the network write constants directly, past their ranges, and a
// sender may deliver any float as bass. These helpers keep such values from
// turning a scene's state into NaN or infinity for good.
// Depends on: the C++ standard library only.
#pragma once

#include <cmath>

// v, or fallback when v is NaN or infinite.
inline float ZynFiniteOr(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

// The factor by which something fades over dt seconds with the given half-life:
// 0.5^(dt / halfLife). No time passing changes nothing (also for a half-life of
// 0, where the plain formula gives 0/0); a half-life of 0 or less fades at once.
inline float ZynHalfLifeFactor(float dt, float halfLife)
{
    if (!(dt > 0) || !std::isfinite(dt)) return 1.0f;
    if (!(halfLife > 0)) return 0.0f;
    return std::pow(0.5f, dt / halfLife);
}
