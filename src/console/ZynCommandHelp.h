// ZynCommandHelp: the help text Zyn.man behind Help and wrong command use.
//
// An entry starts with a line "*NAME" (any case, compared upper-cased without
// trimming) and runs up to the next empty line. Text outside entries is never
// shown.
// Depends on: app/ZynLog, platform/ZynPath, console/ZynCmdInterp (CmdPrint).
#pragma once

#include <string>
#include <vector>

// Reads BaseDir\Zyn.man; on failure logs the HELPINIT error line and keeps
// the help text empty.
void LoadHelp();
void FreeHelp();
// Prints the entry for name, or the "No help found" line.
void ShowCommandHelp(const std::string& name);
// The help file's lines, in file order.
const std::vector<std::string>& HelpText();
