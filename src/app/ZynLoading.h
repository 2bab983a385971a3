// ZynLoading: the loading screen drawn while textures and scenes load.
//
// Each call draws one complete frame (a progress bar with a text under it) and
// swaps the window's buffers, so long start-up steps show progress. The text
// appears once the small font (texture 8) has been loaded.
// Depends on: app/TGLWindow (context, swap), gfx/ZynTextures (FontTexture), gfx/kvFont, OpenGL.
#pragma once

#include <string>

// One complete loading frame: bar at progress 0..1, text right-aligned below it.
// Nothing without a GL context.
void ShowLoading(const std::string& text, float progress);

// The loading screen's text: with the font texture loaded, draws text in white,
// 0.08 high and 0.04 wide per character, right-aligned to end at x = 1.02 on
// y = -0.13 (current matrices), alpha-blended. False (nothing drawn) before
// the font exists.
bool ZynDrawLoadingText(const std::string& text);
