// ZynSceneKessa: the visual feedback scene.
#include "scenes/ZynSceneKessa.h"

#include "app/ZynLog.h"
#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;
constexpr int32_t WaveSamples = 576;

float Finite(float v, float fallback = 0) { return std::isfinite(v) ? v : fallback; }
// Formula results used as colours: NaN is black, everything else saturates.
float Clamp01(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : (v > 0 ? 1.0f : 0.0f); }
// A displacement is a velocity in screen heights per second; far beyond the
// screen it means nothing more and only risks overflow.
float Displacement(float v) { return std::clamp(Finite(v), -1000.0f, 1000.0f); }
// Timer lengths from constants a formula may have zeroed or garbled.
float Duration(float v, float fallback) { return std::isfinite(v) ? std::max(v, 0.001f) : fallback; }

float Sample(const TVisData& visData, int32_t i) { return (float(visData.Waveform[i]) - 128) / 256; }
}  // namespace

int32_t TvisKessa::MeshColumns() { return std::clamp(zcKESSA_MeshX, 1, MaxMesh - 1); }
int32_t TvisKessa::MeshRows() { return std::clamp(zcKESSA_MeshY, 1, MaxMesh - 1); }

void TvisKessa::Init()
{
    TZynScene::Init();
    Name = "Visual Feedback";
    Section = "KESSA";
    TextureSlotCount = 1;
    RendersToTexture = true;
    SparkClock = 0;
    BassTime = 0;
    LoadEffects();
    Reset();
}

void TvisKessa::LoadEffects()
{
    ZynLogLine("Loading Kessa Effects");
    Effects.clear();
    for (const std::string& path : ZynDataFiles(".visfeed")) {
        ZynLogLine("Loading \"" + path + "\"");
        ZynReadVisFeed(TZynIniFile(path), Effects);
    }
}

void TvisKessa::NextEffect()
{
    if (Next != Current) {
        Current = Next;
    } else if (Effects.size() < 2) {
        Next = 0;
    } else {
        while (Next == Current) Next = ZynRandomInt(EffectCount());
    }
    Blend -= 1;
}

void TvisKessa::Reset()
{
    TZynScene::Reset();
    NextEffect();
    NextEffect();
    Blend = 0;
    Sparks.resize(size_t(std::clamp(zcKESSA_Sparks, 1, MaxSparks)));
    for (TSpark& s : Sparks) {
        s.FreqX = float(ZynRandomInt(4000)) / 1000;
        s.FreqY = float(ZynRandomInt(4000)) / 1000;
        s.PhaseX = float(ZynRandomInt(4000)) / 1000;
        s.PhaseY = float(ZynRandomInt(4000)) / 1000;
        s.AmpX = float(ZynRandomInt(750)) / 1000 + 0.25f;
        s.AmpY = float(ZynRandomInt(750)) / 1000 + 0.25f;
    }
}

void TvisKessa::AdvanceTimer(float dt)
{
    float length = Current != Next ? Duration(zcKESSA_ChangeSpeed, 0.5f) : Duration(zcKESSA_SceneTime, 4);
    Blend += Finite(dt) / length;
    // Each pass takes one off; a timer that cannot get there in a few passes
    // (a garbled step) starts the current state afresh instead of spinning.
    for (int32_t pass = 0; Blend >= 1; pass++) {
        if (pass == 64) Blend = 0;
        else NextEffect();
    }
    if (!std::isfinite(Blend) || Blend < 0) Blend = 0;
}

void TvisKessa::MapPoint(const TZynVisFeedEffect& e, float gx, float gy, float ox, float oy, float out[6]) const
{
    float ux = gx + ox, uy = gy + oy;
    // The radius is kept off zero at the centre so formulas may divide by it.
    zcBASE_Radius = std::max(std::sqrt(ux * ux + uy * uy), 0.001f);
    zcBASE_Theta = std::atan2(uy, ux);
    zcBASE_X = ux;
    zcBASE_Y = uy;
    FormulaRun(e.Map);
    float a = Finite(zcBASE_MapA), b = Finite(zcBASE_MapB);
    if (e.UsePolar) {
        out[0] = std::cos(b) * a;
        out[1] = std::sin(b) * a;
    } else {
        out[0] = a;
        out[1] = b;
    }
    out[2] = zcBASE_R;
    out[3] = zcBASE_G;
    out[4] = zcBASE_B;
    out[5] = zcBASE_A;
}

