// Formula engine under random and mutated texts: every program is well formed and runs safely.
// Also a differential check: random fully bracketed expressions against a reference evaluator.
#include "config/kvFormula.h"
#include "platform/kvLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <math.h>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kRows = 8;
const char* const kNames[kRows] = {"R", "G", "B", "TIME", "RADIUS", "THETA", "BASE.X", "TUNNEL.SPEED"};
float g_Vars[kRows];
int g_BadRows = 0;

int32_t FuzzFind(const std::string& name)
{
    for (int32_t i = 0; i < kRows; i++) {
        if (name == kNames[i]) return i;
    }
    return -1;
}
float FuzzGet(int32_t row)
{
    if (row < 0 || row >= kRows) { g_BadRows++; return 0.0f; }
    return g_Vars[row];
}
void FuzzSet(int32_t row, float value)
{
    if (row < 0 || row >= kRows) { g_BadRows++; return; }
    g_Vars[row] = value;
}

// Direct addresses for every row but TIME, which stays behind the get/set hooks.
float* FuzzAddress(int32_t row) { return row >= 0 && row < kRows && row != 3 ? &g_Vars[row] : nullptr; }

const std::vector<std::string> kFragments = {
    "R", "G", "B", "TIME", "radius", "Theta", "BASE.X", "tunnel.speed", "FOO", "BASE.", "_", "=",
    ";", "(", ")", ",", "+", "-", "*", "/", "^", " DIV ", " MOD ", "SIN", "cos", "TAN", "ASIN",
    "ACOS", "ATAN", "ATAN2", "EXP", "LOG", "LOG10", "SIGN", "INT", "ABS", "RAND", "MIN", "MAX",
    "IF", "1", "0", ".5", "2.5", "1.2.3", ".", "99999999999999999999999999999999999999999",
    " ", "  ", "\t", "#", "\n", "\r", "!", "<", "\x80", std::string(1, '\0'), "((((", "- - -",
};

const std::vector<std::string> kSeeds = {
    "MapA = 0.02*Radius; MapB = Theta + (0.3*SIN(Time));",
    "R = 0.5+(0.5*SIN(Time*2)); G = 0.5+(0.5*COS(Time*3)); B = ABS(SIN(Radius*4)); A = 1;",
    "R = IF(SIN(Time) - 0.5, MIN(1, Radius), MAX(0, 1 - Radius)); G = R DIV 2; B = 7 MOD (1+RAND(3));",
    "X = ATAN2(Y, X) * EXP(0-LOG(1+Radius)) ^ 2; Y = INT(LOG10(100*Bass)) + SIGN(Theta);",
    "r = -2+3; g = 2*-3+4; b = ((((1)))) / (0-0);",
};

struct TCaseStats {
    int Runnable = 0;
    int Refused = 0;
};

class FormulaFuzz : public ::testing::Test {
protected:
    void SetUp() override
    {
        FormulaSetHooks(FuzzFind, FuzzGet, FuzzSet);
        kvLogSetSink([this](const std::string& line) {
            if (line.rfind("#FORMULA ERROR : ", 0) == 0) FormulaErrors++;
            else OtherLines++;
        });
    }
    void TearDown() override
    {
        kvLogSetSink(nullptr);
        FormulaClearHooks();
    }

