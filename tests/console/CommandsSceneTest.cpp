// CommandsSceneTest: scene, fader, announcement, window and scene texture
// commands driving a real sequencer in an offscreen GL context.
#include "app/TGLWindow.h"
#include "app/ZynOffscreenGL.h"
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "console/ConsoleTestLog.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynCommands.h"
#include "console/ZynKeyBind.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTex.h"
#include "ui/ZynWindowConsole.h"
#include "ui/ZynWindowMain.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace {

class CommandsSceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ZynOffscreenGL::Create(640, 480)) << ZynOffscreenGL::LastError();
        ZynVisHooks = TZynVisHooks{};
        savedStart = zcSCENE_StartScene;
        zcSCENE_StartScene = 3;
        vis = std::make_unique<TVisObject>();
        CmdUseSequencer(vis.get());
        log.Lines.clear();
    }
    void TearDown() override
    {
        CmdUseSequencer(nullptr);
        vis.reset();
        ZynVisHooks = TZynVisHooks{};
        zcSCENE_StartScene = savedStart;
        ZynOffscreenGL::Destroy();
    }
    TConsoleTestLog log;
    std::unique_ptr<TVisObject> vis;
    int32_t savedStart = -1;
};

TEST_F(CommandsSceneTest, SceneChangeAndCurrentScene)
{
    EXPECT_EQ(ExecuteLine("getScene"), "3");
    ExecuteLine("SceneChange(5, 2)");
    EXPECT_EQ(vis->CurrentScene, 5);
    EXPECT_EQ(vis->FaderIndex, 2);
    EXPECT_LT(vis->FadeProgress, 1.0f);
    EXPECT_TRUE(log.Has("SCENECHANGE 5"));
    ExecuteLine("EndFade");
    EXPECT_EQ(vis->FadeProgress, 1.0f);
    ExecuteLine("SceneChange(7)");
    EXPECT_EQ(vis->FaderIndex, 0);
    EXPECT_EQ(ExecuteLine("getScene"), "7");
    log.Lines.clear();
    ExecuteLine("SceneChange(99, 0)");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : VisObject.SceneChange - Scene/Fader out of range"}));
    log.Lines.clear();
    ExecuteLine("SceneChange(1, 2, 3)");
    ExecuteLine("getScene(1)");
    ExecuteLine("EndFade(1)");
    EXPECT_EQ(log.Lines.size(), 3u);
    for (const std::string& l : log.Lines) EXPECT_EQ(l.rfind(">No help found for", 0), 0u) << l;
}

TEST_F(CommandsSceneTest, PickersYieldNumbers)
{
    for (int i = 0; i < 20; i++) {
        int64_t scene, fader;
        ASSERT_TRUE(CmdIsWholeInt(ExecuteLine("PickScene"), scene));
        EXPECT_GE(scene, 0);
        EXPECT_LT(scene, 20);   // the texture scenes weigh 0
        EXPECT_NE(scene, 3);    // never the current scene
        ASSERT_TRUE(CmdIsWholeInt(ExecuteLine("PickFader"), fader));
        EXPECT_GE(fader, 0);
        EXPECT_LT(fader, 10);
    }
    float savedRandom = zcSCENE_Random;
    zcSCENE_Random = 1.0f;
    EXPECT_EQ(ExecuteLine("PickSceneLength"), "12");   // weight 10 + fade time 2
    zcSCENE_Random = savedRandom;
    ExecuteLine("SceneChange(PickScene, PickFader)");
    EXPECT_NE(vis->CurrentScene, 3);
}

TEST_F(CommandsSceneTest, RestartScene)
{
    ExecuteLine("RestartScene(99)");
    ExecuteLine("RestartScene(-1)");
    EXPECT_TRUE(log.Lines.empty());
    ExecuteLine("RestartScene([x])");
    ExecuteLine("RestartScene(1.5)");
    ExecuteLine("RestartScene");
    EXPECT_EQ(log.Lines.size(), 3u);
    log.Lines.clear();
    TZynScene* before = vis->Scenes->Items(2);
    ExecuteLine("RestartScene(2)");
    EXPECT_NE(vis->Scenes->Items(2), nullptr);
    EXPECT_FALSE(log.Lines.empty());   // the rebuild logs its own lines
    (void)before;
}

