// Formulas over the real constant registry: row numbers, lookups, direct stores without limits.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "config/ZynConstFormula.h"
#include "config/ZynConstSave.h"
#include "config/kvFormula.h"

#include "app/ZynLog.h"
#include "platform/ZynPath.h"
#include "platform/kvLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace {

// Routes library lines into the program log as the program does, captures
// the log, and restores every constant afterwards.
class FormulaConst : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZynSetBaseDir(::testing::TempDir());
        ZynLogSetConsoleSink([this](const std::string& l) { Lines.push_back(l); });
        kvLogSetSink(ZynLogLine);
        ConstFormulaInstallHooks();
    }
    void TearDown() override
    {
        FormulaClearHooks();
        kvLogSetSink(nullptr);
        ZynLogSetConsoleSink(nullptr);
        for (int32_t i = 0; i < ConstCount(); i++) {
            TConstDef* row = ConstRow(i);
            if (auto* v = std::get_if<int32_t>(&row->DefaultValue)) *static_cast<int32_t*>(row->Value) = *v;
            if (auto* v = std::get_if<float>(&row->DefaultValue)) *static_cast<float*>(row->Value) = *v;
        }
    }
    void Run(const std::string& text)
    {
        TkvFormula p;
        FormulaCompile(text, p);
        FormulaRun(p);
    }
    std::vector<std::string> Lines;
};

TEST_F(FormulaConst, BaseNamesCompileToTheirRows)
{
    TkvFormula p;
    FormulaCompile("R = 1; G = 2;", p);
    EXPECT_EQ(FormulaListing(p), "[1][=41][2][=42][#EOF]");
    FormulaRun(p);
    EXPECT_EQ(zcBASE_R, 1.0f);
    EXPECT_EQ(zcBASE_G, 2.0f);

    FormulaCompile("r = sin(time); tunnel.speed = pi;", p);
    EXPECT_EQ(FormulaListing(p), "[ID 38][SIN][=41][ID 55][=" + std::to_string(zciTUNNEL_Speed) + "][#EOF]");
    zcBASE_Time = 0.75f;
    FormulaRun(p);
    EXPECT_FLOAT_EQ(zcBASE_R, std::sin(0.75f));
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 3.1415927f);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(FormulaConst, SpecifiedExamples)
{
    auto eval = [this](const std::string& text) {
        zcBASE_R = -999.0f;
        Run(text);
        return zcBASE_R;
    };
    EXPECT_EQ(eval("R = 2*3^2;"), 36.0f);
    EXPECT_EQ(eval("R = -2+3;"), -5.0f);
    EXPECT_EQ(eval("R = 2.5 DIV 1;"), 2.0f);
    EXPECT_EQ(eval("R = 7 MOD 2;"), 1.0f);
    EXPECT_EQ(eval("R = IF(0,1,2);"), 2.0f);
    EXPECT_TRUE(Lines.empty());

    EXPECT_EQ(eval("R=MAX(1,2)"), 2.0f);
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Syntax Error - was expecting \";\" got \"#EOF\" at char #10");
}

TEST_F(FormulaConst, UnknownNamesLogTheRegistryLineFirst)
{
    TkvFormula p;
    FormulaCompile("FOO", p);
    ASSERT_EQ(Lines.size(), 2u);
    EXPECT_EQ(Lines[0], "#ERROR : (FindConst) Constant \"BASE.FOO\" Not Found");
    EXPECT_EQ(Lines[1], "#FORMULA ERROR : Token not found - \"FOO\" at char #3");

    Lines.clear();
    FormulaCompile("R = NOSECTION.R;", p);
    ASSERT_GE(Lines.size(), 2u);
    EXPECT_EQ(Lines[0], "#ERROR : (FindConst) Constant \"NOSECTION.R\" Not Found");

    // A function word never reaches a constant; with a section it is just a name.
    Lines.clear();
    FormulaCompile("BASE.MAX = 1;", p);
    EXPECT_EQ(Lines[0], "#ERROR : (FindConst) Constant \"BASE.MAX\" Not Found");
}

TEST_F(FormulaConst, StoresDirectlyWithoutLimits)
{
    Run("TimePassed = 5; Time = 0-3;");            // registry limits 0..1 and >= 0
    EXPECT_EQ(zcBASE_TimePassed, 5.0f);
    EXPECT_EQ(zcBASE_Time, -3.0f);

    Run("MAIN.ScreenX = 5000;");                    // Max 2048 and step 2 not applied
    EXPECT_EQ(zcMAIN_ScreenX, 5000);
    Run("MAIN.ScreenX = 641.5;");                   // nearest, ties to even
    EXPECT_EQ(zcMAIN_ScreenX, 642);
    Run("MAIN.ScreenX = 642.5;");
    EXPECT_EQ(zcMAIN_ScreenX, 642);
    Run("MAIN.ScreenX = 0-2.5;");
    EXPECT_EQ(zcMAIN_ScreenX, -2);
    Run("MAIN.ScreenX = 1000000000000;");           // saturates
    EXPECT_EQ(zcMAIN_ScreenX, std::numeric_limits<int32_t>::max());
    Run("MAIN.ScreenX = 0-1000000000000;");
    EXPECT_EQ(zcMAIN_ScreenX, std::numeric_limits<int32_t>::min());

    zcMAIN_ScreenX = 640;
    Run("MAIN.ScreenX = 0/0;");                     // NaN has no nearest integer: kept
    EXPECT_EQ(zcMAIN_ScreenX, 640);
    Run("R = MAIN.ScreenX / 3;");                   // integer rows read as floats
    EXPECT_FLOAT_EQ(zcBASE_R, 640.0f / 3.0f);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(FormulaConst, EveryRowIsReachableByItsFullName)
{
    for (int32_t i = 0; i < ConstCount(); i++) {
        const std::string name = ConstFullName(i);
        const TConstDef* row = ConstRow(i);
        TkvFormula p;
        FormulaCompile(name + " = 1.5; R = " + name + ";", p);
        ASSERT_EQ(FormulaListing(p), "[1.5][=" + std::to_string(i) + "][ID " + std::to_string(i) +
                                         "][=41][#EOF]") << name;
        zcBASE_R = -1.0f;
        FormulaRun(p);
        if (i == zciBASE_R) continue;
        // Floats as they are, integers rounded to the even 2, string rows untouched (read as 0).
        float expected = row->ValueType == ZC_TYPE_FLOAT ? 1.5f : row->ValueType == ZC_TYPE_INT ? 2.0f : 0.0f;
        EXPECT_EQ(zcBASE_R, expected) << name;
    }
    EXPECT_TRUE(Lines.empty());
}

TEST_F(FormulaConst, ConstLoadInstallsTheHooks)
{
    FormulaClearHooks();
    TkvFormula p;
    FormulaCompile("R = 1;", p);
    ASSERT_EQ(Lines.size(), 1u);   // no registry lookup without hooks
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Token not found - \"R\" at char #2");

    std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "formula_const_load";
    std::filesystem::create_directories(dir);
    std::filesystem::remove(dir / "Zyn.cfg");
    ZynSetBaseDir(dir.string());
    ConstLoad();
    Lines.clear();
    FormulaCompile("R = 1; MAIN.ScreenX = 700.5;", p);
    EXPECT_TRUE(Lines.empty());
    FormulaRun(p);
    EXPECT_EQ(zcBASE_R, 1.0f);
    EXPECT_EQ(zcMAIN_ScreenX, 700);
}

} // namespace
