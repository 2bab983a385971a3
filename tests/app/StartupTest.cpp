// Tests of start-up and shut-down pieces: window settings, GL initialisation, screenshots.
#include "app/TGLWindow.h"
#include "app/ZynClientObject.h"
#include "app/ZynInit.h"
#include "app/ZynLoading.h"
#include "app/ZynLog.h"
#include "app/ZynOffscreenGL.h"
#include "app/ZynOptions.h"
#include "config/ZynConstDef.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Saves and restores the MAIN constants a test changes.
struct MainConstants {
    int32_t screenX = zcMAIN_ScreenX, screenY = zcMAIN_ScreenY, full = zcMAIN_Fullscreen;
    int32_t tool = zcMAIN_ToolWindow, ontop = zcMAIN_WindowOntop, mtexX = zcMAIN_MTexX, mtexY = zcMAIN_MTexY;
    int32_t cube = zcMAIN_CubeMap;
    ~MainConstants()
    {
        zcMAIN_ScreenX = screenX;
        zcMAIN_ScreenY = screenY;
        zcMAIN_Fullscreen = full;
        zcMAIN_ToolWindow = tool;
        zcMAIN_WindowOntop = ontop;
        zcMAIN_MTexX = mtexX;
        zcMAIN_MTexY = mtexY;
        zcMAIN_CubeMap = cube;
    }
};

ZynWindowRect DefaultRect() { return {32, 32, zcMAIN_ScreenX, zcMAIN_ScreenY}; }

struct TempBase {
    fs::path dir;
    std::string old = ZynBaseDir();
    explicit TempBase(const std::string& name)
    {
        dir = fs::temp_directory_path() / ("zyninit_" + std::to_string(::getpid()) + "_" + name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        ZynSetBaseDir(dir.string());
    }
    ~TempBase()
    {
        ZynSetBaseDir(old);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

}  // namespace

TEST(StartupWindowVars, FirstStartOpensAt28x12WithTheConfiguredClientSize)
{
    MainConstants keep;
    zcMAIN_ScreenX = 800;
    zcMAIN_ScreenY = 600;
    zcMAIN_Fullscreen = 0;
    TGLWindow w;
    ZynI_SetupWindowVars(w, DefaultRect);
    EXPECT_EQ(w.Title, "Zy/quarvel");
    EXPECT_EQ(w.ClassName, "ZYNvis");
    EXPECT_EQ(w.Left, 28);
    EXPECT_EQ(w.Top, 12);
    EXPECT_EQ(w.Width, 808);
    EXPECT_EQ(w.Height, 624);
    EXPECT_EQ(w.ScreenWidth, 800);
    EXPECT_EQ(w.ScreenHeight, 600);
    EXPECT_FALSE(w.Fullscreen);
    EXPECT_FALSE(w.ShowCursorFullscreen);
    EXPECT_EQ(w.BitsPerPixel, 32);
}

TEST(StartupWindowVars, SavedRectangleIsTheClientArea)
{
    MainConstants keep;
    zcMAIN_Fullscreen = 0;
    TGLWindow w;
    ZynI_SetupWindowVars(w, [] { return ZynWindowRect{-300, 50, 1000, 700}; });
    EXPECT_EQ(w.Left, -304);          // left of the screen stays negative
    EXPECT_EQ(w.Top, 30);
    EXPECT_EQ(w.Width, 1008);
    EXPECT_EQ(w.Height, 724);
}

TEST(StartupWindowVars, EmptySavedSizeFallsBackToTheConfiguredSize)
{
    MainConstants keep;
    zcMAIN_ScreenX = 640;
    zcMAIN_ScreenY = 480;
    zcMAIN_Fullscreen = 0;
    TGLWindow w;
    ZynI_SetupWindowVars(w, [] { return ZynWindowRect{10, 10, 0, -5}; });
    EXPECT_EQ(w.Width, 648);
    EXPECT_EQ(w.Height, 504);
    ZynI_SetupWindowVars(w, [] { return ZynWindowRect{10, 10, 300, 0}; });
    EXPECT_EQ(w.Width, 308);
    EXPECT_EQ(w.Height, 504);
}

TEST(StartupWindowVars, FullscreenNeverReadsTheSavedRectangle)
{
    MainConstants keep;
    zcMAIN_Fullscreen = 1;
    zcMAIN_ScreenX = 1024;
    zcMAIN_ScreenY = 768;
    TGLWindow w;
    bool read = false;
    ZynI_SetupWindowVars(w, [&] {
        read = true;
        return DefaultRect();
    });
    EXPECT_FALSE(read);
    EXPECT_TRUE(w.Fullscreen);
    EXPECT_EQ(w.Width, 1024);
    EXPECT_EQ(w.Height, 768);
    EXPECT_EQ(w.Left, 0);
}

TEST(StartupWindowVars, ToolWindowAndOnTopStyles)
{
    MainConstants keep;
    TGLWindow a;
    zcMAIN_ToolWindow = 1;
    zcMAIN_WindowOntop = 0;
    ZynI_SetupWindowVars(a, DefaultRect);
    EXPECT_EQ(a.ExStyle, static_cast<uint32_t>(GLW_WS_EX_TOOLWINDOW));
    TGLWindow b;
    zcMAIN_ToolWindow = 1;
    zcMAIN_WindowOntop = 1;
    ZynI_SetupWindowVars(b, DefaultRect);
    EXPECT_EQ(b.ExStyle, static_cast<uint32_t>(GLW_WS_EX_TOOLWINDOW | GLW_WS_EX_TOPMOST));
    TGLWindow c;
    zcMAIN_ToolWindow = 0;
    zcMAIN_WindowOntop = 0;
    ZynI_SetupWindowVars(c, DefaultRect);
    EXPECT_EQ(c.ExStyle, static_cast<uint32_t>(GLW_WS_EX_APPWINDOW));
}

TEST(StartupGL, ExtensionListIsLoggedUpperCasedNameByName)
{
    TempBase base("extensions");
    std::vector<std::string> lines;
    ZynLogSetConsoleSink([&](const std::string& s) { lines.push_back(s); });
    ZynI_LogExtensions("GL_ARB_multitexture GL_EXT_texture_cube_map GL_last_without_blank");
    ZynI_LogExtensions("");
    ZynLogSetConsoleSink(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"GL_EXTENSIONS : GL_ARB_MULTITEXTURE",
                                               "GL_EXTENSIONS : GL_EXT_TEXTURE_CUBE_MAP"}));
}

