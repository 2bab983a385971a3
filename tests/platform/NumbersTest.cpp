// Rounding, saturation and strict parsing rules shared by the whole program.
#include "platform/ZynNumbers.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

TEST(Numbers, RoundsTiesToEvenAndSaturates)
{
    EXPECT_EQ(ZynRoundToInt32(0.5), 0);
    EXPECT_EQ(ZynRoundToInt32(1.5), 2);
    EXPECT_EQ(ZynRoundToInt32(2.5), 2);
    EXPECT_EQ(ZynRoundToInt32(-2.5), -2);
    EXPECT_EQ(ZynRoundToInt32(2.5000001), 3);
    EXPECT_EQ(ZynRoundToInt32(1e20), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ZynRoundToInt32(-1e20), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ZynRoundToInt32(std::nan(""), 77), 77);
    EXPECT_EQ(ZynRoundToInt32(INFINITY), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ZynRoundEven64(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ZynClampFloat(-INFINITY, 0.25f, 8, 1), 0.25f);
    EXPECT_EQ(ZynClampFloat(1e30f, 0.25f, 8, 1), 8.0f);
    EXPECT_EQ(ZynClampFloat(std::nanf(""), 0.25f, 8, 1), 1.0f);
    EXPECT_EQ(ZynClampFloat(3.5f, 0.25f, 8, 1), 3.5f);
}

TEST(Numbers, ParsesOnlyPlainDecimals)
{
    double d = -1;
    EXPECT_TRUE(ZynParseDouble(" 3.25 ", d)); EXPECT_DOUBLE_EQ(d, 3.25);
    EXPECT_TRUE(ZynParseDouble("2.346E4", d)); EXPECT_DOUBLE_EQ(d, 23460);
    EXPECT_TRUE(ZynParseDouble("+.5", d)); EXPECT_DOUBLE_EQ(d, 0.5);
    EXPECT_TRUE(ZynParseDouble("-7.", d)); EXPECT_DOUBLE_EQ(d, -7);
    EXPECT_TRUE(ZynParseDouble("1e-400", d)); EXPECT_DOUBLE_EQ(d, 0.0);
    d = 42;
    for (const char* bad : {"", " ", "nan", "NaN", "inf", "-inf", "infinity", "0x10", "0x1p3",
                            "1.2.3", "12abc", "1e", "1e+", ".", "-", "1 2", "1e400", "--1"}) {
        EXPECT_FALSE(ZynParseDouble(bad, d)) << bad;
        EXPECT_EQ(d, 42) << bad;
    }
}

TEST(Numbers, ParsesIntegersStrictly)
{
    int64_t v = 5;
    EXPECT_TRUE(ZynParseInt64(" -12 ", v)); EXPECT_EQ(v, -12);
    EXPECT_TRUE(ZynParseInt64("+9223372036854775807", v)); EXPECT_EQ(v, INT64_MAX);
    v = 5;
    for (const char* bad : {"", "1.5", "1e3", "9223372036854775808", "0x1", "12a", "nan"}) {
        EXPECT_FALSE(ZynParseInt64(bad, v)) << bad;
        EXPECT_EQ(v, 5) << bad;
    }
}

TEST(Numbers, TextHelpersIgnoreCaseAndBlanks)
{
    EXPECT_TRUE(ZynSameText("Main.ScreenX", "MAIN.screenx"));
    EXPECT_FALSE(ZynSameText("MAIN", "MAINX"));
    EXPECT_EQ(ZynTrim(" \t a b \r\n"), "a b");
    EXPECT_EQ(ZynUpper("abc.Def1"), "ABC.DEF1");
    EXPECT_EQ(ZynFormat("%.3f|%d", 0.5, 7), "0.500|7");
}
