// kvGeometry: vectors, matrices, the four-point curve and the shared cube.
#include "scenes/kvGeometry.h"

#include "platform/ZynNumbers.h"

#include <GL/gl.h>
#include <cmath>

const TkvVector kvOrigin{0, 0, 0, 1};
const TkvVector kvUp{0, 1, 0, 0};
const TkvMatrix kvIdentity{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
const TkvMatrix kvZeroMatrix{};

float VecLength(const TkvVector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void VecScale(const TkvVector& v, float s, TkvVector& out) { out = {v.x * s, v.y * s, v.z * s, v.w}; }
void VecDivide(const TkvVector& v, float s, TkvVector& out) { out = {v.x / s, v.y / s, v.z / s, v.w}; }
void VecAdd(const TkvVector& a, const TkvVector& b, TkvVector& out) { out = {a.x + b.x, a.y + b.y, a.z + b.z, 1.0f}; }

void VecAdd3(const TkvVector& a, const TkvVector& b, const TkvVector& c, TkvVector& out)
{
    out = {a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z, 1.0f};
}

void VecSub(const TkvVector& a, const TkvVector& b, TkvVector& out) { out = {a.x - b.x, a.y - b.y, a.z - b.z, 1.0f}; }
void VecNegate(const TkvVector& v, TkvVector& out) { out = {-v.x, -v.y, -v.z, 1.0f}; }
void VecNegate(const TkvIntVector& v, TkvIntVector& out) { out = {-v.x, -v.y, -v.z, 1}; }

void VecRound(const TkvVector& v, TkvVector& out)
{
    out = {static_cast<float>(ZynRoundEven64(v.x)), static_cast<float>(ZynRoundEven64(v.y)),
           static_cast<float>(ZynRoundEven64(v.z)), 1.0f};
}

float VecDot(const TkvVector& a, const TkvVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void VecCross(const TkvVector& a, const TkvVector& b, TkvVector& out)
{
    // w of the result is deliberately left as it was.
    float x = a.y * b.z - b.y * a.z;
    float y = a.z * b.x - b.z * a.x;
    float z = a.x * b.y - a.y * b.x;
    out.x = x; out.y = y; out.z = z;
}

void VecNormalize(TkvVector& v)
{
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) { v = kvUp; return; }
    float len = VecLength(v);
    if (len > 0.0f && std::isfinite(len)) {
        float inv = 1.0f / len;
        if (std::isfinite(inv)) { v.x *= inv; v.y *= inv; v.z *= inv; return; }
    }
    // The squares under- or overflowed in single precision: take the length in
    // double so that a tiny or huge non-zero vector still becomes a unit vector.
    double l = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    v.x = float(v.x / l); v.y = float(v.y / l); v.z = float(v.z / l);
}

float VecAngle(const TkvVector& a, const TkvVector& b)
{
    TkvVector na = a, nb = b;
    VecNormalize(na);
    VecNormalize(nb);
    float d = VecDot(na, nb);
    // Rounding can push the dot product of parallel vectors just past 1.
    if (d > 1.0f) d = 1.0f;
    if (d < -1.0f) d = -1.0f;
    return std::acos(d);
}

void MatrixRotateAxis(const TkvVector& axis, float angle, TkvMatrix& out)
{
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    float x = axis.x, y = axis.y, z = axis.z;
    out = kvIdentity;
    out[0] = c + x * x * t;     out[1] = x * y * t + z * s; out[2] = x * z * t - y * s;
    out[4] = x * y * t - z * s; out[5] = c + y * y * t;     out[6] = y * z * t + x * s;
    out[8] = x * z * t + y * s; out[9] = y * z * t - x * s; out[10] = c + z * z * t;
}

void MatrixMultiply(TkvMatrix& m, const TkvMatrix& n)
{
    TkvMatrix r = kvZeroMatrix;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            for (int k = 0; k < 4; k++)
                r[i * 4 + j] += m[i * 4 + k] * n[k * 4 + j];
    m = r;
}

void GetModelviewMatrix(TkvMatrix& out) { glGetFloatv(GL_MODELVIEW_MATRIX, out.m); }

void GetViewport(int32_t out[4])
{
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    for (int i = 0; i < 4; i++) out[i] = vp[i];
}

float ViewportAspect()
{
    int32_t vp[4];
    GetViewport(vp);
    return static_cast<float>(vp[2]) / static_cast<float>(vp[3] > 0 ? vp[3] : 1);
}

float CurveValue(float t, float p0, float p1, float p2, float p3)
{
    const float pi = 3.14159265358979f;
    return p1 + t * (p2 - p1) +
           std::sin(pi * t) * (2 * p1 - p0 - p2 + t * (p0 - 3 * p1 + 3 * p2 - p3)) / (2 * pi);
}

void CurvePoint(const TkvVector& p0, const TkvVector& p1, const TkvVector& p2,
                const TkvVector& p3, float t, TkvVector& out)
{
    TkvVector r;
    r.x = CurveValue(t, p0.x, p1.x, p2.x, p3.x);
    r.y = CurveValue(t, p0.y, p1.y, p2.y, p3.y);
    r.z = CurveValue(t, p0.z, p1.z, p2.z, p3.z);
    r.w = 0;
    out = r;
}

void DrawCube(const TkvVector& c)
{
    // Per face: the outward direction (the normal points the other way, to the
    // centre) and its four corners; texture coordinates run 0..1 on each face.
    static const float faces[6][5][3] = {
        {{0, 0, -1}, {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
        {{0, 0, 1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
        {{0, -1, 0}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
        {{0, 1, 0}, {-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}},
        {{-1, 0, 0}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1}},
        {{1, 0, 0}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
    };
    static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const auto& f : faces) {
        glNormal3f(-f[0][0], -f[0][1], -f[0][2]);
        for (int k = 0; k < 4; k++) {
            glTexCoord2f(uv[k][0], uv[k][1]);
            glVertex3f(c.x + f[k + 1][0], c.y + f[k + 1][1], c.z + f[k + 1][2]);
        }
    }
    glEnd();
}
