// Tests of the constant registry: table shape, lookup, text format, snapping and limits.
#include "config/ZynConst.h"

#include "config/ConstTestUtil.h"

#include "app/ZynLog.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Captures log lines and restores every constant to its default afterwards.
class ConstRegistry : public ::testing::Test {
protected:
    std::vector<std::string> lines;
    void SetUp() override
    {
        ZynSetBaseDir(::testing::TempDir());
        ZynLogSetConsoleSink([this](const std::string& l) { lines.push_back(l); });
    }
    void TearDown() override
    {
        ZynLogSetConsoleSink(nullptr);
        ZynConstTest::RestoreCompiledValues();
    }
    bool Logged(const std::string& line) const
    {
        for (const auto& l : lines) if (l == line) return true;
        return false;
    }
};

} // namespace

TEST_F(ConstRegistry, TableShapeAndKnownIndices)
{
    ASSERT_EQ(ConstCount(), 404);
    EXPECT_EQ(FindConst("MAIN.Fullscreen"), 56);
    EXPECT_EQ(FindConst("NET.PIN"), 71);
    EXPECT_EQ(FindConst("ASCROLLER.CharOverlap"), 403);
    EXPECT_EQ(FindConst("PREF.Intro"), 0);
    EXPECT_EQ(FindConst("BASE.TimePassed"), 37);
    EXPECT_EQ(FindConst("GAMMA.On"), 72);
    EXPECT_EQ(FindConst("WINDOW.UpTime"), 77);
    EXPECT_EQ(FindConst("SCENE.CrossFadeSpeed"), 89);
    EXPECT_EQ(FindConst("BASS.Range"), 92);
    EXPECT_EQ(FindConst("INTRO.Dist"), 100);
    EXPECT_EQ(FindConst("CONTOUR.BassAmount"), 368);
    EXPECT_EQ(FindConst("FHSTRIP.Strips"), 369);
    EXPECT_EQ(FindConst("FDISTORT.Double"), 398);
    EXPECT_EQ(FindConst("AOVERLAY.FadeTime"), 399);
    EXPECT_EQ(zciMAIN_ScreenX, 59);
    EXPECT_TRUE(lines.empty());

    // Sections are contiguous and 45 in number; names unique inside a section.
    std::vector<std::string> sections;
    std::set<std::string> seen;
    for (int32_t i = 0; i < ConstCount(); i++) {
        const TConstDef* row = ConstRow(i);
        ASSERT_NE(row->Value, nullptr);
        if (sections.empty() || sections.back() != row->Section) sections.push_back(row->Section);
        EXPECT_TRUE(seen.insert(ZynUpper(ConstFullName(i))).second) << ConstFullName(i);
        EXPECT_EQ(FindConst(ConstFullName(i)), i);
        EXPECT_NE(row->ValueType, ZC_TYPE_STRING);
    }
    EXPECT_EQ(sections.size(), 45u);
    EXPECT_EQ(std::set<std::string>(sections.begin(), sections.end()).size(), 45u);
}

