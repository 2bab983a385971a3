// ZynLogoMesh: the logo model and its drawing.
#include "scenes/ZynLogoMesh.h"

#include <GL/gl.h>
#include <cmath>

namespace {

// Strokes as convex outlines in the logo plane (u right, v up), counter-clockwise.
// Overlapping strokes never share a corner, so each block stays a closed solid of its own.
struct TStroke {
    float u[4], v[4];
};

constexpr TStroke Strokes[] = {
    // Z
    {{-1.3f, -0.5f, -0.5f, -1.3f}, {0.3f, 0.3f, 0.5f, 0.5f}},
    {{-1.28f, -1.03f, -0.52f, -0.77f}, {-0.3f, -0.3f, 0.3f, 0.3f}},
    {{-1.3f, -0.5f, -0.5f, -1.3f}, {-0.5f, -0.5f, -0.3f, -0.3f}},
    // Y
    {{-0.1f, 0.1f, 0.1f, -0.1f}, {-0.5f, -0.5f, 0.05f, 0.05f}},
    {{-0.12f, 0.08f, -0.15f, -0.4f}, {0.0f, 0.0f, 0.5f, 0.5f}},
    {{-0.08f, 0.12f, 0.4f, 0.15f}, {0.0f, 0.0f, 0.5f, 0.5f}},
    // N
    {{0.5f, 0.7f, 0.7f, 0.5f}, {-0.5f, -0.5f, 0.5f, 0.5f}},
    {{0.69f, 1.11f, 1.11f, 0.69f}, {0.2f, -0.5f, -0.2f, 0.5f}},
    {{1.1f, 1.3f, 1.3f, 1.1f}, {-0.5f, -0.5f, 0.5f, 0.5f}},
    // underline
    {{-1.3f, 1.3f, 1.3f, -1.3f}, {-0.78f, -0.78f, -0.66f, -0.66f}},
};
constexpr int32_t StrokeCount = int32_t(sizeof(Strokes) / sizeof(Strokes[0]));
constexpr int32_t TrianglesPerStroke = 12;   // two caps and four sides, two triangles each
constexpr float HalfDepth = 0.12f;
// The outlines span 2.6 units; scaled, the turning logo stays in view at the usual distances.
constexpr float Scale = 0.6f;

struct TPoint {
    float x, y, z;
};

// Logo plane to model space: u along -x, v along z, depth along y (front at -y).
TPoint Place(float u, float v, float depth) { return TPoint{-u * Scale, depth * Scale, v * Scale}; }

void Emit(TZynLogoTriangle& t, const TPoint& a, const TPoint& b, const TPoint& c)
{
    const TPoint p[3] = {a, b, c};
    for (int32_t k = 0; k < 3; k++) {
        t.Corner[k][0] = p[k].x;
        t.Corner[k][1] = p[k].y;
        t.Corner[k][2] = p[k].z;
    }
    float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (len <= 0) len = 1;
    t.Normal[0] = nx / len;
    t.Normal[1] = ny / len;
    t.Normal[2] = nz / len;
}

}  // namespace

int32_t ZynLogoTriangleCount() { return StrokeCount * TrianglesPerStroke; }

TZynLogoTriangle ZynLogoTriangle(int32_t i)
{
    TZynLogoTriangle t{};
    if (i < 0 || i >= ZynLogoTriangleCount()) return t;
    const TStroke& s = Strokes[i / TrianglesPerStroke];
    int32_t k = i % TrianglesPerStroke;
    auto front = [&s](int32_t c) { return Place(s.u[c % 4], s.v[c % 4], -HalfDepth); };
    auto back = [&s](int32_t c) { return Place(s.u[c % 4], s.v[c % 4], HalfDepth); };
    // Mirroring u turns the outline's order round, so the front cap runs 0, 1, 2
    // backwards to face -y and the back cap forwards; the sides face outwards.
    if (k < 2) Emit(t, front(0), front(k + 2), front(k + 1));
    else if (k < 4) Emit(t, back(0), back(k - 1), back(k));
    else {
        int32_t edge = (k - 4) / 2;
        if (k % 2 == 0) Emit(t, front(edge), front(edge + 1), back(edge + 1));
        else Emit(t, front(edge), back(edge + 1), back(edge));
    }
    return t;
}

void ZynDrawLogoMesh()
{
    glBegin(GL_TRIANGLES);
    for (int32_t i = 0; i < ZynLogoTriangleCount(); i++) {
        TZynLogoTriangle t = ZynLogoTriangle(i);
        glNormal3fv(t.Normal);
        for (const auto& c : t.Corner) glVertex3fv(c);
    }
    glEnd();
}
