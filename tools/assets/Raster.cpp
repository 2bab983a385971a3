// Raster: canvas compositing, distance shapes, tileable noise and image writers.
#include "Raster.h"

#include <cstdio>
#include <png.h>

namespace art {

static uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); }

void Canvas::Over(int x, int y, Col c, float k)
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || k <= 0) return;
    Col& d = At(x, y);
    float a = clamp01(c.a * k);
    float outA = a + d.a * (1 - a);
    if (outA <= 0) {
        d = {c.r, c.g, c.b, 0};
        return;
    }
    d.r = (c.r * a + d.r * d.a * (1 - a)) / outA;
    d.g = (c.g * a + d.g * d.a * (1 - a)) / outA;
    d.b = (c.b * a + d.b * d.a * (1 - a)) / outA;
    d.a = outA;
}

void Canvas::Add(int x, int y, Col c, float k)
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || k <= 0) return;
    Col& d = At(x, y);
    d.r += c.r * k;
    d.g += c.g * k;
    d.b += c.b * k;
    d.a = clamp01(d.a + c.a * k);
}

static void Range(float lo, float hi, int size, int& a, int& b)
{
    a = std::max(0, static_cast<int>(std::floor(lo)) - 1);
    b = std::min(size - 1, static_cast<int>(std::ceil(hi)) + 1);
}

void Canvas::Shape(float x0, float y0, float x1, float y1, Col c, const std::function<float(V2)>& sdf)
{
    ShapeFn(x0, y0, x1, y1, [c](V2) { return c; }, sdf);
}

void Canvas::ShapeFn(float x0, float y0, float x1, float y1, const std::function<Col(V2)>& colour,
                     const std::function<float(V2)>& sdf)
{
    int xa, xb, ya, yb;
    Range(x0, x1, w_, xa, xb);
    Range(y0, y1, h_, ya, yb);
    for (int y = ya; y <= yb; y++)
        for (int x = xa; x <= xb; x++) {
            V2 p{x + 0.5f, y + 0.5f};
            float k = clamp01(0.5f - sdf(p));
            if (k > 0) Over(x, y, colour(p), k);
        }
}

void Canvas::Glow(float x0, float y0, float x1, float y1, Col c, float width, const std::function<float(V2)>& sdf)
{
    int xa, xb, ya, yb;
    Range(x0, x1, w_, xa, xb);
    Range(y0, y1, h_, ya, yb);
    for (int y = ya; y <= yb; y++)
        for (int x = xa; x <= xb; x++) {
            float d = std::max(0.0f, sdf({x + 0.5f, y + 0.5f})) / width;
            Add(x, y, c, std::exp(-d * d));
        }
}

void Canvas::Paint(const std::function<Col(V2)>& f)
{
    for (int y = 0; y < h_; y++)
        for (int x = 0; x < w_; x++) At(x, y) = f({x + 0.5f, y + 0.5f});
}

void Canvas::Blit(const Canvas& src, int ox, int oy)
{
    for (int y = 0; y < src.H(); y++)
        for (int x = 0; x < src.W(); x++) {
            const Col& c = src.At(x, y);
            Over(ox + x, oy + y, {c.r, c.g, c.b, 1}, c.a);
        }
}

bool WriteFile(const std::string& file, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool Canvas::SaveTGA(const std::string& file, bool alpha) const
{
    std::vector<uint8_t> b(18, 0);
    b[2] = 2;
    b[12] = static_cast<uint8_t>(w_ & 0xff);
    b[13] = static_cast<uint8_t>(w_ >> 8);
    b[14] = static_cast<uint8_t>(h_ & 0xff);
    b[15] = static_cast<uint8_t>(h_ >> 8);
    b[16] = alpha ? 32 : 24;
    b[17] = alpha ? 8 : 0;   // bottom-left origin
    for (int y = h_ - 1; y >= 0; y--)
        for (int x = 0; x < w_; x++) {
            const Col& c = At(x, y);
            b.push_back(ToByte(c.b));
            b.push_back(ToByte(c.g));
            b.push_back(ToByte(c.r));
            if (alpha) b.push_back(ToByte(c.a));
        }
    return WriteFile(file, b);
}

bool Canvas::SaveBMP(const std::string& file, bool alpha) const
{
    size_t row = (static_cast<size_t>(w_) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> b(54 + row * h_, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w_));
    put32(22, static_cast<uint32_t>(h_));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h_; y++) {
        uint8_t* d = b.data() + 54 + row * (h_ - 1 - y);
        for (int x = 0; x < w_; x++) {
            const Col& c = At(x, y);
            d[x * 3] = ToByte(alpha ? c.a : c.b);
            d[x * 3 + 1] = ToByte(alpha ? c.a : c.g);
            d[x * 3 + 2] = ToByte(alpha ? c.a : c.r);
        }
    }
    return WriteFile(file, b);
}

