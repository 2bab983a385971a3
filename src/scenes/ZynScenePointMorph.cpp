// ZynScenePointMorph: the point morph scene.
#include "scenes/ZynScenePointMorph.h"

#include "app/ZynLog.h"
#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <fstream>

namespace {
constexpr float Pi = 3.14159265358979f;

float Finite(float v, float fallback = 0) { return std::isfinite(v) ? v : fallback; }
float Coordinate(float v) { return std::isfinite(v) ? std::clamp(v, -1e6f, 1e6f) : 0.0f; }
// Formula colours to bytes: truncated, saturated, NaN is 0.
uint8_t ColourByte(float v) { return std::isnan(v) ? 0 : uint8_t(std::clamp(v, 0.0f, 255.0f)); }
uint8_t RoundByte(float v) { return uint8_t(std::clamp(ZynRoundToInt32(v), 0, 255)); }

// A progress value far outside 0..1 shifts a four-entry chain no more than a
// few times: beyond that every entry would be fresh anyway.
void Tame(float& progress)
{
    if (!std::isfinite(progress)) progress = 0;
    if (progress > 8) progress = 8 + (progress - std::floor(progress));
    if (progress < -8) progress = -8 + (progress - std::floor(progress));
}

}  // namespace

void TvisPointMorph::Init()
{
    TZynScene::Init();
    Name = "Point Morph";
    Section = "MORPH";
    TextureSlotCount = 1;
    BassTime = 0;
    LoadShapes();
    RendersToTexture = true;
    Reset();
}

void TvisPointMorph::LoadShapes()
{
    FileFrames.clear();
    ActiveMorphs.clear();
    for (const std::string& path : ZynDataFiles(".morph")) {
        ZynLogLine("Loading Morphs from \"" + path + "\"");
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in) continue;
        size_t size = size_t(in.tellg()), limit = size_t(kZynMaxMorphFramesPerFile) * kZynMorphFrameBytes;
        if (size % kZynMorphFrameBytes != 0) {
            ZynReadMorphFrames(nullptr, size, path, FileFrames);   // refuses it with its error line
            continue;
        }
        // Only what the reader would take is read from a very large file.
        std::vector<uint8_t> bytes(std::min(size, limit));
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) continue;
        if (size > limit) ZynLogWarning("\"" + path + "\" is larger than " + std::to_string(limit) + " bytes, the rest is not read");
        ZynReadMorphFrames(bytes.data(), bytes.size(), path, FileFrames);
    }
    for (const std::string& path : ZynDataFiles(".amorph")) {
        ZynLogLine("Loading \"" + path + "\"");
        ZynReadActiveMorphs(TZynIniFile(path), ActiveMorphs);
    }
}

void TvisPointMorph::Reset()
{
    TZynScene::Reset();
    Progress = 5;
    RotationPos = 5;
    NormaliseChains();
}

void TvisPointMorph::EvalActiveMorph(const TZynActiveMorph& shape, TZynMorphFrame& out) const
{
    int32_t row = std::max(shape.Row, 1), rows = (kZynMorphPoints - 1) / row;
    for (int32_t i = 0; i < kZynMorphPoints; i++) {
        zcBASE_D1 = float(i % row) / float(row);
        zcBASE_D2 = rows > 0 ? float(i / row) / float(rows) : 0.0f;
        FormulaRun(shape.Point);
        TZynMorphPoint& p = out[size_t(i)];
        p.X = Coordinate(zcBASE_X * 128);
        p.Y = Coordinate(zcBASE_Y * 128);
        p.Z = Coordinate(zcBASE_Z * 128);
        p.R = ColourByte(zcBASE_R * 255);
        p.G = ColourByte(zcBASE_G * 255);
        p.B = ColourByte(zcBASE_B * 255);
        p.A = ColourByte(zcBASE_A * 255);
    }
}

void TvisPointMorph::GetFrame(int32_t index, TZynMorphFrame& out) const
{
    int32_t files = int32_t(FileFrames.size());
    if (index >= 0 && index < files) out = FileFrames[size_t(index)];
    else if (index >= files && index < ShapeCount()) EvalActiveMorph(ActiveMorphs[size_t(index - files)], out);
    else out.fill(TZynMorphPoint{});
}

TkvVector TvisPointMorph::NewRotation(const TkvVector& from) const
{
    // No pair of angles in 0..359 degrees is further apart than that, so a
    // larger minimum (written by a formula) could never be met.
    float least = std::clamp(Finite(zcMORPH_MinRotate), 0.0f, 175.0f) * Pi / 180;
    TkvVector r = from;
    for (int32_t tries = 0; tries < 1000 && std::fabs(r.x - from.x) < least && std::fabs(r.y - from.y) < least; tries++) {
        r.x = float(ZynRandomInt(360)) * Pi / 180;
        r.y = float(ZynRandomInt(360)) * Pi / 180;
    }
    r.z = 0;
    r.w = 0;
    return r;
}

void TvisPointMorph::NormaliseChains()
{
    TkvVector* q = Rotations;
    Tame(RotationPos);
    while (RotationPos > 1) {
        q[0] = q[1], q[1] = q[2], q[2] = q[3], q[3] = NewRotation(q[2]);
        RotationPos -= 1;
    }
    while (RotationPos < 0) {
        q[3] = q[2], q[2] = q[1], q[1] = q[0], q[0] = NewRotation(q[1]);
        RotationPos += 1;
    }
    int32_t count = ShapeCount();
    int32_t* c = Chain;
    if (count <= 1) {
        Progress = 0;
        c[0] = c[1] = c[2] = c[3] = 0;
        return;
    }
    Tame(Progress);
    // Without Allways a finished morph is followed by a hold of the reached shape.
    bool always = zcMORPH_Allways == 1;
    while (Progress > 1) {
        c[0] = c[1], c[1] = c[2], c[2] = c[3];
        if (c[1] == c[2] || always)
            while (c[3] == c[2]) c[3] = ZynRandomInt(count);
        Progress -= 1;
    }
    while (Progress < 0) {
        c[3] = c[2], c[2] = c[1], c[1] = c[0];
        if (c[1] == c[2] || always)
            while (c[0] == c[1]) c[0] = ZynRandomInt(count);
        Progress += 1;
    }
}

