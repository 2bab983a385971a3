// ZynPinThrottle: wrong-PIN bookkeeping per address.
#include "net/ZynPinThrottle.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
// Addresses remembered for their wrong PINs; the oldest are forgotten first.
constexpr size_t kMaxPinAddresses = 4096;
// An address that has not guessed wrong for this long starts again at the first delay.
constexpr double kPinForgetAfter = 600;
}  // namespace

double TZynPinThrottle::DelayLeft(const std::string& address) const
{
    auto it = Tries.find(address);
    return it == Tries.end() ? 0 : std::max(0.0, it->second.NextTry - Now());
}

TZynPinThrottle::TRefusal TZynPinThrottle::Refused(const std::string& address, double firstDelay, double maxDelay)
{
    const double now = Now();
    if (Tries.size() >= kMaxPinAddresses && !Tries.count(address)) {
        auto oldest = std::min_element(Tries.begin(), Tries.end(),
                                       [](const auto& a, const auto& b) { return a.second.Last < b.second.Last; });
        Tries.erase(oldest);
    }
    TTries& t = Tries[address];
    if (t.Wrong > 0 && now - t.Last > kPinForgetAfter) t.Wrong = 0;
    t.Wrong++;
    t.Last = now;
    const double delay = std::min(maxDelay, firstDelay * std::pow(2.0, std::min(t.Wrong - 1, 30)));
    t.NextTry = now + delay;
    return {t.Wrong, delay};
}
