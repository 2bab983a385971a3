// kvFormulaMachine: hooks, execution plan (operand fusion) and the evaluation loop.
#include "config/kvFormulaMachine.h"

#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <cmath>
#include <math.h>

// ---------------------------------------------------------------------------
// Hooks

static float NoGet(int32_t) { return 0.0f; }
static void NoSet(int32_t, float) {}

static TkvFormulaFind g_Find = nullptr;
static TkvFormulaGet g_Get = NoGet;
static TkvFormulaSet g_Set = NoSet;
static TkvFormulaAddress g_Address = nullptr;

void FormulaSetHooks(TkvFormulaFind find, TkvFormulaGet get, TkvFormulaSet set,
                     TkvFormulaAddress address)
{
    g_Find = find;
    g_Get = get ? get : NoGet;
    g_Set = set ? set : NoSet;
    g_Address = address;
}

void FormulaClearHooks() { FormulaSetHooks(nullptr, nullptr, nullptr, nullptr); }

TkvFormulaFind FormulaFindHook() { return g_Find; }

// ---------------------------------------------------------------------------
// Operations shared by the plan and the loop

namespace {

// Step operations. "t" is the top of the stack (kept in a register), "s" the
// entry below it, "v" the step's literal, "*p" its variable.
enum TStepOp : uint8_t {
    xEnd,
    xPushNum, xPushVar, xPushGet,      // push v / *p / get(row)
    xStoreVar, xStoreSet,              // *p := t / set(row, t); pop
    xAdd, xSub, xMul, xDivide,         // t := s op t; pop s
    xDiv, xMod, xPower, xAtan2, xMin, xMax,
    xAddN, xSubN, xMulN, xDivideN,     // t := t op v
    xAddV, xSubV, xMulV, xDivideV,     // t := t op *p
    xRSubN, xRDivideN, xRSubV, xRDivideV,   // t := v op t / *p op t
    xVarAddN, xVarSubN, xVarMulN, xVarDivideN,   // push *p op aux
    xNumAddVar, xNumSubVar, xNumMulVar, xNumDivideVar,   // push aux op *p
    xSin, xCos, xTan, xAsin, xAcos, xAtan, xExp, xLog, xLog10, xSign, xInt, xAbs, xRand,
    xIf,
};

} // namespace

static float IntDivide(float a, float b)
{
    int64_t x = ZynRoundEven64(a), y = ZynRoundEven64(b);
    if (y == 0) return 0.0f;
    if (y == -1) return -static_cast<float>(x);   // INT64_MIN / -1 would trap
    return static_cast<float>(x / y);
}

static float IntModulo(float a, float b)
{
    int64_t x = ZynRoundEven64(a), y = ZynRoundEven64(b);
    if (y == 0 || y == -1) return 0.0f;
    return static_cast<float>(x % y);
}

static float RandomBelow(float x) { return static_cast<float>(ZynRandomInt(ZynRoundToInt32(x))); }

// ---------------------------------------------------------------------------
// Plan

namespace {

// Expression tree rebuilt from the instructions, so that literal and variable
// operands can be fused into the operation that uses them.
struct TNode {
    uint8_t Code;
    int32_t Row;       // fcID
    float Value;       // fcNum
    float* Var;        // fcID with a direct address
    int32_t Kid[3];
    int32_t Depth;
};

// Deeper trees (long operator chains) are planned one step per instruction,
// which keeps the planner's recursion short.
constexpr int32_t kMaxTreeDepth = 200;

class TPlanner {
public:
    explicit TPlanner(std::vector<TkvFormulaStep>& steps) : FSteps(steps) {}
    bool Build(const std::vector<TkvFormulaInstr>& code);
    void Direct(const std::vector<TkvFormulaInstr>& code);

private:
    void Gen(int32_t n);
    bool Fusable(int32_t n) const { return FNodes[n].Code == fcNum || FNodes[n].Var; }
    void Step(uint8_t op) { FSteps.emplace_back().Op = op; }
    void StepValue(uint8_t op, float v) { TkvFormulaStep& s = FSteps.emplace_back(); s.Op = op; s.Value = v; }
    void StepVar(uint8_t op, float* p) { TkvFormulaStep& s = FSteps.emplace_back(); s.Op = op; s.Var = p; }
    void StepVarAux(uint8_t op, float* p, float aux)
    {
        TkvFormulaStep& s = FSteps.emplace_back();
        s.Op = op;
        s.Var = p;
        s.Aux = aux;
    }
    void StepRow(uint8_t op, int32_t r) { TkvFormulaStep& s = FSteps.emplace_back(); s.Op = op; s.Row = r; }
    void StepOperand(int32_t n, uint8_t numOp, uint8_t varOp);
    void Push(int32_t n);
    void Store(int32_t row);

