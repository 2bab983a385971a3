// ZynCmdInterp: statement splitting, argument evaluation, dispatch to commands
// and constants, and the four built-in listing commands.
#include "console/ZynCmdInterp.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "console/ZynCommandHelp.h"
#include "console/ZynCommands.h"
#include "console/ZynCommandsTexture.h"
#include "console/ZynCommandsWinAMP.h"
#include "platform/ZynNumbers.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>


// Lookup takes the first row whose name matches, and CmdList lists them in
// this order.
const TProcRec CommandTable[CommandCount] = {
    {"Help", ProcHelp},
    {"CmdList", ProcCmdList},
    {"SectionList", ProcSectionList},
    {"VarList", ProcVarList},
    {"Screenshot", ProcScreenshot},
    {"WindowClose", ProcWindowClose},
    {"isWindowOpen", ProcIsWindowOpen},
    {"WindowOpenMain", ProcWindowOpenMain},
    {"WindowOpenConsole", ProcWindowOpenConsole},
    {"Bind", ProcBind},
    {"UnBind", ProcUnBind},
    {"UnBindAll", ProcUnBindAll},
    {"ExecuteBind", ProcExecuteBind},
    {"ConsoleKeyOn", ProcConsoleKeyOn},
    {"ConsoleKeyOff", ProcConsoleKeyOff},
    {"Cls", ProcCls},
    {"RestartScene", ProcRestartScene},
    {"SceneChange", ProcSceneChange},
    {"EndFade", ProcEndFade},
    {"PickSceneLength", ProcPickSceneLength},
    {"PickScene", ProcPickScene},
    {"PickFader", ProcPickFader},
    {"getScene", ProcGetScene},
    {"Announce", ProcAnnounce},
    {"ToggleFullscreen", ProcToggleFullscreen},
    {"Quit", ProcQuit},
    {"Not", ProcNot},
    {"If", ProcIf},
    {"Greater", ProcGreater},
    {"TimerAdd", ProcTimerAdd},
    {"TimerClear", ProcTimerClear},
    {"TimerShow", ProcTimerShow},
    {"Inc", ProcInc},
    {"Dec", ProcDec},
    {"Add", ProcAdd},
    {"VarInc", ProcVarInc},
    {"VarDec", ProcVarDec},
    {"VarStep", ProcVarStep},
    {"setWAVol", ProcSetWAVol},
    {"getWASong", ProcGetWASong},
    {"WAFunc", ProcWAFunc},
    {"SceneTex", ProcSceneTex},
    {"TexLine", ProcTexLine},
    {"TexLoad", ProcTexLoad},
    {"TexSize", ProcTexSize},
    {"TexLoadBMP", ProcTexLoadBMP},
    {"TexLoadTGA", ProcTexLoadTGA},
    {"MidiLearn", ProcMidiLearn},
};

namespace {

int32_t g_depth = 0;
int64_t g_statements = 0;       // run by the outermost line so far
bool g_budgetSpent = false;     // the outermost line stopped running statements
volatile std::sig_atomic_t g_stopRequested = 0;

// False once the line has used its budget or the program is stopping; the
// first refusal writes the one error line.
bool MayRunStatement()
{
    if (g_budgetSpent) return false;
    if (g_stopRequested) {
        g_budgetSpent = true;
        CmdError("The program is closing - the rest of the line is not run");
        return false;
    }
    if (++g_statements > CmdMaxStatements) {
        g_budgetSpent = true;
        CmdError("More than " + std::to_string(CmdMaxStatements) +
                 " commands from one line - the rest of the line is not run");
        return false;
    }
    return true;
}

std::string ConstSection(int32_t i)
{
    const TConstDef* row = ConstRow(i);
    return row ? row->Section : "";
}

// Keeps the nesting depth right however a line is left.
struct TNestGuard {
    TNestGuard() { g_depth++; }
    ~TNestGuard() { g_depth--; }
};

// Lines and statements being run; the outermost one starts a new budget.
int32_t g_active = 0;
struct TWorkGuard {
    TWorkGuard()
    {
        if (g_active++ == 0) {
            g_statements = 0;
            g_budgetSpent = false;
        }
    }
    ~TWorkGuard() { g_active--; }
};

// Index just past the "]" that closes the "[" at start (or text's end).
size_t SkipBrackets(const std::string& text, size_t start)
{
    int32_t count = 0;
    size_t i = start;
    do {
        if (text[i] == '[') count++;
        else if (text[i] == ']') count--;
        i++;
    } while (count > 0 && i < text.size());
    return i;
}

// Splits the argument text (already trimmed, "," appended) into params.
void SplitArguments(const std::string& args, TParams& params)
{
    const size_t end = args.size() - 1;   // the appended ","
    size_t k = 0;
    while (k < args.size()) {
        // Blanks after a comma do not count: "f(1, [x])" passes x as a literal.
        while (args[k] == ' ') k++;
        size_t m;
        std::string taken;
        bool literal = args[k] == '[';
        if (literal) {
            // The outer bracket pair is dropped; an unclosed one takes the
            // rest (without the appended ",") and fails the comma check.
            m = SkipBrackets(args, k);
            size_t textEnd = args[m - 1] == ']' ? m - 1 : end;
            taken = args.substr(k + 1, textEnd - k - 1);
        } else {
            int32_t depth = 0;
            m = k;
            while (m < args.size()) {
                char c = args[m];
                if (c == ',' && depth == 0) break;
                if (c == '(' || c == '[') depth++;
                else if (c == ')' || c == ']') depth--;
                m++;
            }
            taken = args.substr(k, std::min(m, end) - k);
        }
        if (literal) {
            while (m < args.size() && args[m] == ' ') m++;   // "[x] , y"
        }
        if (m < args.size() && args[m] == ',') {
            k = m + 1;
        } else {
            CmdError("Comma not found");
            k = m;
        }
        taken = CmdTrim(taken);
        if (literal) params.push_back(taken);
        else if (!taken.empty()) params.push_back(ExecuteLine(taken));
    }
}

// A number written as the whole statement: its value text.
bool NumberStatement(const std::string& name, std::string& result)
{
    int64_t whole;
    if (CmdIsWholeInt(name, whole)) {
        // Whole numbers keep every digit (command ids such as 40045 must
        // reach their commands unchanged).
        result = std::to_string(whole);
        return true;
    }
    double v;
    if (name.empty() || !ZynParseDouble(name, v)) return false;
    result = CmdFloatText(v);
    return true;
}

} // namespace

