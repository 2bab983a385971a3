// ZynLogoMesh: the program's logo as a small closed triangle model, compiled in.
//
// The word "ZYN" over an underline, every stroke a convex block. The model
// lies in the x-z plane, reading along -x with z up, and faces -y; rotated
// 90 degrees about x and 180 about y it faces the viewer upright. Each
// triangle carries one normal.
// Depends on: OpenGL (ZynDrawLogoMesh only).
#pragma once

#include <cstdint>

struct TZynLogoTriangle {
    float Normal[3];
    float Corner[3][3];
};

// Number of triangles in the model and triangle i of it.
int32_t ZynLogoTriangleCount();
TZynLogoTriangle ZynLogoTriangle(int32_t i);
// Draws the model as immediate-mode triangles.
void ZynDrawLogoMesh();