    std::vector<TkvFormulaStep>& FSteps;
    std::vector<TNode> FNodes;
};

int Arity(uint8_t code)
{
    switch (code) {
    case fcNum: case fcID: return 0;
    case fcAdd: case fcSub: case fcMul: case fcDivide: case fcDiv: case fcMod: case fcPower:
    case fcAtan2: case fcMin: case fcMax:
        return 2;
    case fcIf: return 3;
    default: return 1;
    }
}

// Step operation of an operator or function instruction (fcAdd..fcIf).
uint8_t StepOpOf(uint8_t code)
{
    switch (code) {
    case fcAdd: return xAdd;
    case fcSub: return xSub;
    case fcMul: return xMul;
    case fcDivide: return xDivide;
    case fcDiv: return xDiv;
    case fcMod: return xMod;
    case fcPower: return xPower;
    case fcAtan2: return xAtan2;
    case fcMin: return xMin;
    case fcMax: return xMax;
    case fcIf: return xIf;
    case fcSin: return xSin;
    case fcCos: return xCos;
    case fcTan: return xTan;
    case fcAsin: return xAsin;
    case fcAcos: return xAcos;
    case fcAtan: return xAtan;
    case fcExp: return xExp;
    case fcLog: return xLog;
    case fcLog10: return xLog10;
    case fcSign: return xSign;
    case fcInt: return xInt;
    case fcAbs: return xAbs;
    default: return xRand;
    }
}

void TPlanner::StepOperand(int32_t n, uint8_t numOp, uint8_t varOp)
{
    if (FNodes[n].Code == fcNum) StepValue(numOp, FNodes[n].Value);
    else StepVar(varOp, FNodes[n].Var);
}

void TPlanner::Push(int32_t n)
{
    const TNode& node = FNodes[n];
    if (node.Code == fcNum) StepValue(xPushNum, node.Value);
    else if (node.Var) StepVar(xPushVar, node.Var);
    else StepRow(xPushGet, node.Row);
}

void TPlanner::Store(int32_t row)
{
    if (float* p = g_Address ? g_Address(row) : nullptr) StepVar(xStoreVar, p);
    else StepRow(xStoreSet, row);
}

// Code for node n. Operands are evaluated in instruction order, except that a
// literal or directly addressed variable left of + - * / is read after the
// right operand: reading them has no effect, so the result is the same.
// A literal combined with such a variable becomes one pushing step.
void TPlanner::Gen(int32_t n)
{
    const TNode& node = FNodes[n];
    uint8_t c = node.Code;
    if (c == fcNum || c == fcID) { Push(n); return; }
    if (c == fcAdd || c == fcSub || c == fcMul || c == fcDivide) {
        int32_t l = node.Kid[0], r = node.Kid[1];
        int k = c - fcAdd;   // 0..3 for + - * /
        const TNode& ln = FNodes[l];
        const TNode& rn = FNodes[r];
        if (ln.Var && rn.Code == fcNum) {
            StepVarAux(static_cast<uint8_t>(xVarAddN + k), ln.Var, rn.Value);
            return;
        }
        if (ln.Code == fcNum && rn.Var) {
            StepVarAux(static_cast<uint8_t>(xNumAddVar + k), rn.Var, ln.Value);
            return;
        }
        if (Fusable(r)) {
            Gen(l);
            StepOperand(r, static_cast<uint8_t>(xAddN + k), static_cast<uint8_t>(xAddV + k));
            return;
        }
        if (Fusable(l)) {
            Gen(r);
            if (c == fcAdd) StepOperand(l, xAddN, xAddV);          // commutative
            else if (c == fcMul) StepOperand(l, xMulN, xMulV);
            else if (c == fcSub) StepOperand(l, xRSubN, xRSubV);
            else StepOperand(l, xRDivideN, xRDivideV);
            return;
        }
    }
    for (int i = 0; i < Arity(c); i++) Gen(node.Kid[i]);
    Step(StepOpOf(c));
}

bool TPlanner::Build(const std::vector<TkvFormulaInstr>& code)
{
    std::vector<int32_t> stack;
    for (const TkvFormulaInstr& in : code) {
        if (in.Code == fcEOF) break;
        if (in.Code == fcAssign) {
            if (stack.empty()) return false;
            Gen(stack.back());
            stack.pop_back();
            Store(in.Row);
            continue;
        }
        TNode node{in.Code, 0, 0.0f, nullptr, {-1, -1, -1}, 1};
        if (in.Code == fcNum) node.Value = in.Value;
        if (in.Code == fcID) {
            node.Row = in.Row;
            node.Var = g_Address ? g_Address(in.Row) : nullptr;
        }
        int arity = Arity(in.Code);
        if (static_cast<int>(stack.size()) < arity) return false;
        for (int i = arity - 1; i >= 0; i--) {
            node.Kid[i] = stack.back();
            stack.pop_back();
            if (FNodes[node.Kid[i]].Depth + 1 > node.Depth) node.Depth = FNodes[node.Kid[i]].Depth + 1;
        }
        if (node.Depth > kMaxTreeDepth) return false;
        FNodes.push_back(node);
        stack.push_back(static_cast<int32_t>(FNodes.size()) - 1);
    }
    if (!stack.empty()) return false;   // values never stored: keep the plain order
    Step(xEnd);
    return true;
}

// One step per instruction.
void TPlanner::Direct(const std::vector<TkvFormulaInstr>& code)
{
    for (const TkvFormulaInstr& in : code) {
        switch (in.Code) {
        case fcEOF: Step(xEnd); return;
        case fcAssign: Store(in.Row); break;
        case fcNum: StepValue(xPushNum, in.Value); break;
        case fcID: {
            float* p = g_Address ? g_Address(in.Row) : nullptr;
            if (p) StepVar(xPushVar, p);
            else StepRow(xPushGet, in.Row);
            break;
        }
        default:
            if (in.Code >= fcAdd && in.Code <= fcIf) Step(StepOpOf(in.Code));
            break;
        }
    }
    Step(xEnd);
}

} // namespace

