// Raster: the small float canvas, signed-distance shapes, noise and file writers of the asset generator.
//
// Pictures are built top row first (y grows downwards, as seen on screen) in
// linear 0..1 floats and written as TGA files with the bottom row first, so
// that texture coordinate t = 0 is the bottom of the picture as drawn here.
// Depends on: the C++ standard library, libpng (PNG files).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace art {

constexpr float kPi = 3.14159265358979f;

struct Col {
    float r = 0, g = 0, b = 0, a = 1;
};
inline Col rgb(float r, float g, float b, float a = 1) { return {r, g, b, a}; }
inline Col mix(Col x, Col y, float t)
{
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}
inline Col scale(Col c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float smooth(float e0, float e1, float x)
{
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct V2 {
    float x = 0, y = 0;
};
inline V2 operator-(V2 a, V2 b) { return {a.x - b.x, a.y - b.y}; }
inline V2 operator+(V2 a, V2 b) { return {a.x + b.x, a.y + b.y}; }
inline V2 operator*(V2 a, float k) { return {a.x * k, a.y * k}; }
inline float dot(V2 a, V2 b) { return a.x * b.x + a.y * b.y; }
inline float len(V2 a) { return std::sqrt(dot(a, a)); }

class Canvas {
public:
    Canvas(int w, int h, Col fill = {0, 0, 0, 0}) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}
    int W() const { return w_; }
    int H() const { return h_; }
    Col& At(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
    const Col& At(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }

    // "Over" compositing of c with coverage k (0..1).
    void Over(int x, int y, Col c, float k);
    // Adds c * k to the colour and raises alpha by c.a * k.
    void Add(int x, int y, Col c, float k);

    // Fills the shape given by a signed distance in pixels (negative inside),
    // anti-aliased over one pixel, inside the bounding box x0..x1, y0..y1.
    void Shape(float x0, float y0, float x1, float y1, Col c, const std::function<float(V2)>& sdf);
    // Same with a colour chosen per pixel.
    void ShapeFn(float x0, float y0, float x1, float y1, const std::function<Col(V2)>& colour,
                 const std::function<float(V2)>& sdf);
    // Soft glow: adds c * exp(-(d/width)^2) for d = max(sdf, 0).
    void Glow(float x0, float y0, float x1, float y1, Col c, float width, const std::function<float(V2)>& sdf);
    // Every pixel from a function of its centre.
    void Paint(const std::function<Col(V2)>& f);
    // Copies another canvas at (ox, oy), over-composited.
    void Blit(const Canvas& src, int ox, int oy);

    // 32-bit (alpha) or 24-bit TGA, bottom row first.
    bool SaveTGA(const std::string& file, bool alpha) const;
    // 24-bit BMP of the colour (alpha false) or of the alpha as grey (alpha true).
    bool SaveBMP(const std::string& file, bool alpha) const;
    // 8-bit RGBA PNG, top row first (desktop icons).
    bool SavePNG(const std::string& file) const;

private:
    int w_, h_;
    std::vector<Col> px_;
};

// ---- signed distances (pixels) ----
inline float sdCircle(V2 p, V2 c, float r) { return len(p - c) - r; }
inline float sdRing(V2 p, V2 c, float r, float halfWidth) { return std::fabs(len(p - c) - r) - halfWidth; }
float sdBox(V2 p, V2 c, V2 half, float radius);
float sdSegment(V2 p, V2 a, V2 b, float halfWidth);
float sdPolygon(V2 p, const std::vector<V2>& poly);
// Arc of a ring from angle a0 to a1 (radians, y down), round caps.
float sdArc(V2 p, V2 c, float r, float a0, float a1, float halfWidth);

// ---- noise (tileable over period cells) ----
float ValueNoise(float x, float y, int period, uint32_t seed);
float ValueNoise2(float x, float y, int periodX, int periodY, uint32_t seed);
float Fbm(float x, float y, int period, int octaves, uint32_t seed);
uint32_t Hash(uint32_t x);

// Raw TGA/BMP byte writers shared by Canvas.
bool WriteFile(const std::string& file, const std::vector<uint8_t>& bytes);

}  // namespace art