std::string CmdTrim(const std::string& text)
{
    size_t a = text.find_first_not_of(' ');
    if (a == std::string::npos) return std::string();
    size_t b = text.find_last_not_of(' ');
    return text.substr(a, b - a + 1);
}

std::string ExecuteLine(const std::string& line)
{
    if (g_depth >= CmdMaxNesting) {
        CmdError("Commands nested too deeply (more than " + std::to_string(CmdMaxNesting) +
                 " levels) - line not run");
        return std::string();
    }
    TWorkGuard work;
    if (g_budgetSpent) return std::string();
    TNestGuard guard;
    const std::string text = line + ";";
    std::string statement, result;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ';') {
            if (!statement.empty()) result += ExecuteStatement(statement);
            statement.clear();
            i++;
        } else if (c == '[') {
            size_t next = SkipBrackets(text, i);
            statement.append(text, i, next - i);
            i = next;
        } else {
            statement.push_back(c);
            i++;
        }
    }
    // An unclosed "[" took the closing ";" with it: that statement does not
    // run, and the user is told why.
    if (!statement.empty()) CmdError("\"]\" not found - statement not run: " + CmdTrim(statement.substr(0, statement.size() - 1)));
    return result;
}

TParams ParseStatement(const std::string& statement)
{
    TParams params;
    size_t open = statement.find('(');
    if (open == std::string::npos) {
        params.push_back(CmdTrim(statement));
        return params;
    }
    params.push_back(CmdTrim(statement.substr(0, open)));
    int32_t count = 1;
    std::string args;
    for (size_t j = open + 1; j < statement.size(); j++) {
        char c = statement[j];
        if (c == '(') count++;
        else if (c == ')') count--;
        if (count <= 0) break;
        args.push_back(c);
    }
    SplitArguments(CmdTrim(args) + ",", params);
    return params;
}

std::string ExecuteStatement(const std::string& statement)
{
    TWorkGuard work;
    if (!MayRunStatement()) return std::string();
    TParams params = ParseStatement(statement);
    const std::string& name = params[0];
    std::string result;
    if (params.size() == 1 && NumberStatement(name, result)) return result;

    int32_t cmd = FindCommand(name);
    if (cmd >= 0) {
        try {
            CommandTable[cmd].Proc(params, result);
        } catch (const std::exception& e) {
            CmdError("(" + name + ") " + e.what());
            result.clear();
        } catch (...) {
            CmdError("(" + name + ") unknown failure");
            result.clear();
        }
        return result;
    }

    int32_t index = FindConst(name);
    if (index < 0) {
        CmdError("Command or Variable \"" + name + "\" not found");
        return std::string();
    }
    if (params.size() == 1) return ConstToString(index);
    if (params.size() == 2) {
        ConstSetString(index, params[1]);
        return ConstToString(index);
    }
    CmdError("Invalid number of parameters");
    return std::string();
}

