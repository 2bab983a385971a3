// ZynLog: the program log ZynLog.txt in BaseDir.
//
// Started afresh at each program start and written line by line (opened and
// closed per line) so it survives a crash up to the last line. Every line is
// also handed to the console sink once the console exists. Logging never
// throws and never stops the program: an unwritable file makes the log silent.
// Depends on: platform/ZynPath, OpenGL (ZynCheckGL only).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// File name inside BaseDir.
extern std::string ZynLogFileName;

void ZynLogClear();                                  // truncate and write the five header lines
void ZynLogLine(const std::string& text);            // append one line (+ console)
void ZynLogError(const std::string& text);           // "#ERROR : " + text
void ZynLogWarning(const std::string& text);         // "#WARNING : " + text
void ZynLogException(const std::string& where, const std::string& message); // error line, then quit request
// Inside a catch block: the exception's message ("unknown exception" for non-std ones).
std::string ZynCurrentExceptionMessage();
bool ZynCheckGL(const std::string& where, int32_t code);   // drain and report GL errors; true if none

// Where log lines go besides the file (the console line store). Empty: nowhere.
void ZynLogSetConsoleSink(std::function<void(const std::string&)> sink);
// What ZynLogException calls to ask the program to end (the GL window's Quit).
void ZynLogSetQuitHook(std::function<void()> quit);
