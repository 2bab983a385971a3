// ZynFadeDistort: pictures melting into and out of a smooth random distortion.
#include "faders/ZynFadeDistort.h"

#include "config/ZynConstDef.h"
#include "faders/ZynFadeCommon.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <cmath>

void TfadeDistort::Create(TVisObject* owner)
{
    TZynFader::Create(owner);
    Section = "FDISTORT";
    Name = "Distorting Image";
    NeedsOldTexture = true;
    NeedsNewTexture = zcFDISTORT_Double == 1;
    // The grid is fixed for this instance's life; a restart applies a change.
    SquareX = FadeCount(zcFDISTORT_SquareX, 2, 64);
    SquareY = FadeCount(zcFDISTORT_SquareY, 2, 64);
    size_t n = size_t(4 * SquareX + 1) * size_t(4 * SquareY + 1);
    D.assign(n, TkvVector{});
    O.assign(n, TkvVector{});
    I.assign(n, TkvVector{});
}

void TfadeDistort::Reset()
{
    TZynFader::Reset();
    BuildField();
}

void TfadeDistort::BuildField()
{
    // Coarse jittered grid (less than 1/8 of a cell off its place).
    TkvVector coarse[65][65];
    for (int32_t q = 0; q <= SquareY; q++)
        for (int32_t c = 0; c <= SquareX; c++) {
            float u = float(ZynRandomInt(1024)), v = float(ZynRandomInt(1024));
            coarse[q][c] = TkvVector{float(c) / SquareX + (u - 512) / 4096, float(q) / SquareY + (v - 512) / 4096, 0, 0};
        }
    auto at = [&](int32_t c, int32_t q) {
        if (c < 0 || c > SquareX || q < 0 || q > SquareY)
            return TkvVector{float(c) / SquareX, float(q) / SquareY, 0, 0};
        return coarse[q][c];
    };
    // Fine field: the curve down four coarse columns, then across the results.
    int32_t fw = 4 * SquareX + 1, fh = 4 * SquareY + 1;
    for (int32_t y = 0; y < fh; y++)
        for (int32_t x = 0; x < fw; x++) {
            TkvVector col[4];
            for (int32_t k = 0; k < 4; k++) {
                int32_t c = x / 4 - 1 + k, q = y / 4;
                CurvePoint(at(c, q - 1), at(c, q), at(c, q + 1), at(c, q + 2), (y % 4) / 4.0f, col[k]);
            }
            CurvePoint(col[0], col[1], col[2], col[3], (x % 4) / 4.0f, D[size_t(y) * fw + x]);
        }
}

// Quad strips over the fine grid with the given texture coordinates.
static void DistortPass(const std::vector<TkvVector>& tc, int32_t fw, int32_t fh)
{
    for (int32_t y = 0; y + 1 < fh; y++) {
        glBegin(GL_QUAD_STRIP);
        for (int32_t x = 0; x < fw; x++) {
            const TkvVector& a = tc[size_t(y) * fw + x];
            const TkvVector& b = tc[size_t(y + 1) * fw + x];
            glTexCoord2f(a.x, a.y); glVertex2f(float(x) / (fw - 1), float(y) / (fh - 1));
            glTexCoord2f(b.x, b.y); glVertex2f(float(x) / (fw - 1), float(y + 1) / (fh - 1));
        }
        glEnd();
    }
}

float TfadeDistort::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    TZynFader::Fade(newTex, oldTex, dt);
    if (!NeedsNewTexture) SceneAlpha = 1;
    float p = std::fmin(FadeProgress(Time, zcFDISTORT_Time), 1.0f);
    float h = (1 - std::cos(p * ZynPi)) / 2;
    int32_t fw = 4 * SquareX + 1, fh = 4 * SquareY + 1;
    for (int32_t y = 0; y < fh; y++)
        for (int32_t x = 0; x < fw; x++) {
            size_t i = size_t(y) * fw + x;
            float rx = float(x) / (fw - 1), ry = float(y) / (fh - 1);
            O[i] = TkvVector{(1 - h) * rx + h * D[i].x, (1 - h) * ry + h * D[i].y, 0, 0};
            I[i] = TkvVector{h * rx + (1 - h) * D[i].x, h * ry + (1 - h) * D[i].y, 0, 0};
        }
    FadeBegin(oldTex);
    FadeUnitMapping();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (NeedsNewTexture) {
        FadeBindTexture(newTex);
        glColor4f(1, 1, 1, p);
        DistortPass(I, fw, fh);
    }
    FadeBindTexture(oldTex);
    glColor4f(1, 1, 1, 1 - p);
    DistortPass(O, fw, fh);
    FadeEnd();
    return p;
}
