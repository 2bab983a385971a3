// ZynCommandsScene: scene, fader, announcement and window commands of the
// general command set.
#include "console/ZynCommands.h"

#include "console/ZynCommandHelp.h"
#include "engine/ZynPicker.h"
#include "engine/ZynVis.h"

#include <algorithm>

TCmdWindowHooks CmdWindowHooks;

namespace {

TVisObject* g_sequencer = nullptr;

TVisObject& Sequencer()
{
    TVisObject* vis = CmdSequencer();
    if (!vis) throw ECmdError("no scenes are running");
    return *vis;
}

} // namespace

TVisObject* CmdSequencer() { return g_sequencer; }

void CmdUseSequencer(TVisObject* vis) { g_sequencer = vis; }

void ProcWindowClose(const TParams& params, std::string& result)
{
    if (CmdWindowHooks.Close) CmdWindowHooks.Close();
}

void ProcIsWindowOpen(const TParams& params, std::string& result)
{
    result = CmdWindowHooks.IsOpen && CmdWindowHooks.IsOpen() ? "1" : "0";
}

void ProcWindowOpenMain(const TParams& params, std::string& result)
{
    if (CmdWindowHooks.OpenMain) CmdWindowHooks.OpenMain();
}

void ProcWindowOpenConsole(const TParams& params, std::string& result)
{
    if (CmdWindowHooks.OpenConsole) CmdWindowHooks.OpenConsole();
}

void ProcRestartScene(const TParams& params, std::string& result)
{
    int64_t n;
    if (params.size() < 2 || !CmdIsWholeInt(params[1], n)) return ShowCommandHelp("RestartScene");
    TVisObject& vis = Sequencer();
    if (n >= 0 && n < vis.Scenes->Count()) vis.Scenes->RestartScene(static_cast<int32_t>(n));
}

void ProcSceneChange(const TParams& params, std::string& result)
{
    if (params.size() != 2 && params.size() != 3) return ShowCommandHelp("SceneChange");
    int32_t scene = CmdParamInt(params, 1);
    int32_t fader = params.size() == 3 ? CmdParamInt(params, 2) : 0;
    Sequencer().SceneChange(scene, fader);
}

void ProcEndFade(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("EndFade");
    Sequencer().FadeProgress = 1.0f;
}

void ProcGetScene(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("getScene");
    result = std::to_string(Sequencer().CurrentScene);
}

void ProcPickScene(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("PickScene");
    result = std::to_string(PickScene(Sequencer()));
}

void ProcPickFader(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("PickFader");
    result = std::to_string(PickFader(Sequencer()));
}

void ProcPickSceneLength(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("PickSceneLength");
    result = CmdFloatText(PickSceneLength(Sequencer()));
}

void ProcAnnounce(const TParams& params, std::string& result)
{
    if (params.size() != 4) return ShowCommandHelp("Announce");
    int32_t index = CmdParamInt(params, 1);
    double seconds = std::clamp(CmdParamFloat(params, 2), -1e30, 1e30);
    TVisObject& vis = Sequencer();
    int32_t count = ZynVisHooks.AnnounceCount ? ZynVisHooks.AnnounceCount() : 0;
    if (count <= 0 || !ZynVisHooks.Announce) return;   // no announcements to show
    index = std::clamp(index, 0, count - 1);
    vis.ActiveAnnouncement = index;
    ZynVisHooks.Announce(index, AnnounceText(params[3]), static_cast<float>(seconds));
}
