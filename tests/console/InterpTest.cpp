// InterpTest: statement splitting, argument parsing, numbers, dispatch,
// failures and the nesting limit of the command interpreter.
#include "console/ConsoleTestLog.h"
#include "console/ZynCmdInterp.h"

#include <gtest/gtest.h>

namespace {

class InterpTest : public ::testing::Test {
protected:
    TConsoleTestLog log;
    size_t ErrorCount() const
    {
        size_t n = 0;
        for (const std::string& l : log.Lines) n += l.rfind("#ERROR : ", 0) == 0;
        return n;
    }
};

TEST_F(InterpTest, NumbersAsStatementsYieldTheirValueText)
{
    EXPECT_EQ(ExecuteLine("2.5"), "2.5");
    EXPECT_EQ(ExecuteLine("0.0004"), "0");
    EXPECT_EQ(ExecuteLine("3.14159"), "3.142");
    EXPECT_EQ(ExecuteLine("-2.5"), "-2.5");
    EXPECT_EQ(ExecuteLine("1e3"), "1000");
    EXPECT_EQ(ExecuteLine(" 23456.7 "), "2.346E4");
    EXPECT_EQ(ExecuteLine("9999.7"), "1E4");
    // Whole numbers keep all their digits.
    EXPECT_EQ(ExecuteLine("40045"), "40045");
    EXPECT_EQ(ExecuteLine("+7"), "7");
    EXPECT_EQ(ExecuteLine("-123456789"), "-123456789");
    EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(InterpTest, FloatTextFollowsTheRegistryNumberForm)
{
    EXPECT_EQ(CmdFloatText(0.0), "0");
    EXPECT_EQ(CmdFloatText(-0.0009), "0");
    EXPECT_EQ(CmdFloatText(0.001), "0.001");
    EXPECT_EQ(CmdFloatText(0.0012346), "0.001235");
    EXPECT_EQ(CmdFloatText(640), "640");
    EXPECT_EQ(CmdFloatText(1234.4), "1234");
    EXPECT_EQ(CmdFloatText(0.25), "0.25");
    EXPECT_EQ(CmdFloatText(-23456), "-2.346E4");
    EXPECT_EQ(CmdFloatText(1e10), "1E10");
    EXPECT_EQ(CmdFloatText(-1e300), "-1E300");
}

TEST_F(InterpTest, StatementsRunInOrderAndConcatenate)
{
    EXPECT_EQ(ExecuteLine("Add(1,2);Add(3,4)"), "37");
    EXPECT_EQ(ExecuteLine("Add(1,2);;Add(3,4);"), "37");
    EXPECT_EQ(ErrorCount(), 0u);
    // A blank statement is run and fails as a name that is empty.
    EXPECT_EQ(ExecuteLine("Add(1,2); "), "3");
    EXPECT_TRUE(log.Has("#ERROR : Command or Variable \"\" not found"));
}

TEST_F(InterpTest, SquareBracketsProtectSemicolons)
{
    EXPECT_EQ(ExecuteLine("If(0, [Inc(1);Inc(2)])"), "");
    EXPECT_EQ(ExecuteLine("If(1, [Inc(1);Inc(2)])"), "23");
    // Without brackets the line splits before If sees it.
    EXPECT_EQ(ExecuteLine("If(0, Inc(1);Inc(2))"), "3");
}

TEST_F(InterpTest, UnclosedSquareBracketRunsNothingAndSaysSo)
{
    EXPECT_EQ(ExecuteLine("Add(1, 1);If(1, [Add(2, 2)"), "2");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : \"]\" not found - statement not run: If(1, [Add(2, 2)"}));
}

