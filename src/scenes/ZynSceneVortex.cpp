// ZynSceneVortex: the vortex scene.
#include "scenes/ZynSceneVortex.h"

#include "config/ZynConstDef.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;
constexpr float DegToRad = Pi / 180;

// A unit vector at right angles to d (d need not be unit, must not be zero).
TkvVector Perpendicular(const TkvVector& d)
{
    // Crossing with the axis d leans on least keeps the result well conditioned.
    float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    TkvVector axis = ax <= ay && ax <= az ? TkvVector{1, 0, 0, 0} : (ay <= az ? TkvVector{0, 1, 0, 0} : TkvVector{0, 0, 1, 0});
    TkvVector p;
    VecCross(d, axis, p);
    VecNormalize(p);
    return p;
}

// v turned towards dn (unit) so that it makes the given angle with it.
TkvVector TurnFrom(const TkvVector& dn, const TkvVector& v, float angle)
{
    TkvVector along, side;
    VecScale(dn, VecDot(v, dn), along);
    VecSub(v, along, side);
    if (VecLength(side) < 1e-4f) side = Perpendicular(dn);
    VecNormalize(side);
    TkvVector a, b, out;
    VecScale(dn, std::cos(angle), a);
    VecScale(side, std::sin(angle), b);
    VecAdd(a, b, out);
    return out;
}

// The chain's new up: the previous one made perpendicular to segment d.
TkvVector CarryUp(const TkvVector& up, const TkvVector& d)
{
    TkvVector across, out;
    VecCross(up, d, across);
    // An up along the new segment says nothing about the roll: any normal will do.
    if (VecLength(across) <= 1e-6f * VecLength(d)) return Perpendicular(d);
    VecCross(d, across, out);
    VecNormalize(out);
    out.w = 0;
    return out;
}

float Speed() { return ZynClampFloat(zcVORTEX_Speed, 0, 64, 1); }
float Movement() { return ZynClampFloat(zcVORTEX_Movement, 0.25f, 32, 4); }
}

// Formulas write these without limits; the arrays and the chain fix the ranges.
int32_t TvisVortex::SectionCount() { return std::clamp(zcVORTEX_Length, 2, 16); }
int32_t TvisVortex::DivCount() { return std::clamp(zcVORTEX_Divs, 4, 64); }
int32_t TvisVortex::RingVertexCount() { return std::clamp(zcVORTEX_Rad, 4, MaxRingVertices); }
static_assert(TvisVortex::MaxPoints >= 16 + 4, "the longest chain must fit");
static_assert(TvisVortex::MaxRings >= (16 + 1) * 64 + 1, "the longest tube must fit");

void TvisVortex::Init()
{
    TZynScene::Init();
    Name = "Down the Vortex";
    Section = "VORTEX";
    TextureSlotCount = 1;
    Reset();
}

void TvisVortex::Reset()
{
    TZynScene::Reset();
    PositionValue = 0;
    for (TkvVector& u : Ups) u = kvUp;
    for (TkvVector& p : Points) p = kvOrigin;
    // The chain at the origin counts as built: shifting it out fills it afresh.
    Built = SectionCount() + 4;
    AdvanceChain(float(SectionCount() + 4));
}

TkvVector TvisVortex::NewPoint(const TkvVector& p, const TkvVector& q) const
{
    TkvVector d, v;
    VecSub(p, q, d);
    float lo = ZynClampFloat(zcVORTEX_MinRot, 0, 180, 45) * DegToRad;
    float hi = ZynClampFloat(zcVORTEX_MaxRot, 0, 180, 70) * DegToRad;
    bool found = false;
    // Limits with no turn between them leave nothing to search for.
    for (int32_t n = 0; lo < hi && n < TurnTries && !found; n++) {
        float a = float(ZynRandomInt(256)), b = float(ZynRandomInt(256)), c = float(ZynRandomInt(256));
        v = TkvVector{a / 256 - 0.5f, b / 256 - 0.5f, c / 256 - 0.5f, 0};
        VecNormalize(v);
        float angle = VecAngle(v, d);
        found = lo < angle && angle < hi;
    }
    TkvVector dn = d;
    VecNormalize(dn);
    // A band too narrow to hit by chance gets the turn at its middle;
    // no band at all goes straight ahead.
    if (!found) v = lo < hi ? TurnFrom(dn, v, (lo + hi) / 2) : dn;
    TkvVector step, out;
    VecScale(v, Movement(), step);
    VecAdd(p, step, out);
    return out;
}

