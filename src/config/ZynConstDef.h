// ZynConstDef: every tunable constant as a typed global, plus its row index.
//
// Each constant SECTION.Name is the global zcSECTION_Name (int32_t or float)
// holding its current value; code that only uses a setting reads (or writes)
// it directly. zciSECTION_Name is the constant's row index in the registry
// (its number on the network and in the constants windows). The list itself
// lives in ZynConstTable.inc; the registry operations are in ZynConst.h.
// Depends on: the C++ standard library only.
#pragma once

#include <cstdint>

#define ZC_ROW(T, SEC, NAME, DEF, LO, HI, STEP, RS, DESC) extern T zc##SEC##_##NAME;
#include "config/ZynConstTable.inc"
#undef ZC_ROW

// Row indices, in table order.
enum TZynConstIndex : int32_t {
#define ZC_ROW(T, SEC, NAME, DEF, LO, HI, STEP, RS, DESC) zci##SEC##_##NAME,
#include "config/ZynConstTable.inc"
#undef ZC_ROW
    zciCount
};

// Number of rows in the table; fixed at build time.
constexpr int32_t ZynConstCount = 404;
static_assert(zciCount == ZynConstCount, "the constant table must have exactly 404 rows");
