// ZynEngineDeps: the scene engine's narrow view of the modules it builds on.
//
// The engine needs the vis data record, a handful of constant registry
// operations, the texture manager and the reflection switches. They are
// reached through this one header, which keeps the scene and fader base
// classes free of the texture manager's and the registry's headers and lets
// the texture manager be absent (nullptr) in GL-free use.
// Depends on: audio/ZynVisData (TVisData), config (constant registry),
// gfx/ZynTextures (tZynTextures).
#pragma once

#include <cstdint>
#include <string>

#include "audio/ZynVisData.h"

#include "config/ZynConstDef.h"

// Registry lookups by full name "SECTION.Name". Find writes the registry's
// not-found error line and returns -1 for an unknown name.
int32_t ZynEngFindConst(const std::string& fullName);
float ZynEngConstAsFloat(int32_t index);
int32_t ZynEngConstAsInt(int32_t index);
// Set through the registry, so the constant's limits apply.
void ZynEngConstSetInt(int32_t index, int32_t value);
void ZynEngConstSetFloat(int32_t index, float value);

// The texture manager (owned by the sequencer's user interface).
class tZynTextures;
tZynTextures* ZynEngCreateTextures();
void ZynEngFreeTextures(tZynTextures* textures);
// Bind texture number n (0..23 loaded, -1..-4 special); nothing for other n
// or without a texture manager.
void ZynEngBindTexture(tZynTextures* textures, int32_t n);
// New render-to-texture size: logs the resize and drops the special stores.
void ZynEngTemporaryResize(tZynTextures* textures, int32_t width, int32_t height);
// Reflection mapping: a cube map when MAIN.CubeMap is 1, otherwise texture 12
// as a sphere map. End turns off whichever Begin turned on.
void ZynEngBeginEnvMap(tZynTextures* textures);
void ZynEngEndEnvMap();
