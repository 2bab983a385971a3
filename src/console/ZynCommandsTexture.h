// ZynCommandsTexture: console commands for scene texture slots and the eight
// editable custom images of the texture manager.
// Depends on: console/ZynCmdInterp, engine/ZynVis (scene list, through Client),
// gfx/ZynTextures, gfx/kvTex, gfx/kvTexBMP.
#pragma once

#include "console/ZynCmdInterp.h"

#include <cstdint>
#include <vector>

void ProcSceneTex(const TParams& params, std::string& result);
void ProcTexLine(const TParams& params, std::string& result);
void ProcTexLoad(const TParams& params, std::string& result);
void ProcTexSize(const TParams& params, std::string& result);
void ProcTexLoadBMP(const TParams& params, std::string& result);
void ProcTexLoadTGA(const TParams& params, std::string& result);

// Largest side TexSize gives a custom image (keeps one command from asking
// for gigabytes).
constexpr int32_t TexMaxSide = 4096;

// TexLine's pixel text: one value per whole group of 8 hexadecimal
// characters (a shorter rest is ignored; characters that are no hex digit
// count as 0).
std::vector<uint32_t> TexLinePixels(const std::string& text);
// A plain file name below the custom folder: no folders, no "..", not empty.
bool TexFileNameAllowed(const std::string& name);
