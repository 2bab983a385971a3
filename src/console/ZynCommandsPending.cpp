// ZynCommandsPending: ADAPTER for commands whose modules are not in this build
// yet (bindings, timers, sequencer, window, texture manager). Each reports that
// it is unavailable; the real procedures replace these as the modules arrive.
#include "console/ZynCommands.h"
#include "console/ZynCommandsTexture.h"

#define ZYN_PENDING(proc, name) \
    void proc(const TParams&, std::string&) { CmdError(std::string(name) + " is not available in this build yet"); }

ZYN_PENDING(ProcToggleFullscreen, "ToggleFullscreen")
ZYN_PENDING(ProcQuit, "Quit")
