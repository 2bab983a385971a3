// ZynCommands: the general console commands (windows, bindings, scenes,
// logic and arithmetic, constants, timers).
//
// Each procedure receives its parameter list (entry 0 is the name as typed),
// sets its result text where it yields a value, and prints with CmdPrint and
// CmdError. A wrong parameter count shows the command's help entry.
// Depends on: console/ZynCmdInterp, console/ZynConsole, console/ZynCommandHelp,
// console/ZynKeyBind, console/ZynKeyDef, console/ZynTimer, engine/ZynVis
// (through Client), app/TGLWindow, gfx (screenshots).
#pragma once

#include "console/ZynCmdInterp.h"

#include <functional>

class TVisObject;

// The sequencer the scene commands drive: the one set here, else the
// client's. nullptr when none runs (the commands then fail with an error line).
TVisObject* CmdSequencer();
void CmdUseSequencer(TVisObject* vis);
// The sequencer, or ECmdError when none runs.
TVisObject& CmdRequireSequencer();

void ProcScreenshot(const TParams& params, std::string& result);
void ProcWindowClose(const TParams& params, std::string& result);
void ProcIsWindowOpen(const TParams& params, std::string& result);
void ProcWindowOpenMain(const TParams& params, std::string& result);
void ProcWindowOpenConsole(const TParams& params, std::string& result);
void ProcBind(const TParams& params, std::string& result);
void ProcUnBind(const TParams& params, std::string& result);
void ProcUnBindAll(const TParams& params, std::string& result);
void ProcExecuteBind(const TParams& params, std::string& result);
void ProcConsoleKeyOn(const TParams& params, std::string& result);
void ProcConsoleKeyOff(const TParams& params, std::string& result);
void ProcCls(const TParams& params, std::string& result);
void ProcRestartScene(const TParams& params, std::string& result);
void ProcSceneChange(const TParams& params, std::string& result);
void ProcEndFade(const TParams& params, std::string& result);
void ProcPickSceneLength(const TParams& params, std::string& result);
void ProcPickScene(const TParams& params, std::string& result);
void ProcPickFader(const TParams& params, std::string& result);
void ProcGetScene(const TParams& params, std::string& result);
void ProcAnnounce(const TParams& params, std::string& result);
void ProcToggleFullscreen(const TParams& params, std::string& result);
void ProcQuit(const TParams& params, std::string& result);
void ProcNot(const TParams& params, std::string& result);
void ProcIf(const TParams& params, std::string& result);
void ProcGreater(const TParams& params, std::string& result);
void ProcTimerAdd(const TParams& params, std::string& result);
void ProcTimerClear(const TParams& params, std::string& result);
void ProcTimerShow(const TParams& params, std::string& result);
void ProcInc(const TParams& params, std::string& result);
void ProcDec(const TParams& params, std::string& result);
void ProcAdd(const TParams& params, std::string& result);
void ProcVarInc(const TParams& params, std::string& result);
void ProcVarDec(const TParams& params, std::string& result);
void ProcVarStep(const TParams& params, std::string& result);
void ProcMidiLearn(const TParams& params, std::string& result);

// The announcement text as shown: character 172 and "/n" become CR (13).
std::string AnnounceText(const std::string& text);