TEST_F(ConstRegistry, RowsCarryTheirVariablesAndDefaults)
{
    const TConstDef* sx = ConstRow(zciMAIN_ScreenX);
    EXPECT_STREQ(sx->Name, "ScreenX");
    EXPECT_STREQ(sx->Section, "MAIN");
    EXPECT_STREQ(sx->Description, "Screen Width");
    EXPECT_EQ(sx->Value, &zcMAIN_ScreenX);
    EXPECT_EQ(sx->ValueType, ZC_TYPE_INT);
    EXPECT_TRUE(sx->NeedsRestart && sx->HasMin && sx->HasMax);
    EXPECT_EQ(sx->Min, 320.0f);
    EXPECT_EQ(sx->Max, 2048.0f);
    EXPECT_EQ(sx->Step, 2.0f);
    EXPECT_FALSE(sx->StepIsFactor);
    EXPECT_EQ(zcMAIN_ScreenX, 640);

    const TConstDef* mt = ConstRow(FindConst("MAIN.MTexX"));
    EXPECT_TRUE(mt->StepIsFactor);
    EXPECT_EQ(mt->Step, 2.0f);

    const TConstDef* speed = ConstRow(FindConst("TUNNEL.Speed"));
    EXPECT_EQ(speed->Value, &zcTUNNEL_Speed);
    EXPECT_EQ(speed->ValueType, ZC_TYPE_FLOAT);
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 2.5f);

    EXPECT_EQ(ConstRow(FindConst("SPHERE.2Sided"))->Value, &zcSPHERE_2Sided);
    EXPECT_EQ(zcSCENE_StartScene, -1);
    EXPECT_EQ(ConstRow(zciSCENE_StartScene)->Min, -1.0f);
    EXPECT_EQ(zcPREF_Blit, 0.0f);
    EXPECT_EQ(zcPREF_Intro, 10.0f);
    EXPECT_FLOAT_EQ(zcBASE_pi, 3.1415927f);
    EXPECT_FALSE(ConstRow(zciPARTICLE_TEX0)->HasMin);
    EXPECT_FALSE(ConstRow(zciPARTICLE_TEX0)->HasMax);
    EXPECT_TRUE(ConstRow(zciINTRO_Dist)->HasMin);
    EXPECT_FALSE(ConstRow(zciINTRO_Dist)->HasMax);
    EXPECT_TRUE(ConstRow(zciTORUS_x)->NeedsRestart);
    EXPECT_EQ(ConstDefault(zciMAIN_ScreenX), 640.0f);
    EXPECT_FLOAT_EQ(ConstDefault(zciBASS_A3), 0.002f);
}

TEST_F(ConstRegistry, FindConstIgnoresCaseAndNeedsASection)
{
    EXPECT_EQ(FindConst("main.screenx"), FindConst("MAIN.ScreenX"));
    EXPECT_EQ(FindConst("mAiN.SCREENX"), zciMAIN_ScreenX);
    EXPECT_TRUE(lines.empty());

    EXPECT_EQ(FindConst("ScreenX"), -1);
    EXPECT_TRUE(Logged("#ERROR : (FindConst) Constant \"ScreenX\" Not Found"));
    EXPECT_EQ(FindConst("MAIN.Nothing"), -1);
    EXPECT_EQ(FindConst("MAIN."), -1);
    EXPECT_EQ(FindConst(".ScreenX"), -1);
    EXPECT_EQ(FindConst(""), -1);
    EXPECT_EQ(FindConst("MAIN.ScreenX.Y"), -1);   // split at the first "."
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(FindConstQuiet("nope"), -1);
    EXPECT_EQ(lines.size(), 6u);

    // The formula hook's lookup adds BASE. to bare names.
    EXPECT_EQ(ConstFormulaFind("TIME"), FindConst("BASE.Time"));
    EXPECT_EQ(ConstFormulaFind("pi"), zciBASE_pi);
    EXPECT_EQ(ConstFormulaFind("TUNNEL.Speed"), zciTUNNEL_Speed);
}

TEST_F(ConstRegistry, FloatTextFormat)
{
    EXPECT_EQ(ConstFormatFloat(0.0004), "0");
    EXPECT_EQ(ConstFormatFloat(-0.0009), "0");
    EXPECT_EQ(ConstFormatFloat(0), "0");
    EXPECT_EQ(ConstFormatFloat(3.14159f), "3.142");
    EXPECT_EQ(ConstFormatFloat(23456), "2.346E4");
    EXPECT_EQ(ConstFormatFloat(-23456), "-2.346E4");
    EXPECT_EQ(ConstFormatFloat(640.5f), "640.5");
    EXPECT_EQ(ConstFormatFloat(0.1f), "0.1");
    EXPECT_EQ(ConstFormatFloat(0.001f), "0.001");
    EXPECT_EQ(ConstFormatFloat(0.0012346), "0.001235");
    EXPECT_EQ(ConstFormatFloat(1234.5f), "1235");    // decimal ties round away from zero
    EXPECT_EQ(ConstFormatFloat(2.0625f), "2.063");
    EXPECT_EQ(ConstFormatFloat(9999.0f), "9999");
    EXPECT_EQ(ConstFormatFloat(9999.6f), "1E4");     // rounding carries into a fifth digit
    EXPECT_EQ(ConstFormatFloat(10000.0f), "1E4");
    EXPECT_EQ(ConstFormatFloat(12345.0f), "1.235E4");
    EXPECT_EQ(ConstFormatFloat(1.5e20f), "1.5E20");
    EXPECT_EQ(ConstFormatFloat(100.0f), "100");
    EXPECT_EQ(ConstFormatFloat(-0.6f), "-0.6");
    EXPECT_EQ(ConstFormatFloat(0.99999f), "1");
    EXPECT_EQ(ConstFormatFloat(10.0f), "10");
}

