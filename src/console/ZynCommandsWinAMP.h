// ZynCommandsWinAMP: console commands that remote-control the WinAMP player.
// Depends on: console/ZynCmdInterp, winamp/ZynWinAMPControl.
#pragma once

#include "console/ZynCmdInterp.h"

void ProcSetWAVol(const TParams& params, std::string& result);
void ProcGetWASong(const TParams& params, std::string& result);
void ProcWAFunc(const TParams& params, std::string& result);

// The player command list that "WAFunc([help])" prints (52 lines).
extern const char* const WAFuncHelpLines[];
extern const int32_t WAFuncHelpLineCount;
