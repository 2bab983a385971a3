// ZynCommandHelp: loading Zyn.man and printing one entry of it.
#include "console/ZynCommandHelp.h"

#include "app/ZynLog.h"
#include "console/ZynCmdInterp.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynPath.h"

#include <fstream>

namespace {
std::vector<std::string> g_helpText;
}

void LoadHelp()
{
    g_helpText.clear();
    const std::string path = ZynPath("\\Zyn.man");
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ZynLogError("HELPINIT - cannot load help file \"" + ZynBaseDir() + "\\Zyn.man" + "\"");
        return;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();   // CR LF files
        g_helpText.push_back(line);
    }
}

void FreeHelp() { g_helpText.clear(); }

const std::vector<std::string>& HelpText() { return g_helpText; }

void ShowCommandHelp(const std::string& name)
{
    const std::string key = "*" + ZynUpper(name);
    size_t i = 0;
    while (i < g_helpText.size() && ZynUpper(g_helpText[i]) != key) i++;
    if (i == g_helpText.size()) {
        CmdPrint("No help found for \"" + name + "\"");
        return;
    }
    for (; i < g_helpText.size() && !g_helpText[i].empty(); i++) CmdPrint(g_helpText[i]);
}