TEST_F(ConstRegistry, ToStringAndBack)
{
    EXPECT_EQ(ConstToString(zciMAIN_ScreenX), "640");
    EXPECT_EQ(ConstToString(zciSCENE_StartScene), "-1");
    EXPECT_EQ(ConstToString(zciBASE_pi), "3.142");
    EXPECT_EQ(ConstToString(zciTUNNEL_BassLevel), "-0.6");

    zcBASE_Time = 23456;
    EXPECT_EQ(ConstToString(zciBASE_Time), "2.346E4");
    ASSERT_TRUE(ConstSetString(zciBASE_Time, "2.346E4"));
    EXPECT_EQ(zcBASE_Time, 23460.0f);
    zcBASE_Time = 0.0004f;
    EXPECT_EQ(ConstToString(zciBASE_Time), "0");
    zcBASE_Time = 0;

    // Every default (pi aside: 4 digits) survives a text round trip unchanged.
    for (int32_t i = 0; i < ConstCount(); i++) {
        if (i == zciBASE_pi) continue;
        std::string text = ConstToString(i);
        float before = ConstAsFloat(i);
        ASSERT_TRUE(ConstSetString(i, text)) << ConstFullName(i);
        EXPECT_EQ(ConstAsFloat(i), before) << ConstFullName(i) << " = " << text;
    }
    EXPECT_TRUE(lines.empty());
}

TEST_F(ConstRegistry, AdditiveSnappingTiesToEvenThenLimits)
{
    ConstSetInt(zciMAIN_ScreenX, 5000);
    EXPECT_EQ(zcMAIN_ScreenX, 2048);
    ConstSetInt(zciMAIN_ScreenX, 641);
    EXPECT_EQ(zcMAIN_ScreenX, 640);
    ConstSetInt(zciMAIN_ScreenX, 643);
    EXPECT_EQ(zcMAIN_ScreenX, 644);
    ConstSetFloat(zciMAIN_ScreenX, 100);
    EXPECT_EQ(zcMAIN_ScreenX, 320);

    ConstSetFloat(zciTUNNEL_Speed, 2.37);
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 2.4f);
    ConstSetFloat(zciTUNNEL_Speed, -100);
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, -16.0f);

    // Step 0: no snapping; limits still apply.
    ConstSetFloat(zciBLIT_R, 0.123);
    EXPECT_FLOAT_EQ(zcBLIT_R, 0.123f);
    ConstSetFloat(zciBLIT_R, 7);
    EXPECT_FLOAT_EQ(zcBLIT_R, 1.0f);

    // Integer rows with a non-integer step: snap, limit, then round.
    ConstSetFloat(zciFSSQUARES_Spin, 0);
    EXPECT_EQ(zcFSSQUARES_Spin, 0);      // 0 -> Min 0.1 -> rounds to 0
    ConstSetFloat(zciFSSQUARES_Spin, 3.26);
    EXPECT_EQ(zcFSSQUARES_Spin, 3);
    EXPECT_EQ(ConstNormalise(zciBASS_Range, 12.5), 10.0);   // 2.5 steps of 5 -> 2
    EXPECT_EQ(ConstNormalise(zciBASS_Range, 17.5), 20.0);   // 3.5 steps of 5 -> 4
}

