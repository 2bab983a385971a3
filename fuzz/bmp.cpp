// Fuzz target: the BMP reader on a file's bytes.
#include "FuzzSupport.h"
#include "gfx/kvTexBMP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    TkvImage img = kvBMPDecode(data, size);
    if (img.HasPixels() && img.Pixels.size() != size_t(img.Width) * img.Height * 4) __builtin_trap();
    return 0;
}
