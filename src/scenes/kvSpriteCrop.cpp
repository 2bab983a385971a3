// kvSpriteCrop: the part of a sprite texture that can change a pixel.
#include "scenes/kvSpriteCrop.h"

#include "scenes/kvSprite.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
// A fragment of colour c and alpha a (0..255 each) adds round(c * a / 255)
// steps. Below 127.5 that rounds to nothing; the threshold keeps a margin for
// the rounding of filtered and modulated values.
constexpr float StepProduct = 96;

float Unit(float v) { return std::isnan(v) ? 1 : std::clamp(v, 0.0f, 1.0f); }
}  // namespace

void TkvSpriteCrop::SetBox(float s0, float s1, float t0, float t1)
{
    if (s0 <= 0 && s1 >= 1 && t0 <= 0 && t1 >= 1) Lit.clear();   // nothing cropped
    S0 = std::max(s0, 0.0f);
    S1 = std::min(s1, 1.0f);
    T0 = std::max(t0, 0.0f);
    T1 = std::min(t1, 1.0f);
}

bool TkvSpriteCrop::ReadBoundTexture(std::vector<uint8_t>& rgba, int32_t& width, int32_t& height)
{
    GLint texture = 0, minFilter = 0, mode = 0, src = 0, dst = 0, w = 0, h = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (texture == 0 || (minFilter != GL_LINEAR && minFilter != GL_NEAREST) || mode != GL_MODULATE ||
        src != GL_SRC_ALPHA || dst != GL_ONE || !glIsEnabled(GL_BLEND))
        return false;
    if (w <= 0 || h <= 0 || int64_t(w) * h > MaxTexels) return false;
    rgba.resize(size_t(w) * h * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPopClientAttrib();
    width = w;
    height = h;
    return true;
}

void TkvSpriteCrop::FromPixels(const uint8_t* rgba, int32_t width, int32_t height, float maxRgb, float maxAlpha)
{
    SetWhole();
    if (!rgba || width <= 0 || height <= 0 || int64_t(width) * height > MaxTexels) return;
    // GL clamps vertex colours to 0..1; a NaN counts as the brightest.
    const float rgbScale = Unit(maxRgb), alphaScale = Unit(maxAlpha);
    auto texel = [&](int32_t x, int32_t y) { return rgba + 4 * (int64_t(y % height) * width + x % width); };
    // Counts of lit texel pairs up to each (x, y), for Touches.
    std::vector<int32_t> lit(size_t(width + 1) * (height + 1), 0);
    int32_t x0 = width, x1 = -1, y0 = height, y1 = -1;
    for (int32_t y = 0; y < height; y++) {
        for (int32_t x = 0; x < width; x++) {
            // The texels (x, x + 1) x (y, y + 1) are what filtering mixes
            // between their centres; the last column and row wrap round.
            int32_t c = 0, a = 0;
            for (const uint8_t* p : {texel(x, y), texel(x + 1, y), texel(x, y + 1), texel(x + 1, y + 1)}) {
                c = std::max({c, int32_t(p[0]), int32_t(p[1]), int32_t(p[2])});
                a = std::max(a, int32_t(p[3]));
            }
            // Zero stays exactly zero through filtering and modulation.
            bool on = c > 0 && a > 0 && (c * rgbScale + 1) * (a * alphaScale + 1) >= StepProduct;
            lit[size_t(y + 1) * (width + 1) + x + 1] = int32_t(on) + lit[size_t(y) * (width + 1) + x + 1] +
                                                       lit[size_t(y + 1) * (width + 1) + x] -
                                                       lit[size_t(y) * (width + 1) + x];
            if (!on) continue;
            // Mixed across the texture's edge (wrapping or clamped): keep it all.
            if (x == width - 1 || y == height - 1) return;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
    }
    Lit = std::move(lit);
    Width = width;
    Height = height;
    if (x1 < 0) return SetBox(1, 0, 1, 0);
    // The pair's centres span x + 0.5 .. x + 1.5; half a texel more on every
    // side allows for the rounding of texture coordinates.
    const float w = float(width), h = float(height);
    SetBox(x0 / w, (x1 + 2) / w, y0 / h, (y1 + 2) / h);
}

bool TkvSpriteCrop::Touches(float s0, float t0, float s1, float t1) const
{
    if (Empty() || s1 < S0 || s0 > S1 || t1 < T0 || t0 > T1) return false;
    if (Lit.empty()) return true;
    // Pairs x whose span x / w .. (x + 2) / w (as in the box) meets s0 .. s1.
    auto range = [](float a, float b, int32_t n, int32_t& lo, int32_t& hi) {
        lo = std::max(0, int32_t(std::ceil(a * n - 2)));
        hi = std::min(n - 1, int32_t(std::floor(b * n)));
    };
    int32_t xa, xb, ya, yb;
    range(s0, s1, Width, xa, xb);
    range(t0, t1, Height, ya, yb);
    if (xa > xb || ya > yb) return false;
    auto at = [this](int32_t x, int32_t y) { return Lit[size_t(y) * (Width + 1) + x]; };
    return at(xb + 1, yb + 1) - at(xa, yb + 1) - at(xb + 1, ya) + at(xa, ya) > 0;
}

void TkvSpriteCrop::DrawDiamond(const TkvVector& p, const TkvVector& right, const TkvVector& up) const
{
    if (Empty() || !kvFinite(p) || !kvFinite(right) || !kvFinite(up)) return;
    // Texture (s, t) sits at p - right + s (right - up) + t (right + up).
    auto vertex = [&](float s, float t) {
        glTexCoord2f(s, t);
        glVertex3f(p.x - right.x + s * (right.x - up.x) + t * (right.x + up.x),
                   p.y - right.y + s * (right.y - up.y) + t * (right.y + up.y),
                   p.z - right.z + s * (right.z - up.z) + t * (right.z + up.z));
    };
    vertex(S0, T0);
    vertex(S1, T0);
    vertex(S1, T1);
    vertex(S0, T1);
}
