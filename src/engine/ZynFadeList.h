// ZynFadeList: TZynFaderList, the owning list of faders addressed by fader number.
// Depends on: engine/ZynFadeClass.
#pragma once

#include "engine/ZynFadeClass.h"

#include <memory>
#include <vector>

class TZynFaderList {
public:
    TZynFaderList() = default;
    TZynFaderList(const TZynFaderList&) = delete;
    TZynFaderList& operator=(const TZynFaderList&) = delete;

    int32_t Count() const { return static_cast<int32_t>(List.size()); }
    // The fader at index n (nullptr out of range).
    TZynFader* Items(int32_t n) const;
    int32_t Add(std::unique_ptr<TZynFader> fader);
    // Puts fader at index n and returns the one that was there (n in range).
    std::unique_ptr<TZynFader> Replace(int32_t n, std::unique_ptr<TZynFader> fader);

private:
    std::vector<std::unique_ptr<TZynFader>> List;
};
