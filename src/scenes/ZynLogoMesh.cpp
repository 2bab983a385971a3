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
// Each face is cut into a fine grid: drawn as lines into the tiny picture, the
// strokes fill with light rather than showing only their outlines.
constexpr int32_t Split = 3;
constexpr int32_t TrianglesPerStroke = 4 * Split * Split + 8 * Split;   // two caps, four sides
constexpr float HalfDepth = 0.12f;
// The outlines span 2.6 units; scaled, the turning logo stays in view at the usual distances.
constexpr float Scale = 0.8f;

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
    // Grid point (a, b) of the outline, a and b in 0 .. Split, by bilinear blending of its corners.
    auto grid = [&s](int32_t a, int32_t b, float depth) {
        float p = float(a) / Split, q = float(b) / Split;
        float w[4] = {(1 - p) * (1 - q), p * (1 - q), p * q, (1 - p) * q};
        float u = 0, v = 0;
        for (int32_t c = 0; c < 4; c++) {
            u += w[c] * s.u[c];
            v += w[c] * s.v[c];
        }
        return Place(u, v, depth);
    };
    // Step j along outline edge e as a grid point, so caps and sides meet exactly.
    auto rim = [&grid](int32_t e, int32_t j, float depth) {
        const int32_t a[4] = {j, Split, Split - j, 0}, b[4] = {0, j, Split, Split - j};
        return grid(a[e % 4], b[e % 4], depth);
    };
    constexpr int32_t Cap = 2 * Split * Split;
    // Mirroring u turns the outline's order round, so the front cap runs backwards
    // to face -y and the back cap forwards; the sides face outwards.
    if (k < 2 * Cap) {
        bool front = k < Cap;
        int32_t cell = (k % Cap) / 2, a = cell % Split, b = cell / Split;
        float d = front ? -HalfDepth : HalfDepth;
        TPoint p0 = grid(a, b, d), p1 = grid(a + 1, b, d), p2 = grid(a + 1, b + 1, d), p3 = grid(a, b + 1, d);
        bool second = k % 2 == 1;
        if (front) Emit(t, p0, second ? p3 : p2, second ? p2 : p1);
        else Emit(t, p0, second ? p2 : p1, second ? p3 : p2);
        return t;
    }
    int32_t side = (k - 2 * Cap) / 2, e = side / Split, j = side % Split;
    TPoint f0 = rim(e, j, -HalfDepth), f1 = rim(e, j + 1, -HalfDepth);
    TPoint b0 = rim(e, j, HalfDepth), b1 = rim(e, j + 1, HalfDepth);
    if (k % 2 == 0) Emit(t, f0, f1, b1);
    else Emit(t, f0, b1, b0);
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