void TvisPointMorph::Advance(float dt, float bass)
{
    dt = Finite(dt);
    Progress += dt * (bass - Finite(zcMORPH_MoveAvr, 0.5f)) * Finite(zcMORPH_MoveAmt);
    Progress += dt * std::sin(Pi * Finite(Progress)) * Finite(zcMORPH_AutoMove);
    RotationPos += dt * Finite(zcMORPH_Rotate) * bass;
    NormaliseChains();
}

void TvisPointMorph::BlendPoints(const TZynMorphFrame& c, const TZynMorphFrame& d, float t, float rx, float ry, float s)
{
    float cx = std::cos(rx), sx = std::sin(rx), cy = std::cos(ry), sy = std::sin(ry), scale = s / 256, u = 1 - t;
    for (size_t i = 0; i < Points.size(); i++) {
        const TZynMorphPoint &a = c[i], &b = d[i];
        TZynMorphPoint& p = Points[i];
        p.R = RoundByte(a.R * u + b.R * t);
        p.G = RoundByte(a.G * u + b.G * t);
        p.B = RoundByte(a.B * u + b.B * t);
        p.A = RoundByte(a.A * u + b.A * t);
        float x = a.X * u + b.X * t, y = a.Y * u + b.Y * t, z = a.Z * u + b.Z * t;
        float y1 = cx * y - sx * z, z1 = cx * z + sx * y;
        float x2 = cy * x - sy * z1, z2 = cy * z1 + sy * x;
        p.X = x2 * scale;
        p.Y = y1 * scale;
        p.Z = z2 * scale;
    }
}

void TvisPointMorph::DrawFlares(float fade)
{
    glBindTexture(GL_TEXTURE_2D, 0);   // a texture number that binds nothing leaves no stale picture
    UseTexture(zcMORPH_TEX0);
    glEnable(GL_TEXTURE_2D);
    // In a small texture a flare keeps at least a texel and a half, or it would
    // fall between the texels and small windows would show next to nothing.
    float texel = 2 * Finite(zcMORPH_Distance, 1.2f) / float(std::max(TexHeight, 1));
    float f = std::clamp(Finite(zcMORPH_FlareSize), std::min(1.5f * texel, 1.0f), 1.0f), gain = fade * Finite(zcMORPH_Brightness);
    glBegin(GL_QUADS);
    for (const TZynMorphPoint& p : Points) {
        glColor4ub(p.R, p.G, p.B, RoundByte(p.A * gain));
        glTexCoord2f(0, 0); glVertex3f(p.X - f, p.Y - f, p.Z);
        glTexCoord2f(1, 0); glVertex3f(p.X + f, p.Y - f, p.Z);
        glTexCoord2f(1, 1); glVertex3f(p.X + f, p.Y + f, p.Z);
        glTexCoord2f(0, 1); glVertex3f(p.X - f, p.Y + f, p.Z);
    }
    glEnd();
}

void TvisPointMorph::DrawPoints(const TVisData& visData, float dt)
{
    float bass = Finite(visData.Bass);
    BassTime += dt * bass;
    float fade = 1 - std::pow(0.5f, dt / std::max(Finite(zcMORPH_Halflife, 0.2f), 0.001f));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 0.1, 10);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    if (OwnTexture == 0) return;
    // Trails: the old picture darkened by the half-life.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, OwnTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1 - fade, 1 - fade, 1 - fade, 1);
    kvDrawScreenQuad();

    Advance(dt, bass);
    const TkvVector* q = Rotations;
    float rx = CurveValue(RotationPos, q[0].x, q[1].x, q[2].x, q[3].x);
    float ry = CurveValue(RotationPos, q[0].y, q[1].y, q[2].y, q[3].y);
    zcBASE_Time = Time;
    zcBASE_TimePassed = dt;
    zcBASE_Bass = bass;
    zcBASE_BassTime = BassTime;
    GetFrame(Chain[2], FrameC);
    GetFrame(Chain[3], FrameD);
    float k = Finite(zcMORPH_Bass), size = std::fabs(k + 1) > 1e-6f ? (bass * k + 1) / (k + 1) : 1.0f;
    BlendPoints(FrameC, FrameD, Progress, rx, ry, size);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLoadIdentity();
    // The texture is stretched over the screen: shapes are narrowed to match,
    // so a sphere shows round whatever the window's proportions.
    glScalef(1 / Aspect, 1, 1);
    glTranslatef(0, 0, -Finite(zcMORPH_Distance, 1.2f));
    if (zcMORPH_Brightness > 0) DrawFlares(fade);
}

void TvisPointMorph::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    int32_t saved[4];
    Aspect = BeginOwnTexture(saved);
    glDisable(GL_DEPTH_TEST);
    // The first texture starts black.
    if (OwnTexture == 0) kvClearLowerLeft(std::max(TexWidth, 1), std::max(TexHeight, 1), GL_COLOR_BUFFER_BIT);
    DrawPoints(visData, dt);
    EndOwnTexture(saved, alpha);
}
