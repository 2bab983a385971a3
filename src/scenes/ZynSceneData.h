// ZynSceneData: bounded readers for the formula scenes' data files.
//
// *.visfeed (visual feedback effects) and *.amorph (formula shapes) are
// profile files; *.morph is a headerless run of 360-point frames. The readers
// take the parsed profile or the raw bytes, never a path, so they can be fed
// any input: every count is bounded, nothing read can index outside what was
// built, and a bad file costs a log line, not the program.
// Depends on: config/kvFormula, platform/ZynIni, platform/ZynPath, app/ZynLog.
#pragma once

#include "config/kvFormula.h"
#include "platform/ZynIni.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Most effects, or formula shapes, read from one file.
constexpr int32_t kZynMaxEffectsPerFile = 256;
// Points of a morph frame, bytes of one frame in a .morph file, most frames per file.
constexpr int32_t kZynMorphPoints = 360;
constexpr size_t kZynMorphFrameBytes = 7200;
constexpr int32_t kZynMaxMorphFramesPerFile = 1024;

// One visual feedback effect.
struct TZynVisFeedEffect {
    bool UsePolar = false;   // the map formula's output is (radius, angle)
    TkvFormula Map;          // per vertex: MapA, MapB, R, G, B, A
    TkvFormula Offset;       // per frame: X, Y, the centre of the warp
    TkvFormula Vis;          // per frame: R, G, B, A, Radius, Theta of the waveform
    int32_t VisStyle = 1;    // 0 sparks, 1 line, 2 splatter, 3 circle, others nothing
    bool VisAdd = false;     // waveform drawn additively
};

// One point of a morph frame (the file's unused fourth float is dropped).
struct TZynMorphPoint {
    float X = 0, Y = 0, Z = 0;   // 128 = half a scene unit
    uint8_t R = 0, G = 0, B = 0, A = 0;
};
using TZynMorphFrame = std::array<TZynMorphPoint, kZynMorphPoints>;

// A shape given by a formula evaluated per point.
struct TZynActiveMorph {
    TkvFormula Point;     // X, Y, Z, R, G, B, A from D1, D2 and the frame's inputs
    int32_t Row = 360;    // points per row, at least 1
};

// Full paths of the data folder's files with this extension (".visfeed"), in name order.
std::vector<std::string> ZynDataFiles(const std::string& extension);

// Appends the effects of a .visfeed profile. Section k of n goes to index
// (length before) + n - k, so each file's effects sit at the end, reversed.
void ZynReadVisFeed(const TZynIniFile& ini, std::vector<TZynVisFeedEffect>& effects);

// Appends the shapes of an .amorph profile in the same order.
void ZynReadActiveMorphs(const TZynIniFile& ini, std::vector<TZynActiveMorph>& shapes);

// Appends the frames of a .morph file's bytes. A size that is not a whole
// number of frames is refused (error line naming where, nothing appended);
// at most kZynMaxMorphFramesPerFile frames are taken. Returns frames appended.
int32_t ZynReadMorphFrames(const uint8_t* bytes, size_t size, const std::string& where,
                           std::vector<TZynMorphFrame>& frames);