TEST_F(CommandsSceneTest, SceneTextures)
{
    const int32_t tunnel = vis->FindScene("TUNNEL");
    ASSERT_GE(tunnel, 0);
    const std::string t = std::to_string(tunnel);
    int32_t saved = zcTUNNEL_TEX0;
    EXPECT_EQ(ExecuteLine("SceneTex(" + t + ")"), "1");
    EXPECT_EQ(ExecuteLine("SceneTex(" + t + ", 0)"), std::to_string(zcTUNNEL_TEX0));
    ExecuteLine("SceneTex(" + t + ", 0, 5)");
    EXPECT_EQ(zcTUNNEL_TEX0, 5);
    EXPECT_TRUE(log.Lines.empty());
    ExecuteLine("SceneTex(" + t + ", 0, 24)");
    ExecuteLine("SceneTex(" + t + ", 1)");
    ExecuteLine("SceneTex(99)");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{
                             ">Invalid texture range. Textures must be in the range 0->23",
                             ">Scene " + t + " contains 1 textures. you must select one of them",
                             ">First Parameter must be the number of a scene"}));
    EXPECT_EQ(zcTUNNEL_TEX0, 5);
    zcTUNNEL_TEX0 = -1;   // masked to 0..127
    EXPECT_EQ(ExecuteLine("SceneTex(" + t + ", 0)"), "127");
    zcTUNNEL_TEX0 = saved;
}

TEST_F(CommandsSceneTest, AnnounceLimitsTheIndexAndBreaksLines)
{
    ExecuteLine("Announce(7, 2.5, [one/ntwo])");
    EXPECT_EQ(vis->ActiveAnnouncement, 1);
    TZynAnnounce* scroller = vis->Announcements->Items(1);
    EXPECT_EQ(scroller->Text, "one\rtwo");
    EXPECT_FLOAT_EQ(scroller->Duration, 2.5f);
    ExecuteLine("Announce(-3, 1, [x])");
    EXPECT_EQ(vis->ActiveAnnouncement, 0);
    EXPECT_EQ(vis->Announcements->Items(0)->Text, "x");
    EXPECT_FLOAT_EQ(vis->Announcements->Items(0)->Duration, 1.0f);
    EXPECT_TRUE(log.Lines.empty());
    ExecuteLine("Announce(1, 2)");   // wrong count: help only
    EXPECT_EQ(scroller->Text, "one\rtwo");
}

TEST_F(CommandsSceneTest, WindowCommandsReachTheInterface)
{
    EXPECT_EQ(ExecuteLine("isWindowOpen"), "0");
    EXPECT_EQ(ExecuteLine("WindowClose;isWindowOpen"), "0");   // nothing open: only the flag
    EXPECT_EQ(ExecuteLine("WindowOpenConsole;isWindowOpen"), "1");
    EXPECT_NE(dynamic_cast<TWindowConsole*>(vis->UI->Current.get()), nullptr);
    EXPECT_TRUE(BindWindowOpen());
    // Replacing: the console starts closing while the menu opens.
    EXPECT_EQ(ExecuteLine("WindowOpenMain;isWindowOpen"), "1");
    EXPECT_NE(dynamic_cast<TWindowMain*>(vis->UI->Current.get()), nullptr);
    EXPECT_NE(dynamic_cast<TWindowConsole*>(vis->UI->Closing.get()), nullptr);
    EXPECT_EQ(ExecuteLine("WindowClose([x]);isWindowOpen"), "0");
    EXPECT_FALSE(BindWindowOpen());
    EXPECT_TRUE(log.Lines.empty());
}

TEST_F(CommandsSceneTest, CustomImageEditing)
{
    tZynTextures* tex = vis->Textures();
    ASSERT_NE(tex, nullptr);
    log.Lines.clear();
    ExecuteLine("TexSize(0, 4, 2)");
    ASSERT_EQ(tex->Custom[0].Width, 4);
    ASSERT_EQ(tex->Custom[0].Height, 2);
    ExecuteLine("TexLine(0, 3, [FF0000FF00FF00FF])");
    const uint8_t* p3 = tex->Custom[0].At(3);
    const uint8_t* p4 = tex->Custom[0].At(4);
    EXPECT_EQ(std::vector<int>(p3, p3 + 8), (std::vector<int>{0xFF, 0, 0, 0xFF, 0xFF, 0, 0xFF, 0}));
    EXPECT_EQ(tex->Custom[0].At(2)[3], 0);   // untouched
    ExecuteLine("TexLoad(0)");
    EXPECT_NE(tex->Textures[0], 0u);
    EXPECT_TRUE(log.Has("tZynTextures.CustomTexToGL - Loading 0"));
    ExecuteLine("TexSize(0, 8, 8)");   // an image with pixels is stretched
    EXPECT_EQ(tex->Custom[0].Width, 8);
    EXPECT_TRUE(log.Has("KVTEX (kvStretchImage) - Stretching 4x2 to 8x8"));
}

