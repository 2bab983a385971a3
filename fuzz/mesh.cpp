// Fuzz target: the mesh reader (.asc text) and the GL-free work done on a loaded mesh.
#include "FuzzSupport.h"
#include "scenes/kvMeshObject.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    TkvMeshObject mesh;
    mesh.LoadFromText(ZynFuzzText(data, size));
    mesh.Centre();
    mesh.SphereMapUV();
    for (int32_t i = 0; i < mesh.FaceCount(); i++) {
        const TkvMeshObject::TFace& f = mesh.Face(i);
        for (int32_t v : {f.a, f.b, f.c})
            if (v < 0 || v >= mesh.VertexCount()) __builtin_trap();
    }
    for (int32_t i = 0; i < mesh.VertexCount(); i++) {
        const TkvMeshObject::TVertex& v = mesh.Vertex(i);
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) __builtin_trap();
    }
    return 0;
}
