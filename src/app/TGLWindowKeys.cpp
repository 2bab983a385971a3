// TGLWindowKeys: the SDL -> Windows virtual-key table.
#include "app/TGLWindowKeys.h"

#include <SDL2/SDL_keycode.h>
#include <SDL2/SDL_scancode.h>

namespace {

struct KeyPair { int32_t sdl; int32_t vk; };

// Keys named by SDL keycode (layout-independent meaning).
constexpr KeyPair kByKeycode[] = {
    {SDLK_BACKSPACE, 0x08}, {SDLK_TAB, 0x09}, {SDLK_CLEAR, 0x0C}, {SDLK_RETURN, 0x0D},
    {SDLK_KP_ENTER, 0x0D}, {SDLK_LSHIFT, 0x10}, {SDLK_RSHIFT, 0x10}, {SDLK_LCTRL, 0x11},
    {SDLK_RCTRL, 0x11}, {SDLK_LALT, 0x12}, {SDLK_RALT, 0x12}, {SDLK_PAUSE, 0x13},
    {SDLK_CAPSLOCK, 0x14}, {SDLK_ESCAPE, 0x1B}, {SDLK_SPACE, 0x20}, {SDLK_PAGEUP, 0x21},
    {SDLK_PAGEDOWN, 0x22}, {SDLK_END, 0x23}, {SDLK_HOME, 0x24}, {SDLK_LEFT, 0x25},
    {SDLK_UP, 0x26}, {SDLK_RIGHT, 0x27}, {SDLK_DOWN, 0x28}, {SDLK_SELECT, 0x29},
    {SDLK_EXECUTE, 0x2B}, {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, 0x2D}, {SDLK_DELETE, 0x2E},
    {SDLK_HELP, 0x2F}, {SDLK_LGUI, 0x5B}, {SDLK_RGUI, 0x5C}, {SDLK_APPLICATION, 0x5D},
    {SDLK_SLEEP, 0x5F}, {SDLK_KP_0, 0x60}, {SDLK_KP_1, 0x61}, {SDLK_KP_2, 0x62},
    {SDLK_KP_3, 0x63}, {SDLK_KP_4, 0x64}, {SDLK_KP_5, 0x65}, {SDLK_KP_6, 0x66},
    {SDLK_KP_7, 0x67}, {SDLK_KP_8, 0x68}, {SDLK_KP_9, 0x69}, {SDLK_KP_MULTIPLY, 0x6A},
    {SDLK_KP_PLUS, 0x6B}, {SDLK_KP_COMMA, 0x6C}, {SDLK_KP_MINUS, 0x6D}, {SDLK_KP_PERIOD, 0x6E},
    {SDLK_KP_DIVIDE, 0x6F}, {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},
    {SDLK_AUDIOMUTE, 0xAD}, {SDLK_VOLUMEDOWN, 0xAE}, {SDLK_VOLUMEUP, 0xAF},
    {SDLK_AUDIONEXT, 0xB0}, {SDLK_AUDIOPREV, 0xB1}, {SDLK_AUDIOSTOP, 0xB2}, {SDLK_AUDIOPLAY, 0xB3},
};

// Keys named by position (scancode): digits and punctuation, as on a US keyboard.
constexpr KeyPair kByScancode[] = {
    {SDL_SCANCODE_0, 0x30}, {SDL_SCANCODE_1, 0x31}, {SDL_SCANCODE_2, 0x32}, {SDL_SCANCODE_3, 0x33},
    {SDL_SCANCODE_4, 0x34}, {SDL_SCANCODE_5, 0x35}, {SDL_SCANCODE_6, 0x36}, {SDL_SCANCODE_7, 0x37},
    {SDL_SCANCODE_8, 0x38}, {SDL_SCANCODE_9, 0x39},
    {SDL_SCANCODE_SEMICOLON, 0xBA}, {SDL_SCANCODE_EQUALS, 0xBB}, {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_MINUS, 0xBD}, {SDL_SCANCODE_PERIOD, 0xBE}, {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0}, {SDL_SCANCODE_LEFTBRACKET, 0xDB}, {SDL_SCANCODE_BACKSLASH, 0xDC},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD}, {SDL_SCANCODE_APOSTROPHE, 0xDE},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2}, {SDL_SCANCODE_NONUSHASH, 0xDC},
};

}  // namespace

int32_t GLWVirtualKey(int32_t sdlKeycode, int32_t sdlScancode)
{
    // Letters follow the layout: the key that types 'a' is VK 'A'.
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return 'A' + (sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_F1 && sdlKeycode <= SDLK_F12) return 0x70 + (sdlKeycode - SDLK_F1);
    if (sdlKeycode >= SDLK_F13 && sdlKeycode <= SDLK_F24) return 0x7C + (sdlKeycode - SDLK_F13);
    for (const KeyPair& k : kByKeycode)
        if (k.sdl == sdlKeycode) return k.vk;
    for (const KeyPair& k : kByScancode)
        if (k.sdl == sdlScancode) return k.vk;
    // A letter key whose layout gives a non-Latin character: use its US position.
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z) return 'A' + (sdlScancode - SDL_SCANCODE_A);
    return 0;
}

int32_t GLWControlChar(int32_t virtualKey)
{
    switch (virtualKey) {
    case 0x08: return 8;
    case 0x09: return 9;
    case 0x0D: return 13;
    case 0x1B: return 27;
    default: return 0;
    }
}

std::vector<int32_t> GLWTextToChars(const std::string& utf8)
{
    std::vector<int32_t> out;
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        uint32_t cp;
        size_t len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
        else { i++; continue; }                       // stray continuation byte
        if (i + len > utf8.size()) break;             // truncated sequence
        bool ok = true;
        for (size_t k = 1; k < len; k++) {
            unsigned char d = static_cast<unsigned char>(utf8[i + k]);
            if ((d & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!ok) { i++; continue; }
        i += len;
        if ((cp >= 32 && cp < 127) || (cp >= 160 && cp <= 255)) out.push_back(static_cast<int32_t>(cp));
    }
    return out;
}
