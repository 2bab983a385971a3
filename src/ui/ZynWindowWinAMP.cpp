// ZynWindowWinAMP: the player remote's timing, drawing and buttons.
#include "ui/ZynWindowWinAMP.h"

#include "config/ZynConstDef.h"
#include "platform/ZynNumbers.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr int32_t CommandIds[5] = {40044, 40045, 40046, 40047, 40048};   // prev, play, pause, stop, next
constexpr float Pi = 3.14159265f;
}  // namespace

TWindowWinAMP::TWindowWinAMP(TVisObject* owner) : TZWindow(owner)
{
    Title = "WinAMP Control";
    HAlign = VAlign = 2;
    Width = 1.3f;
    Height = 0.1f;
    Scale = 0.75f;
    CloseOnOutsideClick = false;
    // No song has changed yet: the bar stays in until a title appears.
    SongTimer = zcWINDOW_WA_SongChangeTime;
    Frame(0);
}

std::string TWindowWinAMP::TimeText(int64_t milliseconds)
{
    if (milliseconds < 0) milliseconds = 0;
    const int64_t minutes = milliseconds / 60000, seconds = milliseconds / 1000 % 60;
    return ZynFormat("%2lld:%2lld.%02lld", static_cast<long long>(minutes), static_cast<long long>(seconds),
                     static_cast<long long>(milliseconds % 100));
}

std::string TWindowWinAMP::ShortTitle(const std::string& title, int32_t maxTitle)
{
    if (maxTitle < 3 || static_cast<int64_t>(title.size()) <= maxTitle) return title;
    return title.substr(0, static_cast<size_t>(maxTitle - 3)) + "...";
}

float TWindowWinAMP::SongShow(float timer, float changeTime)
{
    if (!(changeTime > 0) || timer >= changeTime) return 0;
    float q = timer / changeTime;
    if (q > 0.5f) q = 1 - q;
    return std::clamp(q * changeTime, 0.0f, 1.0f);
}

void TWindowWinAMP::Frame(float dt)
{
    Player = FindPlayer();
    const std::string title = GetTitle(Player);
    const float changeTime = zcWINDOW_WA_SongChangeTime;
    if (title != LastTitle) {
        LastTitle = title;
        SongTimer = 0;
    } else {
        SongTimer = std::min(SongTimer + dt, changeTime);
    }
    if (!Player) Expanded = false;
    Expansion = std::clamp(Expansion + (Expanded ? dt : -dt), 0.0f, 1.0f);
    const float r = std::max(SongShow(SongTimer, changeTime), Expansion);
    SlideA = (1 - std::cos(Pi * std::min(2 * r, 1.0f))) / 2;
    SlideB = (1 - std::cos(Pi * std::max(2 * r - 1, 0.0f))) / 2;
    // Shown by the side bar's toggle, or while it slides in by itself.
    Visibility = std::max(Shown, SlideA);
    const float a = SlideA, b = SlideB;
    SetRegion(0, Width - 0.3f - a, 0, Width - 0.1f - a, 0.1f, "Expand");
    SetRegion(1, Width - 0.9825f, 0.055f, Width - 0.1375f, 0.08f, "Seek");
    const char* hints[5] = {"Previous", "Play", "Pause", "Stop", "Next"};
    for (int k = 0; k < 5; k++) {
        const float x = Width - 0.225f - 0.1f * a + 0.04f * k;
        SetRegion(2 + k, x, b / 20 - 0.03f, x + 0.04f, b / 20 + 0.01f, hints[k]);
    }
}

void TWindowWinAMP::DrawContents()
{
    const float a = SlideA, b = SlideB, w = Width;
    BindTexture(ZynTexSkin);
    glColor4f(1, 1, 1, Visibility);
    DrawTileRect(24, 8, 4, w - 0.3f - a, 0, w - 0.2f - a, 0.1f);
    DrawTileRect(25, 8, 4, w - 0.2f - a, 0, w - 0.1f, 0.1f);
    DrawTileRect(26, 8, 4, w - 0.1f, 0, w, 0.1f);
    if (b > 0) {
        glColor4f(1, 1, 1, b * Visibility);
        DrawTileRect(27, 8, 4, w - 0.3f - a, 0, w - 0.2f - a, 0.1f);
        DrawTileRect(28, 8, 4, w - 0.2f - a, 0, w - 0.1f, 0.1f);
        DrawTileRect(26, 8, 4, w - 0.1f, 0, w, 0.1f);
    }
    const float timeX = w - 0.115f - a;
    if (!Player) {
        DrawTextLine(2, "WinAMP", 0.6f, 0.8f, 0.045f, timeX, 1, 0, 0, 1);
        DrawTextLine(2, "Not Found", 0.6f, 0.8f, 0.085f, timeX, 1, 0, 0, 1);
        return;
    }
    const int32_t position = SendIPCTo(Player, WinAMPIpcGetOutputTime, 0);
    const int32_t length = SendIPCTo(Player, WinAMPIpcGetOutputTime, 1);
    DrawTextLine(2, TimeText(position), 0.6f, 0.8f, 0.055f, timeX, 1, 1, 0, 1);
    DrawTextLine(2, TimeText(static_cast<int64_t>(length) * 1000), 0.6f, 0.8f, 0.08f, timeX, 1, 1, 1, 1);
    BindTexture(ZynTexFontLarge);
    glColor4f(1, 1, 1, Visibility);
    for (int k = 0; k < 5; k++) {
        const TZRegion& r = Regions[static_cast<size_t>(2 + k)];
        const float grow = Hovered == 2 + k ? 0.01f : 0;
        DrawTileRect(Hovered == 2 + k ? 16 + k : k, 16, 16, r.X1 - grow, r.Y1 - grow, r.X2 + grow, r.Y2 + grow);
    }
    if (!(b > 0)) return;
    DrawTextLine(0, ShortTitle(LastTitle, zcWINDOW_WA_MaxTitle), 0.6f, 0.8f, 0.045f, w - 1, 1, 1, 1, b);
    if (length <= 0) return;
    const TZRegion& seek = Regions[1];
    BindTexture(ZynTexFontLarge);
    glColor4f(1, 1, 1, b * Visibility);
    DrawTileRect(7, 16, 16, seek.X1 - 0.025f, seek.Y1, seek.X1 + 0.025f, seek.Y2);
    DrawTileRect(8, 16, 16, seek.X1 + 0.025f, seek.Y1, seek.X2 - 0.025f, seek.Y2);
    DrawTileRect(9, 16, 16, seek.X2 - 0.025f, seek.Y1, seek.X2 + 0.025f, seek.Y2);
    const float f = std::clamp(static_cast<float>(position) / (1000.0f * static_cast<float>(length)), 0.0f, 1.0f);
    const float kx = seek.X1 + (seek.X2 - seek.X1) * f;
    DrawTileRect(23, 16, 16, kx - 0.0125f, seek.Y1, kx + 0.0125f, seek.Y2);
}

void TWindowWinAMP::Click(int32_t region, int32_t button)
{
    if (button != ZynMouseLeft || Visibility < 1) return;
    if (region == 0) Expanded = !Expanded;
    else if (region >= 2 && region <= 6) SendCommandTo(Player, CommandIds[region - 2]);
}

void TWindowWinAMP::Hover(int32_t region, uint8_t state, float x, float y)
{
    Hovered = region;
    if (region != 1 || !(state & 2) || !(Expansion > 0.5f) || !Player) return;   // 2: left button held
    const TZRegion& seek = Regions[1];
    WinAMPSeek(Player, std::clamp((x - seek.X1) / (seek.X2 - seek.X1), 0.0f, 1.0f));
}
