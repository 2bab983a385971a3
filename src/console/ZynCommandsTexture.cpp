// ZynCommandsTexture: SceneTex, TexLine, TexLoad, TexSize, TexLoadBMP, TexLoadTGA.
#include "console/ZynCommandsTexture.h"

#include "console/ZynCommandHelp.h"
#include "console/ZynCommands.h"
#include "engine/ZynVis.h"

namespace {

TVisObject& Sequencer()
{
    TVisObject* vis = CmdSequencer();
    if (!vis) throw ECmdError("no scenes are running");
    return *vis;
}

} // namespace

void ProcSceneTex(const TParams& params, std::string& result)
{
    if (params.size() < 2) return ShowCommandHelp("SceneTex");
    int32_t n = CmdParamInt(params, 1);
    TZynScene* scene = Sequencer().Scenes->Items(n);
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
