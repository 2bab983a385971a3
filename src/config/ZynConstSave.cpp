// ZynConstSave: Zyn.cfg reading and writing for the constant registry.
#include "config/ZynConstSave.h"

#include "config/ZynConst.h"
#include "config/ZynConstFormula.h"
#include "platform/ZynPath.h"

std::string ConfigFileName() { return ZynPath("\\Zyn.cfg", ZynPlace::User); }

std::unique_ptr<TZynIniFile> OpenConfig() { return std::make_unique<TZynIniFile>(ConfigFileName()); }

void ConstLoad()
{
    // The defaults are the compiled-in values: only the first load may take
    // them, a later one would turn loaded values into defaults.
    static bool defaultsCaptured = false;
    if (!defaultsCaptured) ConstCaptureDefaults();
    defaultsCaptured = true;
    {
        std::unique_ptr<TZynIniFile> ini = OpenConfig();
        for (int32_t i = 0; i < ConstCount(); i++) {
            const TConstDef* row = ConstRow(i);
            std::string text = ini->ReadString(row->Section, row->Name, "");
            if (!text.empty()) ConstSetString(i, text);
        }
    }
    ConstFormulaInstallHooks();
}

bool ConstSave()
{
    std::unique_ptr<TZynIniFile> ini = OpenConfig();
    for (int32_t i = 0; i < ConstCount(); i++) {
        const TConstDef* row = ConstRow(i);
        ini->WriteString(row->Section, row->Name, ConstToString(i));
    }
    return ini->UpdateFile();
}

TZynWindowRect ReadWindowRect(const std::string& name)
{
    std::unique_ptr<TZynIniFile> ini = OpenConfig();
    std::string section = "WINDOWSIZE_" + name;
    return {ini->ReadInteger(section, "X", 32), ini->ReadInteger(section, "Y", 32),
            ini->ReadInteger(section, "W", zcMAIN_ScreenX), ini->ReadInteger(section, "H", zcMAIN_ScreenY)};
}

void ReadWindowRect(const std::string& name, int32_t& x, int32_t& y, int32_t& w, int32_t& h)
{
    TZynWindowRect r = ReadWindowRect(name);
    x = r.X;
    y = r.Y;
    w = r.W;
    h = r.H;
}

bool WriteWindowRect(const std::string& name, int32_t x, int32_t y, int32_t w, int32_t h)
{
    std::unique_ptr<TZynIniFile> ini = OpenConfig();
    std::string section = "WINDOWSIZE_" + name;
    ini->WriteInteger(section, "X", x);
    ini->WriteInteger(section, "Y", y);
    ini->WriteInteger(section, "W", w);
    ini->WriteInteger(section, "H", h);
    return ini->UpdateFile();
}
