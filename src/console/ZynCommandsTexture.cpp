// ZynCommandsTexture: SceneTex, TexLine, TexLoad, TexSize, TexLoadBMP, TexLoadTGA.
#include "console/ZynCommandsTexture.h"

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
