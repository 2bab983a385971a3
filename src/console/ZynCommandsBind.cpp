// ZynCommandsBind: key-binding and timer commands of the general command set.
#include "console/ZynCommands.h"

#include "console/ZynCommandHelp.h"
#include "console/ZynKeyBind.h"
#include "console/ZynKeyDef.h"
#include "console/ZynTimer.h"
#include "net/ZynMidiIn.h"

#include <algorithm>

namespace {

// A key given by name (VK_F1, +VK_F1, -VK_F1) or number; -1 when it cannot be
// resolved. A text that is neither writes the error line and sets failed.
int32_t ResolveKey(const TParams& params, size_t index, bool* failed = nullptr)
{
    int32_t code = KeyCode(params[index]);
    if (code != -1) return code;
    try {
        return CmdParamInt(params, index);
    } catch (const ECmdError&) {
        CmdError("Enter either a key name (VK___) or a keycode");
        if (failed) *failed = true;
        return -1;
    }
}

std::string KeyLabel(int32_t code) { return "Key (" + std::to_string(code) + "-" + KeyName(code) + ")"; }

void ListBindings()
{
    CmdPrint(std::to_string(BindList ? BindList->Count() : 0) + " Bindings");
    if (!BindList) return;
    for (const TBindKey& b : BindList->Items) {
        std::string code = (std::to_string(b.KeyCode) + "       ").substr(0, 7);
        CmdPrint("Key: " + code + "(" + KeyName(b.KeyCode) + ") --> \"" + b.Command + "\"");
    }
}

void SetAllow(const TParams& params, const char* name, bool allow)
{
    if (params.size() != 2) {
        ShowCommandHelp(name);
        if (params.size() < 2) return;
    }
    bool failed = false;
    int32_t code = ResolveKey(params, 1, &failed);
    if (code == -1) {
        if (failed) ShowCommandHelp(name);
        return;
    }
    int index = BindList ? BindList->FindBinding(code) : -1;
    if (index < 0) {
        CmdPrint("Binding Not found");
        return;
    }
    BindList->Items[index].Allow = allow;
    CmdPrint(allow ? "Key binding now available from within console"
                   : "Key binding now NOT available from whithin console");
}

} // namespace

void ProcBind(const TParams& params, std::string& result)
{
    if (params.size() == 1) return ListBindings();
    if (!BindList) return;
    int32_t code = ResolveKey(params, 1);
    if (code == -1) return;
    if (params.size() >= 3) {
        std::string command = params[2];
        for (size_t i = 3; i < params.size(); i++) command += " " + params[i];
        if (!CmdStorable(command, "Bind")) return;
        BindList->SetBinding(code, command);
    }
    int index = BindList->FindBinding(code);
    if (index < 0) {
        CmdPrint(KeyLabel(code) + " not bound");
        return;
    }
    const std::string& command = BindList->Items[index].Command;
    CmdPrint(KeyLabel(code) + " --> \"" + command + "\"");
    if (params.size() == 2) result = command;
}

void ProcUnBind(const TParams& params, std::string& result)
{
    if (params.size() == 1) return ListBindings();
    if (params.size() != 2 || !BindList) return;
    int32_t code = ResolveKey(params, 1);
    if (code == -1) return;
    int index = BindList->FindBinding(code);
    if (index < 0) return;
    BindList->DeleteBinding(index);
    CmdPrint(KeyLabel(code) + " now unbound");
}

void ProcUnBindAll(const TParams& params, std::string& result)
{
    if (BindList) BindList->Clear();
    CmdPrint("Everything now unbound");
}

void ProcExecuteBind(const TParams& params, std::string& result)
{
    if (params.size() != 2) return;
    ExecuteBinding(CmdParamInt(params, 1));
}

void ProcConsoleKeyOn(const TParams& params, std::string& result) { SetAllow(params, "ConsoleKeyOn", true); }

void ProcConsoleKeyOff(const TParams& params, std::string& result) { SetAllow(params, "ConsoleKeyOff", false); }

void ProcTimerAdd(const TParams& params, std::string& result)
{
    if (params.size() != 4) return ShowCommandHelp("TimerAdd");
    // Seconds beyond the float range are kept at a (practically endless) maximum.
    double seconds = std::clamp(CmdParamFloat(params, 1), -1e30, 1e30);
    if (!CmdStorable(params[3], "TimerAdd")) return;
    TimerAdd(params[2], params[3], static_cast<float>(seconds));
}

void ProcTimerClear(const TParams& params, std::string& result)
{
    if (params.size() != 2) return ShowCommandHelp("TimerClear");
    TimerClear(params[1]);
}

void ProcTimerShow(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("TimerShow");
    TimerShow();
}

void ProcMidiLearn(const TParams& params, std::string& result)
{
    if (params.size() > 2) return ShowCommandHelp("MidiLearn");
    if (!MidiInput) throw ECmdError("MIDI input is not running (no sequencer, or --midi off)");
    TZynMidiMap& map = MidiInput->Map;
    if (params.size() == 2) {
        std::string error;
        if (!map.Learn(params[1], error)) throw ECmdError(error);
        return;
    }
    CmdPrint(std::to_string(map.Items.size()) + " MIDI mappings");
    for (const TZynMidiMapping& m : map.Items)
        CmdPrint(ZynMidiControlText(m.Kind, m.Channel, m.Number) + " --> " +
                 (m.Const.empty() ? "\"" + m.Command + "\"" : m.Const));
    if (map.Learning()) CmdPrint("Learning: the next control moved is mapped to " + map.Armed());
}
