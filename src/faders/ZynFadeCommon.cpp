// ZynFadeCommon: shared transition frame set-up and clamps.
#include "faders/ZynFadeCommon.h"

#include <GL/gl.h>
#include <cmath>

float FadeProgress(float time, float duration)
{
    if (!(duration > 0.0f) || !std::isfinite(duration)) return 1.0f;
    float p = time / duration;
    return std::isfinite(p) ? p : 1.0f;
}

float FadeEase(float p) { return std::cos(p * ZynPi / 2.0f); }

int32_t FadeCount(int32_t value, int32_t lo, int32_t hi)
{
    return value < lo ? lo : (value > hi ? hi : value);
}

float FadeClampF(float value, float lo, float hi, float fallback)
{
    if (std::isnan(value)) return fallback;
    return value < lo ? lo : (value > hi ? hi : value);
}

void FadeBindTexture(uint32_t tex)
{
    glBindTexture(GL_TEXTURE_2D, tex);
    glEnable(GL_TEXTURE_2D);
}

void FadeBegin(uint32_t tex)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    FadeBindTexture(tex);
}

void FadeEnd()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void FadeCentredMapping() { glTranslatef(0, 0, -1); }

void FadeUnitMapping(float zScale)
{
    glTranslatef(-1, -1, -1);
    glScalef(2, 2, zScale);
}

void FadeQuad(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1)
{
    glTexCoord2f(s0, t0); glVertex2f(x0, y0);
    glTexCoord2f(s1, t0); glVertex2f(x1, y0);
    glTexCoord2f(s1, t1); glVertex2f(x1, y1);
    glTexCoord2f(s0, t1); glVertex2f(x0, y1);
}

TFadeCubeTiming FadeCubeTiming(float time, float duration, float aspectTime, float viewportAspect)
{
    TFadeCubeTiming r;
    if (!(duration > 0.0f) || !std::isfinite(duration)) {
        r.T = 0;
        r.s = 1;            // no duration: straight to the end pose
    } else {
        r.T = std::isfinite(time) ? std::fmin(std::fmax(time, 0.0f), duration) : duration;
        r.s = FadeClampF((1 - std::cos(ZynPi * r.T / duration)) / 2, 0, 1, 1);
    }
    if (aspectTime > 0.0f && std::isfinite(aspectTime) && duration > 0.0f) {
        // Ramps over the first and the last aspectTime seconds; where they
        // overlap (a short duration) the smaller weight wins.
        r.a = std::fmin(1.0f, std::fmin(r.T / aspectTime, (duration - r.T) / aspectTime));
        r.a = FadeClampF(r.a, 0, 1, 1);
    } else {
        r.a = 1;
    }
    r.aspect = (1 - r.a) + r.a * viewportAspect;
    return r;
}

void FadeDrawStrips(int32_t strips, float shift, bool horizontal)
{
    glBegin(GL_QUADS);
    for (int32_t i = 0; i < strips; i++) {
        float a0 = float(i) / strips, a1 = float(i + 1) / strips;
        float d = (i % 2 == 0) ? shift : -shift;
        if (horizontal) FadeQuad(d, a0, 1 + d, a1, 0, a0, 1, a1);   // even strips right
        else FadeQuad(a0, d, a1, 1 + d, a0, 0, a1, 1);              // even strips up
    }
    glEnd();
}

void FadeDrawCells(int32_t sx, int32_t sy, float e, float turn)
{
    // Corner i (lower left first, counter-clockwise) relative to the cell centre.
    float ox[4], oy[4];
    for (int i = 0; i < 4; i++) {
        float phi = i * ZynPi / 2 - ZynPi / 4 + turn;
        ox[i] = std::sin(phi) * e / sx / std::sqrt(2.0f);
        oy[i] = -std::cos(phi) * e / sy / std::sqrt(2.0f);
    }
    glBegin(GL_QUADS);
    for (int32_t r = 0; r < sy; r++) {
        for (int32_t c = 0; c < sx; c++) {
            float s0 = float(c) / sx, s1 = float(c + 1) / sx;
            float t0 = float(r) / sy, t1 = float(r + 1) / sy;
            float cx = (s0 + s1) / 2, cy = (t0 + t1) / 2;
            const float ts[4] = {s0, s1, s1, s0}, tt[4] = {t0, t0, t1, t1};
            for (int i = 0; i < 4; i++) {
                glTexCoord2f(ts[i], tt[i]);
                glVertex2f(cx + ox[i], cy + oy[i]);
            }
        }
    }
    glEnd();
}
