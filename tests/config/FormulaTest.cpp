// Formula engine: scanning, parsing rules, machine results, errors and safety, with fake hooks.
#include "config/kvFormula.h"
#include "platform/kvLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

// A small fake registry: rows named like the BASE rows, plus one outside BASE.
constexpr int32_t kRows = 64;
float g_Vars[kRows];
int g_BadRows = 0;
std::vector<std::string> g_Found;   // names passed to find
const std::map<std::string, int32_t> kNames = {
    {"BASE.TIMEPASSED", 37}, {"BASE.TIME", 38}, {"BASE.BASS", 39}, {"BASE.R", 41},
    {"BASE.G", 42}, {"BASE.B", 43}, {"BASE.RADIUS", 45}, {"BASE.THETA", 46},
    {"BASE.MAX", 50}, {"TUNNEL.SPEED", 7},
};

int32_t FakeFind(const std::string& name)
{
    g_Found.push_back(name);
    std::string full = name.find('.') == std::string::npos ? "BASE." + name : name;
    auto it = kNames.find(full);
    if (it == kNames.end()) {
        kvLogLine("#ERROR : (FindConst) Constant \"" + full + "\" Not Found");
        return -1;
    }
    return it->second;
}

float FakeGet(int32_t row)
{
    if (row < 0 || row >= kRows) { g_BadRows++; return 0.0f; }
    return g_Vars[row];
}

void FakeSet(int32_t row, float value)
{
    if (row < 0 || row >= kRows) { g_BadRows++; return; }
    g_Vars[row] = value;
}

constexpr int32_t R = 41, G = 42, B = 43, TIME = 38;

class Formula : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (float& v : g_Vars) v = 0.0f;
        g_BadRows = 0;
        g_Found.clear();
        FormulaSetHooks(FakeFind, FakeGet, FakeSet);
        kvLogSetSink([this](const std::string& line) { Lines.push_back(line); });
    }
    void TearDown() override
    {
        kvLogSetSink(nullptr);
        FormulaClearHooks();
        EXPECT_EQ(g_BadRows, 0);
    }
    // Compile and run once; returns BASE.R.
    float Eval(const std::string& text)
    {
        g_Vars[R] = -999.0f;
        TkvFormula p;
        FormulaCompile(text, p);
        FormulaRun(p);
        return g_Vars[R];
    }
    std::vector<std::string> Lines;
};

TEST_F(Formula, ListsAndRunsAssignments)
{
    TkvFormula p;
    FormulaCompile("R = 1; G = 2;", p);
    EXPECT_EQ(FormulaListing(p), "[1][=41][2][=42][#EOF]");
    EXPECT_EQ(p.Count(), 5);
    EXPECT_TRUE(p.Runnable());
    EXPECT_TRUE(Lines.empty());
    FormulaRun(p);
    EXPECT_EQ(g_Vars[R], 1.0f);
    EXPECT_EQ(g_Vars[G], 2.0f);

    g_Found.clear();
    FormulaCompile("r = 0.5 + sin(time) * tunnel.speed;", p);
    EXPECT_EQ(FormulaListing(p), "[0.5][ID 38][SIN][ID 7][*][+][=41][#EOF]");
    EXPECT_EQ(g_Found, (std::vector<std::string>{"R", "TIME", "TUNNEL.SPEED"}));
}

TEST_F(Formula, ListingNamesOperatorsAndFunctions)
{
    TkvFormula p;
    FormulaCompile("R = IF(1 DIV 2 MOD 3 ^ 4 / 5, MIN(1, MAX(2, ATAN2(3, 4))), 0.25 - 1.5);", p);
    EXPECT_EQ(FormulaListing(p), "[1][2][DIV][3][MOD][4][^][5][/][1][2][3][4][ATAN2][MAX][MIN]"
                                 "[0.25][1.5][-][IF][=41][#EOF]");
    EXPECT_TRUE(Lines.empty());
    // No exponents: "1E5" is the number 1 followed by the unknown name "E5".
    FormulaCompile("R = 1E5;", p);
    ASSERT_EQ(Lines.size(), 3u);
    EXPECT_EQ(Lines[1], "#FORMULA ERROR : Token not found - \"E5\" at char #8");
    TkvFormula empty;
    EXPECT_EQ(FormulaListing(empty), "");
    EXPECT_EQ(empty.Count(), 0);
}

