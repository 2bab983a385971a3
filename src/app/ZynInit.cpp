// ZynInit: start-up and shut-down order, GL initialisation, loading screen.
#include "app/ZynInit.h"

#include "app/TGLWindow.h"
#include "app/ZynClientObject.h"
#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "app/ZynRender.h"
#include "audio/ZynGamma.h"
#include "config/ZynConstDef.h"
#include "config/ZynConstSave.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynCommandHelp.h"
#include "console/ZynConsole.h"
#include "console/ZynKeyBind.h"
#include "console/ZynTimer.h"
#include "engine/ZynVisHooks.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTexBMP.h"
#include "gfx/kvTexCube.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynPath.h"
#include "platform/ZynRandom.h"
#include "platform/kvLog.h"
#include "winamp/ZynWinAMPControl.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

int32_t ScreenSaverMouseCount = 4;

namespace {

// Runs one start-up step; an exception is reported as "(where) : message" and
// asks the window to quit, and start-up goes on with the next step.
void Guarded(const std::string& where, const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception& e) {
        ZynLogException(where, e.what());
    } catch (...) {
        ZynLogException(where, "unknown exception");
    }
}

std::string InitGLString(GLenum name)
{
    const GLubyte* s = glGetString(name);
    return s ? reinterpret_cast<const char*>(s) : "";
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Console line store, key-binding list and the bindings (console modules).
void ConInit()
{
    Guarded("conInit:ConsoleData Create", [] { ConsoleCreate(); });
    Guarded("conInit:BindList Create", [] {
        delete BindList;
        BindList = new TBindList();
    });
    Guarded("conInit:BindList.LoadBindList", [] {
        if (BindList) BindList->LoadBindList();
    });
}

// Saved window rectangle "GL" (section WINDOWSIZE_GL), defaults when absent.
ZynWindowRect ReadGLWindowRect()
{
    TZynWindowRect r = ReadWindowRect("GL");
    return {r.X, r.Y, r.W, r.H};
}

// OTHER/HAS_SKANKY_VOODOO_CARD in the configuration file.
int32_t ReadVoodooFlag()
{
    return OpenConfig()->ReadInteger("OTHER", "HAS_SKANKY_VOODOO_CARD", 0);
}

void WriteVoodooFlag(int32_t value)
{
    std::unique_ptr<TZynIniFile> cfg = OpenConfig();
    cfg->WriteInteger("OTHER", "HAS_SKANKY_VOODOO_CARD", value);
    cfg->UpdateFile();
}

void LogBanner(const char* middle, const char* stars)
{
    ZynLogLine(stars);
    ZynLogLine(middle);
    ZynLogLine(stars);
}

}  // namespace

// ---------------------------------------------------------------------------
// Program entry: window callbacks

void ZynI_SetupCallbacks()
{
    GLWindow.OnFrame = [] {
        if (Client) Client->Frame(GLWindow.TimeDelta);
        // Unattended runs: screenshots at the frames asked for on the command line.
        int64_t frame = GLWindow.FrameCount() + 1;
        if (std::binary_search(ZynOpt.screenshotFrames.begin(), ZynOpt.screenshotFrames.end(), frame)) {
            std::string name = ZynI_SaveScreenshot();
            if (!name.empty()) ZynLogLine("Screenshot \"" + name + "\" at frame " + std::to_string(frame));
        }
        // A render that cannot write its frame ends here.
        return !ZynRenderJob || ZynRenderJob->FrameDone();
    };
    // Another window in front must not see an inverted display.
    GLWindow.OnFocus = [](bool focused) {
        if (!focused) RestoreGammaRamp();
    };
    GLWindow.OnInit = [] { return ZynI_GLInit(); };
    // Telnet input and UDP gets are answered while the frame slot is awaited, not only as a frame starts.
    GLWindow.WaitDescriptors = [](std::vector<int>& fds) {
        if (Client) Client->WaitDescriptors(fds);
    };
    GLWindow.OnWaitInput = [] {
        if (Client) Client->ServiceInput();
    };
    // BASE.Time is the window's clock: seconds since its frame loop started.
    ZynVisHooks.WindowTime = [] { return GLWindow.TimeTotal; };
    // A render's script runs at the start event, after its binding: it can
    // stop the automatic changes (TimerClear) and choose the opening scene
    // before the first picture is drawn.
    if (ZynRenderJob) {
        ZynVisHooks.ExecuteBinding = [binding = ZynVisHooks.ExecuteBinding](int32_t code) {
            if (binding) binding(code);
            if (code == Zy_START && ZynRenderJob) ZynRenderJob->RunScript();
        };
    }
    GLWindow.OnDeInit = [] { return ZynI_GLDeInit(); };
    GLWindow.OnMouse = [](int32_t x, int32_t y, uint8_t button, uint8_t state, bool pressed) {
        if (Client) Client->Mouse(x, y, button, state, pressed);
    };
    GLWindow.OnKey = [](bool pressed, int32_t code, bool isVirtualKey) {
        if (Client) Client->Key(pressed, code, isVirtualKey);
    };
    GLWindow.OnLog = [](const std::string& text) { ZynLogLine("GLWINDOW:" + text); };
    kvLogSetSink([](const std::string& line) { ZynLogLine(line); });
    ZynLogSetQuitHook([] { GLWindow.Quit(); });
}

