// ZynAnnounceList: TZynAnnounceList, the sequencer's owning list of announcements.
//
// Index 0 is the overlay, 1 the scroller. Read by index; out of range gives nullptr.
// Depends on: announce/ZynAnnounceClass.
#pragma once

#include "announce/ZynAnnounceClass.h"

#include <memory>
#include <vector>

class TZynAnnounceList {
public:
    // The standard list: overlay, then scroller.
    explicit TZynAnnounceList(TVisObject* owner);
    TZynAnnounceList() = default;

    int32_t Count() const { return static_cast<int32_t>(List.size()); }
    TZynAnnounce* Items(int32_t n) const;
    void Add(std::unique_ptr<TZynAnnounce> item) { List.push_back(std::move(item)); }

private:
    std::vector<std::unique_ptr<TZynAnnounce>> List;
};
