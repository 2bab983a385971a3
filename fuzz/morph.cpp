// Fuzz target: the .morph frame reader on any bytes.
#include "FuzzSupport.h"
#include "scenes/ZynSceneData.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    std::vector<TZynMorphFrame> frames;
    int32_t n = ZynReadMorphFrames(data, size, "fuzz.morph", frames);
    if (n < 0 || n > kZynMaxMorphFramesPerFile || size_t(n) != frames.size()) __builtin_trap();
    if (size % kZynMorphFrameBytes != 0 && n != 0) __builtin_trap();
    return 0;
}