// ---------------------------------------------------------------------------
// Start-up

bool ZynScreenSaveDirWrite()
{
    namespace fs = std::filesystem;
    std::string root;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) root = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) root = std::string(home) + "/.config";
    else return false;
    std::error_code ec;
    fs::path dir = fs::path(root) / "Quarvel";
    fs::create_directories(dir, ec);
    if (ec) return false;
    std::ofstream f(dir / "ZynScreensaver", std::ios::trunc);
    if (!f) return false;
    f << "[ZynScreensaver]\nDir=" << ZynBaseDir() << "\n";
    return static_cast<bool>(f);
}

void ZynI_SetupWindowVars(TGLWindow& w, const std::function<ZynWindowRect()>& readRect)
{
    w.Title = "Zy/quarvel";
    w.ClassName = "ZYNvis";
    if (zcMAIN_ToolWindow == 1) w.ExStyle = GLW_WS_EX_TOOLWINDOW;
    if (zcMAIN_WindowOntop == 1) w.ExStyle |= GLW_WS_EX_TOPMOST;
    w.Width = w.ScreenWidth = zcMAIN_ScreenX;
    w.Height = w.ScreenHeight = zcMAIN_ScreenY;
    w.Fullscreen = zcMAIN_Fullscreen == 1 || ScreenSaverMode;
    w.ShowCursorFullscreen = false;
    if (w.Fullscreen) return;
    ZynWindowRect r = readRect();
    // An empty saved size would make an unusable window: take the configured one.
    if (r.W < 1) r.W = zcMAIN_ScreenX;
    if (r.H < 1) r.H = zcMAIN_ScreenY;
    // Saved values may be anything: bounded before the allowances are added
    // (the window layer keeps the result on the desktop).
    constexpr int32_t kMaxPos = 1 << 20;
    r.X = std::clamp(r.X, -kMaxPos, kMaxPos);
    r.Y = std::clamp(r.Y, -kMaxPos, kMaxPos);
    r.W = std::clamp(r.W, 1, TGLWindow::MaxWindowSide);
    r.H = std::clamp(r.H, 1, TGLWindow::MaxWindowSide);
    w.Width = r.W + TGLWindow::FrameExtraW;
    w.Height = r.H + TGLWindow::FrameExtraH;
    w.Left = r.X - TGLWindow::FrameLeft;
    w.Top = r.Y - TGLWindow::FrameTop;
}

void ZynI_Init()
{
    Guarded("ZynI_Init:ZynLogClear", [] { ZynLogClear(); });
    ZynRandomizeFromClock();
    if (!ScreenSaverMode)
        Guarded("ZynI_Init:ZynScreenSaveDirWrite", [] { ZynScreenSaveDirWrite(); });
    Guarded("ZynI_Init:conInit", [] { ConInit(); });
    Guarded("ZynI_Init:ConstLoad", [] { ConstLoad(); });
    Guarded("ZynI_Init:HelpInit", [] { LoadHelp(); });
    // A render is not a player's remote: the link stays closed.
    if (!ZynRenderJob) Guarded("ZynI_Init:PlayerControl", [] { WinAMPOpen(ZynOpt.player); });
    ZynLogLine("Setting up GLWINDOW Vars");
    Guarded("ZynI_Init:WindowVars", [] { ZynI_SetupWindowVars(GLWindow, ReadGLWindowRect); });
}

// ---------------------------------------------------------------------------
// GL initialisation (window's init callback) and de-initialisation

bool ZynI_IsSoftwareRenderer(const std::string& renderer)
{
    return Contains(renderer, "GDI Generic") || Contains(renderer, "llvmpipe") ||
           Contains(renderer, "softpipe") || Contains(renderer, "swrast") ||
           Contains(renderer, "Software Rasterizer");
}

void ZynI_LogExtensions(const std::string& extensions)
{
    std::string rest = ZynUpper(extensions);
    size_t blank;
    while ((blank = rest.find(' ')) != std::string::npos) {
        ZynLogLine("GL_EXTENSIONS : " + rest.substr(0, blank));
        rest.erase(0, blank + 1);
    }
}

