// InterpConstTest: reading and setting constants by name, and the listing
// commands over the constant registry.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "console/ConsoleTestLog.h"
#include "console/ZynCmdInterp.h"

#include <gtest/gtest.h>

namespace {

class InterpConstTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedScreenX = zcMAIN_ScreenX;
        savedHalflife = zcMORPH_Halflife;
        savedDistance = zcMORPH_Distance;
    }
    void TearDown() override
    {
        zcMAIN_ScreenX = savedScreenX;
        zcMORPH_Halflife = savedHalflife;
        zcMORPH_Distance = savedDistance;
    }
    TConsoleTestLog log;
    int32_t savedScreenX;
    float savedHalflife, savedDistance;
};

TEST_F(InterpConstTest, ReadAndSetByName)
{
    EXPECT_EQ(ExecuteLine("main.screenx"), "640");
    EXPECT_EQ(ExecuteLine("MAIN.SCREENX(800)"), "800");
    EXPECT_EQ(zcMAIN_ScreenX, 800);
    // The registry's step and limits apply; the result shows the stored value.
    EXPECT_EQ(ExecuteLine("main.screenx(641)"), "640");
    EXPECT_EQ(ExecuteLine("main.screenx(5000)"), "2048");
    EXPECT_TRUE(log.Lines.empty());
}

TEST_F(InterpConstTest, OneConstantFromAnother)
{
    EXPECT_EQ(ExecuteLine("morph.halflife(morph.distance)"), "1");   // 1.2 limited to 1
    EXPECT_EQ(ExecuteLine("morph.distance(0.7); morph.halflife(morph.distance)"), "0.70.7");
    EXPECT_FLOAT_EQ(zcMORPH_Halflife, 0.7f);
}

TEST_F(InterpConstTest, BadValuesAndCounts)
{
    EXPECT_EQ(ExecuteLine("main.screenx([abc])"), "640");
    ASSERT_EQ(log.Lines.size(), 1u);
    EXPECT_EQ(log.Lines[0].rfind("#ERROR : Error Converting String value \"abc\"", 0), 0u);
    log.Lines.clear();
    EXPECT_EQ(ExecuteLine("main.screenx(1, 2)"), "");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : Invalid number of parameters"}));
}

TEST_F(InterpConstTest, VarListOfOneSection)
{
    ExecuteLine("VarList([net])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">NET.TelnetPort", ">NET.PIN", ">404 Variables"}));
}

TEST_F(InterpConstTest, VarListOfAllAndWrongCount)
{
    ExecuteLine("VarList");
    ASSERT_EQ(log.Lines.size(), 405u);
    EXPECT_EQ(log.Lines[0], ">" + ConstFullName(0));
    EXPECT_EQ(log.Lines.back(), ">404 Variables");
    log.Lines.clear();
    ExecuteLine("VarList([a], [b])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{
                             "#ERROR : Incorrect amount of parameters. Usage = \"VarList [Section]\"",
                             ">404 Variables"}));
    log.Lines.clear();
    ExecuteLine("VarList([nosuchsection])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">404 Variables"}));
}

TEST_F(InterpConstTest, SectionListShowsTheFirstConstantOfEachSection)
{
    ExecuteLine("SectionList");
    ASSERT_FALSE(log.Lines.empty());
    EXPECT_EQ(log.Lines[0], ">" + ConstFullName(0));
    bool hasNet = false, hasTelnetPin = false;
    for (const std::string& l : log.Lines) {
        hasNet |= l == ">NET.TelnetPort";
        hasTelnetPin |= l == ">NET.PIN";
    }
    EXPECT_TRUE(hasNet);
    EXPECT_FALSE(hasTelnetPin);
    log.Lines.clear();
    ExecuteLine("SectionList([x])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : No Parameters needed"}));
}

TEST_F(InterpConstTest, StepCommands)
{
    ExecuteLine("VarInc([main.screenx])");
    EXPECT_EQ(zcMAIN_ScreenX, 642);
    ExecuteLine("VarDec([Main.ScreenX])");
    ExecuteLine("VarDec([Main.ScreenX])");
    EXPECT_EQ(zcMAIN_ScreenX, 638);
    ExecuteLine("VarStep([main.screenx], -3)");
    EXPECT_EQ(zcMAIN_ScreenX, 632);
    ExecuteLine("VarStep([main.screenx], 100000)");
    EXPECT_EQ(zcMAIN_ScreenX, 2048);
    EXPECT_TRUE(log.Lines.empty());
    ExecuteLine("VarInc([main.nothing])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : (FindConst) Constant \"main.nothing\" Not Found",
                                                    ">\"main.nothing\" not found"}));
}

} // namespace
