// ZynWinAMPControl: remote control of a running WinAMP player.
//
// Every operation looks the player up afresh and does nothing, with a zero or
// empty result, when no player is found. The player is reached through a
// TWinAMPLink: the platform's way of finding the player and delivering its
// window messages. On Linux that is TZynMprisLink (any MPRIS media player on
// the session bus), installed by WinAMPOpen at start-up and polled once a
// frame; tests install links of their own.
// Depends on: platform/ZynNumbers, winamp/ZynMprisLink.
#pragma once

#include <cstdint>
#include <string>

// A found player window; 0 means none.
using TWinAMPWindow = uintptr_t;

// Message ids of the player's published interface.
constexpr int32_t WinAMPIpcSetVolume = 122;       // value -666: returns the volume 0..255
constexpr int32_t WinAMPIpcIsPlaying = 104;       // 1 playing, 3 paused, 0 stopped
constexpr int32_t WinAMPIpcGetOutputTime = 105;
constexpr int32_t WinAMPIpcJumpToTime = 106;

// How messages reach a player.
class TWinAMPLink {
public:
    virtual ~TWinAMPLink() = default;
    // The player's main window (class "Winamp v1.x"), or 0.
    virtual TWinAMPWindow FindWindow() = 0;
    // WM_USER with wParam and lParam; returns the message result.
    virtual int32_t SendUser(TWinAMPWindow window, int32_t wParam, int32_t lParam) = 0;
    // WM_COMMAND with the 16-bit command id; returns the message result.
    virtual int32_t SendCommand(TWinAMPWindow window, uint16_t commandId) = 0;
    // The window's title text.
    virtual std::string Title(TWinAMPWindow window) = 0;
    // Once a frame: takes whatever the player has sent since; never waits.
    virtual void Poll() {}
};

// Installs the link (not owned); nullptr: no player can be reached.
void WinAMPSetLink(TWinAMPLink* link);
// Start-up: an MPRIS link (owned here) for playerName ("" = the first player) is installed.
void WinAMPOpen(const std::string& playerName);
// Shut-down: the link WinAMPOpen made is removed and freed.
void WinAMPClose();
// Once a frame: polls the installed link.
void WinAMPPoll();

TWinAMPWindow FindPlayer();
int32_t SendIPC(int32_t id, int32_t value);
int32_t SendIPCTo(TWinAMPWindow window, int32_t id, int32_t value);
void SendCommand(int32_t commandId);
int32_t SendCommandTo(TWinAMPWindow window, int32_t commandId);
int32_t SendUserTo(TWinAMPWindow window, int32_t wParam, int32_t lParam);
// The title up to its first " - Winamp" (up to 2048 characters); "" for no window.
std::string GetTitle(TWinAMPWindow window);
// Seeks to fraction (0..1) of the current track's length.
void WinAMPSeek(TWinAMPWindow window, float fraction);