TEST_F(Formula, OperatorRulesOfTheLanguage)
{
    EXPECT_EQ(Eval("R = 2*3^2;"), 36.0f);       // one level for * and ^
    EXPECT_EQ(Eval("R = 2^3^2;"), 64.0f);       // left to right
    EXPECT_EQ(Eval("R = 1+2*3;"), 7.0f);        // Terms bind tighter than + and -
    EXPECT_EQ(Eval("R = 1-2-3;"), -4.0f);
    EXPECT_EQ(Eval("R = 8/2/2;"), 2.0f);
    EXPECT_EQ(Eval("R = -2+3;"), -5.0f);        // unary minus takes the rest
    EXPECT_EQ(Eval("R = 2*-3+4;"), -14.0f);
    EXPECT_EQ(Eval("R = (-2)+3;"), 1.0f);
    EXPECT_EQ(Eval("R = MAX(-1, 2)*2;"), 4.0f);  // "," ends the unary minus
    EXPECT_EQ(Eval("R = - - 3;"), 3.0f);
    EXPECT_EQ(Eval("R = ((((7))));"), 7.0f);
    EXPECT_EQ(Eval("R = .5 + 5.;"), 5.5f);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(Formula, IntegerDivisionAndRemainder)
{
    EXPECT_EQ(Eval("R = 7 DIV 2;"), 3.0f);
    EXPECT_EQ(Eval("R = 7 MOD 2;"), 1.0f);
    EXPECT_EQ(Eval("R = 2.5 DIV 1;"), 2.0f);    // ties to even
    EXPECT_EQ(Eval("R = 3.5 DIV 1;"), 4.0f);
    EXPECT_EQ(Eval("R = 7 DIV 2.5;"), 3.0f);    // divisor rounds to 2
    EXPECT_EQ(Eval("R = (0-7) DIV 2;"), -3.0f); // truncates towards zero
    EXPECT_EQ(Eval("R = (0-7) MOD 2;"), -1.0f); // sign of a
    EXPECT_EQ(Eval("R = 7 MOD (0-2);"), 1.0f);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(Formula, Functions)
{
    const float pi = 3.14159265f;
    EXPECT_NEAR(Eval("R = SIN(1.5707963);"), 1.0f, 1e-6);
    EXPECT_NEAR(Eval("R = COS(3.14159265);"), -1.0f, 1e-6);
    EXPECT_NEAR(Eval("R = TAN(0.78539816);"), 1.0f, 1e-6);
    EXPECT_NEAR(Eval("R = ASIN(1);"), pi / 2, 1e-6);
    EXPECT_NEAR(Eval("R = ACOS(0-1);"), pi, 1e-6);
    EXPECT_NEAR(Eval("R = ATAN(1);"), pi / 4, 1e-6);
    EXPECT_NEAR(Eval("R = ATAN2(1, 0);"), pi / 2, 1e-6);   // first argument is y
    EXPECT_NEAR(Eval("R = ATAN2(0, 0-1);"), pi, 1e-6);
    EXPECT_NEAR(Eval("R = EXP(1);"), 2.7182818f, 1e-6);
    EXPECT_NEAR(Eval("R = LOG(EXP(2));"), 2.0f, 1e-6);
    EXPECT_NEAR(Eval("R = LOG10(1000);"), 3.0f, 1e-6);
    EXPECT_EQ(Eval("R = SIGN(0-3);"), -1.0f);
    EXPECT_EQ(Eval("R = SIGN(0);"), 0.0f);
    EXPECT_EQ(Eval("R = SIGN(0.001);"), 1.0f);
    EXPECT_EQ(Eval("R = INT(0-2.7);"), -2.0f);
    EXPECT_EQ(Eval("R = INT(2.7);"), 2.0f);
    EXPECT_EQ(Eval("R = ABS(0-3);"), 3.0f);
    EXPECT_EQ(Eval("R = MIN(3, 2);"), 2.0f);
    EXPECT_EQ(Eval("R = MAX(3, 2);"), 3.0f);
    EXPECT_EQ(Eval("R = IF(0, 1, 2);"), 2.0f);   // 0 is not > 0
    EXPECT_EQ(Eval("R = IF(0.5, 1, 2);"), 1.0f);
    EXPECT_EQ(Eval("R = IF(0-1, 1, 2);"), 2.0f);
    EXPECT_EQ(Eval("R = RAND(1);"), 0.0f);
    for (int i = 0; i < 200; i++) {
        float v = Eval("R = RAND(9.6);");        // n rounds to 10
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 9.0f);
        EXPECT_EQ(v, std::trunc(v));
    }
    EXPECT_TRUE(Lines.empty());
}

TEST_F(Formula, DefinedResultsInsteadOfTraps)
{
    EXPECT_EQ(Eval("R = 5 DIV 0;"), 0.0f);
    EXPECT_EQ(Eval("R = 5 MOD 0;"), 0.0f);
    EXPECT_EQ(Eval("R = 5 DIV 0.4;"), 0.0f);               // divisor rounds to 0
    EXPECT_EQ(Eval("R = (0/0) DIV 2;"), 0.0f);             // NaN operand
    EXPECT_EQ(Eval("R = 2 MOD (0/0);"), 0.0f);
    EXPECT_EQ(Eval("R = INT(0/0);"), 0.0f);
    EXPECT_EQ(Eval("R = RAND(0);"), 0.0f);
    EXPECT_EQ(Eval("R = RAND(0-5);"), 0.0f);
    EXPECT_EQ(Eval("R = RAND(0/0);"), 0.0f);
    // int64 limits: -1e30 saturates to the smallest int64; dividing it by -1 must not trap.
    EXPECT_EQ(Eval("R = (0-1000000000000000000000000000000) DIV (0-1);"), 9.223372e18f);
    EXPECT_EQ(Eval("R = (0-1000000000000000000000000000000) MOD (0-1);"), 0.0f);
    EXPECT_EQ(Eval("R = 1000000000000000000000000000000 DIV 1;"), 9.223372e18f);
    // Plain float faults follow IEEE rules.
    EXPECT_TRUE(std::isinf(Eval("R = 1/0;")));
    EXPECT_TRUE(std::isnan(Eval("R = LOG(0-1);")));
    EXPECT_EQ(Eval("R = SIGN(0/0);"), -1.0f);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(Formula, ReadsVariablesAtRunTime)
{
    TkvFormula p;
    FormulaCompile("r = sin(time); G = B*2;", p);
    g_Vars[TIME] = 0.5f;
    g_Vars[B] = 3.0f;
    FormulaRun(p);
    EXPECT_FLOAT_EQ(g_Vars[R], std::sin(0.5f));
    EXPECT_EQ(g_Vars[G], 6.0f);
    g_Vars[TIME] = 1.0f;
    g_Vars[B] = -1.0f;
    FormulaRun(p);
    EXPECT_FLOAT_EQ(g_Vars[R], std::sin(1.0f));
    EXPECT_EQ(g_Vars[G], -2.0f);
    // A later statement sees an earlier statement's result.
    FormulaCompile("R = 3; G = R + 1;", p);
    FormulaRun(p);
    EXPECT_EQ(g_Vars[G], 4.0f);
}

TEST_F(Formula, ExactErrorTextsAndPositions)
{
    TkvFormula p;
    FormulaCompile("R=MAX(1,2)", p);
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Syntax Error - was expecting \";\" got \"#EOF\" at char #10");
    EXPECT_EQ(FormulaListing(p), "[1][2][MAX][=41][#EOF]");
    FormulaRun(p);
    EXPECT_EQ(g_Vars[R], 2.0f);   // still runs: its stack use is sound

    Lines.clear();
    FormulaCompile("R = 1 # comment", p);
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Syntax Error - was expecting \";\" got \"#EOF\" at char #8");

    Lines.clear();
    FormulaCompile("R = 1;\r\nG 2;", p);   // CR LF skipped; position counts them
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Syntax Error - was expecting \"=\" got \"#NUM\" at char #12");
    FormulaRun(p);
    EXPECT_EQ(g_Vars[G], 2.0f);

    Lines.clear();
    FormulaCompile("MAX = 1;", p);        // a function word is never an identifier
    ASSERT_GE(Lines.size(), 1u);
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Syntax Error - was expecting \"#ID\" got \"MAX\" at char #4");
    EXPECT_EQ(FormulaListing(p), "[#EOF]");

    Lines.clear();
    FormulaCompile("BASE.MAX = 4;", p);   // ... but reachable with its section
    EXPECT_TRUE(Lines.empty());
    FormulaRun(p);
    EXPECT_EQ(g_Vars[50], 4.0f);
}

