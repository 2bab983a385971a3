// Tests of the SDL -> virtual-key map and the character input conversion.
#include "app/TGLWindowKeys.h"

#include <SDL2/SDL_keycode.h>
#include <SDL2/SDL_scancode.h>
#include <gtest/gtest.h>

namespace {
int32_t VK(SDL_Keycode k, SDL_Scancode s = SDL_SCANCODE_UNKNOWN) { return GLWVirtualKey(k, s); }
}

TEST(GLWindowKeys, LettersDigitsAndFunctionKeys)
{
    EXPECT_EQ(VK(SDLK_a, SDL_SCANCODE_A), 'A');
    EXPECT_EQ(VK(SDLK_z, SDL_SCANCODE_Z), 'Z');
    // AZERTY: the key at the US "Q" position types 'a' and is VK 'A'.
    EXPECT_EQ(VK(SDLK_a, SDL_SCANCODE_Q), 'A');
    // Digits by position, whatever the layout types there.
    EXPECT_EQ(VK(SDLK_1, SDL_SCANCODE_1), '1');
    EXPECT_EQ(VK('&', SDL_SCANCODE_1), '1');
    EXPECT_EQ(VK(SDLK_0, SDL_SCANCODE_0), '0');
    EXPECT_EQ(VK(SDLK_F1), 0x70);
    EXPECT_EQ(VK(SDLK_F12), 0x7B);
    EXPECT_EQ(VK(SDLK_F13), 0x7C);
    EXPECT_EQ(VK(SDLK_F24), 0x87);
    // A letter key that types a non-Latin character falls back to its position.
    EXPECT_EQ(VK(0x3B1 /* greek alpha */, SDL_SCANCODE_A), 'A');
}

TEST(GLWindowKeys, ControlNavigationAndModifierKeys)
{
    EXPECT_EQ(VK(SDLK_BACKSPACE), 0x08);
    EXPECT_EQ(VK(SDLK_TAB), 0x09);
    EXPECT_EQ(VK(SDLK_RETURN), 0x0D);
    EXPECT_EQ(VK(SDLK_KP_ENTER), 0x0D);
    EXPECT_EQ(VK(SDLK_ESCAPE), 0x1B);
    EXPECT_EQ(VK(SDLK_SPACE), 0x20);
    EXPECT_EQ(VK(SDLK_PAGEUP), 0x21);
    EXPECT_EQ(VK(SDLK_PAGEDOWN), 0x22);
    EXPECT_EQ(VK(SDLK_END), 0x23);
    EXPECT_EQ(VK(SDLK_HOME), 0x24);
    EXPECT_EQ(VK(SDLK_LEFT), 0x25);
    EXPECT_EQ(VK(SDLK_UP), 0x26);
    EXPECT_EQ(VK(SDLK_RIGHT), 0x27);
    EXPECT_EQ(VK(SDLK_DOWN), 0x28);
    EXPECT_EQ(VK(SDLK_INSERT), 0x2D);
    EXPECT_EQ(VK(SDLK_DELETE), 0x2E);
    EXPECT_EQ(VK(SDLK_LSHIFT), 0x10);
    EXPECT_EQ(VK(SDLK_RSHIFT), 0x10);
    EXPECT_EQ(VK(SDLK_LCTRL), 0x11);
    EXPECT_EQ(VK(SDLK_RCTRL), 0x11);
    EXPECT_EQ(VK(SDLK_LALT), 0x12);
    EXPECT_EQ(VK(SDLK_PAUSE), 0x13);
    EXPECT_EQ(VK(SDLK_CAPSLOCK), 0x14);
    EXPECT_EQ(VK(SDLK_PRINTSCREEN), 0x2C);
    EXPECT_EQ(VK(SDLK_NUMLOCKCLEAR), 0x90);
    EXPECT_EQ(VK(SDLK_SCROLLLOCK), 0x91);
}

