// Scene data readers: effect and shape profiles, morph frames, and hostile input.
#include "config/ZynConstDef.h"
#include "config/ZynConstFormula.h"
#include "scenes/SceneDataFiles.h"
#include "scenes/ZynSceneData.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>

namespace {
std::unique_ptr<TZynIniFile> Profile(const std::string& text) { return TZynIniFile::FromText(text); }

void PutFloat(std::string& out, float v)
{
    char b[4];
    std::memcpy(b, &v, 4);   // the build machine is little-endian like the file format
    out.append(b, 4);
}

std::string Frame(float x, float y, float z, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    std::string out;
    for (int i = 0; i < kZynMorphPoints; i++) {
        PutFloat(out, x), PutFloat(out, y), PutFloat(out, z), PutFloat(out, 0);
        out += char(r), out += char(g), out += char(b), out += char(a);
    }
    return out;
}
}  // namespace

TEST(SceneData, VisFeedEffectsAreReadInReverseSectionOrderWithTheirSettings)
{
    ConstFormulaInstallHooks();
    TLogLines log;
    std::vector<TZynVisFeedEffect> effects(1);   // one from an earlier file stays first
    ZynReadVisFeed(*Profile("[MAIN]\ncount=2\n[1]\nFMap=MapA=0.5;\nVisStyle=3\nUsePolar=1\n"
                            "[2]\nFMap=MapA=2;\nVisAdd=1\n"),
                   effects);
    ASSERT_EQ(effects.size(), 3u);
    EXPECT_EQ(effects[1].VisAdd, true);      // section 2
    EXPECT_EQ(effects[1].VisStyle, 1);       // the default
    EXPECT_EQ(effects[2].VisStyle, 3);       // section 1
    EXPECT_TRUE(effects[2].UsePolar);
    FormulaRun(effects[2].Map);
    EXPECT_FLOAT_EQ(zcBASE_MapA, 0.5f);
    EXPECT_TRUE(log.Has("Loading Kessa Effect #2"));
    EXPECT_TRUE(log.Has(" Formula \"FMap\" (MapA=0.5;)"));
    EXPECT_TRUE(log.Has(" Formula \"FOffset\" ()"));
}

TEST(SceneData, CountsFromFilesAreBounded)
{
    ConstFormulaInstallHooks();
    TLogLines log;
    std::vector<TZynVisFeedEffect> effects;
    for (const char* count : {"-5", "1e9", "abc", ""}) {
        ZynReadVisFeed(*Profile(std::string("[MAIN]\ncount=") + count + "\n"), effects);
        EXPECT_TRUE(effects.empty()) << count;
    }
    EXPECT_EQ(log.Containing("#WARNING"), 0);
    ZynReadVisFeed(*Profile("[MAIN]\ncount=1000000000\n"), effects);
    EXPECT_EQ(int32_t(effects.size()), kZynMaxEffectsPerFile);
    EXPECT_EQ(log.Containing("#WARNING : "), 1);

    std::vector<TZynActiveMorph> shapes;
    ZynReadActiveMorphs(*Profile("[MAIN]\ncount=99999999999\n[1]\nRow=0\n[2]\nRow=-3\n[3]\nRow=7\n"), shapes);
    ASSERT_EQ(int32_t(shapes.size()), kZynMaxEffectsPerFile);
    size_t last = shapes.size() - 1;   // section k of n sits at n - k
    EXPECT_EQ(shapes[last].Row, 360);
    EXPECT_EQ(shapes[last - 1].Row, 360);
    EXPECT_EQ(shapes[last - 2].Row, 7);
    EXPECT_EQ(shapes[0].Row, 360);     // a section that does not exist: defaults
}

TEST(SceneData, BrokenFormulasAreReportedAndStayHarmless)
{
    ConstFormulaInstallHooks();
    TLogLines log;
    std::vector<TZynVisFeedEffect> effects;
    // A syntax error, a tab and a carriage return inside formulas, a lone CR line end.
    ZynReadVisFeed(*Profile("[MAIN]\r\ncount=3\r\n[1]\r\nFMap=MapA=(1+;\r\n[2]\r\nFMap=MapA=3;\tMapB=4;\r\n"
                            "[3]\r\nFMap=MapA=5;\rMapB=6;\r\n"),
                   effects);
    ASSERT_EQ(effects.size(), 3u);
    EXPECT_GE(log.Containing("#FORMULA ERROR"), 1);
    zcBASE_MapA = zcBASE_MapB = 0;
    FormulaRun(effects[1].Map);   // section 2: the tab ends the formula
    EXPECT_FLOAT_EQ(zcBASE_MapA, 3);
    EXPECT_FLOAT_EQ(zcBASE_MapB, 0);
    FormulaRun(effects[2].Map);   // section 1: whatever compiled runs without harm
}

TEST(SceneData, MorphFramesNeedWholeFramesAndDecodeEveryField)
{
    TLogLines log;
    std::vector<TZynMorphFrame> frames;
    std::string two = Frame(1.5f, -2, 128, 10, 20, 30, 40) + Frame(NAN, INFINITY, 3e38f, 255, 0, 0, 255);
    EXPECT_EQ(ZynReadMorphFrames(reinterpret_cast<const uint8_t*>(two.data()), two.size(), "two", frames), 2);
    ASSERT_EQ(frames.size(), 2u);
    const TZynMorphPoint& p = frames[0][359];
    EXPECT_EQ(p.X, 1.5f);
    EXPECT_EQ(p.Y, -2.0f);
    EXPECT_EQ(p.Z, 128.0f);
    EXPECT_EQ(int(p.R) + int(p.G) * 1000 + int(p.B) * 1000000, 10 + 20000 + 30000000);
    EXPECT_EQ(p.A, 40);
    EXPECT_EQ(frames[1][0].X, 0.0f);   // not a number
    EXPECT_EQ(frames[1][0].Y, 0.0f);   // infinite
    EXPECT_LE(frames[1][0].Z, 1e6f);   // far out of any picture

    for (size_t size : {size_t(7199), size_t(7201), size_t(100)}) {
        log.Lines.clear();
        EXPECT_EQ(ZynReadMorphFrames(reinterpret_cast<const uint8_t*>(two.data()), size, "cut", frames), 0);
        EXPECT_EQ(log.Containing("#ERROR : TvisPointMorph - \"cut\" is not a morph file"), 1) << size;
    }
    EXPECT_EQ(ZynReadMorphFrames(nullptr, 0, "empty", frames), 0);
    std::string many(size_t(kZynMaxMorphFramesPerFile + 3) * kZynMorphFrameBytes, '\0');
    frames.clear();
    log.Lines.clear();
    EXPECT_EQ(ZynReadMorphFrames(reinterpret_cast<const uint8_t*>(many.data()), many.size(), "many", frames),
              kZynMaxMorphFramesPerFile);
    EXPECT_EQ(log.Containing("#WARNING : "), 1);
}
