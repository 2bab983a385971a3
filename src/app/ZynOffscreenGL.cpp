// ZynOffscreenGL: hidden SDL window with a current GL context for tests and tools.
#include "app/ZynOffscreenGL.h"

#include <SDL2/SDL.h>

#include <cstdlib>

namespace ZynOffscreenGL {

static SDL_Window* g_window = nullptr;
static SDL_GLContext g_context = nullptr;
static std::string g_error;

bool Create(int w, int h)
{
    Destroy();
    g_error.clear();
    if (w < 1 || h < 1) {
        g_error = "size must be at least 1x1";
        return false;
    }
    // Only the offscreen driver is guaranteed on a machine without a display.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!driver || !*driver) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        g_error = std::string("SDL video init failed: ") + SDL_GetError();
        return false;
    }
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    g_window = SDL_CreateWindow("zyn offscreen", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!g_window) {
        g_error = std::string("window creation failed: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    g_context = SDL_GL_CreateContext(g_window);
    if (!g_context || SDL_GL_MakeCurrent(g_window, g_context) != 0) {
        g_error = std::string("GL context creation failed: ") + SDL_GetError();
        Destroy();
        return false;
    }
    return true;
}

void Destroy()
{
    if (g_context) {
        SDL_GL_MakeCurrent(g_window, nullptr);
        SDL_GL_DeleteContext(g_context);
        g_context = nullptr;
    }
    if (g_window) {
        SDL_DestroyWindow(g_window);
        g_window = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

void Swap()
{
    if (g_window) SDL_GL_SwapWindow(g_window);
}

bool Exists() { return g_context != nullptr; }

const std::string& LastError() { return g_error; }

}  // namespace ZynOffscreenGL