TEST_F(Formula, UnknownNamesEndTheText)
{
    TkvFormula p;
    FormulaCompile("FOO", p);
    ASSERT_EQ(Lines.size(), 2u);
    EXPECT_EQ(Lines[0], "#ERROR : (FindConst) Constant \"BASE.FOO\" Not Found");
    EXPECT_EQ(Lines[1], "#FORMULA ERROR : Token not found - \"FOO\" at char #3");
    EXPECT_EQ(FormulaListing(p), "[#EOF]");

    Lines.clear();
    FormulaCompile("R = 1; NOPE = 2; B = 3;", p);
    ASSERT_EQ(Lines.size(), 2u);
    EXPECT_EQ(Lines[1], "#FORMULA ERROR : Token not found - \"NOPE\" at char #12");
    FormulaRun(p);
    EXPECT_EQ(g_Vars[R], 1.0f);
    EXPECT_EQ(g_Vars[B], 0.0f);   // never reached

    // Without hooks every identifier fails.
    FormulaClearHooks();
    Lines.clear();
    FormulaCompile("R = 1;", p);
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Token not found - \"R\" at char #2");
}

TEST_F(Formula, TabsAndUnknownCharactersEndTheText)
{
    TkvFormula p;
    FormulaCompile("R = 1;\tG = 2;", p);
    EXPECT_TRUE(Lines.empty());
    FormulaRun(p);
    EXPECT_EQ(g_Vars[R], 1.0f);
    EXPECT_EQ(g_Vars[G], 0.0f);

    FormulaCompile("R = 5; ! G = 2;", p);
    EXPECT_TRUE(Lines.empty());
    EXPECT_EQ(FormulaListing(p), "[5][=41][#EOF]");

    FormulaCompile("R = 1;\n  G = 2;\n", p);
    FormulaRun(p);
    EXPECT_EQ(g_Vars[G], 2.0f);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(Formula, MalformedNumbersAreErrors)
{
    for (const char* text : {"R = 1.2.3;", "R = .;", "R = 1..;"}) {
        Lines.clear();
        g_Vars[R] = 42.0f;
        TkvFormula p;
        FormulaCompile(text, p);
        ASSERT_FALSE(Lines.empty()) << text;
        EXPECT_EQ(Lines[0].rfind("#FORMULA ERROR : Invalid number - \"", 0), 0u) << Lines[0];
        FormulaRun(p);
        EXPECT_EQ(g_Vars[R], 42.0f) << text;
    }
    Lines.clear();
    std::string huge = "R = 1" + std::string(60, '0') + ";";   // beyond a float
    EXPECT_EQ(Eval(huge), -999.0f);
    ASSERT_FALSE(Lines.empty());
    EXPECT_NE(Lines[0].find("Invalid number"), std::string::npos);
}

TEST_F(Formula, UnsoundProgramsRunAsEmptyPrograms)
{
    for (const char* text : {"R = * 2;", "R = ;", "R = 1 + ;", "R = IF(1, , );", "R = SIN();",
                             "R = ^;"}) {
        Lines.clear();
        g_Vars[R] = 42.0f;
        TkvFormula p;
        FormulaCompile(text, p);
        EXPECT_FALSE(p.Runnable()) << text;
        ASSERT_FALSE(Lines.empty());
        EXPECT_EQ(Lines.back().rfind("#FORMULA ERROR : Stack underflow - formula disabled at char #", 0), 0u)
            << text << " -> " << Lines.back();
        FormulaRun(p);
        EXPECT_EQ(g_Vars[R], 42.0f) << text;
        EXPECT_EQ(FormulaListing(p).substr(FormulaListing(p).size() - 6), "[#EOF]");
    }
    Lines.clear();
    TkvFormula p;
    FormulaCompile("R = ;", p);
    EXPECT_EQ(Lines[0], "#FORMULA ERROR : Syntax Error in \"Factor\" BNF - got ; at char #5");
}

TEST_F(Formula, StackNeedIsComputedAtCompileTime)
{
    TkvFormula p;
    FormulaCompile("R = 1+(2*(3+4));", p);
    EXPECT_EQ(p.StackNeed(), 4);
    FormulaCompile("R = IF(1, 2, 3); G = 1;", p);
    EXPECT_EQ(p.StackNeed(), 3);
    FormulaCompile("", p);
    EXPECT_EQ(p.StackNeed(), 0);
    EXPECT_TRUE(p.Runnable());
    EXPECT_EQ(FormulaListing(p), "[#EOF]");
    FormulaRun(p);
}

TEST_F(Formula, DeepNestingIsCappedWithOneError)
{
    for (std::string open : {"(", "- ", "SIN(", "MAX(1,"}) {
        Lines.clear();
        std::string text = "R = ";
        for (int i = 0; i < 100000; i++) text += open;
        text += "1;";
        g_Vars[R] = 42.0f;
        TkvFormula p;
        FormulaCompile(text, p);
        EXPECT_FALSE(p.Runnable()) << open;
        ASSERT_EQ(Lines.size(), 1u) << open;
        EXPECT_EQ(Lines[0].rfind("#FORMULA ERROR : Nesting too deep - more than 1500 levels at char #", 0), 0u)
            << Lines[0];
        FormulaRun(p);
        EXPECT_EQ(g_Vars[R], 42.0f);
    }
}

TEST_F(Formula, ProgramsDeeperThanTheStackAreRefused)
{
    auto nestedIf = [](int levels) {
        std::string text = "R = ";
        for (int i = 0; i < levels; i++) text += "IF(1,1,";
        text += "2";
        text += std::string(levels, ')');
        return text + ";";
    };
    // Each IF level keeps two values pending: 1000 levels fit, 1100 do not.
    TkvFormula p;
    FormulaCompile(nestedIf(1000), p);
    EXPECT_TRUE(Lines.empty());
    EXPECT_EQ(p.StackNeed(), 2001);
    EXPECT_EQ(Eval(nestedIf(1000)), 1.0f);

    FormulaCompile(nestedIf(1100), p);
    EXPECT_FALSE(p.Runnable());
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0].rfind("#FORMULA ERROR : Stack overflow - formula needs 2201 of 2047 entries", 0), 0u)
        << Lines[0];
    g_Vars[R] = 42.0f;
    FormulaRun(p);
    EXPECT_EQ(g_Vars[R], 42.0f);
}

