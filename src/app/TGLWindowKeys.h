// TGLWindowKeys: SDL keys -> Windows virtual-key codes, and text -> character codes.
//
// Key codes are stored in key bindings and shown to users, so they follow the
// Windows virtual-key numbering: letters 'A'..'Z', digits '0'..'9', F1 = 0x70,
// arrows 0x25..0x28 and so on. Letters follow the keyboard layout (as Windows
// does); digits and punctuation follow the key's position on a US keyboard.
// Depends on: nothing (SDL key and scan codes are passed as plain integers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Windows virtual-key code for an SDL keycode/scancode pair; 0 when the key has none.
int32_t GLWVirtualKey(int32_t sdlKeycode, int32_t sdlScancode);

// Character code a key produces outside text input (backspace 8, tab 9, Enter 13,
// Escape 27); 0 for every other key.
int32_t GLWControlChar(int32_t virtualKey);

// UTF-8 text -> single-byte character codes (Latin-1); characters above 255 are dropped.
std::vector<int32_t> GLWTextToChars(const std::string& utf8);
