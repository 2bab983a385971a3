// kvFormula: token table, scanner, recursive-descent compiler, stack check and listing.
#include "config/kvFormula.h"

#include "config/kvFormulaMachine.h"

#include "platform/ZynNumbers.h"
#include "platform/kvLog.h"

#include <cfloat>
#include <charconv>
#include <cmath>

const char* const kvFormulaTokenText[kvFormulaTokenCount] = {
    "#EOF", "=", "(", ",", ")", ";", "+", "-", "*", "/", "DIV", "MOD", "^",
    "SIN", "COS", "TAN", "ASIN", "ACOS", "ATAN", "ATAN2", "EXP", "LOG", "LOG10",
    "SIGN", "INT", "ABS", "RAND", "MIN", "MAX", "IF", "#NUM", "#ID",
};

// ---------------------------------------------------------------------------
// Stack effect of each instruction: entries it needs on the stack, net change.

struct TStackEffect {
    int8_t Needs;
    int8_t Change;
};

static TStackEffect StackEffect(uint8_t code)
{
    switch (code) {
    case fcAssign: return {1, -1};
    case fcAdd: case fcSub: case fcMul: case fcDivide: case fcDiv: case fcMod:
    case fcPower: case fcAtan2: case fcMin: case fcMax:
        return {2, -1};
    case fcSin: case fcCos: case fcTan: case fcAsin: case fcAcos: case fcAtan:
    case fcExp: case fcLog: case fcLog10: case fcSign: case fcInt: case fcAbs:
    case fcRand:
        return {1, 0};
    case fcIf: return {3, -2};
    case fcNum: case fcID: return {0, 1};
    default: return {0, 0};
    }
}

// ---------------------------------------------------------------------------
// Compiler

namespace {

// Scanner and parser state for one compilation.
class TFormulaCompiler {
public:
    TFormulaCompiler(std::string_view text, std::vector<TkvFormulaInstr>& out)
        : FText(text), FOut(out)
    {
        NextChar();
        Scan();
    }

    void Program();
    bool Aborted() const { return FAborted; }
    void Error(const std::string& message);

private:
    // scanner
    void NextChar();
    void Scan();
    void ScanNumber();
    void ScanWord();
    void EndText() { FToken = fcEOF; FEnded = true; }

    // parser
    void Expect(uint8_t token);
    void Expression();
    void Term();
    void Factor();
    void Arguments(int count);
    void Emit(uint8_t code, int32_t row = 0);
    void EmitValue(float value);

