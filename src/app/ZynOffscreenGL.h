// ZynOffscreenGL: a current OpenGL context without a visible window.
//
// For tests, benchmarks and tools that need GL but not the program's window:
// Create makes a hidden window of the given size with a GL 1.x compatibility
// context (offscreen SDL driver unless SDL_VIDEODRIVER already names one) and
// makes it current. Callers never include SDL. One context at a time.
// Depends on: SDL2, OpenGL.
#pragma once

#include <string>

namespace ZynOffscreenGL {

// Makes a w x h RGBA8 + depth context current; false (with LastError) on failure.
bool Create(int w, int h);
// Releases the context and the window; harmless when none exists.
void Destroy();
// Presents the back buffer (glReadPixels of GL_BACK is valid before Swap).
void Swap();
// True between a successful Create and Destroy.
bool Exists();
// Why the last Create failed.
const std::string& LastError();

}  // namespace ZynOffscreenGL
