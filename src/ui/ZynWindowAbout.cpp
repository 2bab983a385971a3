// ZynWindowAbout: the about text and its scrolling.
#include "ui/ZynWindowAbout.h"

#include "app/TGLWindow.h"
#include "platform/ZynNumbers.h"

#include <GL/gl.h>

#include <algorithm>

const std::vector<std::string>& TWindowAbout::Text()
{
    static const std::vector<std::string> text = {
        "Zy/QUARVEL v1.54",
        "",
        "A music visualiser: scenes that move with the music,",
        "changing and blending by themselves.",
        "",
        "As Zyn is set up normally, the following keys are of use:",
        "",
        "ESC - Exit",
        "ENTER - Enable/Disable Strobe",
        "SPACE - Take a screenshot every frame while pressed",
        "F1 - Take Screenshot",
        "F3 - Stop Changing Scenes",
        "F4 - Change to a random scene and resume changing",
        "F2 - Open the main menu",
        "F12 - Open the console window",
        "",
        "These keys are ordinary key bindings: list them with",
        "CmdList and Help, change them with Bind and UnBind.",
        "They are kept in the BIND section of Zyn.cfg.",
        "",
        "--- Getting music in ---",
        "",
        "Zyn listens for music data on UDP. The zyn-send program",
        "plays or captures audio and sends its analysis; any",
        "sender on the local network that speaks the protocol",
        "will do. Without a sender the scenes run on silence.",
        "",
        "--- The interface ---",
        "",
        "Move the mouse to show the side bar at the bottom right:",
        "scene options, change scene, main menu, full screen",
        "and exit. The main menu opens the options, the scene",
        "selection, the preference windows, the console and",
        "this text. Left click steps a value up, right click",
        "steps it down; drag a slider to set it.",
        "",
        "Preferences weigh the random choice of scenes and",
        "faders: a scene with weight 0 is never picked.",
        "",
        "--- The console ---",
        "",
        "Type commands in the console window, or connect with",
        "telnet to the port in NET.TelnetPort and give the PIN.",
        "Help(name) explains a command; VarList lists settings.",
        "Commands can be joined with ; and nested in brackets,",
        "for example SceneChange(PickScene, PickFader).",
        "",
        "--- Scenes ---",
        "",
        "Twenty-four scenes and ten faders, each with its own",
        "section of settings. Scene combinations (.predefine",
        "files) draw several scenes into one picture and count",
        "as scenes with negative numbers.",
        "",
        "--- Files ---",
        "",
        "Zyn.cfg       settings and key bindings",
        "ZynLog.txt    the log of the last run",
        "Zyn.man       the help text of the console",
        "Images        textures; Custom0..7 are editable",
        "Screenshot*   pictures taken with F1 or SPACE",
        "",
        "--- Version history ---",
        "",
        "1.54  Linux build: SDL window, offscreen rendering,",
        "      audio sender, in-picture windows and a show",
        "      that plays by itself on a first run.",
        "1.53  Console window with history and clickable lines.",
        "1.52  Scene combinations and their preference weights.",
        "1.51  Telnet remote console with PIN.",
        "1.50  Ten faders; transitions by random weighted choice.",
        "1.40  Announcements: overlay and scroller.",
        "1.30  Constants editor with sliders.",
        "1.20  Formula-driven scenes.",
        "1.10  Gamma strobe on the beat.",
        "1.00  First release.",
        "",
        "--- Thanks ---",
        "",
        "To everyone who sent music through it, reported what",
        "broke, and kept the lights moving.",
        "",
        "Have fun.",
    };
    return text;
}

TWindowAbout::TWindowAbout(TVisObject* owner) : TZWindow(owner)
{
    Title = "About v1.54";
    Width = 1;
    Height = 1;
    SetRegion(ScrollRegion, Width - 0.06f, 0.035f, Width, Height - 0.035f, "Scroll");
}

void TWindowAbout::DrawContents()
{
    TZWindow::DrawContents();
    BindTexture(19);
    glColor4f(1, 1, 1, 0.75f * Visibility);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawTileRect(0, 1, 1, 0, 0, Width, Height);
    // A dark veil keeps the text readable over the bright picture.
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0.05f, 0.55f * Visibility);
    glRectf(0, 0, Width, Height);
    const std::vector<std::string>& text = Text();
    for (int32_t i = 0; i < ShownLines; i++) {
        const int64_t line = static_cast<int64_t>(ScrollOffset) + i;
        if (line < 0 || line >= static_cast<int64_t>(text.size())) break;
        DrawTextLine(1, text[static_cast<size_t>(line)], 0.5f, 0.75f, (i + 1) / 40.0f, (Width - 0.06f) / 2, 1, 1, 1,
                     1);
    }
    DrawScrollBar(ScrollRegion, static_cast<float>(ScrollOffset) / static_cast<float>(text.size()));
}

void TWindowAbout::Click(int32_t region, int32_t button)
{
    if (region == ScrollRegion && button == ZynMouseRight) ScrollOffset = 0;
}

void TWindowAbout::Hover(int32_t region, uint8_t state, float x, float y)
{
    if (region != ScrollRegion || !(state & GLW_MK_LBUTTON)) return;
    const int32_t count = static_cast<int32_t>(Text().size());
    const int32_t offset = ZynRoundToInt32(count * (1 - (Height - 0.035f - y) / (Height - 0.07f)));
    ScrollOffset = std::clamp(offset, 0, std::max(count - 1, 0));
}
