// ZynConsole: console line store, wrapping, input editing, history, --exec.
#include "console/ZynConsole.h"

#include "app/ZynClientObject.h"
#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "console/ZynCmdInterp.h"
#include "platform/ZynLineFold.h"

#include <chrono>
#include <memory>

namespace {

std::unique_ptr<std::deque<std::string>> g_data;   // ConsoleData; null before start-up
uint64_t g_added = 0;
std::function<void(const std::string&)> g_telnetSink;
std::vector<std::string> g_history(ConsoleHistorySize);
int32_t g_recall = 0;
bool g_execDone = false;
TZynLineFold g_fold;     // repeats and floods, before the store and telnet

const std::deque<std::string>& EmptyLines()
{
    static const std::deque<std::string> empty;
    return empty;
}

bool IsKindChar(char c) { return c == '#' || c == '-' || c == '=' || c == '>'; }

void StoreLine(std::string piece)
{
    g_data->push_back(std::move(piece));
    g_added++;
    while (g_data->size() > ConsoleMaxLines) g_data->pop_front();
}

} // namespace

void ConsoleCreate()
{
    g_fold.Reset();
    // The store keeps its newest lines anyway: only repeats and floods of one
    // source are held back here (the log also caps all lines together).
    g_fold.PerSecond = INT32_MAX;
    g_data = std::make_unique<std::deque<std::string>>();
    ZynLogSetConsoleSink([](const std::string& text) { ConsoleLine(text); });
}

void ConsoleFree()
{
    ZynLogSetConsoleSink(nullptr);
    g_data.reset();
}

bool ConsoleExists() { return g_data != nullptr; }

std::vector<std::string> ConsoleWrap(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t p = 0;
    while (p < text.size() && IsKindChar(text[p])) p++;
    const std::string prefix = text.substr(0, p);
    // Walks the rest with a start index: each piece is looked at once, so a
    // line of megabytes wraps in linear time.
    while (text.size() - p > ConsoleWrapWidth) {
        // Break after the last blank within the width (1-based positions 58..2).
        size_t cut = 0;
        for (size_t i = ConsoleWrapWidth; i >= 2; i--) {
            if (text[p + i - 1] == ' ') { cut = i; break; }
        }
        if (cut > 0) {
            pieces.push_back(prefix + text.substr(p, cut));
            p += cut;
        } else {
            pieces.push_back(prefix + text.substr(p, 55) + "...");
            p += 55;
        }
    }
    pieces.push_back(prefix + text.substr(p));
    return pieces;
}

namespace {

// Stores one folded line and hands it to the telnet users.
void Deliver(const std::string& line)
{
    if (g_data) {
        std::vector<std::string> pieces = ConsoleWrap(line);
        // Only the newest ConsoleMaxLines pieces could stay in the store.
        const size_t skip = pieces.size() > ConsoleMaxLines ? pieces.size() - ConsoleMaxLines : 0;
        g_added += skip;
        for (size_t i = skip; i < pieces.size(); i++) StoreLine(std::move(pieces[i]));
    }
    // Telnet users get console lines from the first frame on (the sink itself
    // checks that the server exists and listens).
    if (ClientRunning && Client && g_telnetSink) {
        try { g_telnetSink(line); } catch (...) {}
    }
}

double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void ConsoleLine(const std::string& text)
{
    std::string line = text;
    if (!line.empty() && line[0] != '#' && line[0] != '-' && line[0] != '=') line.insert(0, ">");
    g_fold.Add(line, Now(), Deliver);
}

void ConsoleFlush() { g_fold.Flush(Now(), Deliver); }

void ConsoleExecute(const std::string& line)
{
    std::string input = line;
    if (input.size() > ConsoleMaxInput) {
        input.resize(ConsoleMaxInput);
        ZynLogWarning("Input line too long, cut to " + std::to_string(ConsoleMaxInput) + " characters");
    }
    if (g_data) ConsoleLine("-" + input);
    std::string result = ExecuteLine(input);
    if (!result.empty() && g_data) ConsoleLine("=" + result);
}

void ConsoleResult(const std::string& text)
{
    if (g_data && !text.empty()) ConsoleLine("=" + text);
}

void ConsoleClear()
{
    g_fold.Reset();
    if (g_data) g_data->clear();
}

const std::deque<std::string>& ConsoleLines() { return g_data ? *g_data : EmptyLines(); }

uint64_t ConsoleLinesAdded() { return g_added; }

void ConsoleSetTelnetSink(std::function<void(const std::string&)> sink) { g_telnetSink = std::move(sink); }

void EditLine(int32_t key, std::string& line)
{
    if (key == 8) {
        if (!line.empty()) line.pop_back();
    } else if (key >= 0 && key < 256) {
        if (line.size() < ConsoleMaxInput) line.push_back(static_cast<char>(key));
    }
}

void AddHistory(const std::string& line)
{
    for (int32_t i = ConsoleHistorySize - 1; i > 0; i--) g_history[i] = g_history[i - 1];
    g_history[0] = line;
    g_recall = 0;
}

bool ConsoleHistoryUp(std::string& line)
{
    // Positions 1..19 are recalled; the 20th entry is kept but never reached.
    if (g_recall >= ConsoleHistorySize - 1) return false;
    line = g_history[g_recall];
    g_recall++;
    return true;
}

const std::vector<std::string>& ConsoleHistory() { return g_history; }

void ConsoleHistoryClear()
{
    for (std::string& h : g_history) h.clear();
    g_recall = 0;
}

void ConsoleInputKey(int32_t code, bool isCharacter, std::string& input)
{
    if (isCharacter && code == 13) {
        const std::string line = input;
        input.clear();
        AddHistory(line);
        ConsoleExecute(line);
    } else if (isCharacter) {
        EditLine(code, input);
    } else if (code == 38) {
        ConsoleHistoryUp(input);
    }
}

void ConsoleFrameDone()
{
    if (g_execDone) return;
    g_execDone = true;
    if (ZynOpt.execLine.empty()) return;
    // Through the log so that a headless run leaves the echo and the result
    // in ZynLog.txt as well as in the console.
    ZynLogLine("-" + ZynOpt.execLine);
    std::string result = ExecuteLine(ZynOpt.execLine);
    if (!result.empty()) ZynLogLine("=" + result);
}
