// Mesh object: the text mesh reader on good, odd and hostile input, and the generated sphere.
#include "engine/ZynSceneCatalogue.h"
#include "platform/kvLog.h"
#include "scenes/ZynSceneSphere.h"
#include "scenes/kvMeshObject.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct MeshLog {
    MeshLog() { kvLogSetSink([this](const std::string& l) { Lines.push_back(l); }); }
    ~MeshLog() { kvLogSetSink(nullptr); }
    bool Has(const std::string& prefix) const
    {
        for (const auto& l : Lines)
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
    std::vector<std::string> Lines;
};

const char* Triangle =
    "Named object: \"Tri\"\r\n"
    "tri-mesh, vertices: 3     faces: 1\r\n"
    "Vertex list:\r\n"
    "Vertex 0:  X: 1  Y: 2  Z: 3\r\n"
    "vertex 1:\tx: -1.5E1 y:0.25 z:0\r\n"
    "Vertex 2: X: 0 Y: 1e2 Z: junk\r\n"
    "Vertex 3: X: 9 Y: 9 Z: 9\r\n"      // outside the declared count
    "Face list:\r\n"
    "Face 0:    A:0 B:1 C:2 AB:1 BC:1 CA:1\r\n"
    "Smoothing:  1";

}  // namespace

TEST(MeshObject, ReadsTheExportFormatInAnyCaseAndLineEnding)
{
    MeshLog log;
    TkvMeshObject m;
    ASSERT_TRUE(m.LoadFromText(Triangle));
    ASSERT_EQ(m.VertexCount(), 3);
    ASSERT_EQ(m.FaceCount(), 1);
    EXPECT_FLOAT_EQ(m.Vertex(0).z, 3);
    EXPECT_FLOAT_EQ(m.Vertex(1).x, -15);
    EXPECT_FLOAT_EQ(m.Vertex(1).y, 0.25f);
    EXPECT_FLOAT_EQ(m.Vertex(2).y, 100);
    EXPECT_FLOAT_EQ(m.Vertex(2).z, 0) << "a real that does not parse reads as 0";
    EXPECT_EQ(m.Face(0).b, 1);
    EXPECT_EQ(m.Face(0).c, 2);
    EXPECT_FALSE(log.Has("#")) << "a complete mesh reads without complaint";
}

TEST(MeshObject, ZeroFacesClearTheMeshAndLaterLinesAreIgnored)
{
    TkvMeshObject m;
    EXPECT_FALSE(m.LoadFromText("Tri-mesh, Vertices: 3 Faces: 0\nVertex 0: X: 1 Y: 1 Z: 1\nFace 0: A:0 B:0 C:0\n"));
    EXPECT_EQ(m.VertexCount(), 0);
    EXPECT_EQ(m.FaceCount(), 0);
    // An empty mesh centres, maps and draws as nothing (no GL context needed).
    m.Centre();
    m.SphereMapUV();
    m.DrawSolid();
    m.DrawWire();
}

TEST(MeshObject, FacesOverMissingVerticesAreDroppedAndTheRestRenumbered)
{
    MeshLog log;
    TkvMeshObject m;
    ASSERT_TRUE(m.LoadFromText("Tri-mesh, Vertices: 5 Faces: 6\n"
                               "Vertex 0: X: 0 Y: 0 Z: 0\n"
                               "Vertex 2: X: 1 Y: 0 Z: 0\n"   // 1 is never given
                               "Vertex 3: X: 0 Y: 1 Z: 0\n"
                               "Vertex 4: X: 0 Y: 0 Z: 1\n"
                               "Face 0: A:0 B:2 C:3\n"
                               "Face 1: A:0 B:1 C:3\n"     // names the missing vertex
                               "Face 2: A:0 B:7 C:3\n"     // names no vertex at all
                               "Face 3: A:-4 B:2 C:3\n"
                               "Face 4: A:2 B:3 C:4\n"));   // face 5 is never given
    ASSERT_EQ(m.VertexCount(), 4);
    ASSERT_EQ(m.FaceCount(), 2);
    // Old vertices 2, 3, 4 are now 1, 2, 3.
    EXPECT_EQ(m.Face(0).b, 1);
    EXPECT_EQ(m.Face(1).a, 1);
    EXPECT_EQ(m.Face(1).c, 3);
    EXPECT_FLOAT_EQ(m.Vertex(m.Face(1).c).z, 1);
    EXPECT_TRUE(log.Has("#WARNING : "));
}

