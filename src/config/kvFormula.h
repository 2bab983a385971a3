// kvFormula: compiles small assignment programs once and runs them per frame / per point.
//
// A formula text such as "MapA = 0.02*Radius; R = 0.5+(0.5*SIN(Time));" is
// scanned (upper-cased on reading), parsed by recursive descent and compiled
// into a flat list of stack-machine instructions. FormulaRun executes that
// list on one preallocated evaluation stack without allocating.
//
// Language rules the data files are written against:
//   - an Expression adds and subtracts Terms; a Term combines Factors with
//     * / DIV MOD ^, all five on one level, left to right (2*3^2 is 36,
//     1+2*3 is 7);
//   - unary minus negates the whole following Expression, up to the next
//     ")", "," or ";" (-2+3 is -5, 2*-3+4 is -14);
//   - a tab, "#" or any other unknown character ends the text.
//
// The engine knows nothing of the constant registry: names are resolved and
// values read and stored only through three hooks (find, get, set), which the
// registry installs at load time. Errors are log lines "#FORMULA ERROR : ..."
// written through kvLogLine; compilation always completes.
//
// Programs whose stack use is unsound (an operator emitted without its
// operands after a syntax error, or deeper than the stack) are reported at
// compile time and then run as empty programs, so a run never touches memory
// outside the evaluation stack.
//
// Main thread only: one compilation and one run at a time, never nested.
// Depends on: platform/kvLog, platform/ZynNumbers, platform/ZynRandom.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Token numbers; a token's number is also its instruction code.
enum TkvFormulaCode : uint8_t {
    fcEOF = 0,      // end of text; as an instruction: stop
    fcAssign = 1,   // "=": as an instruction: set(row, top); pop
    fcOpen = 2,
    fcComma = 3,
    fcClose = 4,
    fcSemicolon = 5,
    fcAdd = 6,
    fcSub = 7,
    fcMul = 8,
    fcDivide = 9,
    fcDiv = 10,
    fcMod = 11,
    fcPower = 12,
    fcSin = 13,
    fcCos = 14,
    fcTan = 15,
    fcAsin = 16,
    fcAcos = 17,
    fcAtan = 18,
    fcAtan2 = 19,
    fcExp = 20,
    fcLog = 21,
    fcLog10 = 22,
    fcSign = 23,
    fcInt = 24,
    fcAbs = 25,
    fcRand = 26,
    fcMin = 27,
    fcMax = 28,
    fcIf = 29,
    fcNum = 30,     // push literal
    fcID = 31,      // push get(row)
};

constexpr int kvFormulaTokenCount = 32;
// Token texts by number ("#EOF", "=", "(", ... "#NUM", "#ID").
extern const char* const kvFormulaTokenText[kvFormulaTokenCount];

// Evaluation stack: 2048 single-precision entries; entry 0 is never written,
// so a program may use at most this many entries.
constexpr int32_t kvFormulaStackEntries = 2048;
constexpr int32_t kvFormulaStackUsable = kvFormulaStackEntries - 1;
// Brackets, unary minus and function calls nest at most this deep.
constexpr int32_t kvFormulaMaxNesting = 1500;

// One instruction: a code and a 32-bit operand (literal for fcNum, constant
// row for fcAssign and fcID, 0 otherwise).
struct TkvFormulaInstr {
    uint8_t Code = fcEOF;
    union {
        float Value;
        int32_t Row;
    };
    TkvFormulaInstr() : Row(0) {}
};

// One step of the execution plan FormulaRun follows: the instructions with
// operands fused into the operations that use them (internal).
struct TkvFormulaStep {
    uint8_t Op = 0;
    float Aux = 0.0f;   // second literal of two-operand steps
    union {
        float Value;
        float* Var;
        int32_t Row;
    };
    TkvFormulaStep() : Var(nullptr) {}
};

// A compiled formula, owned by whoever compiled it. Only FormulaCompile fills
// it, so its stack check always describes its instructions.
class TkvFormula {
public:
    int32_t Count() const { return static_cast<int32_t>(FInstr.size()); }
    const std::vector<TkvFormulaInstr>& Instructions() const { return FInstr; }
    // False when the stack check failed: the program then runs as an empty one.
    bool Runnable() const { return FRunnable; }
    // Deepest stack entry a run reaches (0 for a program that pushes nothing).
    int32_t StackNeed() const { return FStackNeed; }

private:
    friend void FormulaCompile(std::string_view text, TkvFormula& program);
    friend void FormulaRun(const TkvFormula& program);
    std::vector<TkvFormulaInstr> FInstr;
    std::vector<TkvFormulaStep> FSteps;   // empty unless runnable
    bool FRunnable = false;
    int32_t FStackNeed = 0;
};

// Registry hooks. find: upper-cased identifier -> row, or -1 (the hook logs
// its own not-found line); get: row -> value; set: store value into row.
using TkvFormulaFind = int32_t (*)(const std::string& name);
using TkvFormulaGet = float (*)(int32_t row);
using TkvFormulaSet = void (*)(int32_t row, float value);
// Optional fourth hook: the address of a row's float variable when get and set
// of that row are plain loads and stores of it, else nullptr. Compiled
// programs then read and write such rows directly (same results, no calls);
// the variables must outlive the programs compiled against them.
using TkvFormulaAddress = float* (*)(int32_t row);

void FormulaSetHooks(TkvFormulaFind find, TkvFormulaGet get, TkvFormulaSet set,
                     TkvFormulaAddress address = nullptr);
void FormulaClearHooks();   // back to no hooks: every identifier fails to resolve

// Empty the program, compile the whole text into it. Always leaves a program
// ending with fcEOF; errors are logged.
void FormulaCompile(std::string_view text, TkvFormula& program);
// Execute from the first instruction until fcEOF. No allocation.
void FormulaRun(const TkvFormula& program);
// "[1][=41][2][=42][#EOF]": one bracketed item per instruction.
std::string FormulaListing(const TkvFormula& program);
