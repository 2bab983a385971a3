// Fuzz target: the INI reader (TZynIniFile) on any text, reading every key back and rewriting.
#include "FuzzSupport.h"
#include "platform/ZynIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    auto ini = TZynIniFile::FromText(std::string(ZynFuzzText(data, size)));
    for (const std::string& section : ini->ReadSections()) {
        for (const auto& [key, value] : ini->ReadSectionValues(section)) {
            ini->ReadInteger(section, key, 0);
            ini->ReadFloat(section, key, 0);
            ini->ReadCount(section, key, 1000);
            ini->ReadString(section, key, "");
        }
        ini->WriteString(section, "FuzzKey", "x");
        if (ini->ReadString(section, "FuzzKey", "") != "x") __builtin_trap();
        ini->DeleteKey(section, "FuzzKey");
    }
    std::string text = ini->Text();
    auto again = TZynIniFile::FromText(text);
    if (again->ReadSections() != ini->ReadSections()) __builtin_trap();
    return 0;
}
