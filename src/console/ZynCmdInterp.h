// ZynCmdInterp: the command interpreter, the command table and console output.
//
// Every textual control path (console window, telnet users, key bindings,
// timers, the If command) runs its text through ExecuteLine. A line holds
// ";"-separated statements; a statement is a bare word (command, constant name
// or number) or a call "Name(arg, [literal], ...)". Unbracketed arguments are
// run as lines first and replaced by their results; bracketed ones reach the
// command as written. A statement that names no command reads or sets the
// constant of that name through the registry.
//
// Command procedures receive their parameter list and fill in their result
// text. A procedure fails by throwing ECmdError (or any std::exception); the
// interpreter turns that into an error line and goes on with the next
// statement. Nesting (calls, If, bindings and timers run from commands) is
// bounded by one shared limit: deeper lines write an error line and run
// nothing. All the work one line causes (its statements and everything they
// run: arguments, If branches, bindings, timers) shares one budget of
// CmdMaxStatements; past it, or once the program has been asked to stop
// (CmdRequestStop, from a signal), one error line is written and the rest of
// the line runs nothing, so the frame goes on.
// Depends on: app/ZynLog, config/ZynConst (registry), console/ZynCommandHelp,
// platform/ZynNumbers.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Entry 0: the command name as written; entries 1..: the arguments.
using TParams = std::vector<std::string>;

// A command procedure: reads params, may set result (empty on entry).
using TCommandProc = void (*)(const TParams& params, std::string& result);

struct TProcRec {
    const char* Name;     // as listed, mixed case
    TCommandProc Proc;
};

constexpr int32_t CommandCount = 48;
extern const TProcRec CommandTable[CommandCount];

// How deep lines may nest inside each other (arguments, If, ExecuteBind,
// bindings and timers fired from commands).
constexpr int32_t CmdMaxNesting = 64;
// Statements one line may run, everything it causes included.
constexpr int64_t CmdMaxStatements = 100000;
// Longest command text a binding or a timer keeps.
constexpr size_t CmdMaxStoredCommand = 65536;

// Raised by command procedures (and the parameter helpers below) to fail the
// running command with a message.
class ECmdError : public std::runtime_error {
public:
    explicit ECmdError(const std::string& message) : std::runtime_error(message) {}
};

// Runs all statements of the line; returns their results joined.
std::string ExecuteLine(const std::string& line);
// Parses and runs one statement; returns its result.
std::string ExecuteStatement(const std::string& statement);
// Parses a statement into its parameter list (evaluating unbracketed arguments).
TParams ParseStatement(const std::string& statement);
// Index of the first command whose name matches (any case), -1 if none.
int32_t FindCommand(const std::string& name);
// Runs a procedure with a parameter list of one empty entry; result discarded.
void CallCommandProc(TCommandProc proc);
// Current nesting depth of ExecuteLine (0 when no line runs).
int32_t CmdNestingDepth();
// Async-signal-safe: the running line (and any line until CmdClearStop) stops.
void CmdRequestStop();
void CmdClearStop();
// False (with one error line for what) when a command text is too long to store.
bool CmdStorable(const std::string& command, const std::string& what);

// ">" + text as a log line (log file and console).
void CmdPrint(const std::string& text);
// "#ERROR : " + text as a log line.
void CmdError(const std::string& text);

// --- parameter conversions used by the command procedures -----------------
// Integer parameter: whole numbers as they are, decimal numbers rounded to the
// nearest (ties to even); anything else, or a value outside int32, throws
// ECmdError.
int32_t CmdParamInt(const TParams& params, size_t index);
// Real parameter; anything that is not a decimal number throws ECmdError.
double CmdParamFloat(const TParams& params, size_t index);
// True when text (trimmed of blanks) is a whole decimal integer that fits int64.
bool CmdIsWholeInt(const std::string& text, int64_t& value);
// Text form of a real value as the registry writes floats ("0" below 0.001 in
// magnitude, else 4 significant digits: 3.142, 2.346E4).
std::string CmdFloatText(double value);
// Blanks (space characters only) removed from both ends.
std::string CmdTrim(const std::string& text);

// Built-in procedures of the interpreter (rows 0 to 3).
void ProcHelp(const TParams& params, std::string& result);
void ProcCmdList(const TParams& params, std::string& result);
void ProcSectionList(const TParams& params, std::string& result);
void ProcVarList(const TParams& params, std::string& result);
