// ZynLineFold: TZynLineFold, folding of repeated and flooding output lines.
//
// Sits in front of an output (the log file, the console store and its telnet
// users) so that one busy source cannot bury everything else:
//   - a line equal to the one before it is written PassRepeats times more,
//     then counted; the count goes out as "... repeated N times" before the
//     next different line, or by Flush once the first counted repeat is a
//     second old;
//   - lines of one source (the text up to the first quote or bracket, so
//     the same message about different names counts as one source) are
//     limited to PerSource a second, and all lines together to PerSecond;
//     what is held back is counted and reported once the second is over.
// Times are seconds of any steady clock, passed in by the caller.
// Depends on: the C++ standard library only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

class TZynLineFold {
public:
    using TEmit = std::function<void(const std::string&)>;

    int32_t PerSource = 100;     // lines of one source a second
    int32_t PerSecond = 2000;    // lines of all sources a second
    int32_t PassRepeats = 4;     // repeats written before they are counted

    // Passes line on through emit, or counts it.
    void Add(const std::string& line, double now, const TEmit& emit);
    // Writes the counts that are due (all of them when force is set).
    void Flush(double now, const TEmit& emit, bool force = false);
    // Forgets everything (a new output).
    void Reset();

    // The source a line is counted under.
    static std::string SourceOf(const std::string& line);

private:
    void EmitRepeats(const TEmit& emit);
    void EndWindow(double now, const TEmit& emit);

    std::string Last;
    bool HaveLast = false;
    int32_t Shown = 0;           // repeats of Last written
    uint64_t Repeats = 0;
    double RepeatSince = 0;
    double WindowStart = 0;
    bool WindowOpen = false;
    int32_t WindowLines = 0;
    uint64_t WindowHeld = 0;
    std::unordered_map<std::string, int32_t> SourceLines;
};
