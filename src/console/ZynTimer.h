// ZynTimer: the timer queue, 256 slots of command lines that run after a delay.
//
// Time is rendered time: the sequencer calls TimerTick once per frame with the
// frame time. A slot is in use while its Time is above 0; slot order is the
// order of listing and of firing within one frame. A timer with the tag of a
// running timer replaces it. Timers are not saved.
// Depends on: app/ZynLog, console/ZynCmdInterp (ExecuteLine),
// console/ZynConsole (ConsoleResult), platform/ZynNumbers.
#pragma once

#include <string>

struct TTime {
    float Time = 0;          // seconds left; in use while > 0
    std::string Tag;         // upper-cased
    std::string Command;     // command line
};

constexpr int TimerSlotCount = 256;

// Add or replace (same tag) a timer; on a full queue the slot with the most
// time left is replaced after an error line.
void TimerAdd(const std::string& tag, const std::string& command, float seconds);
// Remove every slot (running or not) whose tag equals tag (any case).
void TimerClear(const std::string& tag);
// One log line per running timer.
void TimerShow();
// Count every running timer down by dt and run the commands that fall due.
void TimerTick(float dt);
// Empty every slot (start-up and shut-down).
void TimerReset();

// Read access for listings and checks.
const TTime& TimerSlot(int index);
// The TimerShow line of one slot.
std::string TimerShowLine(const TTime& slot);
