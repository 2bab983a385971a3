// ZynTimer: the timer queue and its per-frame countdown.
#include "console/ZynTimer.h"

#include "app/ZynLog.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynConsole.h"
#include "platform/ZynNumbers.h"

static TTime g_slots[TimerSlotCount];

const TTime& TimerSlot(int index) { return g_slots[index]; }

void TimerReset()
{
    for (TTime& t : g_slots) t = TTime();
}

void TimerAdd(const std::string& tag, const std::string& command, float seconds)
{
    const std::string key = ZynUpper(tag);
    int slot = -1;
    for (int i = 0; i < TimerSlotCount && slot < 0; i++)
        if (g_slots[i].Time > 0 && g_slots[i].Tag == key) slot = i;
    for (int i = 0; i < TimerSlotCount && slot < 0; i++)
        if (g_slots[i].Time <= 0) slot = i;
    if (slot < 0) {
        ZynLogError("Timer Queue has overflowed. replacing the oldest time.");
        slot = 0;
        for (int i = 1; i < TimerSlotCount; i++)
            if (g_slots[i].Time >= g_slots[slot].Time) slot = i;
    }
    g_slots[slot].Tag = key;
    g_slots[slot].Time = seconds;
    g_slots[slot].Command = command;
}

void TimerClear(const std::string& tag)
{
    const std::string key = ZynUpper(tag);
    for (TTime& t : g_slots) {
        if (t.Tag != key) continue;
        ZynLogLine("A Timer was found with tag \"" + key + "\" and removed");
        t = TTime();
    }
}

std::string TimerShowLine(const TTime& slot)
{
    const int64_t secs = ZynRoundEven64(slot.Time);
    std::string head = ZynFormat("%3lld", static_cast<long long>(secs)) + slot.Tag + "       ";
    if (head.size() > 10) head = head.substr(head.size() - 10);
    return head + " \"" + slot.Command + "\"";
}

void TimerShow()
{
    for (const TTime& t : g_slots)
        if (t.Time > 0) ZynLogLine(TimerShowLine(t));
}

void TimerTick(float dt)
{
    // Indexing (not iterators): commands run here may add or clear timers.
    for (int i = 0; i < TimerSlotCount; i++) {
        TTime& t = g_slots[i];
        if (!(t.Time > 0)) continue;
        t.Time -= dt;
        if (t.Time > 0) continue;
        const std::string command = t.Command;
        t.Time = 0;
        t.Command.clear();
        ConsoleResult(ExecuteLine(command));
    }
}
