// kvSpriteCrop: TkvSpriteCrop, the part of a sprite texture that can change a pixel.
//
// Sprites are blended additively (source alpha onto one) and modulated by
// their colour, so a fragment adds round(rgb * a) colour steps, and a soft
// spot texture adds nothing over much of its square: the Plasma Ball's
// diamonds add a step on only about 40% of theirs. The crop is the box in
// texture space holding every texel footprint that can add a step at the
// given colour and alpha; drawing only the box leaves the picture as it was
// and saves the software renderer the fill of the rest. (A tighter octagon
// costs more in extra triangles than it saves in fill.)
// The texel scan is GL-free; ReadBoundTexture reads the bound texture.
// Depends on: scenes/kvGeometry, OpenGL.
#pragma once

#include "scenes/kvGeometry.h"

#include <cstdint>
#include <vector>

class TkvSpriteCrop {
public:
    // Textures larger than this (in texels) are not read back every frame.
    static constexpr int32_t MaxTexels = 256 * 256;

    // Level 0 of the bound 2D texture as RGBA (row 0 at t = 0), where a scan
    // of it holds: it alone is sampled (no mipmaps), modulated and blended
    // with source alpha onto one, and it is small enough. False otherwise.
    static bool ReadBoundTexture(std::vector<uint8_t>& rgba, int32_t& width, int32_t& height);

    // The whole texture (nothing cropped).
    void SetWhole() { SetBox(0, 1, 0, 1); }
    // Scans width x height RGBA pixels (row 0 at t = 0) for texel pairs that
    // bilinear filtering can mix into a fragment adding at least one step,
    // with the vertex colour at most maxRgb and its alpha at most maxAlpha.
    void FromPixels(const uint8_t* rgba, int32_t width, int32_t height, float maxRgb, float maxAlpha);

    // Nothing of the texture can show: draw nothing.
    bool Empty() const { return S0 > S1; }
    // Whether fragments sampling inside the texture rectangle [s0, s1] x
    // [t0, t1] can add a step (exact to the texel pair, not just the box).
    bool Touches(float s0, float t0, float s1, float t1) const;
    float SMin() const { return S0; }
    float SMax() const { return S1; }
    float TMin() const { return T0; }
    float TMax() const { return T1; }

    // Inside glBegin(GL_QUADS): the box of the sprite whose texture corners
    // (0,0), (1,0), (1,1), (0,1) sit at p - right, p - up, p + right, p + up.
    // Skipped when not finite.
    void DrawDiamond(const TkvVector& p, const TkvVector& right, const TkvVector& up) const;

private:
    void SetBox(float s0, float s1, float t0, float t1);

    float S0 = 0, S1 = 1, T0 = 0, T1 = 1;
    // Where cropped: lit texel pairs summed from (0, 0) to each (x, y), (width + 1) x (height + 1).
    std::vector<int32_t> Lit;
    int32_t Width = 0, Height = 0;
};
