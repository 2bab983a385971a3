// ZynCommandsScene: scene, fader, announcement, window, screenshot and
// program (full screen, quit) commands of the general command set.
#include "console/ZynCommands.h"

#include "app/TGLWindow.h"
#include "app/ZynClientObject.h"
#include "config/ZynConstDef.h"
#include "console/ZynCommandHelp.h"
#include "console/ZynKeyBind.h"
#include "engine/ZynPicker.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTex.h"
#include "gfx/kvTexBMP.h"
#include "platform/ZynPath.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowConsole.h"
#include "ui/ZynWindowMain.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

TVisObject* g_sequencer = nullptr;


} // namespace

TVisObject* CmdSequencer()
{
    if (g_sequencer) return g_sequencer;
    return Client ? Client->Vis.get() : nullptr;
}

void CmdUseSequencer(TVisObject* vis) { g_sequencer = vis; }

TVisObject& CmdRequireSequencer()
{
    TVisObject* vis = CmdSequencer();
    if (!vis) throw ECmdError("no scenes are running");
    return *vis;
}

void ProcWindowClose(const TParams& params, std::string& result)
{
    TVisObject* vis = CmdSequencer();
    if (vis) vis->UI->CloseWindow();
}

void ProcIsWindowOpen(const TParams& params, std::string& result)
{
    TVisObject* vis = CmdSequencer();
    result = vis && vis->UI->WindowOpen ? "1" : "0";
}

void ProcWindowOpenMain(const TParams& params, std::string& result)
{
    TVisObject& vis = CmdRequireSequencer();
    vis.UI->OpenWindow(std::make_unique<TWindowMain>(&vis));
}

void ProcWindowOpenConsole(const TParams& params, std::string& result)
{
    TVisObject& vis = CmdRequireSequencer();
    vis.UI->OpenWindow(std::make_unique<TWindowConsole>(&vis));
}

void ProcRestartScene(const TParams& params, std::string& result)
{
    int64_t n;
    if (params.size() < 2 || !CmdIsWholeInt(params[1], n)) return ShowCommandHelp("RestartScene");
    TVisObject& vis = CmdRequireSequencer();
    if (n >= 0 && n < vis.Scenes->Count()) vis.Scenes->RestartScene(static_cast<int32_t>(n));
}

void ProcSceneChange(const TParams& params, std::string& result)
{
    if (params.size() != 2 && params.size() != 3) return ShowCommandHelp("SceneChange");
    int32_t scene = CmdParamInt(params, 1);
    int32_t fader = params.size() == 3 ? CmdParamInt(params, 2) : 0;
    CmdRequireSequencer().SceneChange(scene, fader);
}

void ProcEndFade(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("EndFade");
    CmdRequireSequencer().FadeProgress = 1.0f;
}

void ProcGetScene(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("getScene");
    result = std::to_string(CmdRequireSequencer().CurrentScene);
}

void ProcPickScene(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("PickScene");
    result = std::to_string(PickScene(CmdRequireSequencer()));
}

void ProcPickFader(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("PickFader");
    result = std::to_string(PickFader(CmdRequireSequencer()));
}

void ProcPickSceneLength(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("PickSceneLength");
    result = CmdFloatText(PickSceneLength(CmdRequireSequencer()));
}

void ProcAnnounce(const TParams& params, std::string& result)
{
    if (params.size() != 4) return ShowCommandHelp("Announce");
    int32_t index = CmdParamInt(params, 1);
    double seconds = std::clamp(CmdParamFloat(params, 2), -1e30, 1e30);
    TVisObject& vis = CmdRequireSequencer();
    int32_t count = vis.Announcements->Count();
    if (count <= 0) return;   // no announcements to show
    vis.Announce(std::clamp(index, 0, count - 1), AnnounceText(params[3]), static_cast<float>(seconds));
}

void ProcScreenshot(const TParams& params, std::string& result)
{
    if (!glGetString(GL_VERSION)) throw ECmdError("no picture to capture");
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const std::string file = ZynScreenshotFileName();
    CmdPrint("Writing Screenshot to \"" + file + "\"");
    kvSaveScreenBMP(viewport[0], viewport[1], viewport[2], viewport[3], file);
    CmdPrint("Done.");
}

void ProcToggleFullscreen(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("ToggleFullscreen");
    // Saved with the constants; the rebuilt window keeps its current mode.
    zcMAIN_Fullscreen = 1 - zcMAIN_Fullscreen;
    GLWindow.Restart();
}

void ProcQuit(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("Quit");
    GLWindow.Quit();
}
