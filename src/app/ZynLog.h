// ZynLog: the program log ZynLog.txt in BaseDir.
//
// Started afresh at each program start and written line by line (opened and
// closed per line) so it survives a crash up to the last line. Every line is
// also handed to the console sink once the console exists. Logging never
// throws and never stops the program: an unwritable file makes the log silent.
// A flood cannot fill the disk or bury other lines: repeated lines are folded
// and floods of one source held back (TZynLineFold), lines are cut at
// ZynLogMaxLine characters, and a log of ZynLogMaxBytes moves to
// ZynLogOldFileName (one older log is kept) while a new one starts.
// Depends on: platform/ZynLineFold, platform/ZynPath, OpenGL (ZynCheckGL only).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// File names inside BaseDir: the log and the full log before it.
extern std::string ZynLogFileName;
extern std::string ZynLogOldFileName;

constexpr uint64_t ZynLogMaxBytes = 10u << 20;
constexpr size_t ZynLogMaxLine = 65536;

void ZynLogClear();                                  // truncate and write the five header lines
void ZynLogLine(const std::string& text);            // append one line (+ console)
void ZynLogError(const std::string& text);           // "#ERROR : " + text
void ZynLogWarning(const std::string& text);         // "#WARNING : " + text
// Writes the folded counts that are due (every one when force is set); the
// frame calls it, so a count waits at most about a second.
void ZynLogFlush(bool force = false);
void ZynLogException(const std::string& where, const std::string& message); // error line, then quit request
// Inside a catch block: the exception's message ("unknown exception" for non-std ones).
std::string ZynCurrentExceptionMessage();
bool ZynCheckGL(const std::string& where, int32_t code);   // drain and report GL errors; true if none

// Where log lines go besides the file (the console line store). Empty: nowhere.
void ZynLogSetConsoleSink(std::function<void(const std::string&)> sink);
// What ZynLogException calls to ask the program to end (the GL window's Quit).
void ZynLogSetQuitHook(std::function<void()> quit);
// File size cap and lines a second per source / in all (tests use small ones).
void ZynLogSetLimits(uint64_t maxBytes, int32_t perSource, int32_t perSecond);
