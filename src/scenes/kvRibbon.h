// kvRibbon: the trail ribbon, a textured strip offset sideways from a polyline.
//
// Each inner point of the line gets two vertices, pushed half the ribbon's
// width to either side in the x-y plane, square to the direction between its
// neighbours; the first and last point serve only as neighbours. The strip
// is flat to a viewer looking down -z. The texture runs along the ribbon in s
// and across it in t.
// Depends on: OpenGL (DrawRibbon only).
#pragma once

#include <cstdint>

// One point of a trail: position, one float nobody reads, and a colour.
struct TkvTrailPoint {
    float x = 0, y = 0, z = 0, spare = 0;
    uint8_t colour[4] = {255, 255, 255, 255};
};

constexpr int32_t kvTrailCapacity = 256;

struct TkvRibbonVertex {
    float x, y, z;
    float s, t;      // texture coordinates
    int32_t point;   // the trail point it belongs to (for its colour)
};

// The strip's vertices for points 0..n (n clamped to the trail capacity), in
// quad-strip order, into out (room for 2 * kvTrailCapacity); returns how many.
// A point whose neighbours coincide, or that is not finite, gives none.
int32_t BuildRibbon(int32_t n, const TkvTrailPoint* points, float halfWidth, TkvRibbonVertex* out);

// Draws that strip as one GL_QUAD_STRIP, with the points' colours if asked.
void DrawRibbon(int32_t n, bool useColours, const TkvTrailPoint* points, float halfWidth);
