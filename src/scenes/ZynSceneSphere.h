// ZynSceneSphere: TvisSphere, the Image Sphere: a textured mesh drawn as a swaying stack of copies.
//
// The mesh is read once from "\data\Sphere.asc", centred and sphere-mapped,
// with the texture mirrored so that it meets itself at the seam. The copies
// share SPHERE.Brightness between them and keep swaying in silence; the bass
// spins, zooms and spreads them. A missing mesh file leaves an empty mesh:
// the scene then runs and draws nothing.
// Depends on: scenes/ZynSceneCopyStack, scenes/kvMeshObject, scenes/kvSprite, platform/ZynPath, config/ZynConstDef,
// OpenGL.
#pragma once

#include "scenes/ZynSceneCopyStack.h"
#include "scenes/kvMeshObject.h"
#include "scenes/kvSprite.h"

#include <optional>

class TvisSphere : public TvisCopyStack {
public:
    void Init() override;

    const TkvMeshObject& Mesh() const { return MeshObject; }

protected:
    TCopyStackSettings Settings() const override;
    void BeginCopies(float alpha) override;
    void DrawCopy(int32_t k, int32_t copies, float alpha) override;
    void EndCopies() override;

private:
    TkvMeshObject MeshObject;
    // The sphere's picture is mostly magnified, the growing copies more so:
    // bilinear minification costs the software renderer far less and looks the same.
    std::optional<TkvSpriteFilter> Filter;
};