TEST_F(ConstRegistry, MultiplicativeSnapping)
{
    ConstSetInt(zciMAIN_MTexX, 1000);
    EXPECT_EQ(zcMAIN_MTexX, 1024);
    ConstSetInt(zciMAIN_MTexX, 300);
    EXPECT_EQ(zcMAIN_MTexX, 256);
    ConstSetInt(zciMAIN_MTexX, 5000);
    EXPECT_EQ(zcMAIN_MTexX, 2048);
    ConstSetInt(zciMAIN_MTexX, 10);
    EXPECT_EQ(zcMAIN_MTexX, 64);
    // No logarithm of zero or negatives: only the limits apply.
    ConstSetInt(zciMAIN_MTexX, 0);
    EXPECT_EQ(zcMAIN_MTexX, 64);
    ConstSetInt(zciMAIN_MTexX, -5);
    EXPECT_EQ(zcMAIN_MTexX, 64);

    // A zero default cannot anchor the snapping either.
    int32_t var = 0;
    TConstDef row{"Size", "TEST", "", ZC_TYPE_INT, false, true, true, 1, 4096, true, 2, &var, TConstValue(int32_t(0))};
    ZynConstRow::SetFloat(row, 777);
    EXPECT_EQ(var, 777);
    ZynConstRow::SetFloat(row, 0);
    EXPECT_EQ(var, 1);
}

TEST_F(ConstRegistry, StepMovesByWholeStepsWithinLimits)
{
    ConstStep(zciMAIN_ScreenX, 1);
    EXPECT_EQ(zcMAIN_ScreenX, 642);
    ConstStep(zciMAIN_ScreenX, -3);
    EXPECT_EQ(zcMAIN_ScreenX, 636);
    zcMAIN_ScreenX = 320;
    ConstStep(zciMAIN_ScreenX, -1);
    EXPECT_EQ(zcMAIN_ScreenX, 320);

    ConstStep(zciMAIN_MTexX, -2);
    EXPECT_EQ(zcMAIN_MTexX, 512);
    ConstStep(zciMAIN_MTexX, 5);
    EXPECT_EQ(zcMAIN_MTexX, 2048);

    ConstStep(zciTUNNEL_Twistiness, 3);
    EXPECT_FLOAT_EQ(zcTUNNEL_Twistiness, 0.65f);
    ConstStep(zciTUNNEL_Twistiness, -100);
    EXPECT_FLOAT_EQ(zcTUNNEL_Twistiness, 0.0f);
}

TEST_F(ConstRegistry, SetStringIsStrictAndKeepsTheOldValue)
{
    const std::string err = "#ERROR : Error Converting String value \"abc\" for MAIN/ScreenX";
    EXPECT_FALSE(ConstSetString(zciMAIN_ScreenX, "abc"));
    EXPECT_TRUE(Logged(err));
    EXPECT_EQ(zcMAIN_ScreenX, 640);

    for (const char* bad : {"", "nan", "inf", "0x10", "12abc", "1e5", "640.0", "99999999999999999999"}) {
        EXPECT_FALSE(ConstSetString(zciMAIN_ScreenX, bad)) << bad;
        EXPECT_EQ(zcMAIN_ScreenX, 640) << bad;
    }
    for (const char* bad : {"nan", "NaN", "inf", "-infinity", "0x1p3", "2.5x", "1e39", "--1", "."}) {
        EXPECT_FALSE(ConstSetString(zciTUNNEL_Speed, bad)) << bad;
        EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 2.5f) << bad;
    }
    EXPECT_TRUE(Logged("#ERROR : Error Converting String value \"1e39\" for TUNNEL/Speed"));

    EXPECT_TRUE(ConstSetString(zciMAIN_ScreenX, " 1025 "));
    EXPECT_EQ(zcMAIN_ScreenX, 1024);
    EXPECT_TRUE(ConstSetString(zciMAIN_ScreenX, "+800"));
    EXPECT_EQ(zcMAIN_ScreenX, 800);
    EXPECT_TRUE(ConstSetString(zciTUNNEL_Speed, "-1.25e1"));
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, -12.5f);
    EXPECT_TRUE(ConstSetString(zciTUNNEL_Speed, "3"));
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 3.0f);
}