void TvisKessa::BuildMesh(int32_t c, int32_t x, float b, float dt, float aspect, float bass)
{
    if (c < 0 || c >= EffectCount()) return;
    if (x < 0 || x >= EffectCount()) x = c;
    zcBASE_Time = Time;
    zcBASE_Bass = bass;
    zcBASE_TimePassed = dt;
    zcBASE_BassTime = BassTime;
    const TZynVisFeedEffect& ec = Effects[size_t(c)];
    const TZynVisFeedEffect& ex = Effects[size_t(x)];
    FormulaRun(ec.Offset);
    float ox = Finite(zcBASE_X), oy = Finite(zcBASE_Y), px = 0, py = 0;
    if (x != c) {
        FormulaRun(ex.Offset);
        px = Finite(zcBASE_X);
        py = Finite(zcBASE_Y);
    }
    // The map formulas may write the mesh size: it is taken once, here.
    BuiltColumns = MeshColumns();
    BuiltRows = MeshRows();
    for (int32_t n = 0; n <= BuiltRows; n++) {
        for (int32_t m = 0; m <= BuiltColumns; m++) {
            float gx = (float(m) / BuiltColumns - 0.5f) * aspect, gy = float(n) / BuiltRows - 0.5f;
            float v[6], w[6];
            MapPoint(ec, gx, gy, ox, oy, v);
            if (x != c && b > 0) {
                MapPoint(ex, gx, gy, px, py, w);
                for (int i = 0; i < 6; i++) v[i] = v[i] * (1 - b) + w[i] * b;
            }
            float* out = &Mesh[size_t((m * MaxMesh + n) * 6)];
            // A tint is a factor per second, whatever the frame rate.
            for (int i = 2; i < 6; i++) out[i] = std::pow(Clamp01(v[i]), dt);
            out[0] = (Displacement(v[0]) * dt + gx) / aspect;
            out[1] = Displacement(v[1]) * dt + gy;
        }
    }
}

void TvisKessa::DrawMesh()
{
    for (int32_t n = 0; n < BuiltRows; n++) {
        float t0 = float(n) / BuiltRows, t1 = float(n + 1) / BuiltRows;
        glBegin(GL_QUAD_STRIP);
        for (int32_t m = 0; m <= BuiltColumns; m++) {
            float s = float(m) / BuiltColumns;
            const float* a = MeshVertex(m, n);
            const float* b = MeshVertex(m, n + 1);
            glTexCoord2f(s, t0);
            glColor4f(a[2], a[3], a[4], a[5]);
            glVertex2f(a[0], a[1]);
            glTexCoord2f(s, t1);
            glColor4f(b[2], b[3], b[4], b[5]);
            glVertex2f(b[0], b[1]);
        }
        glEnd();
    }
}