TEST_F(InterpTest, ParameterListShapes)
{
    EXPECT_EQ(ParseStatement("f()"), (TParams{"f"}));
    EXPECT_EQ(ParseStatement("  f  "), (TParams{"f"}));
    EXPECT_EQ(ParseStatement("f(,1)"), (TParams{"f", "1"}));
    EXPECT_EQ(ParseStatement("f([],1)"), (TParams{"f", "", "1"}));
    EXPECT_EQ(ParseStatement(" Name ( [ a b ] , 2 ) ignored"), (TParams{"Name", "a b", "2"}));
    EXPECT_EQ(ParseStatement("f([a[b]c], [x;y])"), (TParams{"f", "a[b]c", "x;y"}));
    // Unclosed "(" takes the rest of the statement.
    EXPECT_EQ(ParseStatement("f(1, Add(2,3)"), (TParams{"f", "1", "5"}));
    EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(InterpTest, EvaluatedArgumentWithBlanksIsOneUnmatchedName)
{
    EXPECT_EQ(ParseStatement("f(x y)"), (TParams{"f", ""}));
    EXPECT_TRUE(log.Has("#ERROR : Command or Variable \"x y\" not found"));
}

TEST_F(InterpTest, MissingCommaIsReportedAndParsingGoesOn)
{
    EXPECT_EQ(ParseStatement("f([a]1, 2)"), (TParams{"f", "a", "1", "2"}));
    EXPECT_TRUE(log.Has("#ERROR : Comma not found"));
    log.Lines.clear();
    // An unclosed literal ends the text and fails the comma check.
    EXPECT_EQ(ParseStatement("f(1, [abc)]"), (TParams{"f", "1", "abc"}));
    EXPECT_TRUE(log.Has("#ERROR : Comma not found"));
}

TEST_F(InterpTest, UnknownNameWritesBothErrorLines)
{
    EXPECT_EQ(ExecuteLine("nosuch"), "");
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], "#ERROR : (FindConst) Constant \"nosuch\" Not Found");
    EXPECT_EQ(log.Lines[1], "#ERROR : Command or Variable \"nosuch\" not found");
}

TEST_F(InterpTest, CommandNamesMatchInAnyCase)
{
    EXPECT_EQ(FindCommand("help"), 0);
    EXPECT_EQ(FindCommand("CMDLIST"), 1);
    EXPECT_EQ(FindCommand("TexLoadTGA"), 46);
    EXPECT_EQ(FindCommand("iswindowopen"), 6);
    EXPECT_EQ(FindCommand("nosuch"), -1);
    EXPECT_EQ(FindCommand(""), -1);
    EXPECT_EQ(ExecuteLine("aDd(2, 3)"), "5");
}

TEST_F(InterpTest, FailingCommandReportsAndTheLineGoesOn)
{
    EXPECT_EQ(ExecuteLine("Inc([abc]);Inc(1)"), "2");
    ASSERT_EQ(ErrorCount(), 1u);
    EXPECT_EQ(log.Lines[0].rfind("#ERROR : (Inc) ", 0), 0u) << log.Lines[0];
    EXPECT_NE(log.Lines[0].find("abc"), std::string::npos);
}

TEST_F(InterpTest, NestedCallsKeepTheirOwnResults)
{
    EXPECT_EQ(ExecuteLine("Add(Inc(1), If(1, [Add(2, 2)]))"), "6");
    EXPECT_EQ(ExecuteLine("Add(Add(Add(1,1),Add(1,1)),Add(1,Add(1,Add(1,1))))"), "8");
}

TEST_F(InterpTest, NestingLimitStopsRunawayLinesWithAnErrorLine)
{
    std::string deep;
    for (int i = 0; i < 500; i++) deep += "Inc(";
    deep += "1";
    for (int i = 0; i < 500; i++) deep += ")";
    EXPECT_EQ(ExecuteLine(deep), "");   // inner levels fail; no stack overflow
    bool reported = false;
    for (const std::string& l : log.Lines) reported |= l.find("nested too deeply") != std::string::npos;
    EXPECT_TRUE(reported);
    EXPECT_EQ(CmdNestingDepth(), 0);

    // Bracket-only nesting hits the same limit.
    std::string parens(3000, '(');
    ExecuteLine("f" + parens);
    EXPECT_EQ(CmdNestingDepth(), 0);

    // Just below the limit still works.
    std::string ok;
    for (int i = 0; i < 20; i++) ok += "Inc(";
    ok += "1";
    for (int i = 0; i < 20; i++) ok += ")";
    EXPECT_EQ(ExecuteLine(ok), "21");
}