void TvisVortex::AppendPoint(int32_t i)
{
    Points[i] = NewPoint(Points[i - 1], Points[i - 2]);
    TkvVector d;
    VecSub(Points[i], Points[i - 1], d);
    Ups[i] = CarryUp(Ups[i - 1], d);
}

void TvisVortex::Recentre()
{
    int32_t count = SectionCount() + 4;
    TkvVector sum{}, mean;
    for (int32_t i = 0; i < count; i++) VecAdd(sum, Points[i], sum);
    VecDivide(sum, float(count), mean);
    for (int32_t i = 0; i < count; i++) VecSub(Points[i], mean, Points[i]);
}

// A Length raised since the last shift needs points the chain never had:
// they continue the chain from its end instead of being read as stale values.
void TvisVortex::ExtendChain()
{
    int32_t count = SectionCount() + 4;
    if (Built >= count) {
        Built = count;
        return;
    }
    for (; Built < count; Built++) AppendPoint(Built);
    Recentre();
}

void TvisVortex::AdvanceChain(float sections)
{
    ExtendChain();
    if (!(sections > 0)) return;   // the flight only goes forward (NaN too stays put)
    // Past a few chain lengths every point is new anyway: cap the work.
    float cap = float(2 * MaxPoints);
    if (sections > cap) sections = cap + (sections - std::floor(sections));
    int32_t last = SectionCount() + 3;
    PositionValue += sections;
    while (PositionValue >= 1) {
        PositionValue -= 1;
        for (int32_t i = 0; i < last; i++) {
            Points[i] = Points[i + 1];
            Ups[i] = Ups[i + 1];
        }
        AppendPoint(last);
        Recentre();
    }
}

// Both curves read only points 0 .. Length + 3: x is kept to 0 .. Length + 1.
TkvVector TvisVortex::Curve(const TkvVector* chain, float x)
{
    int32_t sections = SectionCount();
    x = ZynClampFloat(x, 0, float(sections + 1), 0);
    int32_t a = std::min(int32_t(x), sections);
    TkvVector out;
    CurvePoint(chain[a], chain[a + 1], chain[a + 2], chain[a + 3], x - a, out);
    return out;
}

TkvVector TvisVortex::PathPoint(float x) const { return Curve(Points, x); }

TkvVector TvisVortex::UpPoint(float x) const
{
    TkvVector out = Curve(Ups, x);
    VecNormalize(out);
    return out;
}

void TvisVortex::PlaceCamera()
{
    float smooth = ZynClampFloat(zcVORTEX_Smoothness, 0, 4, 1.5f);
    float ahead = ZynClampFloat(zcVORTEX_LookAhead, 0.1f, 6, 1.5f);
    TkvVector sum{};
    for (int32_t i = 0; i < 32; i++) {
        TkvVector p = PathPoint(PositionValue + i * smooth / 32);
        VecAdd(sum, p, sum);
    }
    VecDivide(sum, 32, Eye);
    Centre = PathPoint(PositionValue + ahead + smooth / 2);
    Up = UpPoint(PositionValue + smooth / 2);
    // Keep the view matrix defined should the target meet the eye or line up with up.
    TkvVector forward, across;
    VecSub(Centre, Eye, forward);
    if (VecLength(forward) < 1e-5f) {
        forward = TkvVector{0, 0, -1, 0};
        VecAdd(Eye, forward, Centre);
    }
    VecCross(forward, Up, across);
    if (VecLength(across) < 1e-5f * VecLength(forward)) Up = Perpendicular(forward);
}

