// ZynWindowConsole: TWindowConsole, the console in a window.
//
// The newest 35 console lines in their kinds' colours above an input line;
// typing edits the input, Enter runs it, the up arrow recalls history. A
// left click on a line copies its text into the input, a right click appends
// it; the scroll bar at the right edge scrolls back (right click: newest).
// Drawn through the window cache: the text is most of a frame's cost.
// Depends on: ui/ZynWindow, console/ZynConsole, gfx/ZynTextures, OpenGL.
#pragma once

#include "ui/ZynWindow.h"

class TWindowConsole : public TZWindow {
public:
    static constexpr int32_t Lines = 35;
    static constexpr int32_t ScrollRegion = Lines;

    explicit TWindowConsole(TVisObject* owner);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;
    void Hover(int32_t region, uint8_t state, float x, float y) override;
    void Key(bool pressed, int32_t code, bool isVirtualKey) override;
    std::string CacheKey() const override;

    // A stored line as shown: kind character (after a leading ">") and the text.
    static char LineKind(const std::string& line);
    static std::string LineText(const std::string& line);
    // The input as drawn: ":" + input + "_", the tail only when long.
    static std::string InputShown(const std::string& input);
    // The stored line shown on screen line j (0 at the bottom), or nullptr.
    const std::string* LineAt(int32_t j) const;

    std::string Input;
    int32_t ScrollOffset = 0;
};
