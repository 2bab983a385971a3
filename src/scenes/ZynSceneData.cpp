// ZynSceneData: the .visfeed, .amorph and .morph readers.
#include "scenes/ZynSceneData.h"

#include "app/ZynLog.h"
#include "platform/ZynPath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
void ReadFormula(const TZynIniFile& ini, const std::string& section, const char* key, const char* def,
                 TkvFormula& program)
{
    std::string text = ini.ReadString(section, key, def);
    ZynLogLine(std::string(" Formula \"") + key + "\" (" + text + ")");
    FormulaCompile(text, program);
}

// Little-endian reads, whatever the host's byte order.
float ReadFloatLE(const uint8_t* p)
{
    uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float v;
    std::memcpy(&v, &bits, sizeof v);
    // A point far outside any picture is as good as lost; NaN and infinity
    // would poison the blend with the next shape.
    return std::isfinite(v) ? std::clamp(v, -1e6f, 1e6f) : 0.0f;
}
}  // namespace

std::vector<std::string> ZynDataFiles(const std::string& extension)
{
    std::vector<std::string> paths;
    for (const std::string& name : ZynListFiles("\\data", extension)) paths.push_back(ZynPath("\\data\\" + name));
    return paths;
}

void ZynReadVisFeed(const TZynIniFile& ini, std::vector<TZynVisFeedEffect>& effects)
{
    int32_t n = ini.ReadCount("MAIN", "count", kZynMaxEffectsPerFile);
    size_t base = effects.size();
    effects.resize(base + size_t(n));
    for (int32_t k = 1; k <= n; k++) {
        std::string section = std::to_string(k);
        ZynLogLine("Loading Kessa Effect #" + section);
        TZynVisFeedEffect& e = effects[base + size_t(n - k)];
        ReadFormula(ini, section, "FMap", "", e.Map);
        ReadFormula(ini, section, "FVis", "", e.Vis);
        ReadFormula(ini, section, "FOffset", "", e.Offset);
        e.UsePolar = ini.ReadBool(section, "UsePolar", false);
        e.VisStyle = ini.ReadInteger(section, "VisStyle", 1);
        e.VisAdd = ini.ReadBool(section, "VisAdd", false);
    }
}

void ZynReadActiveMorphs(const TZynIniFile& ini, std::vector<TZynActiveMorph>& shapes)
{
    int32_t n = ini.ReadCount("MAIN", "count", kZynMaxEffectsPerFile);
    size_t base = shapes.size();
    shapes.resize(base + size_t(n));
    for (int32_t k = 1; k <= n; k++) {
        std::string section = std::to_string(k);
        ZynLogLine("Loading Active PointMorph Effect #" + section);
        TZynActiveMorph& s = shapes[base + size_t(n - k)];
        ReadFormula(ini, section, "FPoint", "0", s.Point);
        // A row of no points would divide by zero; it means "one row of all".
        s.Row = ini.ReadInteger(section, "Row", kZynMorphPoints);
        if (s.Row <= 0) s.Row = kZynMorphPoints;
    }
}

int32_t ZynReadMorphFrames(const uint8_t* bytes, size_t size, const std::string& where,
                           std::vector<TZynMorphFrame>& frames)
{
    if (size % kZynMorphFrameBytes != 0 || (size > 0 && !bytes)) {
        ZynLogError("TvisPointMorph - \"" + where + "\" is not a morph file: " + std::to_string(size) +
                    " bytes are not whole frames of " + std::to_string(kZynMorphFrameBytes));
        return 0;
    }
    size_t count = size / kZynMorphFrameBytes;
    if (count > size_t(kZynMaxMorphFramesPerFile)) {
        ZynLogWarning("\"" + where + "\" holds " + std::to_string(count) + " morph frames, only " +
                      std::to_string(kZynMaxMorphFramesPerFile) + " are read");
        count = kZynMaxMorphFramesPerFile;
    }
    for (size_t f = 0; f < count; f++) {
        TZynMorphFrame& frame = frames.emplace_back();
        const uint8_t* p = bytes + f * kZynMorphFrameBytes;
        for (TZynMorphPoint& pt : frame) {
            pt.X = ReadFloatLE(p);
            pt.Y = ReadFloatLE(p + 4);
            pt.Z = ReadFloatLE(p + 8);
            pt.R = p[16];
            pt.G = p[17];
            pt.B = p[18];
            pt.A = p[19];
            p += 20;
        }
    }
    return int32_t(count);
}
