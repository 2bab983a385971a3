// Fuzz target: the .visfeed and .amorph profile readers on any profile text.
#include "FuzzSupport.h"
#include "config/ZynConstFormula.h"
#include "scenes/ZynSceneData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    static bool hooks = (ConstFormulaInstallHooks(), true);
    (void)hooks;
    auto ini = TZynIniFile::FromText(std::string(ZynFuzzText(data, size)));
    std::vector<TZynVisFeedEffect> effects;
    ZynReadVisFeed(*ini, effects);
    if (effects.size() > size_t(kZynMaxEffectsPerFile)) __builtin_trap();
    for (const TZynVisFeedEffect& e : effects) {
        FormulaRun(e.Map);
        FormulaRun(e.Offset);
        FormulaRun(e.Vis);
    }
    std::vector<TZynActiveMorph> shapes;
    ZynReadActiveMorphs(*ini, shapes);
    if (shapes.size() > size_t(kZynMaxEffectsPerFile)) __builtin_trap();
    for (const TZynActiveMorph& s : shapes) {
        if (s.Row < 1) __builtin_trap();
        FormulaRun(s.Point);
    }
    return 0;
}