TEST(MeshObject, HostileFilesLogAndLeaveASafeMesh)
{
    MeshLog log;
    TkvMeshObject m;
    // Counts far past the limit are refused before anything is allocated.
    EXPECT_FALSE(m.LoadFromText("Tri-mesh, Vertices: 2000000000 Faces: 2000000000\nVertex 5: X: 1 Y: 1 Z: 1\n"));
    EXPECT_EQ(m.VertexCount(), 0);
    EXPECT_TRUE(log.Has("#ERROR : "));
    EXPECT_FALSE(m.LoadFromText("Tri-mesh, Vertices: 99999999999999999999 Faces: 3\n"));
    // Binary junk, with NULs and no line ends, reads as nothing.
    std::string junk;
    for (int i = 0; i < 100000; i++) junk += char((i * 7919) % 256);
    EXPECT_FALSE(m.LoadFromText(junk));
    // Coordinates past float range are clamped, so scaled copies stay finite.
    ASSERT_TRUE(m.LoadFromText("Tri-mesh, Vertices: 3 Faces: 1\nVertex 0: X: 1e300 Y: -1e39 Z: 0\n"
                               "Vertex 1: X: 0 Y: 0 Z: 0\nVertex 2: X: 1 Y: 1 Z: 1\nFace 0: A:0 B:1 C:2\n"));
    EXPECT_FLOAT_EQ(m.Vertex(0).x, TkvMeshObject::MaxCoordinate);
    EXPECT_FLOAT_EQ(m.Vertex(0).y, -TkvMeshObject::MaxCoordinate);
    // A file that is not there gives the empty mesh.
    EXPECT_FALSE(m.LoadFromFile("/nonexistent/zyn/Sphere.asc"));
    EXPECT_EQ(m.FaceCount(), 0);
}

TEST(MeshObject, CentreAndSphereMapping)
{
    TkvMeshObject m;
    ASSERT_TRUE(m.LoadFromText("Tri-mesh, Vertices: 4 Faces: 1\n"
                               "Vertex 0: X: 11 Y: 20 Z: 30\nVertex 1: X: 9 Y: 20 Z: 30\n"
                               "Vertex 2: X: 10 Y: 20 Z: 31\nVertex 3: X: 10 Y: 20 Z: 29\n"
                               "Face 0: A:0 B:1 C:2\n"));
    m.Centre();
    m.SphereMapUV();
    EXPECT_FLOAT_EQ(m.Vertex(0).x, 1);
    EXPECT_FLOAT_EQ(m.Vertex(0).y, 0);
    EXPECT_NEAR(m.Vertex(0).u, 0.5f, 1e-6);    // angle 0 about z
    EXPECT_NEAR(m.Vertex(1).u, 1.0f, 1e-6);    // angle pi
    EXPECT_NEAR(m.Vertex(0).v, 0.5f, 1e-6);    // on the equator
    EXPECT_NEAR(m.Vertex(2).v, 0.0f, 1e-6);    // the +z pole
    EXPECT_NEAR(m.Vertex(3).v, 1.0f, 1e-6);
}

// The build's own Sphere.asc: a closed surface wound outwards, so culling
// back faces keeps the side that faces the viewer.
TEST(MeshObject, GeneratedSphereIsClosedAndWoundOutwards)
{
    TkvMeshObject m;
    ASSERT_TRUE(m.LoadFromFile(std::string(ZYN_RUNTIME_DIR) + "/data/Sphere.asc"));
    m.Centre();
    ASSERT_GT(m.FaceCount(), 500);
    std::map<std::pair<int32_t, int32_t>, int> edges;
    for (int32_t i = 0; i < m.FaceCount(); i++) {
        const auto& f = m.Face(i);
        const auto &a = m.Vertex(f.a), &b = m.Vertex(f.b), &c = m.Vertex(f.c);
        float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        EXPECT_GT(nx * (a.x + b.x + c.x) + ny * (a.y + b.y + c.y) + nz * (a.z + b.z + c.z), 0) << "face " << i;
        edges[{f.a, f.b}]++;
        edges[{f.b, f.c}]++;
        edges[{f.c, f.a}]++;
    }
    for (const auto& [e, n] : edges) {
        EXPECT_EQ(n, 1) << e.first << "-" << e.second;
        EXPECT_EQ(edges.count({e.second, e.first}), 1u) << "open edge " << e.first << "-" << e.second;
    }
}

// Without its mesh file the Image Sphere still renders, as a black picture.
TEST(MeshObject, MissingMeshFileLeavesTheSphereSceneRunningDark)
{
    using namespace ZynRenderTest;
    TSession s;
    ASSERT_TRUE(s.Open(160, 120, 3));
    // The scratch folder's data entry is only a link to the runtime folder's.
    std::filesystem::remove(s.BaseDir() + "/data");
    s.UseScenes({ZynSceneClassOf<TvisSphere>("TvisSphere")});
    EXPECT_EQ(static_cast<TvisSphere*>(s.Vis()->Scenes->Items(0))->Mesh().FaceCount(), 0);
    s.ShowScene(0);
    for (int i = 0; i < 3; i++) EXPECT_TRUE(s.Frame(TInput::Music, 0.05f));
    EXPECT_EQ(LitFraction(s.Grab(), 4), 0.0);
}
