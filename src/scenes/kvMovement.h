// kvMovement: a smooth wandering path through random keys inside a box.
//
// Six keys k0..k5 and a progress value; the path runs between k2 and k3 along
// the four-point curve, shifting in a fresh random key whenever progress
// passes a whole key. Used by several scenes and the overlay announcement.
// Depends on: scenes/kvGeometry, platform/ZynRandom.
#pragma once

#include "scenes/kvGeometry.h"

class kvMovement {
public:
    kvMovement();
    void SetRange(const TkvVector& lo, const TkvVector& hi);
    TkvVector Advance(float d);           // move along the path by d keys
    TkvVector ValueAt(float t) const;     // t relative to the current keys (may be negative)
    float Progress() const { return progress_; }

private:
    TkvVector RandomKey() const;
    void Normalise();

    TkvVector lo_{}, hi_{};
    TkvVector k_[6]{};
    float progress_ = 0;
};
