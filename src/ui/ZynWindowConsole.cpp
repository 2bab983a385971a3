// ZynWindowConsole: console lines, input line and scroll bar.
#include "ui/ZynWindowConsole.h"

#include "app/TGLWindow.h"
#include "console/ZynConsole.h"
#include "platform/ZynNumbers.h"

#include <GL/gl.h>

#include <algorithm>

TWindowConsole::TWindowConsole(TVisObject* owner) : TZWindow(owner)
{
    Title = "Zy/Quarvel Console";
    Width = 1.25f;
    Height = 1;
    for (int32_t j = 0; j < Lines; j++)
        SetRegion(j, 0, (35.5f - j) / 40, Width - 0.07f, (36.5f - j) / 40);
    SetRegion(ScrollRegion, Width - 0.06f, 0.035f, Width, Height - 0.035f, "Scroll");
    Cache = std::make_unique<TZWindowCache>();
}

std::string TWindowConsole::CacheKey() const
{
    // The lines on screen themselves: whatever changes the store (new lines, Cls) shows.
    std::string key = TZWindow::CacheKey() + '\n' + Input + '\n' + std::to_string(ScrollOffset) + ' ' +
                      std::to_string(ConsoleLines().size());
    for (int32_t j = 0; j < Lines; j++) {
        const std::string* line = LineAt(j);
        if (!line) break;
        key += '\n' + *line;
    }
    return key;
}

char TWindowConsole::LineKind(const std::string& line)
{
    if (line.size() >= 2 && line[0] == '>' && std::string("#-=>").find(line[1]) != std::string::npos) return line[1];
    return line.empty() ? '>' : line[0];
}

std::string TWindowConsole::LineText(const std::string& line)
{
    size_t skip = line.size() >= 2 && line[0] == '>' && std::string("#-=>").find(line[1]) != std::string::npos ? 2 : 1;
    return line.size() > skip ? line.substr(skip) : "";
}

std::string TWindowConsole::InputShown(const std::string& input)
{
    if (input.size() > 61) return ":<<" + input.substr(input.size() - 59) + "_";
    return ":" + input + "_";
}

const std::string* TWindowConsole::LineAt(int32_t j) const
{
    const std::deque<std::string>& lines = ConsoleLines();
    const int64_t index = static_cast<int64_t>(lines.size()) - ScrollOffset - 1 - j;
    if (index < 0 || index >= static_cast<int64_t>(lines.size())) return nullptr;
    return &lines[static_cast<size_t>(index)];
}

void TWindowConsole::DrawContents()
{
    TZWindow::DrawContents();
    DrawPanel(0.01f, 0.92f, Width - 0.07f, 0.99f);
    for (int32_t j = 0; j < Lines; j++) {
        const std::string* line = LineAt(j);
        if (!line) break;
        float r = 1, g = 1, b = 1;
        switch (LineKind(*line)) {
        case '#': g = b = 0; break;
        case '-': b = 0; break;
        case '=': r = b = 0; break;
        default: break;
        }
        DrawTextLine(0, LineText(*line), 0.5f, 1, (36.5f - j) / 40, 0.01f, r, g, b, 1);
    }
    DrawTextLine(0, InputShown(Input), 1, 0.8f, 0.985f, 0.01f, 1, 1, 0, 1);
    // The newest lines are at the bottom of the bar.
    const int32_t count = static_cast<int32_t>(ConsoleLines().size());
    DrawScrollBar(ScrollRegion, count > 0 ? 1 - static_cast<float>(ScrollOffset) / static_cast<float>(count) : 1);
}

void TWindowConsole::Click(int32_t region, int32_t button)
{
    if (region == ScrollRegion) {
        if (button == ZynMouseRight) ScrollOffset = 0;
        return;
    }
    if ((button != ZynMouseLeft && button != ZynMouseRight) || region < 0 || region >= Lines) return;
    const std::string* line = LineAt(region);
    if (!line) return;
    if (button == ZynMouseLeft) Input = LineText(*line);
    else Input += LineText(*line);
    Input.resize(std::min(Input.size(), ConsoleMaxInput));
}

void TWindowConsole::Hover(int32_t region, uint8_t state, float x, float y)
{
    if (region != ScrollRegion || !(state & GLW_MK_LBUTTON)) return;
    const int32_t count = static_cast<int32_t>(ConsoleLines().size());
    const int32_t offset = ZynRoundToInt32(count * (Height - 0.035f - y) / (Height - 0.07f));
    ScrollOffset = std::clamp(offset, 0, std::max(count - 1, 0));
}

void TWindowConsole::Key(bool pressed, int32_t code, bool isVirtualKey)
{
    if (isVirtualKey && !pressed) return;
    ConsoleInputKey(code, !isVirtualKey, Input);
}