TEST(StartupGL, SoftwareRenderers)
{
    EXPECT_TRUE(ZynI_IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(ZynI_IsSoftwareRenderer("GDI Generic"));
    EXPECT_TRUE(ZynI_IsSoftwareRenderer("Mesa X11 softpipe"));
    EXPECT_FALSE(ZynI_IsSoftwareRenderer("NVIDIA GeForce RTX 3060/PCIe/SSE2"));
    EXPECT_FALSE(ZynI_IsSoftwareRenderer("AMD Radeon RX 6600 (radeonsi, navi23)"));
}

TEST(StartupGL, InitLogsDriverLowersTextureSizesAndCreatesTheClient)
{
    MainConstants keep;
    TempBase base("glinit");
    ZynOpt.udpPort = 47556;                  // tests stay off the real ports
    ZynOpt.announceTo = "127.0.0.1";
    ASSERT_TRUE(ZynOffscreenGL::Create(64, 64)) << ZynOffscreenGL::LastError();
    GLint maxTex = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTex);
    zcMAIN_MTexX = maxTex * 2;
    zcMAIN_MTexY = 64;
    zcMAIN_CubeMap = 1;
    std::vector<std::string> lines;
    ZynLogSetConsoleSink([&](const std::string& s) { lines.push_back(s); });

    ASSERT_TRUE(ZynI_GLInit());
    EXPECT_NE(Client, nullptr);
    EXPECT_EQ(zcMAIN_MTexX, maxTex);
    EXPECT_EQ(zcMAIN_MTexY, 64);
    EXPECT_EQ(zcMAIN_CubeMap, 1);            // Mesa has cube maps
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[3], 0.0f);

    auto index = [&](const std::string& prefix) {
        for (size_t i = 0; i < lines.size(); i++)
            if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
        return -1;
    };
    int vendor = index("GL_VENDOR : "), renderer = index("GL_RENDERER : "), version = index("GL_VERSION : ");
    int ext = index("GL_EXTENSIONS : "), done = index("*  INIT DONE  *");
    EXPECT_GE(vendor, 0);
    EXPECT_EQ(renderer, vendor + 1);
    EXPECT_EQ(version, vendor + 2);
    EXPECT_EQ(ext, vendor + 3);
    ASSERT_GE(done, 1);
    EXPECT_EQ(lines[done - 1], "* * * * * * * *");
    EXPECT_EQ(lines[done + 1], "* * * * * * * *");
    // Mesa's software renderer is only a warning.
    if (lines[renderer].find("llvmpipe") != std::string::npos)
        EXPECT_GE(index("#WARNING : Your computer is using the OpenGL Software renderer."), 0);

    EXPECT_TRUE(ZynI_GLDeInit());
    EXPECT_EQ(Client, nullptr);
    ZynLogSetConsoleSink(nullptr);
    ZynOffscreenGL::Destroy();
}

