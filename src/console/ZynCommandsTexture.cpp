// ZynCommandsTexture: SceneTex, TexLine, TexLoad, TexSize, TexLoadBMP, TexLoadTGA.
#include "console/ZynCommandsTexture.h"

#include "console/ZynCommandHelp.h"
#include "console/ZynCommands.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTexBMP.h"
#include "platform/ZynPath.h"

void ProcSceneTex(const TParams& params, std::string& result)
{
    if (params.size() < 2) return ShowCommandHelp("SceneTex");
    int32_t n = CmdParamInt(params, 1);
    TZynScene* scene = CmdRequireSequencer().Scenes->Items(n);
    if (!scene) {
        CmdPrint("First Parameter must be the number of a scene");
        return;
    }
    const int32_t count = scene->TextureSlotCount;
    if (params.size() == 2) {
        result = std::to_string(count);
        return;
    }
    int32_t slot = CmdParamInt(params, 2);
    if (slot < 0 || slot >= count) {
        CmdPrint("Scene " + params[1] + " contains " + std::to_string(count) +
                 " textures. you must select one of them");
        return;
    }
    if (params.size() == 3) {
        result = std::to_string(scene->GetTextureSlot(slot) & 127);
        return;
    }
    int32_t texture = CmdParamInt(params, 3);
    if (texture < 0 || texture > 23) {
        CmdPrint("Invalid texture range. Textures must be in the range 0->23");
        return;
    }
    scene->SetTextureSlot(slot, static_cast<uint8_t>(texture));
}

std::vector<uint32_t> TexLinePixels(const std::string& text)
{
    std::vector<uint32_t> pixels(text.size() / 8);
    for (size_t k = 0; k < pixels.size(); k++) {
        uint32_t v = 0;
        for (size_t j = 0; j < 8; j++) {
            char c = text[k * 8 + j];
            uint32_t digit = 0;
            if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
            else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
            v = v * 16 + digit;
        }
        pixels[k] = v;
    }
    return pixels;
}

bool TexFileNameAllowed(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find_first_of("/\\:") != std::string::npos) return false;
    if (name.find("..") != std::string::npos) return false;
    for (unsigned char c : name) {
        if (c < 32) return false;
    }
    return true;
}

namespace {

tZynTextures& Textures()
{
    tZynTextures* tex = CmdRequireSequencer().Textures();
    if (!tex) throw ECmdError("no textures are loaded");
    return *tex;
}

// Custom image number of a parameter, or -1 after the range error line.
int32_t CustomNumber(const TParams& params)
{
    int32_t n = CmdParamInt(params, 1);
    if (n < 0 || n >= kZynCustomTextures) {
        CmdError("Number not within allowed range of textures (0->" + std::to_string(kZynCustomTextures - 1) + ")");
        return -1;
    }
    return n;
}

bool PowerOfTwo(int32_t v) { return v > 0 && (v & (v - 1)) == 0; }

void LoadCustomFile(const TParams& params, const char* name, TkvImage (*reader)(const std::string&))
{
    if (params.size() != 3) return ShowCommandHelp(name);
    int32_t n = CustomNumber(params);
    if (n < 0) return;
    if (!TexFileNameAllowed(params[2])) {
        CmdError("\"" + params[2] + "\" is not a file name in the custom folder");
        return;
    }
    tZynTextures& tex = Textures();
    kvFreeImage(tex.Custom[n]);
    tex.CustomTexReplace(n, reader(ZynPath("\\custom\\" + params[2])));
}

} // namespace

void ProcTexLine(const TParams& params, std::string& result)
{
    if (params.size() != 4) return ShowCommandHelp("TexLine");
    int32_t n = CmdParamInt(params, 1);
    int32_t start = CmdParamInt(params, 2);
    std::vector<uint32_t> pixels = TexLinePixels(params[3]);
    Textures().CustomTexLine(n, start, pixels.data(), static_cast<int32_t>(pixels.size()));
}

void ProcTexLoad(const TParams& params, std::string& result)
{
    if (params.size() != 2) return ShowCommandHelp("TexLoad");
    int32_t n = CustomNumber(params);
    if (n >= 0) Textures().CustomTexToGL(n);
}

void ProcTexSize(const TParams& params, std::string& result)
{
    if (params.size() != 4) return ShowCommandHelp("TexSize");
    int32_t n = CustomNumber(params);
    if (n < 0) return;
    int32_t width = CmdParamInt(params, 2);
    int32_t height = CmdParamInt(params, 3);
    // Sides stop at TexMaxSide so one command cannot ask for gigabytes.
    if (!PowerOfTwo(width) || !PowerOfTwo(height) || width > TexMaxSide || height > TexMaxSide) {
        CmdError("Image Sizes must be 64,128,256,512 etc. pixels wide and high");
        return;
    }
    Textures().CustomTexSize(n, width, height);
}

void ProcTexLoadBMP(const TParams& params, std::string& result) { LoadCustomFile(params, "TexLoadBMP", kvBMPLoad); }

void ProcTexLoadTGA(const TParams& params, std::string& result) { LoadCustomFile(params, "TexLoadTGA", kvLoadTGA); }