TEST(GLWindowKeys, KeypadAndPunctuation)
{
    EXPECT_EQ(VK(SDLK_KP_0), 0x60);
    EXPECT_EQ(VK(SDLK_KP_9), 0x69);
    EXPECT_EQ(VK(SDLK_KP_MULTIPLY), 0x6A);
    EXPECT_EQ(VK(SDLK_KP_PLUS), 0x6B);
    EXPECT_EQ(VK(SDLK_KP_MINUS), 0x6D);
    EXPECT_EQ(VK(SDLK_KP_PERIOD), 0x6E);
    EXPECT_EQ(VK(SDLK_KP_DIVIDE), 0x6F);
    EXPECT_EQ(VK(SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON), 0xBA);
    EXPECT_EQ(VK(SDLK_EQUALS, SDL_SCANCODE_EQUALS), 0xBB);
    EXPECT_EQ(VK(SDLK_COMMA, SDL_SCANCODE_COMMA), 0xBC);
    EXPECT_EQ(VK(SDLK_MINUS, SDL_SCANCODE_MINUS), 0xBD);
    EXPECT_EQ(VK(SDLK_PERIOD, SDL_SCANCODE_PERIOD), 0xBE);
    EXPECT_EQ(VK(SDLK_SLASH, SDL_SCANCODE_SLASH), 0xBF);
    EXPECT_EQ(VK(SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE), 0xC0);
    EXPECT_EQ(VK(SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET), 0xDB);
    EXPECT_EQ(VK(SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH), 0xDC);
    EXPECT_EQ(VK(SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET), 0xDD);
    EXPECT_EQ(VK(SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE), 0xDE);
    EXPECT_EQ(VK(SDLK_LESS, SDL_SCANCODE_NONUSBACKSLASH), 0xE2);
    // German layout: the US ";" position types 'ö' and is still VK_OEM_1.
    EXPECT_EQ(VK(0xF6, SDL_SCANCODE_SEMICOLON), 0xBA);
    EXPECT_EQ(VK(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(VK(SDLK_MODE, SDL_SCANCODE_MODE), 0);
}

TEST(GLWindowKeys, EveryMappedCodeFitsTheKeyTable)
{
    for (int32_t sc = 0; sc < SDL_NUM_SCANCODES; sc++) {
        int32_t vk = GLWVirtualKey(SDL_SCANCODE_TO_KEYCODE(sc), sc);
        EXPECT_GE(vk, 0);
        EXPECT_LE(vk, 255) << "scancode " << sc;
    }
    for (int32_t k = 0; k < 256; k++) {
        int32_t vk = GLWVirtualKey(k, SDL_SCANCODE_UNKNOWN);
        EXPECT_GE(vk, 0);
        EXPECT_LE(vk, 255) << "keycode " << k;
    }
}

TEST(GLWindowKeys, ControlCharactersOfEditingKeys)
{
    EXPECT_EQ(GLWControlChar(0x08), 8);
    EXPECT_EQ(GLWControlChar(0x09), 9);
    EXPECT_EQ(GLWControlChar(0x0D), 13);
    EXPECT_EQ(GLWControlChar(0x1B), 27);
    EXPECT_EQ(GLWControlChar('A'), 0);
    EXPECT_EQ(GLWControlChar(0x2E), 0);   // Delete types nothing
}

TEST(GLWindowKeys, TextInputBecomesSingleByteCharacters)
{
    EXPECT_EQ(GLWTextToChars("aZ ~"), (std::vector<int32_t>{'a', 'Z', ' ', '~'}));
    EXPECT_EQ(GLWTextToChars("\xC3\xA9\xC2\xA3"), (std::vector<int32_t>{0xE9, 0xA3}));  // é £
    EXPECT_EQ(GLWTextToChars("x\xE2\x82\xACy"), (std::vector<int32_t>{'x', 'y'}));      // € has no byte
    EXPECT_EQ(GLWTextToChars("\xF0\x9F\x98\x80!"), (std::vector<int32_t>{'!'}));        // emoji dropped
    EXPECT_EQ(GLWTextToChars("\x7F\xC2\x85q"), (std::vector<int32_t>{'q'}));            // DEL, C1 control
    EXPECT_EQ(GLWTextToChars("\x80\xC3"), (std::vector<int32_t>{}));                    // broken sequences
    EXPECT_EQ(GLWTextToChars("\xC3(a"), (std::vector<int32_t>{'(', 'a'}));
}