TEST(StartupGL, ScreenshotsAreNumberedBottomUpBgrBitmaps)
{
    TempBase base("shots");
    ASSERT_TRUE(ZynOffscreenGL::Create(30, 20)) << ZynOffscreenGL::LastError();
    glViewport(0, 0, 30, 20);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 0, 0);
    glRectf(-1, -1, 1, 0);                    // bottom half red, top half blue

    std::ofstream(base.dir / "Screenshot0000.bmp") << "taken";
    EXPECT_EQ(ZynI_SaveScreenshot(), "Screenshot0001.bmp");
    EXPECT_EQ(ZynI_SaveScreenshot(), "Screenshot0002.bmp");
    ZynOffscreenGL::Destroy();

    std::ifstream f(base.dir / "Screenshot0001.bmp", std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const size_t stride = 92;                 // 30 * 3 rounded up to 4
    ASSERT_EQ(b.size(), 54 + stride * 20);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(b[18] | (b[19] << 8), 30);
    EXPECT_EQ(b[22] | (b[23] << 8), 20);
    EXPECT_EQ(b[28], 24);
    // First stored row is the bottom one (red), stored blue-green-red.
    EXPECT_EQ(b[54 + 0], 0);
    EXPECT_EQ(b[54 + 2], 255);
    const size_t top = 54 + stride * 19;
    EXPECT_EQ(b[top + 0], 255);
    EXPECT_EQ(b[top + 2], 0);
}

TEST(StartupFiles, ScreenSaverCompanionPointsAtBaseDir)
{
    TempBase base("companion");
    fs::path cfg = base.dir / "config";
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", cfg.c_str(), 1);
    EXPECT_TRUE(ZynScreenSaveDirWrite());
    std::ifstream f(cfg / "Quarvel" / "ZynScreensaver");
    std::string a, b;
    std::getline(f, a);
    std::getline(f, b);
    EXPECT_EQ(a, "[ZynScreensaver]");
    EXPECT_EQ(b, "Dir=" + base.dir.string());
    // A configuration folder that cannot be made: nothing written, no exception.
    std::ofstream(base.dir / "blocker") << "file";
    setenv("XDG_CONFIG_HOME", (base.dir / "blocker").c_str(), 1);
    EXPECT_FALSE(ZynScreenSaveDirWrite());
    if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}

TEST(StartupOptions, ScreenshotFramesAreSortedUniqueAndPositive)
{
    auto parse = [](std::vector<const char*> args, ZynOptions& o) {
        args.insert(args.begin(), "zyn");
        std::string out, err;
        return ZynParseOptions(static_cast<int>(args.size()), args.data(), o, out, err);
    };
    ZynOptions a;
    ASSERT_EQ(parse({"--screenshot-frames", "300,5,300,40"}, a), ZynOptionsResult::Run);
    EXPECT_EQ(a.screenshotFrames, (std::vector<int64_t>{5, 40, 300}));
    ZynOptions b;
    ASSERT_EQ(parse({"--screenshot-frames=7"}, b), ZynOptionsResult::Run);
    EXPECT_EQ(b.screenshotFrames, (std::vector<int64_t>{7}));
    for (const char* bad : {"0", "-3", "", "5,", ",5", "5,,6", "x", "1.5"}) {
        ZynOptions c;
        EXPECT_EQ(parse({"--screenshot-frames", bad}, c), ZynOptionsResult::ExitUsage) << bad;
        EXPECT_TRUE(c.screenshotFrames.empty()) << bad;
    }
}

TEST(StartupGL, LoadingScreenFillsTheBarUpToTheProgress)
{
    ASSERT_TRUE(ZynOffscreenGL::Create(200, 200)) << ZynOffscreenGL::LastError();
    GLWindow.hRC = reinterpret_cast<void*>(1);     // drawing happens in the current context
    glViewport(0, 0, 200, 200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.01 * 0.41421356, 0.01 * 0.41421356, -0.01 * 0.41421356, 0.01 * 0.41421356, 0.01, 100);  // 45 degrees
    glClearColor(0, 0, 0, 0);
    glEnable(GL_BLEND);
    ShowLoading("ignored until the font exists", 0.5f);
    GLWindow.hRC = nullptr;
    unsigned char filled[4], empty[4], outside[4];
    glReadBuffer(GL_BACK);
    glReadPixels(60, 100, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, filled);    // x = -0.5 on the bar
    glReadPixels(140, 100, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, empty);    // x = +0.5: not reached yet
    glReadPixels(100, 150, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, outside);  // above the bar
    ZynOffscreenGL::Destroy();
    EXPECT_EQ(filled[0], 0);
    EXPECT_EQ(filled[1], 0);
    EXPECT_NEAR(filled[2], 128, 1);
    EXPECT_EQ(empty[2], 0);
    EXPECT_EQ(outside[0] + outside[1] + outside[2], 0);
}
