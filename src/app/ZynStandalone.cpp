// ZynStandalone: program entry of the zyn executable.
//
// Sets BaseDir and the run options, then runs the fixed order: window
// callbacks, start-up, the window cycle, shut-down. SIGINT and SIGTERM close
// the window like the window manager's close button (and stop a running
// command line), so shut-down still saves.
#include "app/TGLWindow.h"
#include "app/ZynInit.h"
#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "console/ZynCmdInterp.h"
#include "platform/ZynPath.h"
#include "platform/ZynRandom.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <unistd.h>

namespace {

void OnSignal(int sig)
{
    // The first signal closes the window and stops the command line that may
    // be running, so the frame returns and shut-down saves as usual; a second
    // one while the first is still waiting for the loop (a hung frame, a long
    // load) ends the process at once.
    CmdRequestStop();
    if (TGLWindow::RequestClose()) _exit(128 + sig);
}

void InstallSignalHandlers()
{
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Portable (the executable's folder or --base-dir) or installed mode.
bool SetBaseDir()
{
    std::string error;
    if (ZynSetupDirs(ZynChooseDirs(ZynExecutableDir(), ZynOpt.baseDir), error)) return true;
    std::fprintf(stderr, "zyn: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out, error;
    switch (ZynParseOptions(argc, argv, ZynOpt, out, error)) {
    case ZynOptionsResult::ExitOk:
        std::fputs(out.c_str(), stdout);
        return 0;
    case ZynOptionsResult::ExitUsage:
        std::fprintf(stderr, "zyn: %s\n\n%s", error.c_str(), ZynUsageText().c_str());
        return 2;
    case ZynOptionsResult::Run:
        break;
    }
    if (!SetBaseDir()) return 1;
    if (ZynOpt.hasSeed) ZynRandomFixSeed(ZynOpt.seed);

    GLWindow.Headless = ZynOpt.headless;
    GLWindow.FixedDelta = static_cast<float>(ZynOpt.fixedDt);
    GLWindow.MaxFrames = ZynOpt.frames;
    // Offline runs (fixed frame time) go as fast as they can unless asked otherwise.
    GLWindow.MaxFPS = static_cast<float>(ZynOpt.maxFps >= 0 ? ZynOpt.maxFps : (ZynOpt.fixedDt > 0 ? 0 : 60));
    GLWindow.MessageBoxes = ZynOpt.frames < 0;      // a bounded run must never wait for a click
    InstallSignalHandlers();

    bool ok = false;
    try {
        ZynI_SetupCallbacks();
        ZynI_Init();
        ok = GLWindow.Run();
    } catch (const std::exception& e) {
        ZynLogError(std::string("(main) : ") + e.what());
    } catch (...) {
        ZynLogError("(main) : unknown exception");
    }
    try {
        ZynI_Done();
    } catch (const std::exception& e) {
        ZynLogError(std::string("(ZynI_Done) : ") + e.what());
    }
    return ok ? 0 : 1;
}
