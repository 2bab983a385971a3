// kvSprite: drawing state and quads for the glowing sprite scenes.
//
// The spark, particle and plasma scenes draw thousands of small textured
// squares blended onto the picture without depth. Every vertex goes through
// here, so a position gone non-finite (a formula written past its limits)
// is dropped before it reaches GL.
// Depends on: scenes/kvGeometry, OpenGL.
#pragma once

#include "scenes/kvGeometry.h"

#include <GL/gl.h>

// Textures on; blending of srcFactor onto GL_ONE (additive glow); no depth
// test, lighting or face culling.
void kvBeginSprites(GLenum srcFactor);

// While alive, the bound 2D texture is minified bilinearly, without its
// mipmaps; the filter it had comes back at the end. Sprite textures are soft
// spots drawn a few times smaller than they are stored, where trilinear
// filtering changes nothing visible but costs the software renderer about a
// third of the time it spends on the overlapping sprites.
class TkvSpriteFilter {
public:
    TkvSpriteFilter();
    ~TkvSpriteFilter();
    TkvSpriteFilter(const TkvSpriteFilter&) = delete;
    TkvSpriteFilter& operator=(const TkvSpriteFilter&) = delete;

private:
    GLint Texture = 0;
    GLint Saved = GL_LINEAR;
};

// While alive, fragments of alpha 0 are dropped before blending (the alpha
// test comes back as it was). Under source-alpha blending they add nothing,
// so the picture is the same; the renderer skips blending the clear margins
// of large overlapping sprites (a gain for the plasma's diamonds, none for
// small sprites, where the test itself costs as much).
class TkvSpriteAlphaTest {
public:
    TkvSpriteAlphaTest();
    ~TkvSpriteAlphaTest();
    TkvSpriteAlphaTest(const TkvSpriteAlphaTest&) = delete;
    TkvSpriteAlphaTest& operator=(const TkvSpriteAlphaTest&) = delete;
};

bool kvFinite(float x, float y, float z);
inline bool kvFinite(const TkvVector& v) { return kvFinite(v.x, v.y, v.z); }
// A finite float, or the fallback for NaN and infinities.
inline float kvFiniteOr(float v, float fallback) { return kvFinite(v, 0, 0) ? v : fallback; }

// Inside glBegin(GL_QUADS): a square of half-size h about (x, y, z) in the
// x-y plane, texture (0,0)..(1,1). Skipped when not finite.
void kvSpriteQuad(float x, float y, float z, float h);
// Inside glBegin(GL_QUADS): the diamond p - right, p - up, p + right, p + up
// (right and up already scaled to the sprite size). Skipped when not finite.
void kvSpriteDiamond(const TkvVector& p, const TkvVector& right, const TkvVector& up);
