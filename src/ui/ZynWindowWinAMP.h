// ZynWindowWinAMP: TWindowWinAMP, the permanent player remote (bottom right).
//
// A compact bar with the playing position and length; expanded (toggle, or
// for WINDOW.WA_SongChangeTime seconds after the song title changes) it slides
// out to show the title, a seek slider and the transport buttons. Without a
// player it reads "WinAMP" "Not Found".
// Depends on: ui/ZynWindow, winamp/ZynWinAMPControl, config (WINDOW), platform/ZynNumbers.
#pragma once

#include "ui/ZynWindow.h"
#include "winamp/ZynWinAMPControl.h"

class TWindowWinAMP : public TZWindow {
public:
    explicit TWindowWinAMP(TVisObject* owner);
    // Per frame: player look-up, song timer, expansion and slide values.
    void Frame(float dt);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;
    void Hover(int32_t region, uint8_t state, float x, float y) override;

    // "m:ss.cc" as the window shows it: fields padded with a blank, the last
    // two digits of the milliseconds with a 0.
    static std::string TimeText(int64_t milliseconds);
    // The title cut to maxTitle - 3 characters + "..." when longer than maxTitle.
    static std::string ShortTitle(const std::string& title, int32_t maxTitle);
    // Show value of the song timer (rises over its first second, falls over its last).
    static float SongShow(float timer, float changeTime);

    float Shown = 0;          // the interface's show value (PlayerShown fades it)
    bool Expanded = false;    // set by the toggle; kept only while a player is found
    float Expansion = 0;      // follows Expanded by the frame time
    float SongTimer = 0;
    std::string LastTitle;
    float SlideA = 0, SlideB = 0;
    int32_t Hovered = -1;
    TWinAMPWindow Player = 0;
};
