// kvGeometry: the vector and matrix toolkit shared by the scenes and faders.
//
// TkvVector is four floats (x, y, z, w); w is set to 1 by operations that
// build a new point, copied by scale/divide and left alone by the cross
// product. TkvMatrix is sixteen floats in OpenGL's column-major order.
// CurvePoint/CurveValue is the sine-blended four-point curve the tunnel,
// vortex, plasma ball and distortion fader use for their paths.
// Depends on: OpenGL (GetModelviewMatrix, GetViewport, DrawCube only).
#pragma once

#include <cstdint>

struct TkvVector {
    float x = 0, y = 0, z = 0, w = 0;
};

struct TkvIntVector {
    int32_t x = 0, y = 0, z = 0, w = 0;
};

struct TkvMatrix {
    float m[16] = {};
    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
};

extern const TkvVector kvOrigin;     // (0, 0, 0, 1)
extern const TkvVector kvUp;         // (0, 1, 0, 0)
extern const TkvMatrix kvIdentity;
extern const TkvMatrix kvZeroMatrix;

float VecLength(const TkvVector& v);
void VecScale(const TkvVector& v, float s, TkvVector& out);
void VecDivide(const TkvVector& v, float s, TkvVector& out);
void VecAdd(const TkvVector& a, const TkvVector& b, TkvVector& out);
void VecAdd3(const TkvVector& a, const TkvVector& b, const TkvVector& c, TkvVector& out);
void VecSub(const TkvVector& a, const TkvVector& b, TkvVector& out);
void VecNegate(const TkvVector& v, TkvVector& out);
void VecNegate(const TkvIntVector& v, TkvIntVector& out);
void VecRound(const TkvVector& v, TkvVector& out);
float VecDot(const TkvVector& a, const TkvVector& b);
void VecCross(const TkvVector& a, const TkvVector& b, TkvVector& out);
void VecNormalize(TkvVector& v);       // zero length -> (0, 1, 0, 0)
float VecAngle(const TkvVector& a, const TkvVector& b);   // radians

// Builds a point (w = 1 unless given).
inline TkvVector Vec(float x, float y, float z, float w = 1.0f) { return TkvVector{x, y, z, w}; }

void MatrixRotateAxis(const TkvVector& axis, float angle, TkvMatrix& out);
void MatrixMultiply(TkvMatrix& m, const TkvMatrix& n);  // m := m * n in memory order

void GetModelviewMatrix(TkvMatrix& out);
void GetViewport(int32_t out[4]);
float ViewportAspect();                 // width / height; a zero height counts as 1

// Curve between p1 (t = 0) and p2 (t = 1) bent towards neighbours p0 and p3.
float CurveValue(float t, float p0, float p1, float p2, float p3);
void CurvePoint(const TkvVector& p0, const TkvVector& p1, const TkvVector& p2,
                const TkvVector& p3, float t, TkvVector& out);   // w of out is 0

// Cube of half-size 1 about centre: six quads, normals pointing inwards, 0..1 texture coordinates.
void DrawCube(const TkvVector& centre);
