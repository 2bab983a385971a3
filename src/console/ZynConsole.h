// ZynConsole: the console line store, console input and its history.
//
// The console is the program's shared text screen: every log line, command
// result and echoed input lands here (wrapped at 58 characters, each piece
// keeping its kind prefix "#", "-", "=" or ">"), the console window shows it,
// and each line is also handed, unwrapped, to the telnet sink once frames run.
// The store keeps only the newest ConsoleMaxLines lines. Input lines are capped
// at ConsoleMaxInput characters. Repeated lines and floods are folded before
// the store and telnet (TZynLineFold), as in the log.
// Depends on: app/ZynLog (console sink), platform/ZynLineFold, app/ZynClientObject (frames running),
// app/ZynOptions (--exec), console/ZynCmdInterp.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

constexpr size_t ConsoleWrapWidth = 58;
constexpr size_t ConsoleMaxLines = 4000;
constexpr size_t ConsoleMaxInput = 1024;
constexpr int32_t ConsoleHistorySize = 20;

// Creates the line store and installs it as the log's console sink.
void ConsoleCreate();
// Removes the log sink and frees the store.
void ConsoleFree();
bool ConsoleExists();

// The single entry for console output (see the module comment).
void ConsoleLine(const std::string& text);
// Writes the folded counts that are due; the frame calls it.
void ConsoleFlush();
// Echo "-" + line, run it, then "=" + result when there is one.
void ConsoleExecute(const std::string& line);
// "=" + text when the store exists and the text is not empty.
void ConsoleResult(const std::string& text);
// Empties the store (Cls).
void ConsoleClear();

// The stored lines, oldest first (empty when the store does not exist).
const std::deque<std::string>& ConsoleLines();
// Counts every line ever added; lets a viewer notice new output.
uint64_t ConsoleLinesAdded();

// Splits a console line into stored pieces (prefix kept on every piece).
std::vector<std::string> ConsoleWrap(const std::string& text);

// Where console lines go besides the store (telnet Broadcast). Called only
// once the client has started running frames. Empty function: nowhere.
void ConsoleSetTelnetSink(std::function<void(const std::string&)> sink);

// Line editing of the console window: 8 removes the last character, other
// codes below 256 are appended (up to ConsoleMaxInput), 256 and above ignored.
void EditLine(int32_t key, std::string& line);
// Stores an entered line as the newest history entry; recall restarts.
void AddHistory(const std::string& line);
// Up-arrow recall: replaces line with the next older entry, false at the end.
bool ConsoleHistoryUp(std::string& line);
// History entries, newest first (ConsoleHistorySize of them, unused ones empty).
const std::vector<std::string>& ConsoleHistory();
void ConsoleHistoryClear();

// One key event of the console window on its input line: a character 13
// enters the line (history, then ConsoleExecute, then the line is emptied),
// other characters edit it; a key-down of the up arrow (38) recalls history.
void ConsoleInputKey(int32_t code, bool isCharacter, std::string& input);

// Runs the --exec line once per process, after the first rendered frame;
// the echo and result go to the log as well. Later calls do nothing.
void ConsoleFrameDone();