TEST_F(InterpTest, IntegerParameterConversion)
{
    TParams p{"x", "2.5", "3.5", "-7", " 12 ", "abc", "3000000000", "1e300", "", "2147483647"};
    EXPECT_EQ(CmdParamInt(p, 1), 2);
    EXPECT_EQ(CmdParamInt(p, 2), 4);
    EXPECT_EQ(CmdParamInt(p, 3), -7);
    EXPECT_EQ(CmdParamInt(p, 4), 12);
    EXPECT_THROW(CmdParamInt(p, 5), ECmdError);
    EXPECT_THROW(CmdParamInt(p, 6), ECmdError);
    EXPECT_THROW(CmdParamInt(p, 7), ECmdError);
    EXPECT_THROW(CmdParamInt(p, 8), ECmdError);
    EXPECT_EQ(CmdParamInt(p, 9), 2147483647);
    EXPECT_THROW(CmdParamInt(p, 20), ECmdError);
    EXPECT_DOUBLE_EQ(CmdParamFloat(p, 1), 2.5);
    EXPECT_THROW(CmdParamFloat(p, 5), ECmdError);
    EXPECT_THROW(CmdParamFloat(TParams{"x", "nan"}, 1), ECmdError);
}

TEST_F(InterpTest, CmdListListsTheTableThenItsCount)
{
    EXPECT_EQ(ExecuteLine("cmdlist(1, 2)"), "");
    ASSERT_EQ(log.Lines.size(), 49u);
    EXPECT_EQ(log.Lines.front(), ">Help");
    EXPECT_EQ(log.Lines[17], ">SceneChange");
    EXPECT_EQ(log.Lines[46], ">TexLoadTGA");
    EXPECT_EQ(log.Lines[47], ">MidiLearn");
    EXPECT_EQ(log.Lines.back(), ">48 Commands");
}

TEST_F(InterpTest, HelpWithoutNamePrintsTheOverview)
{
    ExecuteLine("Help");
    ASSERT_EQ(log.Lines.size(), 15u);
    EXPECT_EQ(log.Lines[0], ">HELP");
    EXPECT_EQ(log.Lines[5], ">");
    EXPECT_EQ(log.Lines[14], "> HELP (functionname)");
}

TEST_F(InterpTest, CallCommandProcRunsWithOneEmptyEntry)
{
    static TParams seen;
    CallCommandProc([](const TParams& p, std::string& r) { seen = p; r = "ignored"; });
    EXPECT_EQ(seen, (TParams{""}));
    CallCommandProc([](const TParams&, std::string&) { throw ECmdError("boom"); });
    EXPECT_TRUE(log.Has("#ERROR : boom"));
}

TEST_F(InterpTest, ArbitraryLinesNeverBreakTheInterpreter)
{
    // Bracket soup, stray separators and half numbers: every line must come
    // back (with error lines) and leave the nesting depth at zero.
    const std::string alphabet = "()[],; a1.+-e";
    uint32_t state = 12345;
    auto next = [&state] { state = state * 1103515245u + 12345u; return state >> 16; };
    for (int i = 0; i < 3000; i++) {
        std::string line;
        size_t length = next() % 48;
        for (size_t j = 0; j < length; j++) line.push_back(alphabet[next() % alphabet.size()]);
        ExecuteLine(line);
        ParseStatement(line);
        ASSERT_EQ(CmdNestingDepth(), 0) << line;
        log.Lines.clear();
    }
}

} // namespace