// libpng reports its errors by longjmp: this frame holds no locals that change after setjmp.
static bool WritePNG(std::FILE* f, png_structp png, png_infop info, int w, int h, png_bytep* rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

bool Canvas::SavePNG(const std::string& file) const
{
    std::vector<uint8_t> rgba(static_cast<size_t>(w_) * h_ * 4);
    for (size_t i = 0; i < px_.size(); i++) {
        rgba[i * 4] = ToByte(px_[i].r);
        rgba[i * 4 + 1] = ToByte(px_[i].g);
        rgba[i * 4 + 2] = ToByte(px_[i].b);
        rgba[i * 4 + 3] = ToByte(px_[i].a);
    }
    std::vector<png_bytep> rows(static_cast<size_t>(h_));
    for (int y = 0; y < h_; y++) rows[y] = rgba.data() + static_cast<size_t>(y) * w_ * 4;
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && WritePNG(f, png, info, w_, h_, rows.data());
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::fclose(f) == 0 && ok;
}

float sdBox(V2 p, V2 c, V2 half, float radius)
{
    V2 q{std::fabs(p.x - c.x) - half.x + radius, std::fabs(p.y - c.y) - half.y + radius};
    V2 m{std::max(q.x, 0.0f), std::max(q.y, 0.0f)};
    return len(m) + std::min(std::max(q.x, q.y), 0.0f) - radius;
}

float sdSegment(V2 p, V2 a, V2 b, float halfWidth)
{
    V2 pa = p - a, ba = b - a;
    float h = clamp01(dot(pa, ba) / std::max(dot(ba, ba), 1e-6f));
    return len(pa - ba * h) - halfWidth;
}

float sdPolygon(V2 p, const std::vector<V2>& v)
{
    float d = dot(p - v[0], p - v[0]);
    float s = 1;
    for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, i++) {
        V2 e = v[j] - v[i], w = p - v[i];
        V2 b = w - e * clamp01(dot(w, e) / dot(e, e));
        d = std::min(d, dot(b, b));
        bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
}

float sdArc(V2 p, V2 c, float r, float a0, float a1, float halfWidth)
{
    V2 q = p - c;
    float ang = std::atan2(q.y, q.x);
    while (ang < a0) ang += 2 * kPi;
    while (ang > a0 + 2 * kPi) ang -= 2 * kPi;
    if (ang <= a1) return std::fabs(len(q) - r) - halfWidth;
    V2 e0{c.x + r * std::cos(a0), c.y + r * std::sin(a0)};
    V2 e1{c.x + r * std::cos(a1), c.y + r * std::sin(a1)};
    return std::min(len(p - e0), len(p - e1)) - halfWidth;
}

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

static float Lattice(int x, int y, int periodX, int periodY, uint32_t seed)
{
    x = ((x % periodX) + periodX) % periodX;
    y = ((y % periodY) + periodY) % periodY;
    return (Hash(static_cast<uint32_t>(x) * 73856093U ^ static_cast<uint32_t>(y) * 19349663U ^ seed * 83492791U) &
            0xffffff) / 16777215.0f;
}

float ValueNoise(float x, float y, int period, uint32_t seed) { return ValueNoise2(x, y, period, period, seed); }

float ValueNoise2(float x, float y, int periodX, int periodY, uint32_t seed)
{
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    float fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Lattice(xi, yi, periodX, periodY, seed), b = Lattice(xi + 1, yi, periodX, periodY, seed);
    float c = Lattice(xi, yi + 1, periodX, periodY, seed), d = Lattice(xi + 1, yi + 1, periodX, periodY, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float Fbm(float x, float y, int period, int octaves, uint32_t seed)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; o++) {
        sum += amp * ValueNoise(x, y, period, seed + o);
        norm += amp;
        x *= 2;
        y *= 2;
        period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

}  // namespace art