float* FakeAddress(int32_t row) { return row == TIME ? nullptr : &g_Vars[row]; }

TEST_F(Formula, DirectVariablesGiveTheSameResults)
{
    const char* texts[] = {
        "R = 0.5 + (0.5*SIN((THETA*3) + TIME)); G = 1 - RADIUS; B = 2 / (RADIUS + 1);",
        "R = THETA - (RADIUS * 2); G = (0 - RADIUS) / THETA; B = TIME - THETA - RADIUS;",
        "R = IF(THETA - 1, MIN(RADIUS, 2) * TIME, MAX(1, THETA) / 3); G = R * R; B = G + R;",
        "R = (1 + 2) * (RADIUS - (3 / THETA)); G = TIME * (TIME - 1); B = ATAN2(THETA, 0 - RADIUS);",
    };
    for (const char* text : texts) {
        float results[2][3];
        for (int mode = 0; mode < 2; mode++) {
            FormulaSetHooks(FakeFind, FakeGet, FakeSet, mode ? FakeAddress : nullptr);
            for (float& v : g_Vars) v = 0.0f;
            g_Vars[TIME] = 1.25f;
            g_Vars[45] = 0.7f;    // RADIUS
            g_Vars[46] = -2.2f;   // THETA
            TkvFormula p;
            FormulaCompile(text, p);
            FormulaRun(p);
            results[mode][0] = g_Vars[R];
            results[mode][1] = g_Vars[G];
            results[mode][2] = g_Vars[B];
        }
        for (int i = 0; i < 3; i++) EXPECT_EQ(results[0][i], results[1][i]) << text << " output " << i;
    }
    EXPECT_TRUE(Lines.empty());
}

