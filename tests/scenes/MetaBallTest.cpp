// Metaball field and mesher (GL-free): closed surfaces, windings, radius, pieces, overflow; the formation chain; the logo model.
#include "platform/ZynRandom.h"
#include "scenes/ZynLogoMesh.h"
#include "scenes/ZynMetaBall.h"

#include <gtest/gtest.h>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <set>

namespace {

using TKey = std::array<int32_t, 3>;

TKey KeyOf(const TMetaVertex& v) { return {v.x, v.y, v.z}; }

// Counts each directed edge of the mesh. A closed, consistently wound surface
// holds every directed edge once and its reverse once.
struct TEdgeCheck {
    std::map<std::pair<TKey, TKey>, int32_t> Directed;

    explicit TEdgeCheck(const std::vector<TMetaVertex>& mesh)
    {
        for (size_t t = 0; t + 2 < mesh.size(); t += 3)
            for (int32_t k = 0; k < 3; k++) Directed[{KeyOf(mesh[t + k]), KeyOf(mesh[t + (k + 1) % 3])}]++;
    }
    // Directed edges that are doubled or have no partner running the other way.
    int32_t Faults() const
    {
        int32_t faults = 0;
        for (const auto& [edge, count] : Directed) {
            auto back = Directed.find({edge.second, edge.first});
            if (count != 1 || back == Directed.end() || back->second != 1) faults++;
        }
        return faults;
    }
};

// Connected pieces of the mesh, through shared vertices.
int32_t Pieces(const std::vector<TMetaVertex>& mesh)
{
    std::map<TKey, int32_t> id;
    for (const TMetaVertex& v : mesh) id.emplace(KeyOf(v), int32_t(id.size()));
    std::vector<int32_t> parent(id.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&parent](int32_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    for (size_t t = 0; t + 2 < mesh.size(); t += 3)
        for (int32_t k = 1; k < 3; k++) parent[root(id[KeyOf(mesh[t])])] = root(id[KeyOf(mesh[t + k])]);
    std::set<int32_t> roots;
    for (size_t i = 0; i < parent.size(); i++) roots.insert(root(int32_t(i)));
    return int32_t(roots.size());
}

TMetaBallEnhance Field(int32_t size, int32_t radius, int32_t balls)
{
    return TMetaBallEnhance(size, 32, radius, 1.0f, balls, size, size);
}

}  // namespace

TEST(MetaBallMesher, TablesFollowTheCellNumbering)
{
    EXPECT_EQ(TMetaBallEnhance::EdgeMask(0), 0);
    EXPECT_EQ(TMetaBallEnhance::EdgeMask(255), 0);
    EXPECT_EQ(TMetaBallEnhance::TriangleRow(0)[0], -1);
    EXPECT_EQ(TMetaBallEnhance::EdgeMask(1), 0x109);
    const int8_t* row = TMetaBallEnhance::TriangleRow(1);
    EXPECT_EQ(row[0], 0); EXPECT_EQ(row[1], 8); EXPECT_EQ(row[2], 3); EXPECT_EQ(row[3], -1);
    // Every pattern uses exactly the edges of its mask, and its complement cuts the same edges.
    for (int32_t i = 1; i < 255; i++) {
        uint16_t used = 0;
        for (const int8_t* p = TMetaBallEnhance::TriangleRow(i); *p >= 0; p++) used = uint16_t(used | 1u << *p);
        EXPECT_EQ(used, TMetaBallEnhance::EdgeMask(i)) << i;
        EXPECT_EQ(TMetaBallEnhance::EdgeMask(i), TMetaBallEnhance::EdgeMask(255 - i)) << i;
    }
}

TEST(MetaBallMesher, OneBallIsAClosedOutwardSurfaceAtTheExpectedRadius)
{
    TMetaBallEnhance f = Field(28, 12, 1);
    // Off the grid points on purpose, so no cut falls exactly on a corner.
    f.Balls[0] = TkvIntVector{448 + 7, 448 - 11, 448 + 3, 0};
    f.IsoFactor = 0.5f;
    f.Accumulate();
    f.Polygonise();
    ASSERT_GT(f.Mesh.size(), 300u);
    EXPECT_EQ(TEdgeCheck(f.Mesh).Faults(), 0);
    EXPECT_EQ(Pieces(f.Mesh), 1);
    // (R - r) / r = iso gives the radius in field units.
    double expected = 12.0 * 32 / (1 + f.IsoLevel() / 65536.0);
    for (size_t t = 0; t < f.Mesh.size(); t += 3) {
        const TMetaVertex &a = f.Mesh[t], &b = f.Mesh[t + 1], &c = f.Mesh[t + 2];
        double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        double face[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
        double n[3] = {double(a.nx) + b.nx + c.nx, double(a.ny) + b.ny + c.ny, double(a.nz) + b.nz + c.nz};
        EXPECT_GT(face[0] * n[0] + face[1] * n[1] + face[2] * n[2], 0) << "triangle " << t / 3;
        // Outward: away from the centre.
        double cx = (a.x + b.x + c.x) / 3.0 * 32 / 256 - f.Balls[0].x;
        double cy = (a.y + b.y + c.y) / 3.0 * 32 / 256 - f.Balls[0].y;
        double cz = (a.z + b.z + c.z) / 3.0 * 32 / 256 - f.Balls[0].z;
        EXPECT_GT(cx * n[0] + cy * n[1] + cz * n[2], 0);
        for (const TMetaVertex* v : {&a, &b, &c}) {
            double dx = v->x * 32.0 / 256 - f.Balls[0].x, dy = v->y * 32.0 / 256 - f.Balls[0].y,
                   dz = v->z * 32.0 / 256 - f.Balls[0].z;
            EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), expected, 0.1 * expected);
        }
    }
}