void FormulaPlan(const std::vector<TkvFormulaInstr>& code, std::vector<TkvFormulaStep>& steps)
{
    steps.clear();
    TPlanner planner(steps);
    if (planner.Build(code)) return;
    steps.clear();
    TPlanner direct(steps);
    direct.Direct(code);
}

// ---------------------------------------------------------------------------
// Machine

// The process-wide evaluation stack. Entry 0 is never written: the first push
// stores the (empty) register into entry 1, and a checked program never goes
// deeper than kvFormulaStackUsable entries.
alignas(64) static float g_Stack[kvFormulaStackEntries];

// Threaded dispatch (GCC/Clang labels as values): every operation jumps
// straight to the next one, which keeps branch prediction per operation.
// The plan only contains valid operations, so the table needs no range check.
void FormulaRun(const TkvFormula& program)
{
    if (!program.FRunnable || program.FSteps.empty()) return;
    static const void* const kOps[] = {
        &&End, &&PushNum, &&PushVar, &&PushGet, &&StoreVar, &&StoreSet,
        &&Add, &&Sub, &&Mul, &&Divide, &&Div, &&Mod, &&Power, &&Atan2, &&Min, &&Max,
        &&AddN, &&SubN, &&MulN, &&DivideN, &&AddV, &&SubV, &&MulV, &&DivideV,
        &&RSubN, &&RDivideN, &&RSubV, &&RDivideV,
        &&VarAddN, &&VarSubN, &&VarMulN, &&VarDivideN,
        &&NumAddVar, &&NumSubVar, &&NumMulVar, &&NumDivideVar,
        &&Sin, &&Cos, &&Tan, &&Asin, &&Acos, &&Atan, &&Exp, &&Log, &&Log10, &&Sign, &&Int, &&Abs,
        &&Rand, &&If,
    };
    static_assert(sizeof(kOps) / sizeof(kOps[0]) == xIf + 1, "one label per step operation");

    const TkvFormulaGet get = g_Get;
    const TkvFormulaSet set = g_Set;
    const TkvFormulaStep* ip = program.FSteps.data();
    float* sp = g_Stack;   // entry holding the value below the top
    float t = 0.0f;        // the top

#define ZYN_NEXT goto *kOps[(++ip)->Op]
    goto *kOps[ip->Op];
PushNum: *++sp = t; t = ip->Value; ZYN_NEXT;
PushVar: *++sp = t; t = *ip->Var; ZYN_NEXT;
PushGet: *++sp = t; t = get(ip->Row); ZYN_NEXT;
StoreVar: *ip->Var = t; t = *sp--; ZYN_NEXT;
StoreSet: set(ip->Row, t); t = *sp--; ZYN_NEXT;
Add: t = *sp-- + t; ZYN_NEXT;
Sub: t = *sp-- - t; ZYN_NEXT;
Mul: t = *sp-- * t; ZYN_NEXT;
Divide: t = *sp-- / t; ZYN_NEXT;
Div: t = IntDivide(*sp--, t); ZYN_NEXT;
Mod: t = IntModulo(*sp--, t); ZYN_NEXT;
Power: t = powf(*sp--, t); ZYN_NEXT;
Atan2: t = atan2f(*sp--, t); ZYN_NEXT;
Min: { float a = *sp--; t = a < t ? a : t; } ZYN_NEXT;
Max: { float a = *sp--; t = a > t ? a : t; } ZYN_NEXT;
AddN: t = t + ip->Value; ZYN_NEXT;
SubN: t = t - ip->Value; ZYN_NEXT;
MulN: t = t * ip->Value; ZYN_NEXT;
DivideN: t = t / ip->Value; ZYN_NEXT;
AddV: t = t + *ip->Var; ZYN_NEXT;
SubV: t = t - *ip->Var; ZYN_NEXT;
MulV: t = t * *ip->Var; ZYN_NEXT;
DivideV: t = t / *ip->Var; ZYN_NEXT;
RSubN: t = ip->Value - t; ZYN_NEXT;
RDivideN: t = ip->Value / t; ZYN_NEXT;
RSubV: t = *ip->Var - t; ZYN_NEXT;
RDivideV: t = *ip->Var / t; ZYN_NEXT;
VarAddN: *++sp = t; t = *ip->Var + ip->Aux; ZYN_NEXT;
VarSubN: *++sp = t; t = *ip->Var - ip->Aux; ZYN_NEXT;
VarMulN: *++sp = t; t = *ip->Var * ip->Aux; ZYN_NEXT;
VarDivideN: *++sp = t; t = *ip->Var / ip->Aux; ZYN_NEXT;
NumAddVar: *++sp = t; t = ip->Aux + *ip->Var; ZYN_NEXT;
NumSubVar: *++sp = t; t = ip->Aux - *ip->Var; ZYN_NEXT;
NumMulVar: *++sp = t; t = ip->Aux * *ip->Var; ZYN_NEXT;
NumDivideVar: *++sp = t; t = ip->Aux / *ip->Var; ZYN_NEXT;
Sin: t = sinf(t); ZYN_NEXT;
Cos: t = cosf(t); ZYN_NEXT;
Tan: t = tanf(t); ZYN_NEXT;
Asin: t = asinf(t); ZYN_NEXT;
Acos: t = acosf(t); ZYN_NEXT;
Atan: t = atanf(t); ZYN_NEXT;
Exp: t = expf(t); ZYN_NEXT;
Log: t = logf(t); ZYN_NEXT;
Log10: t = log10f(t); ZYN_NEXT;
Sign: t = t > 0.0f ? 1.0f : (t == 0.0f ? 0.0f : -1.0f); ZYN_NEXT;
Int: t = std::isnan(t) ? 0.0f : truncf(t); ZYN_NEXT;
Abs: t = fabsf(t); ZYN_NEXT;
Rand: t = RandomBelow(t); ZYN_NEXT;
If: t = sp[-1] > 0.0f ? sp[0] : t; sp -= 2; ZYN_NEXT;
#undef ZYN_NEXT
End:
    return;
}
