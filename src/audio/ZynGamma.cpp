// ZynGamma: the beat strobe (drawn or through the display's gamma ramp).
#include "audio/ZynGamma.h"

#include "app/TGLWindow.h"
#include "app/ZynLog.h"
#include "config/ZynConstDef.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#ifndef GL_TEXTURE_CUBE_MAP
#define GL_TEXTURE_CUBE_MAP 0x8513
#endif

namespace {

constexpr int32_t kRampSize = 256;

// The GL window's ramp: SDL keeps it per window and applies it while the window has the focus.
class TGLWindowGamma : public TGammaDisplay {
public:
    bool GetRamp(uint16_t* r, uint16_t* g, uint16_t* b) override { return GLWindow.GetGammaRamp(r, g, b); }
    bool SetRamp(const uint16_t* r, const uint16_t* g, const uint16_t* b) override
    {
        return GLWindow.SetGammaRamp(r, g, b);
    }
    bool IsFullscreen() override { return GLWindow.hWnd && GLWindow.IsFullscreen; }
};

TGLWindowGamma g_windowGamma;
TGammaDisplay* g_display = nullptr;

struct TGammaState {
    bool RampSaved = false;
    bool Flipped = false;
    float Average = 0;
    bool FallbackSaid = false;
    uint16_t Saved[3][kRampSize] = {};
};
TGammaState g;

TGammaDisplay& Display() { return g_display ? *g_display : g_windowGamma; }

// A ramp that falls from its first entry to its last in every channel is an
// inverted one (a strobe that was cut off elsewhere); it is never kept as the
// display's own.
bool LooksInverted(const uint16_t (&ramp)[3][kRampSize])
{
    for (const auto& channel : ramp)
        if (channel[0] <= channel[kRampSize - 1]) return false;
    return true;
}

void SayFallbackOnce()
{
    if (g.FallbackSaid) return;
    g.FallbackSaid = true;
    ZynLogLine("Gamma : the display's gamma ramp cannot be used here (not full screen, no focus or not "
               "supported); GAMMA.On 2 draws the strobe instead");
}

}  // namespace

void GammaSetDisplay(TGammaDisplay* display) { g_display = display; }

void GammaSlopeTable(int32_t slope, uint16_t* table)
{
    const int32_t offset = slope < 0 ? 256 * -slope : 0;
    for (int32_t i = 0; i < kRampSize; i++) {
        int64_t v = static_cast<int64_t>(slope) * i + offset;
        table[i] = static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 65535));
    }
}

void SaveGammaRamp()
{
    // Saved once: a later read could only pick up our own inverted ramp.
    if (g.RampSaved || g.Flipped) return;
    g.RampSaved = Display().GetRamp(g.Saved[0], g.Saved[1], g.Saved[2]);
    if (g.RampSaved && LooksInverted(g.Saved)) {
        ZynLogWarning("Gamma : the display's gamma ramp was inverted; the linear ramp is restored instead");
        for (auto& channel : g.Saved) GammaSlopeTable(256, channel);
    }
}

void RestoreGammaRamp()
{
    if (!g.RampSaved) return;
    Display().SetRamp(g.Saved[0], g.Saved[1], g.Saved[2]);
    g.Flipped = false;
}

bool SetGammaSlopes(int32_t r, int32_t g_, int32_t b)
{
    uint16_t ramp[3][kRampSize];
    GammaSlopeTable(r, ramp[0]);
    GammaSlopeTable(g_, ramp[1]);
    GammaSlopeTable(b, ramp[2]);
    return Display().SetRamp(ramp[0], ramp[1], ramp[2]);
}

float GammaBandLevel(const TVisData& visData)
{
    const int32_t lo = std::clamp(zcGAMMA_SLow, 0, kVisSamples - 1);
    const int32_t hi = std::clamp(zcGAMMA_SHigh, 0, kVisSamples - 1);
    if (hi < lo) return 0;
    float sum = 0;
    for (int32_t i = lo; i <= hi; i++) sum += static_cast<float>(visData.Spectrum[i]);
    return sum / static_cast<float>(hi - lo + 1);
}

void GammaFrame(const TVisData& visData, float dt)
{
    const float level = GammaBandLevel(visData);
    // AverageHalfLife is the share of the old average kept per second.
    float life = zcGAMMA_AverageHalfLife;
    life = life >= 0 ? std::min(life, 1.0f) : 0.0f;     // also catches NaN
    const float step = dt > 0 && std::isfinite(dt) ? dt : 0.0f;
    const float keep = std::pow(life, step);
    g.Average = g.Average * keep + (1 - keep) * level;
    if (!std::isfinite(g.Average)) g.Average = level;

    // An inversion lasts one frame unless it fires again.
    if (g.Flipped && g.RampSaved) RestoreGammaRamp();

    const bool fire = level - g.Average > zcGAMMA_Triggerpt;
    if (zcGAMMA_On == 2) {
        bool drawn = true;
        if (Display().IsFullscreen()) {
            if (!g.RampSaved) SaveGammaRamp();   // retried every frame until a read succeeds
            if (g.RampSaved) {
                drawn = false;
                if (fire) {
                    // A refused write may still be kept by the window and shown when it gets the
                    // focus back, so it counts as flipped either way and is undone next frame.
                    drawn = !SetGammaSlopes(-256, -256, -256);
                    g.Flipped = true;
                }
            }
        }
        if (drawn) {
            SayFallbackOnce();
            if (fire) InvertPicture();
        }
    } else if (zcGAMMA_On == 1 && fire) {
        InvertPicture();
    }
}

void InvertPicture()
{
    // Everything that could texture, light, fog or hide the rectangle is switched off here and put back after.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    if (zcMAIN_CubeMap == 1) glDisable(GL_TEXTURE_CUBE_MAP);   // unknown to a GL without cube maps
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    // The complement needs blending whatever state the frame left.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
    glColor4f(1, 1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

bool GammaRampSaved() { return g.RampSaved; }
bool GammaFlipped() { return g.Flipped; }
float GammaAverage() { return g.Average; }

void GammaReset() { g = TGammaState(); }