void TvisKessa::DrawWave(const TZynVisFeedEffect& e, float weight, const TVisData& visData, float dt)
{
    FormulaRun(e.Vis);
    float alpha = Clamp01(Finite(zcBASE_A) * 8 * dt);
    float radius = std::clamp(Finite(zcBASE_Radius), -100.0f, 100.0f);
    float turn = Finite(zcBASE_Theta) * 180 / Pi;
    glBlendFunc(GL_SRC_ALPHA, e.VisAdd ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(Clamp01(zcBASE_R), Clamp01(zcBASE_G), Clamp01(zcBASE_B), weight * alpha);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (e.VisStyle == 0) {
        SparkClock += dt * Finite(visData.Bass) / 2;
        glTranslatef(0, 0, -1);
        glRotatef(turn, 0, 0, 1);
        BindTextureSlot(15);
        if (radius <= 0) return;
        float variance = Finite(zcKESSA_SparkVariance);
        glBegin(GL_QUADS);
        for (const TSpark& s : Sparks) {
            float cx = std::sin(SparkClock * s.FreqX + s.PhaseX) * s.AmpX * variance;
            float cy = std::sin(SparkClock * s.FreqY + s.PhaseY) * s.AmpY * variance;
            glTexCoord2f(0, 0); glVertex2f(cx - radius, cy - radius);
            glTexCoord2f(1, 0); glVertex2f(cx + radius, cy - radius);
            glTexCoord2f(1, 1); glVertex2f(cx + radius, cy + radius);
            glTexCoord2f(0, 1); glVertex2f(cx - radius, cy + radius);
        }
        glEnd();
        return;
    }
    if (e.VisStyle < 1 || e.VisStyle > 3) return;
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glTranslatef(0, 0, -2);
    glEnable(GL_LINE_SMOOTH);
    if (e.VisStyle == 3) {
        glScalef(1 / Aspect, 1, 1);
        float amplitude = Finite(zcBASE_Theta);
        glBegin(GL_LINE_STRIP);
        for (int32_t i = 0; i < WaveSamples; i++) {
            float a = 2 * Pi * float(i) / (WaveSamples - 1), r = Sample(visData, i) * amplitude + radius;
            glVertex2f(std::sin(a) * r, std::cos(a) * r);
        }
    } else {
        glRotatef(turn, 0, 0, 1);
        glScalef(radius / Aspect, radius, radius);
        float response = std::clamp(Finite(zcKESSA_SplatResponse), 0.0f, 1.0f), s = 0;
        glBegin(GL_LINE_STRIP);
        for (int32_t i = 0; i < WaveSamples; i++) {
            float q = Sample(visData, i);
            if (e.VisStyle == 1) {
                glVertex2f(2 * Aspect * (float(i) / (WaveSamples - 1) - 0.5f), q);
            } else {
                s = response * q + (1 - response) * s;
                glVertex2f(q, s);
            }
        }
    }
    glEnd();
    glDisable(GL_LINE_SMOOTH);
}

void TvisKessa::DrawOverlay(float dt)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    glBindTexture(GL_TEXTURE_2D, 0);   // a texture number that binds nothing adds nothing
    UseTexture(zcKESSA_TEX0);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, 8 * dt);
    kvDrawScreenQuad();
}

void TvisKessa::DrawFeedback(const TVisData& visData, float dt)
{
    float bass = Finite(visData.Bass);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    glScalef(2, 2, 2);   // the square -0.5..0.5 now fills the viewport
    if (OwnTexture != 0 && !Effects.empty()) {
        glBindTexture(GL_TEXTURE_2D, OwnTexture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        // Edge texels repeat outwards instead of fading into a border colour.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        BuildMesh(Current, Next, Blend, dt, Aspect, bass);
        DrawMesh();
    }
    if (zcKESSA_DrawVis == 1 && !Effects.empty()) {
        zcBASE_Time = Time;
        zcBASE_Bass = bass;
        zcBASE_TimePassed = dt;
        zcBASE_BassTime = BassTime;
        if (Current == Next) {
            DrawWave(Effects[size_t(Current)], 1, visData, dt);
        } else {
            DrawWave(Effects[size_t(Current)], 1 - Blend, visData, dt);
            DrawWave(Effects[size_t(Next)], Blend, visData, dt);
        }
    }
    if (zcKESSA_UseTex >= 1) DrawOverlay(dt);
}

void TvisKessa::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    BassTime += (Finite(visData.Bass) - 0.5f) * dt;
    AdvanceTimer(dt);
    int32_t saved[4];
    Aspect = BeginOwnTexture(saved);
    // Only the part that becomes the texture is cleared: a combination may
    // have drawn elsewhere on the screen already.
    kvClearLowerLeft(std::max(TexWidth, 1), std::max(TexHeight, 1), GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    DrawFeedback(visData, dt);
    EndOwnTexture(saved, alpha);
}
