// ZynKeyDef: the key table (key names, codes and descriptions) and name/code lookups.
//
// Key codes are Windows virtual-key codes for key-down events, the same code
// plus KeyUpOffset for key-up events, and 256..262 for the program events
// (start, stop, every frame, the four telnet arrow keys).
// Depends on: platform/ZynNumbers.
#pragma once

#include <cstdint>
#include <string>

struct TKeyRec {
    const char* Name;
    int32_t Code;
    const char* Description;
};

// Key-up codes are the key's code plus this offset.
constexpr int32_t KeyUpOffset = 512;

// Program event codes (the key table's rows Zy_START ... Zy_TRIGHT).
constexpr int32_t KeyEventStart = 256;
constexpr int32_t KeyEventStop = 257;
constexpr int32_t KeyEventFrame = 258;
constexpr int32_t KeyEventTelnetUp = 259;
constexpr int32_t KeyEventTelnetDown = 260;
constexpr int32_t KeyEventTelnetLeft = 261;
constexpr int32_t KeyEventTelnetRight = 262;

constexpr int KeyTableCount = 125;
extern const TKeyRec KeyTable[KeyTableCount];

// "+NAME" for a key-down code, "-NAME" for a key-up code, else the decimal code.
std::string KeyName(int32_t code);
// Code of "NAME", "+NAME", "-NAME" (key up) or a decimal number; -1 when unknown.
int32_t KeyCode(const std::string& text);