void TvisVortex::BuildRings()
{
    int32_t divs = DivCount(), rad = RingVertexCount();
    float end = float(SectionCount() + 1);
    float cosines[MaxRingVertices], sines[MaxRingVertices];
    for (int32_t m = 0; m < rad; m++) {
        cosines[m] = std::cos(2 * Pi * m / rad);
        sines[m] = std::sin(2 * Pi * m / rad);
    }
    // One ring more than the sections hold: the last segment closes on it.
    int32_t rings = (SectionCount() + 1) * divs + 1;
    for (int32_t j = 0; j < rings; j++) {
        float s = float(j) / divs;
        TkvVector u = UpPoint(s), tangent, side;
        float t = std::min(s, end - 0.1f);   // the tangent's sample stays on the chain
        TkvVector here = PathPoint(t), ahead = PathPoint(t + 0.1f);
        VecSub(here, ahead, tangent);
        VecCross(tangent, u, side);
        VecNormalize(side);
        Centres[j] = PathPoint(s);
        for (int32_t m = 0; m < rad; m++) {
            TkvVector& v = Rings[j][m];
            v = TkvVector{side.x * cosines[m] + u.x * sines[m], side.y * cosines[m] + u.y * sines[m],
                          side.z * cosines[m] + u.z * sines[m], 0};
        }
    }
}

namespace {
// Ring vertex v scaled and placed at centre c.
void Vertex(const TkvVector& v, float scale, const TkvVector& c)
{
    glVertex3f(v.x * scale + c.x, v.y * scale + c.y, v.z * scale + c.z);
}
}

void TvisVortex::DrawShells(float alpha)
{
    int32_t sections = SectionCount(), divs = DivCount(), rad = RingVertexCount();
    int32_t segments = (sections + 1) * divs;
    float v = Time / 2 - std::floor(Time / 2);   // half a texture repeat per second
    for (int32_t j = 1; j < segments; j++) {
        int32_t i = j % divs;
        float s = float(j / divs) + float(i) / divs;
        float a = (sections - s + PositionValue) * 0.6f * alpha / sections;
        if (!(a > 0)) continue;   // faded out: adds nothing
        glColor4f(0.5f, 0.5f, 1, a);
        const TkvVector& p = Centres[j];
        const TkvVector& q = Centres[j - 1];
        // Inner shell scrolls one way, the wider outer shell the other.
        for (float dir : {-1.0f, 1.0f}) {
            float scale = dir < 0 ? 1.0f : 1.2f, shift = dir * v;
            glBegin(GL_QUAD_STRIP);
            for (int32_t n = 0; n <= rad; n++) {
                float around = float(n + 1) / rad + shift;
                glTexCoord2f(float(i + 1) / divs + shift, around);
                Vertex(Rings[j + 1][n % rad], scale, p);
                glTexCoord2f(float(i) / divs + shift, around);
                Vertex(Rings[j][n % rad], scale, q);
            }
            glEnd();
        }
    }
}

void TvisVortex::DrawLattice(float alpha)
{
    int32_t sections = SectionCount(), divs = DivCount(), rad = RingVertexCount();
    int32_t segments = (sections + 1) * divs;
    glLineWidth(float(std::clamp(zcVORTEX_LineWidth, 1, 16)));
    glBegin(GL_LINES);
    for (int32_t j = 1; j < segments; j++) {
        int32_t i = j % divs;
        float s = float(j / divs) + float(i) / divs;
        float a = (sections - s + PositionValue) * alpha / sections;
        if (!(a > 0)) continue;
        glColor4f(0.5f, 0.5f, 1, a);
        const TkvVector& p = Centres[j];
        const TkvVector& q = Centres[j - 1];
        float along0 = float(i) / divs, along1 = float(i + 1) / divs;
        for (int32_t m = 0; m < rad; m++) {
            // Around the tube, then along it to the next ring.
            glTexCoord2f(along0, float(m + 1) / rad);
            Vertex(Rings[j][(m + 1) % rad], 1.1f, q);
            glTexCoord2f(along0, float(m) / rad);
            Vertex(Rings[j][m], 1.1f, q);
            glTexCoord2f(along0, float(m) / rad);
            Vertex(Rings[j][m], 1.1f, q);
            glTexCoord2f(along1, float(m) / rad);
            Vertex(Rings[j + 1][m], 1.1f, p);
        }
    }
    glEnd();
    glLineWidth(1);
}

void TvisVortex::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    AdvanceChain(dt * Speed());
    PlaceCamera();
    gluLookAt(Eye.x, Eye.y, Eye.z, Centre.x, Centre.y, Centre.z, Up.x, Up.y, Up.z);
    BuildRings();
    UseTexture(zcVORTEX_TEX0);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    DrawShells(alpha);
    DrawLattice(alpha);
}
