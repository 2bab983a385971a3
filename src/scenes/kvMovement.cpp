// kvMovement: the wandering random path.
#include "scenes/kvMovement.h"

#include "platform/ZynRandom.h"

#include <cmath>

kvMovement::kvMovement() { SetRange(Vec(-1, -1, -1), Vec(1, 1, 1)); }

TkvVector kvMovement::RandomKey() const
{
    auto pick = [](float lo, float hi) { return lo + ZynRandomInt(65536) * (hi - lo) / 65536.0f; };
    float x = pick(lo_.x, hi_.x);
    float y = pick(lo_.y, hi_.y);
    float z = pick(lo_.z, hi_.z);
    return TkvVector{x, y, z, 0};
}

void kvMovement::SetRange(const TkvVector& lo, const TkvVector& hi)
{
    lo_ = lo;
    hi_ = hi;
    progress_ = 6;
    Normalise();
}

void kvMovement::Normalise()
{
    // A non-finite step (a formula gone wrong) would otherwise loop forever.
    if (!std::isfinite(progress_)) progress_ = 0;
    // Jumps of more than six keys replace every key anyway: skip the extra draws.
    if (progress_ > 12) progress_ = 6 + (progress_ - std::floor(progress_));
    if (progress_ < -12) progress_ = -6 + (progress_ - std::floor(progress_));
    while (progress_ >= 1) {
        for (int i = 0; i < 5; i++) k_[i] = k_[i + 1];
        k_[5] = RandomKey();
        progress_ -= 1;
    }
    while (progress_ < 0) {
        for (int i = 5; i > 0; i--) k_[i] = k_[i - 1];
        k_[0] = RandomKey();
        progress_ += 1;
    }
}

TkvVector kvMovement::ValueAt(float t) const
{
    TkvVector r;
    if (t >= 0) CurvePoint(k_[1], k_[2], k_[3], k_[4], t, r);
    else CurvePoint(k_[0], k_[1], k_[2], k_[3], t + 1, r);
    r.w = 0;
    return r;
}

TkvVector kvMovement::Advance(float d)
{
    progress_ += d;
    Normalise();
    return ValueAt(progress_);
}
