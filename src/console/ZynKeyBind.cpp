// ZynKeyBind: the binding list, its dispatch and its "BIND" section in Zyn.cfg.
#include "console/ZynKeyBind.h"

#include "app/ZynLog.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynKeyDef.h"
#include "config/ZynConstSave.h"
#include "platform/ZynIni.h"

#include <algorithm>

TBindList* BindList = nullptr;

static bool (*g_windowOpenQuery)() = nullptr;

void BindSetWindowOpenQuery(bool (*query)()) { g_windowOpenQuery = query; }
bool BindWindowOpen() { return g_windowOpenQuery && g_windowOpenQuery(); }

std::string BindCleanCommand(const std::string& command)
{
    std::string s = command;
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }), s.end());
    return s;
}

int TBindList::FindBinding(int32_t code) const
{
    for (size_t i = 0; i < Items.size(); i++)
        if (Items[i].KeyCode == code) return static_cast<int>(i);
    return -1;
}

void TBindList::ExecuteBinding(int32_t code)
{
    const int i = FindBinding(code);
    if (i < 0) return;
    if (BindWindowOpen() && !Items[i].Allow) return;
    // A copy: the command may rebind or unbind its own key while it runs.
    const std::string command = Items[i].Command;
    ExecuteLine(command);
}

void TBindList::DeleteBinding(int index)
{
    if (index < 0 || index >= Count()) return;
    Items.erase(Items.begin() + index);
}

int TBindList::SetBinding(int32_t code, const std::string& command)
{
    int i = FindBinding(code);
    if (i < 0) {
        TBindKey k;
        k.KeyCode = code;
        Items.push_back(k);
        i = Count() - 1;
    }
    Items[i].Command = BindCleanCommand(command);
    return i;
}

void ExecuteBinding(int32_t code)
{
    if (BindList) BindList->ExecuteBinding(code);
}

void ExecuteKeyBinding(bool pressed, int32_t code, bool isVirtualKey)
{
    if (!isVirtualKey) return;
    ExecuteBinding(pressed ? code : code + KeyUpOffset);
}

static const char* const BindSection = "BIND";

void TBindList::LoadBindList()
{
    ZynLogLine("Loading Key Bindings....");
    ZynLogLine("Get INI file");
    std::unique_ptr<TZynIniFile> ini = OpenConfig();
    ZynLogLine("Read Count");
    const int32_t count = std::clamp<int32_t>(ini->ReadInteger(BindSection, "COUNT", 0), 0, MaxBindings);
    Items.assign(static_cast<size_t>(count), TBindKey());
    ZynLogLine("Loop");
    for (int i = 0; i < count; i++) {
        const std::string n = std::to_string(i);
        Items[i].KeyCode = ini->ReadInteger(BindSection, "KeyCode" + n, 255);
        Items[i].Command = BindCleanCommand(ini->ReadString(BindSection, "Command" + n, ""));
        Items[i].Allow = ini->ReadBool(BindSection, "Allow" + n, false);
    }
    ZynLogLine("free");
    ini.reset();
    ZynLogLine(std::to_string(Count()) + " Key Bindings Found");
}

void TBindList::SaveBindList() const
{
    ZynLogLine("Saving Key Bindings....");
    std::unique_ptr<TZynIniFile> ini = OpenConfig();
    ini->WriteInteger(BindSection, "COUNT", Count());
    for (int i = 0; i < Count(); i++) {
        const std::string n = std::to_string(i);
        ini->WriteInteger(BindSection, "KeyCode" + n, Items[i].KeyCode);
        ini->WriteString(BindSection, "Command" + n, BindCleanCommand(Items[i].Command));
        ini->WriteBool(BindSection, "Allow" + n, Items[i].Allow);
    }
    ini->UpdateFile();
}
