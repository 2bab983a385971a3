// ZynConstDef: the typed globals of every constant and the 404 table rows.
#include "config/ZynConstDef.h"

#include "config/ZynConst.h"

#include <type_traits>

// The variables, initialised to their compiled-in defaults.
#define ZC_ROW(T, SEC, NAME, DEF, LO, HI, STEP, RS, DESC) T zc##SEC##_##NAME = DEF;
#include "config/ZynConstTable.inc"
#undef ZC_ROW

namespace {

// Shorthand used by the rows of ZynConstTable.inc.
struct TLimit { bool Has; float Value; };
struct TStepRule { bool Factor; float Value; };
constexpr TLimit L(double v) { return {true, static_cast<float>(v)}; }
constexpr TLimit N{false, 0.0f};
constexpr TStepRule S(double v) { return {false, static_cast<float>(v)}; }
constexpr TStepRule F(double v) { return {true, static_cast<float>(v)}; }

template <typename T> constexpr uint8_t TypeCode()
{
    if constexpr (std::is_same_v<T, int32_t>) return ZC_TYPE_INT;
    else if constexpr (std::is_same_v<T, float>) return ZC_TYPE_FLOAT;
    else return ZC_TYPE_STRING;
}

} // namespace

// Constant-initialised (no start-up order problems): every member is a
// literal or the address of a global.
constinit TConstDef g_zynConstTable[] = {
#define ZC_ROW(T, SEC, NAME, DEF, LO, HI, STEP, RS, DESC)                                   \
    {#NAME, #SEC, DESC, TypeCode<T>(), (RS) != 0, (LO).Has, (HI).Has, (LO).Value, (HI).Value, \
     (STEP).Factor, (STEP).Value, &zc##SEC##_##NAME, TConstValue(static_cast<T>(DEF))},
#include "config/ZynConstTable.inc"
#undef ZC_ROW
};

static_assert(sizeof(g_zynConstTable) / sizeof(g_zynConstTable[0]) == ZynConstCount,
              "the constant table must have exactly 404 rows");
