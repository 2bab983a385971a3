// ZynCmdInterpRegistry: maps the interpreter's registry calls onto the registry.
//
// ADAPTER: until the constant registry is on main this holds no constants:
// every lookup misses with the registry's error line.
#include "console/ZynCmdInterpRegistry.h"

#include "app/ZynLog.h"

int32_t CiFindConst(const std::string& fullName)
{
    ZynLogError("(FindConst) Constant \"" + fullName + "\" Not Found");
    return -1;
}

std::string CiConstToString(int32_t index) { return std::string(); }
void CiConstSetString(int32_t index, const std::string& text) {}
void CiConstStep(int32_t index, float steps) {}
std::string CiConstFullName(int32_t index) { return std::string(); }
std::string CiConstSection(int32_t index) { return std::string(); }
int32_t CiConstCount() { return 0; }
