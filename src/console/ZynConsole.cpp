// ZynConsole: console line store, wrapping, input editing, history, --exec.
#include "console/ZynConsole.h"

#include "app/ZynClientObject.h"
#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "console/ZynCmdInterp.h"

#include <memory>

namespace {

std::unique_ptr<std::deque<std::string>> g_data;   // ConsoleData; null before start-up
uint64_t g_added = 0;
std::function<void(const std::string&)> g_telnetSink;
std::vector<std::string> g_history(ConsoleHistorySize);
int32_t g_recall = 0;
bool g_execDone = false;

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
    std::string rest = text.substr(p);
    while (rest.size() > ConsoleWrapWidth) {
        // Break after the last blank within the width (1-based positions 58..2).
        size_t cut = 0;
        for (size_t i = ConsoleWrapWidth; i >= 2; i--) {
            if (rest[i - 1] == ' ') { cut = i; break; }
        }
        if (cut > 0) {
            pieces.push_back(prefix + rest.substr(0, cut));
            rest.erase(0, cut);
        } else {
            pieces.push_back(prefix + rest.substr(0, 55) + "...");
            rest.erase(0, 55);
        }
    }
    pieces.push_back(prefix + rest);
    return pieces;
}

void ConsoleLine(const std::string& text)
{
    std::string line = text;
    if (!line.empty() && line[0] != '#' && line[0] != '-' && line[0] != '=') line.insert(0, ">");
    if (g_data) {
        for (std::string& piece : ConsoleWrap(line)) StoreLine(std::move(piece));
    }
    // Telnet users get console lines from the first frame on (the sink itself
    // checks that the server exists and listens).
    if (ClientRunning && Client && g_telnetSink) {
        try { g_telnetSink(line); } catch (...) {}
    }
}

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
