// ZynLineFold: repeated lines folded, floods of one source held back.
#include "platform/ZynLineFold.h"

std::string TZynLineFold::SourceOf(const std::string& line)
{
    constexpr size_t kMaxKey = 40;
    size_t n = 0;
    while (n < line.size() && n < kMaxKey) {
        const char c = line[n];
        if (c == '"' || c == '[') break;
        n++;
    }
    return line.substr(0, n);
}

void TZynLineFold::Reset()
{
    Last.clear();
    HaveLast = false;
    Shown = 0;
    Repeats = 0;
    WindowOpen = false;
    WindowLines = 0;
    WindowHeld = 0;
    SourceLines.clear();
}

void TZynLineFold::EmitRepeats(const TEmit& emit)
{
    if (Repeats == 0) return;
    const uint64_t n = Repeats;
    Repeats = 0;
    emit("... repeated " + std::to_string(n) + (n == 1 ? " time" : " times"));
}

void TZynLineFold::EndWindow(double now, const TEmit& emit)
{
    if (WindowHeld > 0) {
        const uint64_t n = WindowHeld;
        WindowHeld = 0;
        emit("... " + std::to_string(n) + (n == 1 ? " line" : " lines") + " left out (too many a second)");
    }
    WindowStart = now;
    WindowOpen = true;
    WindowLines = 0;
    SourceLines.clear();
}

void TZynLineFold::Add(const std::string& line, double now, const TEmit& emit)
{
    if (HaveLast && line == Last) {
        if (++Shown <= PassRepeats) {
            emit(line);
            return;
        }
        if (Repeats++ == 0) RepeatSince = now;
        else if (now - RepeatSince >= 1.0) EmitRepeats(emit);
        return;
    }
    EmitRepeats(emit);
    Shown = 0;
    if (!WindowOpen || now - WindowStart >= 1.0) EndWindow(now, emit);
    int32_t& fromSource = SourceLines[SourceOf(line)];
    if (fromSource >= PerSource || WindowLines >= PerSecond) {
        WindowHeld++;
        HaveLast = false;   // repeats of a line never shown are held back too
        return;
    }
    Last = line;
    HaveLast = true;
    fromSource++;
    WindowLines++;
    emit(line);
}

void TZynLineFold::Flush(double now, const TEmit& emit, bool force)
{
    if (Repeats > 0 && (force || now - RepeatSince >= 1.0)) EmitRepeats(emit);
    if (WindowOpen && WindowHeld > 0 && (force || now - WindowStart >= 1.0)) EndWindow(now, emit);
}
