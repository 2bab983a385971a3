// ZynInit: start-up, GL initialisation and shut-down.
//
// The spine of the program: ZynI_Init prepares the log, configuration,
// console and window settings before a window exists; ZynI_GLInit runs with
// the GL context current after every window creation (hardware checks, limits,
// the client); ZynI_Done saves state at the end.
// Depends on: app/TGLWindow, app/ZynClientObject, app/ZynLog, app/ZynOptions,
// config (constants, Zyn.cfg), console (line store, bindings, help), gfx (font,
// cube-map test, screenshots), platform, OpenGL.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TGLWindow;

// Screen-saver behaviour: fixed when the program is built, off in the standalone program.
constexpr bool ScreenSaverMode = false;
// Mouse events still tolerated in screen-saver mode.
extern int32_t ScreenSaverMouseCount;

// Program entry step 1: the GL window's callback slots.
void ZynI_SetupCallbacks();
void ZynI_Init();
bool ZynI_GLInit();
bool ZynI_GLDeInit();
void ZynI_Done();

// A modal message box captioned "VaZevarad" (logged; never shown without a display).
void ShowMessage(const std::string& text);

// A saved window rectangle: client-area position and size.
struct ZynWindowRect {
    int32_t X, Y, W, H;
};
// Start-up step 7: window fields from the MAIN constants and, when windowed,
// the saved rectangle (readRect is not called in full screen).
void ZynI_SetupWindowVars(TGLWindow& window, const std::function<ZynWindowRect()>& readRect);
// Logs the extension list the start-up way: one "GL_EXTENSIONS : " line per
// upper-cased name that is followed by a blank.
void ZynI_LogExtensions(const std::string& extensions);
// True for renderers that draw in software (Mesa's llvmpipe/softpipe, GDI Generic).
bool ZynI_IsSoftwareRenderer(const std::string& renderer);
// Writes the screen-saver companion's pointer to BaseDir (a small settings
// file under the user's configuration folder); false when it cannot be written.
bool ZynScreenSaveDirWrite();
// Saves the back buffer as the next free "Screenshot" + 4 digits + ".bmp" in BaseDir;
// returns the file name written, or "" on failure.
std::string ZynI_SaveScreenshot();
