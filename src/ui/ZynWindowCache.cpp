// ZynWindowCache: building, checking and drawing a window's cached picture.
#include "ui/ZynWindowCache.h"

#include "app/ZynLog.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>

// The pixels of rect (x, y, width, height) as RGBA rows, bottom row first.
static void ReadRect(const int32_t* rect, std::vector<uint8_t>& into)
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(rect[0], rect[1], rect[2], rect[3], GL_RGBA, GL_UNSIGNED_BYTE, into.data());
    glPopClientAttrib();
}

// Projection and model-view in window pixels while it lives; both put back after.
namespace {
struct TPixelSpace {
    explicit TPixelSpace(const int32_t* vp)
    {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(vp[0], vp[0] + vp[2], vp[1], vp[1] + vp[3], -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
    }
    ~TPixelSpace()
    {
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    TPixelSpace(const TPixelSpace&) = delete;
    TPixelSpace& operator=(const TPixelSpace&) = delete;
};
}  // namespace

bool TZWindowCache::TState::operator==(const TState& o) const
{
    return Key == o.Key && std::memcmp(ModelView, o.ModelView, sizeof ModelView) == 0 &&
           std::memcmp(Projection, o.Projection, sizeof Projection) == 0 &&
           std::memcmp(Viewport, o.Viewport, sizeof Viewport) == 0 && std::memcmp(Rect, o.Rect, sizeof Rect) == 0;
}

TZWindowCache::~TZWindowCache()
{
    if (Texture) glDeleteTextures(1, &Texture);
}

// The GL transform now and the whole pixels that x1, y1 .. x2, y2 covers, inside the viewport.
bool TZWindowCache::Capture(TState& s, float x1, float y1, float x2, float y2) const
{
    glGetFloatv(GL_MODELVIEW_MATRIX, s.ModelView);
    glGetFloatv(GL_PROJECTION_MATRIX, s.Projection);
    glGetIntegerv(GL_VIEWPORT, s.Viewport);
    double mv[16], pr[16];
    std::copy(s.ModelView, s.ModelView + 16, mv);
    std::copy(s.Projection, s.Projection + 16, pr);
    const GLint* vp = s.Viewport;
    double lo[2] = {1e30, 1e30}, hi[2] = {-1e30, -1e30};
    for (int i = 0; i < 4; i++) {
        double px, py, pz;
        if (!gluProject(i & 1 ? x2 : x1, i & 2 ? y2 : y1, 0, mv, pr, vp, &px, &py, &pz)) return false;
        lo[0] = std::min(lo[0], px), hi[0] = std::max(hi[0], px);
        lo[1] = std::min(lo[1], py), hi[1] = std::max(hi[1], py);
    }
    // One pixel of margin for the rasteriser's edge rules; never outside the viewport.
    const double x0 = std::max(std::floor(lo[0]) - 1, double(vp[0]));
    const double y0 = std::max(std::floor(lo[1]) - 1, double(vp[1]));
    const double xe = std::min(std::ceil(hi[0]) + 1, double(vp[0]) + vp[2]);
    const double ye = std::min(std::ceil(hi[1]) + 1, double(vp[1]) + vp[3]);
    if (!(xe > x0 && ye > y0)) return false;
    s.Rect[0] = int32_t(x0), s.Rect[1] = int32_t(y0);
    s.Rect[2] = int32_t(xe - x0), s.Rect[3] = int32_t(ye - y0);
    return true;
}

void TZWindowCache::Draw(const std::string& key, const std::function<void()>& draw, float x1, float y1, float x2,
                         float y2)
{
    TState now;
    now.Key = key;
    if (Failed || !Capture(now, x1, y1, x2, y2)) {
        draw();
        return;
    }
    if (Valid && now == Built) {
        Blit();
        return;
    }
    if (!(now == Seen)) {
        Seen = std::move(now);
        SeenFrames = 0;
    }
    if (SeenFrames < SettleFrames) {
        SeenFrames++;
        draw();
        return;
    }
    Built = Seen;
    Valid = false;   // until built: a drawing that throws leaves no stale picture behind
    Valid = Build(draw);
    if (Valid) Blit();
    else draw();
}

// Draws into the back buffer over black and over white inside the rectangle,
// keeps the premultiplied result and puts the pixels that were there back.
bool TZWindowCache::Build(const std::function<void()>& draw)
{
    const int32_t x = Built.Rect[0], y = Built.Rect[1], w = Built.Rect[2], h = Built.Rect[3];
    if (w > TexWidth || h > TexHeight) {
        // Fewer than 8 bits a channel would make the alpha worked out from two pictures coarse.
        GLint maxSize = 0, bits[3] = {};
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        glGetIntegerv(GL_RED_BITS, &bits[0]), glGetIntegerv(GL_GREEN_BITS, &bits[1]), glGetIntegerv(GL_BLUE_BITS, &bits[2]);
        if (std::min({bits[0], bits[1], bits[2]}) < 8) Failed = true;
        if (Failed) return false;
        int32_t tw = 64, th = 64;   // powers of two: the texture is valid in GL 1.1 too
        while (tw < w) tw *= 2;
        while (th < h) th *= 2;
        if (tw > maxSize || th > maxSize) return false;
        if (!Texture) glGenTextures(1, &Texture);
        glPushAttrib(GL_TEXTURE_BIT);
        glBindTexture(GL_TEXTURE_2D, Texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPopAttrib();
        if (!ZynCheckGL("TZWindowCache.Build", 1)) {
            Failed = true;
            return false;
        }
        TexWidth = tw, TexHeight = th;
    }
    const size_t bytes = size_t(w) * size_t(h) * 4;
    Under.resize(bytes), OverBlack.resize(bytes), OverWhite.resize(bytes);
    ReadRect(Built.Rect, Under);
    for (int pass = 0; pass < 2; pass++) {
        glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT | GL_ENABLE_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, y, w, h);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(float(pass), float(pass), float(pass), 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glPopAttrib();
        draw();   // no GL stack is left pushed across it: it may throw
        ReadRect(Built.Rect, pass ? OverWhite : OverBlack);
    }
    // What shows through is the same in every channel for alpha blending; the
    // mean evens out the channels' separate rounding.
    for (size_t i = 0; i < bytes; i += 4) {
        int through = 0;
        for (size_t c = 0; c < 3; c++) through += OverWhite[i + c] - OverBlack[i + c];
        OverBlack[i + 3] = uint8_t(std::clamp(255 - (through + 1) / 3, 0, 255));
    }
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, Texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, OverBlack.data());
    glPopAttrib();
    // Put back what the window covers.
    glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    glDisable(GL_BLEND), glDisable(GL_TEXTURE_2D), glDisable(GL_DEPTH_TEST), glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST), glDisable(GL_FOG), glDisable(GL_LIGHTING), glDisable(GL_STENCIL_TEST);
    {
        const TPixelSpace pixels(Built.Viewport);
        glRasterPos2i(x, y);
        glDrawPixels(w, h, GL_RGBA, GL_UNSIGNED_BYTE, Under.data());
    }
    glPopAttrib();
    glPopClientAttrib();
    BuildCount++;
    return true;
}

// One premultiplied quad, texel for pixel.
void TZWindowCache::Blit() const
{
    const int32_t x = Built.Rect[0], y = Built.Rect[1], w = Built.Rect[2], h = Built.Rect[3];
    const float u = float(w) / float(TexWidth), v = float(h) / float(TexHeight);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST), glDisable(GL_ALPHA_TEST), glDisable(GL_LIGHTING), glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, Texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    {
        const TPixelSpace pixels(Built.Viewport);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0), glVertex2i(x, y);
        glTexCoord2f(u, 0), glVertex2i(x + w, y);
        glTexCoord2f(u, v), glVertex2i(x + w, y + h);
        glTexCoord2f(0, v), glVertex2i(x, y + h);
        glEnd();
    }
    glPopAttrib();
}
