// ZynFadeList: the fader list.
#include "engine/ZynFadeList.h"

TZynFader* TZynFaderList::Items(int32_t n) const
{
    if (n < 0 || n >= Count()) return nullptr;
    return List[static_cast<size_t>(n)].get();
}

int32_t TZynFaderList::Add(std::unique_ptr<TZynFader> fader)
{
    List.push_back(std::move(fader));
    return Count() - 1;
}

std::unique_ptr<TZynFader> TZynFaderList::Replace(int32_t n, std::unique_ptr<TZynFader> fader)
{
    if (n < 0 || n >= Count()) return fader;
    List[static_cast<size_t>(n)].swap(fader);
    return fader;
}