TEST(MetaBallMesher, DistantBallsGiveTwoPiecesAndCloseOnesMerge)
{
    TMetaBallEnhance f = Field(40, 6, 2);
    f.IsoFactor = 1.0f;
    f.Balls[0] = TkvIntVector{10 * 32 + 5, 20 * 32, 20 * 32 + 9, 0};
    f.Balls[1] = TkvIntVector{29 * 32 + 3, 20 * 32 + 17, 20 * 32, 0};
    f.Accumulate();
    f.Polygonise();
    EXPECT_EQ(Pieces(f.Mesh), 2);
    EXPECT_EQ(TEdgeCheck(f.Mesh).Faults(), 0);
    f.Balls[1] = TkvIntVector{13 * 32 + 3, 20 * 32 + 17, 20 * 32, 0};
    f.Accumulate();
    f.Polygonise();
    EXPECT_EQ(Pieces(f.Mesh), 1);
    EXPECT_EQ(TEdgeCheck(f.Mesh).Faults(), 0);
}

TEST(MetaBallMesher, CrowdedRandomBallsStayClosedAndWatertight)
{
    // Small balls packed closely make many saddle-shaped cells, where cracks would show.
    ZynRandomize(7);
    TMetaBallEnhance f = Field(32, 5, 60);
    for (int32_t round = 0; round < 4; round++) {
        for (int32_t i = 0; i < 60; i++)
            f.Balls[i] = TkvIntVector{(7 + ZynRandomInt(16)) * 32 + ZynRandomInt(32),
                                      (7 + ZynRandomInt(16)) * 32 + ZynRandomInt(32),
                                      (7 + ZynRandomInt(16)) * 32 + ZynRandomInt(32), 0};
        f.IsoFactor = 1.2f + 0.4f * round;
        f.Accumulate();
        f.Polygonise();
        ASSERT_FALSE(f.Mesh.empty());
        EXPECT_EQ(TEdgeCheck(f.Mesh).Faults(), 0) << "round " << round;
    }
}

