// ZynPinThrottle: TZynPinThrottle, the per-address delay after wrong PINs.
//
// Shared by the remote consoles (telnet, web): every wrong PIN from an address
// makes its next try wait, starting at a first delay and doubling with each
// wrong one up to a maximum, while other addresses go on at once. An address
// that has not guessed wrong for ten minutes starts again at the first delay;
// at most 4096 addresses are remembered (the oldest are forgotten first).
// Depends on: the C++ standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

class TZynPinThrottle {
public:
    // Seconds a PIN from address must still wait (0: none).
    double DelayLeft(const std::string& address) const;
    // A wrong PIN from address: counts it and sets its next try.
    struct TRefusal {
        int32_t Wrong;      // wrong PINs in a row from this address
        double Delay;       // seconds its next try waits
    };
    TRefusal Refused(const std::string& address, double firstDelay, double maxDelay);
    // The right PIN: the address is trusted again.
    void Accepted(const std::string& address) { Tries.erase(address); }

private:
    struct TTries {
        int32_t Wrong = 0;
        double NextTry = 0;
        double Last = 0;
    };
    std::unordered_map<std::string, TTries> Tries;
};
