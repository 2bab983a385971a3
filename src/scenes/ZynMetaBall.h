// ZynMetaBall: TMetaBallEnhance, the fixed-point metaball density field and its marching-cubes mesher.
//
// Balls are centres in field units (cell size units per grid cell). Each one
// adds a precomputed falloff, (R - r) / r in 16.16 fixed point, to the grid
// points within its reach. The grid is then cut at the iso level into
// triangles by marching cubes. Accumulation and meshing are GL-free (the
// mesh is kept in Mesh); Draw sends the mesh to OpenGL in grid-cell units.
// Also here: the formation chain both metaball scenes glide along.
// Depends on: scenes/kvGeometry, platform/ZynNumbers, platform/ZynRandom, OpenGL (Draw only).
#pragma once

#include "scenes/kvGeometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One mesh vertex: position in 1/256 of a grid cell, normal pointing out of the surface.
struct TMetaVertex {
    int32_t x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
};

class TMetaBallEnhance {
public:
    static constexpr int32_t MaxBalls = 256;
    static constexpr int32_t MaxSize = 128;
    static constexpr int32_t MaxTriangleEntries = 16;   // one row of the triangle table (at most 5 triangles), -1 ended

    // Sizes are grid points per axis; every argument is clamped to what the field can hold.
    TMetaBallEnhance(int32_t sizeX, int32_t cellSize, int32_t radius, float strength, int32_t ballCount,
                     int32_t sizeZ, int32_t sizeY);

    void BuildFalloffTable();
    // Zeroes the grid and adds every ball in use.
    void Accumulate();
    // The surface threshold in 16.16 fixed point for the current iso factor.
    int32_t IsoLevel() const;
    // Cuts the grid at the iso level; the triangles (three vertices each) land in Mesh.
    void Polygonise();
    // Draws Mesh as GL triangles in grid-cell units (0 .. size).
    void Draw() const;
    // Accumulate (when recompute), Polygonise, Draw.
    void Render(bool recompute);

    int32_t Value(int32_t x, int32_t y, int32_t z) const { return Grid[size_t(x + SizeX * (y + SizeY * z))]; }
    int32_t FalloffLength() const { return int32_t(Falloff.size()); }
    int32_t FalloffAt(int32_t i) const { return Falloff[size_t(i)]; }

    // The marching-cubes tables: 12-bit edge mask and -1 ended edge list per corner pattern.
    static uint16_t EdgeMask(int32_t index);
    static const int8_t* TriangleRow(int32_t index);

    TkvIntVector Balls[MaxBalls];
    int32_t BallCount = 0;
    int32_t SizeX = 0, SizeY = 0, SizeZ = 0;
    float Strength = 1;
    int32_t Radius = 1;
    int32_t CellSize = 32;
    int32_t Border = 0;
    float IsoFactor = 1;
    std::vector<TMetaVertex> Mesh;

private:
    void AddBall(const TkvIntVector& ball);
    TMetaVertex EdgeVertex(int32_t x, int32_t y, int32_t z, int32_t axis, int32_t iso) const;

    std::vector<int32_t> Grid;
    std::vector<int32_t> Falloff;
};

// The four formations (a, b, c, d) the balls travel through, from b to c as
// Progress runs from 0 to 1. A hold (b = c) alternates with a move.
struct TMetaChain {
    int32_t A = 0, B = 0, C = 0, D = 0;
    float Progress = 0;

    void Reset(int32_t formations);   // the all-zero chain shifted to a fresh random start
    void Normalise(int32_t formations);
    // Position of one coordinate given its value in formations a, b, c and d.
    float At(float a, float b, float c, float d) const { return CurveValue(Progress, a, b, c, d); }
};