bool ZynI_GLInit()
{
    std::string vendor = InitGLString(GL_VENDOR);
    std::string renderer = InitGLString(GL_RENDERER);
    std::string version = InitGLString(GL_VERSION);

    // A software renderer is normal on Linux (Mesa): warn, keep running.
    if (ZynI_IsSoftwareRenderer(renderer))
        ZynLogWarning("Your computer is using the OpenGL Software renderer. (" + renderer +
                      ") Vazevarad will run slowly; drivers for your video card from its maker "
                      "would make it faster.");
    if (Contains(renderer, "Voodoo") && ReadVoodooFlag() == 0) {
        ShowMessage("Your computer is using a 3DFX Voodoo 3D accelerator card.\rVazevarad may have problems "
                    "working with some versions of drivers\rand it is reccomended that you download new "
                    "drivers from https://www.mesa3d.org/");
        WriteVoodooFlag(1);
    }
    GLWindow.BringToFront();
    ZynLogLine("GL_VENDOR : " + vendor);
    ZynLogLine("GL_RENDERER : " + renderer);
    ZynLogLine("GL_VERSION : " + version);
    ZynI_LogExtensions(InitGLString(GL_EXTENSIONS));

    if (zcMAIN_CubeMap == 1 && !HasCubeMap()) {
        zcMAIN_CubeMap = 0;
        ShowMessage("Your computer has been found not to support Cubic Environment Mapping,\rand the plugin "
                    "has been set to use normal environment mapping. If you\rget a new video card that "
                    "supports these features, you can turn them back on\rfrom the main options menu.");
    }
    GLint maxTex = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTex);
    if (maxTex > 0 && maxTex < zcMAIN_MTexX) zcMAIN_MTexX = maxTex;
    if (maxTex > 0 && maxTex < zcMAIN_MTexY) zcMAIN_MTexY = maxTex;

    glEnable(GL_BLEND);
    glClearColor(0, 0, 0, 0);
    Guarded("ZynI_GLInit:SaveGammaRamp", [] { SaveGammaRamp(); });
    delete Client;
    Client = nullptr;
    Client = new TZynClient();
    LogBanner("*  INIT DONE  *", "* * * * * * * *");
    return true;
}

bool ZynI_GLDeInit()
{
    // A stop request has ended the frame's work; the shut-down event's
    // binding runs again (within its own budget).
    CmdClearStop();
    // The window is about to go: never leave the display inverted behind it.
    RestoreGammaRamp();
    delete Client;
    Client = nullptr;
    return true;
}

// ---------------------------------------------------------------------------
// Shut-down

void ZynI_Done()
{
    // A render leaves the user's settings as they were (its script may have changed them).
    const bool keepSettings = ZynRenderJob == nullptr;
    // A full-screen configuration never touches the saved window rectangle, and
    // without a window the fields still hold the outer start values, not a place.
    if (keepSettings && GLWindow.WindowCreated() && !GLWindow.IsFullscreen && !GLWindow.Fullscreen)
        Guarded("ZynI_Done:WriteWindowRect",
                [] { WriteWindowRect("GL", GLWindow.Left, GLWindow.Top, GLWindow.Width, GLWindow.Height); });
    Guarded("ZynI_Done:FreeHelp", [] { FreeHelp(); });
    Guarded("ZynI_Done:PlayerControl", [] { WinAMPClose(); });
    Guarded("ZynI_Done:RestoreGammaRamp", [] { RestoreGammaRamp(); });
    if (keepSettings) Guarded("ZynI_Done:ConstSave", [] { ConstSave(); });
    ZynLogFlush(true);
    ZynLogLine("");
    LogBanner("*  THE END  *", "* * * * * * *");
    Guarded("ZynI_Done:BindList", [keepSettings] {
        if (BindList && keepSettings) BindList->SaveBindList();
        delete BindList;
        BindList = nullptr;
    });
    TimerReset();   // timers are not kept across runs
    Guarded("ZynI_Done:ConsoleData", [] { ConsoleFree(); });
}

// ---------------------------------------------------------------------------
// Messages

void ShowMessage(const std::string& text)
{
    GLWindow.MessageBox(text, "VaZevarad", 0);
}

// ---------------------------------------------------------------------------
// Screenshots of unattended runs

std::string ZynI_SaveScreenshot()
{
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    if (vp[2] <= 0 || vp[3] <= 0) return "";
    std::string file = ZynScreenshotFileName();
    if (!kvSaveScreenBMP(vp[0], vp[1], vp[2], vp[3], file)) return "";
    return std::filesystem::path(file).filename().string();
}