TEST_F(CommandsSceneTest, CustomImageRangeAndSizeChecks)
{
    tZynTextures* tex = vis->Textures();
    ASSERT_NE(tex, nullptr);
    log.Lines.clear();
    ExecuteLine("TexLoad(8)");
    ExecuteLine("TexSize(-1, 4, 4)");
    ExecuteLine("TexSize(1, 100, 64)");
    ExecuteLine("TexSize(1, 8192, 8)");
    ExecuteLine("TexSize(1, 0, 8)");
    const std::string range = "#ERROR : Number not within allowed range of textures (0->7)";
    const std::string sizes = "#ERROR : Image Sizes must be 64,128,256,512 etc. pixels wide and high";
    EXPECT_EQ(log.Lines, (std::vector<std::string>{range, range, sizes, sizes, sizes}));
    EXPECT_FALSE(tex->Custom[1].HasPixels());
    log.Lines.clear();
    ExecuteLine("TexLoad;TexSize(1, 2);TexLine(1, 2);TexLoadTGA(1)");
    EXPECT_EQ(log.Lines.size(), 4u);
    for (const std::string& l : log.Lines) EXPECT_EQ(l.rfind(">No help found for", 0), 0u) << l;
}

TEST_F(CommandsSceneTest, CustomImageFromFiles)
{
    tZynTextures* tex = vis->Textures();
    ASSERT_NE(tex, nullptr);
    std::filesystem::create_directories(log.Dir + "/custom");
    TkvImage picture = kvNewImage(8, 4);
    picture.At(0)[0] = 200;
    ASSERT_TRUE(kvSaveTGA(picture, log.Dir + "/custom/pic.tga"));
    log.Lines.clear();
    ExecuteLine("TexLoadTGA(1, [pic.tga])");
    ASSERT_TRUE(tex->Custom[1].HasPixels());
    EXPECT_EQ(tex->Custom[1].Width, 8);
    EXPECT_NE(tex->Textures[1], 0u);

    // Only plain names inside the custom folder are read.
    std::ofstream(log.Dir + "/secret.tga") << "x";
    log.Lines.clear();
    ExecuteLine("TexLoadTGA(1, [../secret.tga]);TexLoadBMP(1, [/etc/passwd])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{
                             "#ERROR : \"../secret.tga\" is not a file name in the custom folder",
                             "#ERROR : \"/etc/passwd\" is not a file name in the custom folder"}));
    EXPECT_TRUE(tex->Custom[1].HasPixels());   // refused before anything was freed

    ExecuteLine("TexLoadBMP(2, [missing.bmp])");
    EXPECT_FALSE(tex->Custom[2].HasPixels());
    bool loaderLine = false;
    for (const std::string& l : log.Lines) loaderLine |= l.rfind("KVTEXBMP ERROR (kvBMPLoad)", 0) == 0;
    EXPECT_TRUE(loaderLine);
}

TEST_F(CommandsSceneTest, ScreenshotsTakeTheNextFreeNumber)
{
    log.Lines.clear();
    ExecuteLine("Screenshot");
    ExecuteLine("Screenshot(1, 2)");
    const std::string first = log.Dir + "/Screenshot0000.bmp";
    const std::string second = log.Dir + "/Screenshot0001.bmp";
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_EQ(std::filesystem::file_size(first), 640u * 480u * 3u + 54u);
    EXPECT_TRUE(log.Has(">Writing Screenshot to \"" + first + "\""));
    EXPECT_TRUE(log.Has(">Writing Screenshot to \"" + second + "\""));
    EXPECT_TRUE(log.Has(">Done."));
}

TEST(CommandsNoSceneTest, SceneCommandsWithoutSequencerReportIt)
{
    TConsoleTestLog log;
    CmdUseSequencer(nullptr);
    EXPECT_EQ(ExecuteLine("getScene"), "");
    ExecuteLine("SceneChange(1)");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : (getScene) no scenes are running",
                                                    "#ERROR : (SceneChange) no scenes are running"}));
}

} // namespace

namespace {

TEST(CommandsProgramTest, ToggleFullscreenAndQuit)
{
    TConsoleTestLog log;
    const int32_t saved = zcMAIN_Fullscreen;
    const bool savedRecreate = GLWindow.Recreate;
    zcMAIN_Fullscreen = 0;
    GLWindow.Recreate = false;
    ExecuteLine("ToggleFullscreen");
    EXPECT_EQ(zcMAIN_Fullscreen, 1);
    EXPECT_TRUE(GLWindow.Recreate || GLWindow.RestartByMessage);
    ExecuteLine("ToggleFullscreen(1);Quit(1)");
    EXPECT_EQ(zcMAIN_Fullscreen, 1);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">No help found for \"ToggleFullscreen\"",
                                                    ">No help found for \"Quit\""}));
    zcMAIN_Fullscreen = saved;
    GLWindow.Recreate = savedRecreate;
}

} // namespace