TEST(MetaBallMesher, ManyBallsOnOnePointSaturateInsteadOfWrapping)
{
    TMetaBallEnhance f = Field(24, 32, 256);
    EXPECT_EQ(f.FalloffAt(0), f.FalloffAt(1));
    EXPECT_EQ(f.FalloffAt(f.FalloffLength() - 1), 0);
    for (int32_t i = 0; i < 256; i++) f.Balls[i] = TkvIntVector{12 * 32, 12 * 32, 12 * 32, 0};
    // 256 x (R - r) / r = 96 x 8 puts the surface 8 cells out.
    f.IsoFactor = 96.0f;
    f.Accumulate();
    EXPECT_EQ(f.Value(12, 12, 12), INT32_MAX);
    EXPECT_GT(f.Value(11, 12, 12), 0);
    f.Polygonise();
    ASSERT_FALSE(f.Mesh.empty());
    EXPECT_EQ(TEdgeCheck(f.Mesh).Faults(), 0);
    for (const TMetaVertex& v : f.Mesh) {
        EXPECT_GE(v.x, 0); EXPECT_LE(v.x, 22 * 256);
        EXPECT_TRUE(std::isfinite(v.nx) && std::isfinite(v.ny) && std::isfinite(v.nz));
    }
}

TEST(MetaBallMesher, BallsOffTheGridAndBordersLeaveThePointsAlone)
{
    TMetaBallEnhance f = Field(20, 8, 3);
    f.Border = 2;
    f.Balls[0] = TkvIntVector{INT32_MIN, 0, INT32_MAX, 0};
    f.Balls[1] = TkvIntVector{-40 * 32, 10 * 32, 10 * 32, 0};
    f.Balls[2] = TkvIntVector{1 * 32, 1 * 32, 1 * 32, 0};   // reaches into the border
    f.Accumulate();
    for (int32_t z = 0; z < 20; z++)
        for (int32_t y = 0; y < 20; y++)
            for (int32_t x = 0; x < 20; x++) {
                bool inBorder = x < 2 || y < 2 || z < 2 || x >= 17 || y >= 17 || z >= 17;
                if (inBorder) EXPECT_EQ(f.Value(x, y, z), 0) << x << "," << y << "," << z;
            }
    EXPECT_GT(f.Value(2, 2, 2), 0);
}

TEST(MetaBallChain, HoldsAlternateWithMovesAndHugeStepsEnd)
{
    ZynRandomize(3);
    TMetaChain c;
    c.Reset(6);
    EXPECT_EQ(c.Progress, 0);
    EXPECT_EQ(c.B, c.C);   // starts in a hold
    for (int32_t step = 0; step < 200; step++) {
        TMetaChain before = c;
        c.Progress += 1;
        c.Normalise(6);
        EXPECT_EQ(c.A, before.B);
        EXPECT_EQ(c.B, before.C);
        // A move (b != c) is always followed by a hold of its target.
        if (c.B != c.C) EXPECT_EQ(c.D, c.C);
        EXPECT_GE(c.D, 0); EXPECT_LT(c.D, 6);
    }
    c.Progress = -2.5f;
    c.Normalise(6);
    EXPECT_FLOAT_EQ(c.Progress, 0.5f);
    for (float wild : {1e30f, -1e30f, NAN, INFINITY}) {
        c.Progress = wild;
        c.Normalise(6);
        EXPECT_GE(c.Progress, 0.0f);
        EXPECT_LT(c.Progress, 1.0f);
    }
}

TEST(LogoMesh, IsClosedAndFacesOutwards)
{
    int32_t n = ZynLogoTriangleCount();
    ASSERT_GT(n, 50);
    std::map<std::pair<std::array<float, 3>, std::array<float, 3>>, int32_t> directed;
    double volume = 0;
    for (int32_t i = 0; i < n; i++) {
        TZynLogoTriangle t = ZynLogoTriangle(i);
        for (int32_t k = 0; k < 3; k++) {
            const float* a = t.Corner[k];
            const float* b = t.Corner[(k + 1) % 3];
            directed[{{a[0], a[1], a[2]}, {b[0], b[1], b[2]}}]++;
        }
        const float *a = t.Corner[0], *b = t.Corner[1], *c = t.Corner[2];
        // Signed volume against the origin; positive when the closed model's faces point out.
        volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                   a[2] * (b[0] * c[1] - b[1] * c[0])) / 6;
        EXPECT_NEAR(t.Normal[0] * t.Normal[0] + t.Normal[1] * t.Normal[1] + t.Normal[2] * t.Normal[2], 1, 1e-4);
    }
    for (const auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1);
        auto back = directed.find({edge.second, edge.first});
        EXPECT_TRUE(back != directed.end() && back->second == 1);
    }
    EXPECT_GT(volume, 0);
}
