// ZynWinAMPControl: player messages through the installed link, if any.
#include "winamp/ZynWinAMPControl.h"

#include "platform/ZynNumbers.h"
#include "winamp/ZynMprisLink.h"

#include <memory>

namespace {
TWinAMPLink* g_link = nullptr;
std::unique_ptr<TZynMprisLink> g_mpris;
}

void WinAMPSetLink(TWinAMPLink* link) { g_link = link; }

void WinAMPOpen(const std::string& playerName)
{
    WinAMPClose();
    g_mpris = std::make_unique<TZynMprisLink>(playerName);
    g_link = g_mpris.get();
}

void WinAMPClose()
{
    if (g_link == g_mpris.get()) g_link = nullptr;
    g_mpris.reset();
}

void WinAMPPoll()
{
    if (g_link) g_link->Poll();
}

TWinAMPWindow FindPlayer() { return g_link ? g_link->FindWindow() : 0; }

int32_t SendIPC(int32_t id, int32_t value) { return SendIPCTo(FindPlayer(), id, value); }

int32_t SendIPCTo(TWinAMPWindow window, int32_t id, int32_t value)
{
    // The player's interface takes the value in wParam and the id in lParam.
    return SendUserTo(window, value, id);
}

void SendCommand(int32_t commandId) { SendCommandTo(FindPlayer(), commandId); }

int32_t SendCommandTo(TWinAMPWindow window, int32_t commandId)
{
    if (!g_link || window == 0) return 0;
    return g_link->SendCommand(window, static_cast<uint16_t>(commandId));
}

int32_t SendUserTo(TWinAMPWindow window, int32_t wParam, int32_t lParam)
{
    if (!g_link || window == 0) return 0;
    return g_link->SendUser(window, wParam, lParam);
}

std::string GetTitle(TWinAMPWindow window)
{
    if (!g_link || window == 0) return std::string();
    std::string title = g_link->Title(window);
    if (title.size() > 2048) title.resize(2048);
    size_t p = title.find(" - Winamp");
    if (p != std::string::npos) title.resize(p);
    return title;
}

void WinAMPSeek(TWinAMPWindow window, float fraction)
{
    int32_t length = SendIPCTo(window, WinAMPIpcGetOutputTime, 1);
    if (length > 0) {
        double f = fraction < 0 ? 0.0 : fraction > 1 ? 1.0 : fraction;
        SendIPCTo(window, WinAMPIpcJumpToTime, ZynRoundToInt32(static_cast<double>(length) * f * 1000.0));
    }
}