    std::string_view FText;
    std::vector<TkvFormulaInstr>& FOut;
    size_t FPos = 0;        // characters consumed
    int FCh = -1;           // current upper-cased character, -1 at the end
    uint8_t FToken = fcEOF;
    float FTokenValue = 0.0f;
    int32_t FTokenRow = -1;
    bool FEnded = false;    // the text ended (end, unknown character or bad token)
    bool FAborted = false;  // nesting limit hit: no further messages
    int32_t FNesting = 0;
};

void TFormulaCompiler::Error(const std::string& message)
{
    if (FAborted) return;
    kvLogLine("#FORMULA ERROR : " + message + " at char #" + std::to_string(FPos));
}

void TFormulaCompiler::NextChar()
{
    if (FPos < FText.size()) {
        int c = static_cast<unsigned char>(FText[FPos++]);
        if (c >= 'a' && c <= 'z') c -= 32;
        FCh = c;
    } else {
        FCh = -1;
    }
}

static bool IsDigit(int c) { return c >= '0' && c <= '9'; }
static bool IsWordStart(int c) { return (c >= 'A' && c <= 'Z') || c == '_'; }
static bool IsWordChar(int c) { return IsWordStart(c) || IsDigit(c) || c == '.'; }

void TFormulaCompiler::Scan()
{
    if (FEnded) { FToken = fcEOF; return; }
    while (FCh == ' ' || FCh == '\n' || FCh == '\r') NextChar();
    switch (FCh) {
    case -1: EndText(); return;
    case '(': FToken = fcOpen; break;
    case ')': FToken = fcClose; break;
    case '*': FToken = fcMul; break;
    case '+': FToken = fcAdd; break;
    case ',': FToken = fcComma; break;
    case '-': FToken = fcSub; break;
    case '/': FToken = fcDivide; break;
    case ';': FToken = fcSemicolon; break;
    case '=': FToken = fcAssign; break;
    case '^': FToken = fcPower; break;
    default:
        if (IsDigit(FCh) || FCh == '.') { ScanNumber(); return; }
        if (IsWordStart(FCh)) { ScanWord(); return; }
        // Tab, "#" and anything else: consumed, and the text ends here.
        NextChar();
        EndText();
        return;
    }
    NextChar();
}

void TFormulaCompiler::ScanNumber()
{
    std::string run;
    while (IsDigit(FCh) || FCh == '.') {
        run += static_cast<char>(FCh);
        NextChar();
    }
    // "1.2.3", ".", and magnitudes beyond a float are not numbers.
    double v = 0;
    if (!ZynParseDouble(run, v) || std::fabs(v) > FLT_MAX) {
        Error("Invalid number - \"" + run + "\"");
        EndText();
        return;
    }
    float f = static_cast<float>(v);
    FToken = fcNum;
    FTokenValue = f;
}

void TFormulaCompiler::ScanWord()
{
    std::string word;
    while (IsWordChar(FCh)) {
        word += static_cast<char>(FCh);
        NextChar();
    }
    for (int t = 0; t < kvFormulaTokenCount; t++) {
        const char* text = kvFormulaTokenText[t];
        if (text[0] != '#' && word == text) {
            FToken = static_cast<uint8_t>(t);
            return;
        }
    }
    if (TkvFormulaFind find = FormulaFindHook()) {
        int32_t row = find(word);
        if (row >= 0) {
            FToken = fcID;
            FTokenRow = row;
            return;
        }
    }
    Error("Token not found - \"" + word + "\"");
    EndText();
}

void TFormulaCompiler::Emit(uint8_t code, int32_t row)
{
    TkvFormulaInstr in;
    in.Code = code;
    in.Row = row;
    FOut.push_back(in);
}

void TFormulaCompiler::EmitValue(float value)
{
    TkvFormulaInstr in;
    in.Code = fcNum;
    in.Value = value;
    FOut.push_back(in);
}

void TFormulaCompiler::Expect(uint8_t token)
{
    if (FToken == token) {
        Scan();
        return;
    }
    Error(std::string("Syntax Error - was expecting \"") + kvFormulaTokenText[token] + "\" got \"" +
          kvFormulaTokenText[FToken] + "\"");
}

// Program := { #ID "=" Expression ";" } end
void TFormulaCompiler::Program()
{
    while (FToken == fcID) {
        int32_t row = FTokenRow;
        Scan();
        Expect(fcAssign);
        Expression();
        Expect(fcSemicolon);
        Emit(fcAssign, row);
    }
    if (FToken != fcEOF) Expect(fcID);
    Emit(fcEOF);
}

// Expression := Term { ("+" | "-") Term }
void TFormulaCompiler::Expression()
{
    Term();
    while (FToken == fcAdd || FToken == fcSub) {
        uint8_t op = FToken;
        Scan();
        Term();
        Emit(op);
    }
}

// Term := Factor { ("*" | "/" | "DIV" | "MOD" | "^") Factor }, all on one level
void TFormulaCompiler::Term()
{
    Factor();
    while (FToken == fcMul || FToken == fcDivide || FToken == fcDiv || FToken == fcMod ||
           FToken == fcPower) {
        uint8_t op = FToken;
        Scan();
        Factor();
        Emit(op);
    }
}

// "(" Expression { "," Expression } ")" with count expressions.
void TFormulaCompiler::Arguments(int count)
{
    Expect(fcOpen);
    Expression();
    for (int i = 1; i < count; i++) {
        Expect(fcComma);
        Expression();
    }
    Expect(fcClose);
}

void TFormulaCompiler::Factor()
{
    uint8_t t = FToken;
    bool nests = t == fcOpen || t == fcSub || (t >= fcSin && t <= fcIf);
    if (nests && FNesting >= kvFormulaMaxNesting) {
        // Cap the recursion: stop reading and keep quiet from here on; the
        // program is refused by the caller.
        Error("Nesting too deep - more than " + std::to_string(kvFormulaMaxNesting) + " levels");
        FAborted = true;
        EndText();
        return;
    }
    if (nests) FNesting++;
    switch (t) {
    case fcOpen:
        Scan();
        Expression();
        Expect(fcClose);
        break;
    case fcSub:
        Scan();
        EmitValue(0.0f);
        Expression();
        Emit(fcSub);
        break;
    case fcAtan2: case fcMin: case fcMax:
        Scan();
        Arguments(2);
        Emit(t);
        break;
    case fcIf:
        Scan();
        Arguments(3);
        Emit(t);
        break;
    case fcNum:
        EmitValue(FTokenValue);
        Scan();
        break;
    case fcID:
        Emit(fcID, FTokenRow);
        Scan();
        break;
    default:
        if (t >= fcSin && t <= fcRand) {
            Scan();
            Arguments(1);
            Emit(t);
        } else {
            Error(std::string("Syntax Error in \"Factor\" BNF - got ") + kvFormulaTokenText[t]);
        }
        break;
    }
    if (nests) FNesting--;
}

} // namespace

// Walks the instructions once: the deepest entry reached, or -1 when an
// instruction would read below the stack base.
static int32_t StackNeedOf(const std::vector<TkvFormulaInstr>& code)
{
    int32_t depth = 0, deepest = 0;
    for (const TkvFormulaInstr& in : code) {
        TStackEffect e = StackEffect(in.Code);
        if (depth < e.Needs) return -1;
        depth += e.Change;
        if (depth > deepest) deepest = depth;
    }
    return deepest;
}

void FormulaCompile(std::string_view text, TkvFormula& program)
{
    program.FInstr.clear();
    program.FSteps.clear();
    program.FRunnable = false;
    program.FStackNeed = 0;
    TFormulaCompiler compiler(text, program.FInstr);
    compiler.Program();
    if (compiler.Aborted()) return;
    int32_t need = StackNeedOf(program.FInstr);
    if (need < 0) {
        compiler.Error("Stack underflow - formula disabled");
        return;
    }
    program.FStackNeed = need;
    if (need > kvFormulaStackUsable) {
        compiler.Error("Stack overflow - formula needs " + std::to_string(need) + " of " +
                       std::to_string(kvFormulaStackUsable) + " entries, disabled");
        return;
    }
    program.FRunnable = true;
    FormulaPlan(program.FInstr, program.FSteps);
}

// ---------------------------------------------------------------------------
// Listing

static std::string FloatText(float v)
{
    char buf[48];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string FormulaListing(const TkvFormula& program)
{
    std::string s;
    for (const TkvFormulaInstr& in : program.Instructions()) {
        switch (in.Code) {
        case fcAssign: s += "[=" + std::to_string(in.Row) + "]"; break;
        case fcNum: s += "[" + FloatText(in.Value) + "]"; break;
        case fcID: s += "[ID " + std::to_string(in.Row) + "]"; break;
        default:
            s += "[";
            s += in.Code < kvFormulaTokenCount ? kvFormulaTokenText[in.Code] : "?";
            s += "]";
            break;
        }
    }
    return s;
}