    // Compiles, checks the program's shape, runs it twice.
    void Check(const std::string& text)
    {
        FormulaSetHooks(FuzzFind, FuzzGet, FuzzSet, Rng() % 2 ? FuzzAddress : nullptr);
        FormulaErrors = 0;
        for (float& v : g_Vars) v = 0.25f;
        TkvFormula p;
        FormulaCompile(text, p);
        const auto& code = p.Instructions();
        ASSERT_GE(code.size(), 1u);
        EXPECT_EQ(code.back().Code, fcEOF);
        int32_t depth = 0, deepest = 0;
        bool underflow = false;
        for (size_t i = 0; i < code.size(); i++) {
            uint8_t c = code[i].Code;
            ASSERT_LT(c, kvFormulaTokenCount);
            EXPECT_FALSE(c >= fcOpen && c <= fcSemicolon) << "punctuation emitted";
            if (c == fcEOF) EXPECT_EQ(i, code.size() - 1);
            if (c == fcID || c == fcAssign) {
                EXPECT_GE(code[i].Row, 0);
                EXPECT_LT(code[i].Row, kRows);
            }
            int needs = c == fcNum || c == fcID || c == fcEOF ? 0
                      : c == fcIf ? 3
                      : (c >= fcAdd && c <= fcPower) || c == fcAtan2 || c == fcMin || c == fcMax ? 2
                      : 1;
            int change = c == fcNum || c == fcID ? 1 : c == fcEOF ? 0 : c == fcAssign ? -1 : 1 - needs;
            if (depth < needs) underflow = true;
            depth += change;
            deepest = std::max(deepest, depth);
        }
        if (p.Runnable()) {
            EXPECT_FALSE(underflow);
            EXPECT_EQ(p.StackNeed(), deepest);
            EXPECT_LE(p.StackNeed(), kvFormulaStackUsable);
            Stats.Runnable++;
        } else {
            EXPECT_GT(FormulaErrors, 0) << "refused without a message";
            Stats.Refused++;
        }
        if (FormulaErrors == 0) EXPECT_TRUE(p.Runnable()) << text;
        std::string listing = FormulaListing(p);
        EXPECT_EQ(listing.substr(listing.size() - 6), "[#EOF]");
        FormulaRun(p);
        FormulaRun(p);
        EXPECT_EQ(g_BadRows, 0);
    }

    int FormulaErrors = 0;
    int OtherLines = 0;
    TCaseStats Stats;
    std::mt19937 Rng{20261208u};
};

TEST_F(FormulaFuzz, TokenSoupAndRandomBytes)
{
    std::uniform_int_distribution<size_t> pick(0, kFragments.size() - 1);
    for (int n = 0; n < 10000; n++) {
        std::string text;
        size_t len = Rng() % 40;
        // Mostly statements-shaped: start with a name and "=" half of the time.
        if (Rng() % 2) text = kFragments[Rng() % 8] + "=";
        for (size_t i = 0; i < len; i++) text += kFragments[pick(Rng)];
        Check(text);
    }
    for (int n = 0; n < 5000; n++) {
        std::string text(Rng() % 64, '\0');
        for (char& c : text) c = static_cast<char>(Rng() & 0xFF);
        Check(text);
    }
    EXPECT_GT(Stats.Runnable, 1000);
    EXPECT_GT(Stats.Refused, 500);
}

TEST_F(FormulaFuzz, MutatedFormulas)
{
    for (int n = 0; n < 15000; n++) {
        std::string text = kSeeds[Rng() % kSeeds.size()];
        int edits = 1 + Rng() % 4;
        for (int e = 0; e < edits && !text.empty(); e++) {
            size_t at = Rng() % text.size();
            switch (Rng() % 5) {
            case 0: text.erase(at, 1 + Rng() % 6); break;
            case 1: text.insert(at, kFragments[Rng() % kFragments.size()]); break;
            case 2: text[at] = static_cast<char>(Rng() & 0x7F); break;
            case 3: text.insert(at, text.substr(at, Rng() % 12)); break;
            default: std::swap(text[at], text[Rng() % text.size()]); break;
            }
        }
        Check(text);
    }
    // Deep shapes, both under and over the limits.
    for (int levels : {10, 700, 1499, 1500, 1501, 3000}) {
        Check("R = " + std::string(levels, '(') + "1" + std::string(levels, ')') + ";");
        std::string minus;
        for (int i = 0; i < levels; i++) minus += "-";
        Check("R = " + minus + "1;");
        std::string ifs;
        for (int i = 0; i < levels; i++) ifs += "IF(1,2,";
        Check("R = " + ifs + "3" + std::string(levels, ')') + ";");
        Check("R = " + ifs);
    }
    EXPECT_GT(Stats.Runnable, 1000);
    EXPECT_GT(Stats.Refused, 1000);
}

