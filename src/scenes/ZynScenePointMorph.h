// ZynScenePointMorph: TvisPointMorph, a tumbling cloud of 360 flares morphing between shapes.
//
// Shapes are ready-made frames from *.morph files or formulas from *.amorph
// files evaluated per point every frame. A chain of four shape indices and a
// chain of four rotations advance with the bass: the cloud morphs from the
// third shape of the chain to the fourth while it turns along a curve through
// the rotations. Every frame darkens the previous one by the trail's half-life
// before the flares are added, so moving points leave fading trails.
// Depends on: engine/ZynSceneClass, scenes/ZynSceneData, scenes/kvGeometry,
// config (MORPH and BASE constants), platform (paths, random), OpenGL, GLU.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/ZynSceneData.h"
#include "scenes/kvGeometry.h"

#include <vector>

class TvisPointMorph : public TZynScene {
public:
    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Shapes loaded: file frames first, then formula shapes.
    int32_t ShapeCount() const { return int32_t(FileFrames.size() + ActiveMorphs.size()); }
    // The shape with this index (file frame or formula shape evaluated now);
    // all points at the origin for an index that names none.
    void GetFrame(int32_t index, TZynMorphFrame& out) const;

    // The chains: shape indices a, b, c, d (the picture morphs c -> d) and the
    // rotations q0..q3 (the turn runs between q1 and q2).
    const int32_t* MorphChain() const { return Chain; }
    float MorphProgress() const { return Progress; }
    const TkvVector& Rotation(int32_t i) const { return Rotations[i]; }
    float RotationProgress() const { return RotationPos; }
    // Step 5 of a frame: advances both progress values and shifts the chains.
    void Advance(float dt, float bass);
    void NormaliseChains();
    TkvVector NewRotation(const TkvVector& from) const;

    // The points drawn this frame: frames c and d blended at t, turned and sized.
    void BlendPoints(const TZynMorphFrame& c, const TZynMorphFrame& d, float t, float rx, float ry, float s);
    const TZynMorphPoint& Point(int32_t i) const { return Points[size_t(i)]; }

private:
    void LoadShapes();
    void EvalActiveMorph(const TZynActiveMorph& shape, TZynMorphFrame& out) const;
    void DrawPoints(const TVisData& visData, float dt);
    void DrawFlares(float fade);

    std::vector<TZynMorphFrame> FileFrames;
    std::vector<TZynActiveMorph> ActiveMorphs;
    TZynMorphFrame Points{};
    TZynMorphFrame FrameC{}, FrameD{};   // scratch, kept to avoid copies per frame
    float BassTime = 0;
    int32_t Chain[4] = {0, 0, 0, 0};
    float Progress = 0;
    TkvVector Rotations[4];
    float RotationPos = 0;
    float Aspect = 1;   // of the picture the texture is shown on
};