TEST_F(Formula, LongOperatorChains)
{
    FormulaSetHooks(FakeFind, FakeGet, FakeSet, FakeAddress);
    std::string sum = "R = 1", diff = "G = 0";
    for (int i = 0; i < 5000; i++) {
        sum += "+1";
        diff += "-B";
    }
    g_Vars[B] = 0.5f;
    TkvFormula p;
    FormulaCompile(sum + "; " + diff + ";", p);
    EXPECT_EQ(p.StackNeed(), 2);
    FormulaRun(p);
    EXPECT_EQ(g_Vars[R], 5001.0f);
    EXPECT_EQ(g_Vars[G], -2500.0f);
    EXPECT_TRUE(Lines.empty());
}

TEST_F(Formula, RecompilingReplacesTheProgram)
{
    TkvFormula p;
    FormulaCompile("R = * 1;", p);
    EXPECT_FALSE(p.Runnable());
    FormulaCompile("R = 3;", p);
    EXPECT_TRUE(p.Runnable());
    EXPECT_EQ(FormulaListing(p), "[3][=41][#EOF]");
    TkvFormula copy = p;
    FormulaCompile("G = 1;", p);
    FormulaRun(copy);
    EXPECT_EQ(g_Vars[R], 3.0f);
    EXPECT_EQ(g_Vars[G], 0.0f);
}

} // namespace
