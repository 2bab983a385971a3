// ZynAnnounceList: the owning list of announcements.
#include "announce/ZynAnnounceList.h"

#include "announce/ZynAnnounceOverlay.h"
#include "announce/ZynAnnounceScroller.h"

TZynAnnounceList::TZynAnnounceList(TVisObject* owner)
{
    Add(std::make_unique<TannOverlay>(owner));
    Add(std::make_unique<TannScroller>(owner));
}

TZynAnnounce* TZynAnnounceList::Items(int32_t n) const
{
    return n >= 0 && n < Count() ? List[static_cast<size_t>(n)].get() : nullptr;
}
