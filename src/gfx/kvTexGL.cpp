// kvTexGL: texture creation from images and the small shared GL drawing utilities.
#include "gfx/kvTex.h"

#include "platform/kvLog.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <string>

int32_t kvMaxTextureSize()
{
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

uint32_t kvTextureRGBA(uint32_t target, TkvImage& image, bool mipmaps, bool freeImage)
{
    if (!image.HasPixels()) {
        kvLogLine("KVTEX (kvTextureRGBA) - texture pointer NIL");
        return 0;
    }
    const bool is2D = target == GL_TEXTURE_2D;
    // GL takes only square cube-map faces, and GLU reads past the pixels of
    // some shapes it cannot fit (1 x 16384): such a face never reaches them.
    if (!is2D && image.Width != image.Height) {
        kvLogLine("KVTEX ERROR (kvTextureRGBA) - cube-map face is not square (" + std::to_string(image.Width) + "x" +
                  std::to_string(image.Height) + ")");
        if (freeImage) kvFreeImage(image);
        return 0;
    }
    // A side above the GL limit is uploaded from a shrunken copy.
    const TkvImage* src = &image;
    TkvImage scaled;
    int32_t maxSize = kvMaxTextureSize();
    if (!is2D) {
        GLint cube = 0;
        glGetIntegerv(GL_MAX_CUBE_MAP_TEXTURE_SIZE, &cube);
        if (cube > 0) maxSize = std::min<int32_t>(maxSize > 0 ? maxSize : cube, cube);
    }
    if (maxSize > 0 && (image.Width > maxSize || image.Height > maxSize)) {
        scaled = image;
        kvStretchImage(std::min<uint32_t>(image.Width, static_cast<uint32_t>(maxSize)),
                       std::min<uint32_t>(image.Height, static_cast<uint32_t>(maxSize)), scaled);
        src = &scaled;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    if (is2D) glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (mipmaps) {
        gluBuild2DMipmaps(target, 4, src->Width, src->Height, GL_RGBA, GL_UNSIGNED_BYTE, src->Pixels.data());
        if (is2D) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        }
    } else {
        glTexImage2D(target, 0, GL_RGBA8, src->Width, src->Height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     src->Pixels.data());
        if (is2D) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        }
    }
    if (freeImage) kvFreeImage(image);
    if (is2D) glEnable(GL_TEXTURE_2D);
    return name;
}

void kvDeleteTexture(uint32_t name)
{
    if (name == 0) return;
    GLuint n = name;
    glDeleteTextures(1, &n);
}

void kvBindTexture(uint32_t name)
{
    glBindTexture(GL_TEXTURE_2D, name);
    glEnable(GL_TEXTURE_2D);
}

void kvUnbindTexture() { glBindTexture(GL_TEXTURE_2D, 0); }

void kvSphereMapOn()
{
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

void kvSphereMapOff()
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

void kvDrawUnitQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(0, 0);
    glTexCoord2f(1, 0); glVertex2f(1, 0);
    glTexCoord2f(1, 1); glVertex2f(1, 1);
    glTexCoord2f(0, 1); glVertex2f(0, 1);
    glEnd();
}

void kvDrawScreenQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-1, -1);
    glTexCoord2f(1, 0); glVertex2f(1, -1);
    glTexCoord2f(1, 1); glVertex2f(1, 1);
    glTexCoord2f(0, 1); glVertex2f(-1, 1);
    glEnd();
}

void kvClearLowerLeft(int32_t w, int32_t h, uint32_t mask)
{
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLint box[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, w, h);
    glClear(mask);
    glScissor(box[0], box[1], box[2], box[3]);
    if (!scissor) glDisable(GL_SCISSOR_TEST);
}

std::string GLString(uint32_t name)
{
    const GLubyte* s = glGetString(name);
    return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}
