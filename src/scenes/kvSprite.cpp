// kvSprite: sprite drawing state and quads.
#include "scenes/kvSprite.h"

#include <cmath>

void kvBeginSprites(GLenum srcFactor)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(srcFactor, GL_ONE);
}

TkvSpriteFilter::TkvSpriteFilter()
{
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &Texture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &Saved);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

TkvSpriteFilter::~TkvSpriteFilter()
{
    // Whatever the drawing bound since, the filter goes back on the texture it was taken from.
    GLint now = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &now);
    if (now != Texture) glBindTexture(GL_TEXTURE_2D, GLuint(Texture));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, Saved);
    if (now != Texture) glBindTexture(GL_TEXTURE_2D, GLuint(now));
}

TkvSpriteAlphaTest::TkvSpriteAlphaTest()
{
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
}

TkvSpriteAlphaTest::~TkvSpriteAlphaTest()
{
    glPopAttrib();
}

bool kvFinite(float x, float y, float z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

void kvSpriteQuad(float x, float y, float z, float h)
{
    if (!kvFinite(x, y, z) || !std::isfinite(h)) return;
    glTexCoord2f(0, 0); glVertex3f(x - h, y - h, z);
    glTexCoord2f(1, 0); glVertex3f(x + h, y - h, z);
    glTexCoord2f(1, 1); glVertex3f(x + h, y + h, z);
    glTexCoord2f(0, 1); glVertex3f(x - h, y + h, z);
}

void kvSpriteDiamond(const TkvVector& p, const TkvVector& right, const TkvVector& up)
{
    if (!kvFinite(p) || !kvFinite(right) || !kvFinite(up)) return;
    glTexCoord2f(0, 0); glVertex3f(p.x - right.x, p.y - right.y, p.z - right.z);
    glTexCoord2f(1, 0); glVertex3f(p.x - up.x, p.y - up.y, p.z - up.z);
    glTexCoord2f(1, 1); glVertex3f(p.x + right.x, p.y + right.y, p.z + right.z);
    glTexCoord2f(0, 1); glVertex3f(p.x + up.x, p.y + up.y, p.z + up.z);
}
