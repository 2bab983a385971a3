// ZynSceneSphere: the Image Sphere scene.
#include "scenes/ZynSceneSphere.h"

#include "config/ZynConstDef.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <cmath>

void TvisSphere::Init()
{
    TZynScene::Init();
    Name = "Image Sphere";
    Section = "SPHERE";
    TextureSlotCount = 1;
    MeshObject.LoadFromFile(ZynPath("\\data\\Sphere.asc"));
    MeshObject.Centre();
    MeshObject.SphereMapUV();
    // Mirrored about the seam, so the picture meets itself there.
    for (int32_t i = 0; i < MeshObject.VertexCount(); i++) {
        float& u = MeshObject.Vertex(i).u;
        u = std::fabs(2 * u - 1);
    }
    Reset();
}

TCopyStackSettings TvisSphere::Settings() const
{
    TCopyStackSettings s;
    s.SwayX = zcSPHERE_X;
    s.SwayY = zcSPHERE_Y;
    s.SpinRange = zcSPHERE_Rotate;
    s.Distance = zcSPHERE_Distance;
    s.BassZoom = zcSPHERE_BassZoom;
    s.BassDivide = zcSPHERE_BassDivide;
    s.Scale = zcSPHERE_Scale;
    s.MoveSpeed = zcSPHERE_MoveSpeed;
    s.ExtraMove = zcSPHERE_ExtraMove;
    s.RotSpeed = zcSPHERE_RotSpeed;
    s.Copies = zcSPHERE_Amt;
    return s;
}

void TvisSphere::BeginCopies(float alpha)
{
    UseTexture(zcSPHERE_TEX0);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glScalef(0.05f, 0.05f, 0.05f);
    Filter.emplace();
    if (zcSPHERE_2Sided == 0) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    }
}

void TvisSphere::EndCopies() { Filter.reset(); }

void TvisSphere::DrawCopy(int32_t k, int32_t copies, float alpha)
{
    glScalef(1, 1, Finite(zcSPHERE_Aspect, 0.5f));
    // The copies share the brightness: more copies, fainter each.
    glColor4f(1, 1, 1, alpha * Finite(zcSPHERE_Brightness, 2.5f) / copies);
    if (zcSPHERE_RenderSolid == 1) MeshObject.DrawSolid();
    if (zcSPHERE_RenderWire == 1) MeshObject.DrawWire();
}
