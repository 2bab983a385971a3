// Fuzz target: predefine profiles: every section read as an entry, every line as an action.
#include "FuzzSupport.h"
#include "config/ZynConstFormula.h"
#include "engine/ZynScenePred.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    static bool hooks = (ConstFormulaInstallHooks(), true);
    (void)hooks;
    // A few known scene sections, the rest unknown.
    TZynFindScene find = [](const std::string& section) -> int32_t {
        if (section == "Tunnel") return 1;
        if (section == "Plasma") return 7;
        return section.size() == 1 ? int32_t(section[0]) : -1;
    };
    std::string text(ZynFuzzText(data, size));
    auto ini = TZynIniFile::FromText(text);
    int32_t sections = int32_t(ini->ReadSections().size());
    for (int32_t s = 1; s <= sections + 1 && s <= 64; s++) {
        TZynPredefineEntry entry;
        ZynReadPredefineEntry(*ini, s, find, entry);
        for (const TZynPredefineAction& a : entry.Actions)
            if (a.Kind == TZynPredefineAction::Formula) FormulaRun(a.Program);
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        TZynPredefineAction a = ZynParsePredefineAction(line, find);
        if (a.Kind == TZynPredefineAction::Formula) FormulaRun(a.Program);
    }
    return 0;
}