int32_t FindCommand(const std::string& name)
{
    const std::string key = ZynUpper(name);
    for (int32_t i = 0; i < CommandCount; i++) {
        if (ZynUpper(CommandTable[i].Name) == key) return i;
    }
    return -1;
}

void CallCommandProc(TCommandProc proc)
{
    if (!proc) return;
    TParams params{std::string()};
    std::string result;
    try {
        proc(params, result);
    } catch (const std::exception& e) {
        CmdError(e.what());
    } catch (...) {
        CmdError("unknown failure");
    }
}

int32_t CmdNestingDepth() { return g_depth; }

void CmdRequestStop() { g_stopRequested = 1; }
void CmdClearStop() { g_stopRequested = 0; }

bool CmdStorable(const std::string& command, const std::string& what)
{
    if (command.size() <= CmdMaxStoredCommand) return true;
    CmdError(what + " - command of " + std::to_string(command.size()) + " characters not stored (at most " +
             std::to_string(CmdMaxStoredCommand) + ")");
    return false;
}

void CmdPrint(const std::string& text) { ZynLogLine(">" + text); }

void CmdError(const std::string& text) { ZynLogError(text); }

bool CmdIsWholeInt(const std::string& text, int64_t& value)
{
    std::string t = CmdTrim(text);
    if (t.empty()) return false;
    size_t p = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (p == t.size()) return false;
    for (size_t i = p; i < t.size(); i++) {
        if (t[i] < '0' || t[i] > '9') return false;
    }
    return ZynParseInt64(t, value);
}

int32_t CmdParamInt(const TParams& params, size_t index)
{
    const std::string text = index < params.size() ? params[index] : std::string();
    double v;
    int64_t whole;
    if (CmdIsWholeInt(text, whole)) {
        v = static_cast<double>(whole);
    } else if (ZynParseDouble(CmdTrim(text), v)) {
        v = static_cast<double>(ZynRoundEven64(v));
    } else {
        throw ECmdError("\"" + text + "\" is not a valid integer value");
    }
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        throw ECmdError("\"" + text + "\" is out of the integer range");
    return static_cast<int32_t>(v);
}

double CmdParamFloat(const TParams& params, size_t index)
{
    const std::string text = index < params.size() ? params[index] : std::string();
    double v;
    if (!ZynParseDouble(CmdTrim(text), v)) throw ECmdError("\"" + text + "\" is not a valid floating point value");
    return v;
}

std::string CmdFloatText(double value)
{
    // Single precision like the registry's floats, where the value fits one.
    if (std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max())
        value = static_cast<float>(value);
    return ConstFormatFloat(value);
}

// --- built-in commands ----------------------------------------------------

void ProcHelp(const TParams& params, std::string& result)
{
    if (params.size() == 2) {
        ShowCommandHelp(params[1]);
        return;
    }
    static const char* const lines[] = {
        "HELP",
        " CMDLIST     = list commands available",
        " VARLIST     = list variables available",
        " SECTIONLIST = list sections. typing VARLIST [section]",
        "               will display variables in just that section.",
        "",
        "To send a parameter with a space in, use brackets:",
        "    Bind vk_escape (restartscene 1)",
        "",
        "To execute a statement, and use the result, use '^' :",
        "    morph.halflife ^morph.distance",
        "    (assigns the value of morph.distance to morph.halflife)",
        "",
        "To get help on a function, type :",
        " HELP (functionname)",
    };
    for (const char* line : lines) CmdPrint(line);
}

void ProcCmdList(const TParams& params, std::string& result)
{
    for (const TProcRec& rec : CommandTable) CmdPrint(rec.Name);
    CmdPrint(std::to_string(CommandCount) + " Commands");
}

void ProcSectionList(const TParams& params, std::string& result)
{
    if (params.size() != 1) {
        CmdError("No Parameters needed");
        return;
    }
    const int32_t count = ConstCount();
    for (int32_t i = 0; i < count; i++) {
        if (i == 0 || ConstSection(i) != ConstSection(i - 1)) CmdPrint(ConstFullName(i));
    }
}

void ProcVarList(const TParams& params, std::string& result)
{
    const int32_t count = ConstCount();
    if (params.size() == 1 || params.size() == 2) {
        const std::string section = params.size() == 2 ? ZynUpper(params[1]) : std::string();
        for (int32_t i = 0; i < count; i++) {
            if (params.size() == 1 || ConstSection(i) == section) CmdPrint(ConstFullName(i));
        }
    } else {
        CmdError("Incorrect amount of parameters. Usage = \"VarList [Section]\"");
    }
    CmdPrint(std::to_string(count) + " Variables");
}