// --- differential check ------------------------------------------------------

struct TExpr {
    std::string Text;
    float Value;
};

const char* const kUnary[] = {"SIN", "COS", "TAN", "ASIN", "ACOS", "ATAN", "EXP", "LOG",
                              "LOG10", "SIGN", "INT", "ABS"};

float Unary(int f, float x)
{
    switch (f) {
    case 0: return sinf(x);
    case 1: return cosf(x);
    case 2: return tanf(x);
    case 3: return asinf(x);
    case 4: return acosf(x);
    case 5: return atanf(x);
    case 6: return expf(x);
    case 7: return logf(x);
    case 8: return log10f(x);
    case 9: return x > 0 ? 1.0f : x == 0 ? 0.0f : -1.0f;
    case 10: return std::isnan(x) ? 0.0f : truncf(x);
    default: return fabsf(x);
    }
}

// Random expression with every operation bracketed, and its value computed
// directly with the same single-precision operations.
TExpr RandomExpr(std::mt19937& rng, int depth)
{
    if (depth <= 0 || rng() % 4 == 0) {
        if (rng() % 3 == 0) {
            int32_t row = static_cast<int32_t>(rng() % kRows);
            return {kNames[row], g_Vars[row]};
        }
        float v = static_cast<float>(rng() % 2000) / 100.0f;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2f", v);
        return {buf, static_cast<float>(std::strtod(buf, nullptr))};
    }
    TExpr a = RandomExpr(rng, depth - 1);
    TExpr b = RandomExpr(rng, depth - 1);
    switch (rng() % 10) {
    case 0: return {"(" + a.Text + "+" + b.Text + ")", a.Value + b.Value};
    case 1: return {"(" + a.Text + "-" + b.Text + ")", a.Value - b.Value};
    case 2: return {"(" + a.Text + "*" + b.Text + ")", a.Value * b.Value};
    case 3: return {"(" + a.Text + "/" + b.Text + ")", a.Value / b.Value};
    case 4: return {"(" + a.Text + "^" + b.Text + ")", powf(a.Value, b.Value)};
    case 5: return {"(-" + a.Text + ")", 0.0f - a.Value};
    case 6: return {"MIN(" + a.Text + "," + b.Text + ")", a.Value < b.Value ? a.Value : b.Value};
    case 7: return {"ATAN2(" + a.Text + "," + b.Text + ")", atan2f(a.Value, b.Value)};
    case 8: {
        TExpr c = RandomExpr(rng, depth - 1);
        return {"IF(" + a.Text + "," + b.Text + "," + c.Text + ")", a.Value > 0 ? b.Value : c.Value};
    }
    default: {
        int f = static_cast<int>(rng() % 12);
        return {std::string(kUnary[f]) + "(" + a.Text + ")", Unary(f, a.Value)};
    }
    }
}

TEST_F(FormulaFuzz, MatchesReferenceEvaluation)
{
    for (int n = 0; n < 4000; n++) {
        // Half the programs read and store through the hooks, half directly.
        FormulaSetHooks(FuzzFind, FuzzGet, FuzzSet, n % 2 ? FuzzAddress : nullptr);
        for (int32_t i = 0; i < kRows; i++) g_Vars[i] = static_cast<float>(Rng() % 400) / 100.0f - 2.0f;
        TExpr e = RandomExpr(Rng, 1 + n % 6);
        TkvFormula p;
        FormulaErrors = 0;
        FormulaCompile("B = " + e.Text + ";", p);
        ASSERT_EQ(FormulaErrors, 0) << e.Text;
        FormulaRun(p);
        float got = g_Vars[2];
        EXPECT_TRUE(got == e.Value || (std::isnan(got) && std::isnan(e.Value)))
            << e.Text << " gave " << got << ", expected " << e.Value;
    }
}

} // namespace
