// Fuzz target: the formula compiler and runner against the constant registry.
#include "FuzzSupport.h"
#include "config/ZynConstFormula.h"
#include "config/kvFormula.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    static bool hooks = (ConstFormulaInstallHooks(), true);
    (void)hooks;
    TkvFormula program;
    FormulaCompile(ZynFuzzText(data, size), program);
    FormulaRun(program);
    FormulaRun(program);   // a second run starts from the values the first one left
    FormulaListing(program);
    return 0;
}
