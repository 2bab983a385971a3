// ZynSceneMetaBall: TvisMetaBallScene, what MetaBall Morph and HyperMetaBall Morph share.
//
// A kicked, bass-zoomed metaball surface whose balls glide along a chain of
// formations, environment mapped, solid or glowing, optionally with a second,
// larger glowing skin drawn from the same field. The two scenes differ in
// their formations, their constants and a few drawing details, which they
// hand to RenderSurface each frame as a TMetaLook.
// Depends on: engine/ZynSceneClass, scenes/ZynMetaBall, audio/ZynKick, app/ZynLog, OpenGL.
#pragma once

#include "audio/ZynKick.h"
#include "engine/ZynSceneClass.h"
#include "scenes/ZynMetaBall.h"

#include <memory>
#include <string>
#include <vector>

// One frame's settings, read from the scene's constants.
struct TMetaLook {
    float BassZoom = 0, Distance = 3, BallSpeed = 0, Spread = 0.5f;
    float BassOfs = 1, BassScl = 0;
    float IsoHigh = 2, IsoLow = 1;   // iso factor bounds: smallest balls, largest balls
    int32_t Solid = 1, CubeMap = 1, Tex0 = 12;
    bool Wire = false;
    int32_t LineWidth = 1;
    float SkinFactor = 0;            // second skin at iso / SkinFactor; 0 draws none
    bool ClearDepth = false;         // clear the depth buffer before a solid surface
    bool CullBack = false;           // name the back faces for culling explicitly
    const char* ErrorLine = "";
};

class TvisMetaBallScene : public TZynScene {
public:
    TMetaBallEnhance* Field() const { return Meta.get(); }
    const TMetaChain& Chain() const { return FormationChain; }
    int32_t FormationCount() const { return Formations; }
    // Ball i of formation f, coordinates in -1 .. 1.
    const TkvVector& Formation(int32_t f, int32_t i) const { return FormationBalls[size_t(f * Balls + i)]; }

protected:
    // Creates the kick and the field; formations are filled by the scene afterwards.
    void CreateField(int32_t meshSize, int32_t radius, int32_t balls, int32_t formations, int32_t border);
    void ResetMotion();
    void RenderSurface(const TVisData& visData, float dt, float alpha, const TMetaLook& look);
    TkvVector& FormationSlot(int32_t f, int32_t i) { return FormationBalls[size_t(f * Balls + i)]; }

    int32_t Balls = 0;

private:
    void PlaceBalls(const TMetaLook& look);
    void RenderField(bool recompute, const char* errorLine);

    std::unique_ptr<TMetaBallEnhance> Meta;
    TZynKick Kick;
    TMetaChain FormationChain;
    int32_t Formations = 1;
    std::vector<TkvVector> FormationBalls;
};
