// ZynCmdInterpRegistry: the interpreter's narrow view of the constant registry.
//
// The interpreter and the constant commands reach the registry only through
// these calls, so they read the same whichever way the registry spells its
// operations.
// Depends on: config/ZynConst (the constant registry).
#pragma once

#include <cstdint>
#include <string>

// Index of the constant "SECTION.Name" (any case); -1 after the registry's
// own not-found error line.
int32_t CiFindConst(const std::string& fullName);
std::string CiConstToString(int32_t index);
// Sets from text with the registry's conversion, limits and error line.
void CiConstSetString(int32_t index, const std::string& text);
// Moves the value by steps of its step rule (limits apply).
void CiConstStep(int32_t index, float steps);
std::string CiConstFullName(int32_t index);
std::string CiConstSection(int32_t index);
int32_t CiConstCount();
