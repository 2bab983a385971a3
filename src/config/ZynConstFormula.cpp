// ZynConstFormula: registry hooks for the formula engine.
#include "config/ZynConstFormula.h"

#include "config/ZynConst.h"
#include "config/kvFormula.h"

// Address of each float row's variable; nullptr for other rows, which go
// through the registry's own formula operations.
static float* g_FloatVar[ZynConstCount];

static float HookGet(int32_t i)
{
    if (static_cast<uint32_t>(i) < static_cast<uint32_t>(ZynConstCount) && g_FloatVar[i])
        return *g_FloatVar[i];
    return ConstFormulaGet(i);
}

static void HookSet(int32_t i, float value)
{
    if (static_cast<uint32_t>(i) < static_cast<uint32_t>(ZynConstCount) && g_FloatVar[i]) {
        *g_FloatVar[i] = value;
        return;
    }
    ConstFormulaSet(i, value);
}

static float* HookAddress(int32_t i)
{
    return static_cast<uint32_t>(i) < static_cast<uint32_t>(ZynConstCount) ? g_FloatVar[i] : nullptr;
}

static int32_t HookFind(const std::string& identifier) { return ConstFormulaFind(identifier); }

void ConstFormulaInstallHooks()
{
    for (int32_t i = 0; i < ZynConstCount; i++) {
        TConstDef* row = ConstRow(i);
        g_FloatVar[i] = row && row->Value && row->ValueType == ZC_TYPE_FLOAT
                            ? static_cast<float*>(row->Value) : nullptr;
    }
    FormulaSetHooks(HookFind, HookGet, HookSet, HookAddress);
}
