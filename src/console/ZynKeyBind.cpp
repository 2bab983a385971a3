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
    if (!ini->SectionExists(BindSection)) {
        // A first run: the bindings of a show that plays by itself, saved at
        // once so that they can be read and edited in Zyn.cfg.
        ini.reset();
        Items = ZynDefaultBindings();
        ZynLogLine("No Key Bindings: " + std::to_string(Count()) + " default bindings written");
        SaveBindList();
        return;
    }
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

std::vector<TBindKey> ZynDefaultBindings()
{
    // The scene change routine lives on F4; the start event and the timers run
    // it through ExecuteBind, so it may run while a window is open (Allow).
    const std::string change = "SceneChange(PickScene, PickFader);TimerClear([change]);"
                               "TimerAdd(PickSceneLength, [change], [ExecuteBind(115)])";
    return {
        {KeyEventStart, "TimerAdd(PickSceneLength, [change], [ExecuteBind(115)])", false},
        {27, "Quit", false},                                   // Escape
        {13, "GAMMA.On(Not(GAMMA.On))", false},                // Enter: strobe on/off
        {32, "Bind([Zy_FRAME], [Screenshot])", false},         // Space held: a screenshot per frame
        {32 + KeyUpOffset, "UnBind([Zy_FRAME])", false},
        {112, "Screenshot", false},                            // F1
        {113, "WindowOpenMain", false},                        // F2
        {114, "TimerClear([change])", false},                  // F3: stop changing scenes
        {115, change, true},                                   // F4: change now and keep changing
        {123, "WindowOpenConsole", false},                     // F12
    };
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