TEST_F(ConstRegistry, NonFiniteAndHugeValuesAreSurvived)
{
    ConstSetFloat(zciMAIN_ScreenX, std::nan(""));
    EXPECT_EQ(zcMAIN_ScreenX, 640);
    ConstSetFloat(zciTUNNEL_Speed, std::nan(""));
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 2.5f);
    ConstStep(zciTUNNEL_Speed, std::nan(""));
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 2.5f);

    // Rows without limits saturate instead of wrapping or going infinite.
    ConstSetFloat(zciPARTICLE_TEX0, 1e30);
    EXPECT_EQ(zcPARTICLE_TEX0, INT32_MAX);
    ConstSetFloat(zciPARTICLE_TEX0, -1e30);
    EXPECT_EQ(zcPARTICLE_TEX0, INT32_MIN);
    ConstSetFloat(zciBASE_Bass, 1e300);
    EXPECT_TRUE(std::isfinite(zcBASE_Bass));
    ConstSetFloat(zciBASE_Bass, -HUGE_VAL);
    EXPECT_TRUE(std::isfinite(zcBASE_Bass));
    EXPECT_LT(zcBASE_Bass, -1e38f);
    ConstSetFloat(zciMAIN_ScreenX, HUGE_VAL);
    EXPECT_EQ(zcMAIN_ScreenX, 2048);

    zcBASE_Time = 3e9f;
    EXPECT_EQ(ConstAsInt(zciBASE_Time), INT32_MAX);
}

TEST_F(ConstRegistry, EveryIndexOperationIsSafeOutsideTheTable)
{
    for (int32_t i : {-1, -2, 404, 405, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(ConstRow(i), nullptr);
        EXPECT_EQ(ConstFullName(i), "");
        EXPECT_EQ(ConstToString(i), "");
        EXPECT_EQ(ConstAsFloat(i), 0.0f);
        EXPECT_EQ(ConstAsInt(i), 0);
        EXPECT_EQ(ConstDefault(i), 0.0f);
        EXPECT_EQ(ConstNormalise(i, 5.0), 5.0);
        ConstSetFloat(i, 1);
        ConstSetInt(i, 1);
        EXPECT_FALSE(ConstSetString(i, "1"));
        ConstStep(i, 1);
        ConstFormulaSet(i, 1);
        EXPECT_EQ(ConstFormulaGet(i), 0.0f);
    }
    EXPECT_EQ(zcPREF_Intro, 10.0f);
    EXPECT_FLOAT_EQ(zcASCROLLER_CharOverlap, 0.03f);
}

TEST_F(ConstRegistry, FormulaSetBypassesLimitsAndRounds)
{
    ConstFormulaSet(zciBASE_TimePassed, 7.25);
    EXPECT_FLOAT_EQ(zcBASE_TimePassed, 7.25f);
    ConstFormulaSet(zciMAIN_ScreenX, 2.5);
    EXPECT_EQ(zcMAIN_ScreenX, 2);
    ConstFormulaSet(zciMAIN_ScreenX, 3.5);
    EXPECT_EQ(zcMAIN_ScreenX, 4);
    ConstFormulaSet(zciMAIN_ScreenX, std::nan(""));
    EXPECT_EQ(zcMAIN_ScreenX, 4);
    EXPECT_FLOAT_EQ(ConstFormulaGet(zciBASE_TimePassed), 7.25f);
}

TEST_F(ConstRegistry, CaptureDefaultsTakesTheCurrentValues)
{
    zcMAIN_ScreenX = 800;
    ConstCaptureDefaults();
    EXPECT_EQ(ConstDefault(zciMAIN_ScreenX), 800.0f);
    zcMAIN_ScreenX = 640;
    ConstCaptureDefaults();
    EXPECT_EQ(ConstDefault(zciMAIN_ScreenX), 640.0f);
}

TEST_F(ConstRegistry, StringRowsStoreTextAndFormattedNumbers)
{
    std::string var = "x";
    TConstDef row{"Title", "TEST", "", ZC_TYPE_STRING, false, true, true, 0, 1, false, 0, &var, TConstValue(std::string("d"))};
    EXPECT_TRUE(ZynConstRow::SetString(row, "hello world"));
    EXPECT_EQ(var, "hello world");
    EXPECT_EQ(ZynConstRow::ToString(row), "hello world");
    EXPECT_EQ(ZynConstRow::AsDouble(row), 0.0);
    ZynConstRow::SetFloat(row, 23456);   // no limits for text
    EXPECT_EQ(var, "2.346E4");
    ZynConstRow::CaptureDefault(row);
    EXPECT_EQ(std::get<std::string>(row.DefaultValue), "2.346E4");
}
