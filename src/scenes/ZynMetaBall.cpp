// ZynMetaBall: the metaball field, its marching-cubes mesher and the formation chain.
#include "scenes/ZynMetaBall.h"

#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Cell corners: 0 (x, y, z), 1 (x+1, y, z), 2 (x+1, y+1, z), 3 (x, y+1, z), 4..7 the same at z+1.
constexpr int32_t CornerOffset[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                        {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
// Edges by their end corners: 0-3 round the bottom, 4-7 round the top, 8-11 upright.
constexpr int32_t EdgeCorner[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                       {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
// Cube faces, corners counter-clockwise as seen from outside the cell.
constexpr int32_t FaceCorner[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                      {3, 7, 6, 2}, {0, 4, 7, 3}, {1, 2, 6, 5}};

int32_t EdgeBetween(int32_t a, int32_t b)
{
    for (int32_t e = 0; e < 12; e++)
        if ((EdgeCorner[e][0] == a && EdgeCorner[e][1] == b) || (EdgeCorner[e][0] == b && EdgeCorner[e][1] == a))
            return e;
    return -1;
}

// The tables are derived from the cell's geometry rather than typed in. On
// every face the surface separates the corners below the threshold from the
// rest; where a face has two such corners diagonally opposite, each is cut off
// on its own. A face's cut depends only on its four values, so the two cells
// sharing a face always agree and the surface has no cracks. Cuts are
// oriented so that each triangle faces the side below the threshold (the
// outside of the balls): corner 0 alone gives the triangle 0, 8, 3.
struct TCubeTables {
    uint16_t Edges[256] = {};
    int8_t Triangles[256][TMetaBallEnhance::MaxTriangleEntries];

    TCubeTables()
    {
        for (int32_t index = 0; index < 256; index++) Build(index);
    }

    void Build(int32_t index)
    {
        auto below = [index](int32_t corner) { return (index >> corner & 1) != 0; };
        int32_t next[12];
        std::fill(next, next + 12, -1);
        for (const auto& face : FaceCorner) {
            int32_t entry[4], exits[4];
            for (int32_t k = 0; k < 4; k++) {
                int32_t a = face[k], b = face[(k + 1) % 4];
                int32_t e = EdgeBetween(a, b);
                entry[k] = !below(a) && below(b) ? e : -1;
                exits[k] = below(a) && !below(b) ? e : -1;
            }
            // Each exit from a run of below corners joins the entry of the same run.
            for (int32_t k = 0; k < 4; k++) {
                if (exits[k] < 0) continue;
                for (int32_t back = 0; back < 4; back++) {
                    int32_t j = (k - back + 4) % 4;
                    if (entry[j] >= 0) {
                        next[exits[k]] = entry[j];
                        break;
                    }
                }
            }
        }
        uint16_t mask = 0;
        for (int32_t e = 0; e < 12; e++)
            if (next[e] >= 0) mask = uint16_t(mask | 1u << e);
        Edges[index] = mask;
        // Follow the cuts round each loop and fan it into triangles.
        int32_t n = 0;
        bool used[12] = {};
        for (int32_t start = 0; start < 12; start++) {
            if (next[start] < 0 || used[start]) continue;
            int32_t loop[12], len = 0;
            for (int32_t e = start; !used[e]; e = next[e]) {
                used[e] = true;
                loop[len++] = e;
            }
            for (int32_t t = 1; t + 1 < len; t++) {
                Triangles[index][n++] = int8_t(loop[0]);
                Triangles[index][n++] = int8_t(loop[t]);
                Triangles[index][n++] = int8_t(loop[t + 1]);
            }
        }
        std::fill(&Triangles[index][n], &Triangles[index][0] + TMetaBallEnhance::MaxTriangleEntries, int8_t(-1));
    }
};

const TCubeTables& Tables()
{
    static const TCubeTables tables;
    return tables;
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

uint16_t TMetaBallEnhance::EdgeMask(int32_t index) { return Tables().Edges[index & 255]; }

const int8_t* TMetaBallEnhance::TriangleRow(int32_t index) { return Tables().Triangles[index & 255]; }

TMetaBallEnhance::TMetaBallEnhance(int32_t sizeX, int32_t cellSize, int32_t radius, float strength,
                                   int32_t ballCount, int32_t sizeZ, int32_t sizeY)
{
    // The mesher needs at least one cell plus the gradient layer on every axis.
    SizeX = std::clamp(sizeX, 3, MaxSize);
    SizeY = std::clamp(sizeY, 3, MaxSize);
    SizeZ = std::clamp(sizeZ, 3, MaxSize);
    CellSize = std::clamp(cellSize, 1, 256);
    Radius = std::clamp(radius, 1, 64);
    Strength = std::isfinite(strength) ? strength : 1.0f;
    BallCount = std::clamp(ballCount, 0, MaxBalls);
    Grid.assign(size_t(SizeX) * SizeY * SizeZ, 0);
    BuildFalloffTable();
}

void TMetaBallEnhance::BuildFalloffTable()
{
    // Every squared distance a ball's box can reach is below 3 d^2.
    int64_t d = int64_t(Radius + 1) * CellSize;
    Falloff.assign(size_t(3 * d * d), 0);
    double reach = double(Radius) * CellSize, scale = double(Strength) * 65536.0;
    for (size_t i = 1; i < Falloff.size(); i++) {
        double r = std::sqrt(double(i));
        Falloff[i] = std::max(ZynRoundToInt32((reach - r) * scale / r), 0);
    }
    // Distance 0 (a grid point on a centre) takes the strongest finite value.
    if (Falloff.size() > 1) Falloff[0] = Falloff[1];
}

void TMetaBallEnhance::Accumulate()
{
    std::fill(Grid.begin(), Grid.end(), 0);
    for (int32_t i = 0; i < std::clamp(BallCount, 0, MaxBalls); i++) AddBall(Balls[i]);
}

void TMetaBallEnhance::AddBall(const TkvIntVector& ball)
{
    const int64_t centre[3] = {ball.x, ball.y, ball.z};
    const int32_t size[3] = {SizeX, SizeY, SizeZ};
    int32_t lo[3], hi[3];
    for (int32_t a = 0; a < 3; a++) {
        int64_t c = FloorDiv(centre[a], CellSize);
        int64_t top = size[a] - Border - 1;
        lo[a] = int32_t(std::min(std::max(c - Radius, int64_t(Border)), top));
        hi[a] = int32_t(std::min(std::max(c + Radius, int64_t(Border)), top));
        if (lo[a] >= hi[a]) return;
    }
    // Squared offsets per axis; with the box inside the reach their sum stays below the table length.
    int64_t sq[3][2 * 64 + 1];
    for (int32_t a = 0; a < 3; a++)
        for (int32_t p = lo[a]; p < hi[a]; p++) {
            int64_t delta = int64_t(p) * CellSize - centre[a];
            sq[a][p - lo[a]] = delta * delta;
        }
    const int64_t last = int64_t(Falloff.size()) - 1;
    for (int32_t z = lo[2]; z < hi[2]; z++)
        for (int32_t y = lo[1]; y < hi[1]; y++) {
            int64_t yz = sq[2][z - lo[2]] + sq[1][y - lo[1]];
            int32_t* row = &Grid[size_t(SizeX) * (y + size_t(SizeY) * z)];
            for (int32_t x = lo[0]; x < hi[0]; x++) {
                int32_t add = Falloff[size_t(std::min(yz + sq[0][x - lo[0]], last))];
                // Many balls on one point would pass the 16.16 range: saturate.
                row[x] = row[x] > std::numeric_limits<int32_t>::max() - add ? std::numeric_limits<int32_t>::max()
                                                                             : row[x] + add;
            }
        }
}

int32_t TMetaBallEnhance::IsoLevel() const
{
    double level = double(IsoFactor) * 65536.0 * Radius * CellSize / 128.0;
    return ZynRoundToInt32(level, std::numeric_limits<int32_t>::max());
}

TMetaVertex TMetaBallEnhance::EdgeVertex(int32_t x, int32_t y, int32_t z, int32_t axis, int32_t iso) const
{
    // Always from the lower grid point to the upper one, in 64 bits, so the
    // cells that share an edge compute exactly the same vertex and normal.
    int32_t ux = x + (axis == 0), uy = y + (axis == 1), uz = z + (axis == 2);
    int64_t p = Value(x, y, z), q = Value(ux, uy, uz);
    int64_t h = (int64_t(iso) - p) * 256 / (q - p);
    int64_t g = 256 - h;
    int64_t gp[3] = {Value(x + 1, y, z) - p, Value(x, y + 1, z) - p, Value(x, y, z + 1) - p};
    int64_t gq[3] = {Value(ux + 1, uy, uz) - q, Value(ux, uy + 1, uz) - q, Value(ux, uy, uz + 1) - q};
    TMetaVertex v;
    v.x = x * 256 + (axis == 0 ? int32_t(h) : 0);
    v.y = y * 256 + (axis == 1 ? int32_t(h) : 0);
    v.z = z * 256 + (axis == 2 ? int32_t(h) : 0);
    // The density rises towards the centres: the outward normal is its negative gradient.
    v.nx = -float(gp[0] * g + gq[0] * h);
    v.ny = -float(gp[1] * g + gq[1] * h);
    v.nz = -float(gp[2] * g + gq[2] * h);
    return v;
}

void TMetaBallEnhance::Polygonise()
{
    Mesh.clear();
    const int32_t iso = IsoLevel();
    const TCubeTables& tables = Tables();
    // The last layer on each axis only feeds the gradients.
    for (int32_t z = 0; z <= SizeZ - 3; z++)
        for (int32_t y = 0; y <= SizeY - 3; y++)
            for (int32_t x = 0; x <= SizeX - 3; x++) {
                int32_t index = 0;
                for (int32_t k = 0; k < 8; k++)
                    if (Value(x + CornerOffset[k][0], y + CornerOffset[k][1], z + CornerOffset[k][2]) < iso)
                        index |= 1 << k;
                if (index == 0 || index == 255) continue;
                TMetaVertex edge[12];
                uint16_t mask = tables.Edges[index];
                for (int32_t e = 0; e < 12; e++) {
                    if (!(mask >> e & 1)) continue;
                    const int32_t* a = CornerOffset[EdgeCorner[e][0]];
                    const int32_t* b = CornerOffset[EdgeCorner[e][1]];
                    int32_t axis = a[0] != b[0] ? 0 : a[1] != b[1] ? 1 : 2;
                    edge[e] = EdgeVertex(x + std::min(a[0], b[0]), y + std::min(a[1], b[1]),
                                         z + std::min(a[2], b[2]), axis, iso);
                }
                const int8_t* row = tables.Triangles[index];
                for (int32_t t = 0; row[t] >= 0; t += 3) {
                    const TMetaVertex &v0 = edge[row[t]], &v1 = edge[row[t + 1]], &v2 = edge[row[t + 2]];
                    auto same = [](const TMetaVertex& a, const TMetaVertex& b) {
                        return a.x == b.x && a.y == b.y && a.z == b.z;
                    };
                    // Cuts right at a grid point collapse a triangle to a line: leave it out.
                    if (same(v0, v1) || same(v1, v2) || same(v0, v2)) continue;
                    Mesh.push_back(v0);
                    Mesh.push_back(v1);
                    Mesh.push_back(v2);
                }
            }
}

void TMetaBallEnhance::Draw() const
{
    GLboolean normalize = glIsEnabled(GL_NORMALIZE);
    glEnable(GL_NORMALIZE);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(1.0f / 256, 1.0f / 256, 1.0f / 256);
    glBegin(GL_TRIANGLES);
    for (const TMetaVertex& v : Mesh) {
        glNormal3f(v.nx, v.ny, v.nz);
        glVertex3i(v.x, v.y, v.z);
    }
    glEnd();
    glPopMatrix();
    if (!normalize) glDisable(GL_NORMALIZE);
}

void TMetaBallEnhance::Render(bool recompute)
{
    if (recompute) Accumulate();
    Polygonise();
    Draw();
}

void TMetaChain::Reset(int32_t formations)
{
    A = B = C = D = 0;
    Progress = 5;
    Normalise(formations);
}

void TMetaChain::Normalise(int32_t formations)
{
    if (!std::isfinite(Progress)) Progress = 0;
    // A few shifts renew the whole chain: a huge step takes only those.
    if (Progress > 8) Progress = 8 + (Progress - std::floor(Progress));
    if (Progress < -8) Progress = -8 + (Progress - std::floor(Progress));
    while (Progress >= 1) {
        A = B;
        B = C;
        C = D;
        D = B == C ? ZynRandomInt(formations) : C;
        Progress -= 1;
    }
    while (Progress < 0) {
        D = C;
        C = B;
        B = A;
        A = B == C ? ZynRandomInt(formations) : B;
        Progress += 1;
    }
}
