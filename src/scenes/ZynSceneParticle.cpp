// ZynSceneParticle: the particle scene.
#include "scenes/ZynSceneParticle.h"

#include "config/ZynConstDef.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"
#include "scenes/kvSprite.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.14159265358979f;
}

int32_t TvisParticle::ParticleCount() { return std::clamp(zcPARTICLE_Count, 1, MaxCount); }

void TvisParticle::Init()
{
    TZynScene::Init();
    Name = "Particle";
    Section = "PARTICLE";
    TextureSlotCount = 1;
    Reset();
}

void TvisParticle::FreeParticles() { Swarm.clear(); }

// Start position in the cube of half-size PDist, velocity up to 5 PDist per second.
void TvisParticle::Launch(TParticle& p)
{
    float d = kvFiniteOr(zcPARTICLE_PDist, 4);
    float x = float(ZynRandomInt(2000)) / 1000 - 1, y = float(ZynRandomInt(2000)) / 1000 - 1;
    float z = float(ZynRandomInt(2000)) / 1000 - 1;
    p.Position = Vec(x * d, y * d, z * d);
    float vx = float(ZynRandomInt(100) - 50), vy = float(ZynRandomInt(100) - 50), vz = float(ZynRandomInt(100) - 50);
    p.Velocity = Vec(d * vx / 10, d * vy / 10, d * vz / 10);
}

void TvisParticle::NewParticle()
{
    TParticle p{};
    float a = float(ZynRandomInt(1000)) * 2 * Pi / 1000;
    auto channel = [](float c) { return uint8_t(ZynRoundToInt32(c * 127 + 128, 128)); };
    p.Colour[0] = channel(std::cos(a));
    p.Colour[1] = channel(std::cos(2 * a));
    p.Colour[2] = channel(std::cos(4 * a));
    p.Colour[3] = 255;
    Launch(p);
    Swarm.push_back(p);
}

void TvisParticle::Reset()
{
    TZynScene::Reset();
    FreeParticles();
    int32_t count = ParticleCount();
    Swarm.reserve(size_t(count) + 1);
    for (int32_t i = 0; i <= count; i++) NewParticle();
    // x and y tumble in radians, z rolls in degrees.
    Tumble.SetRange(Vec(Pi, Pi, 90), Vec(-Pi, -Pi, -90));
}

void TvisParticle::MoveParticle(TParticle& p, float pull)
{
    float cap = float(std::max(zcPARTICLE_MaxVel, 1));
    float speed = VecLength(p.Velocity);
    if (speed > cap && speed > 0) VecScale(p.Velocity, cap / speed, p.Velocity);
    // Strength below 1 would turn the pull into a blow-up; 0 into a division by zero.
    float strength = std::max(kvFiniteOr(zcPARTICLE_Strength, 100), 1.0f);
    TkvVector force;
    VecScale(p.Position, -VecLength(p.Position) / strength * pull, force);
    VecAdd(p.Velocity, force, p.Velocity);
}

void TvisParticle::Step(TParticle& p, float dt)
{
    // The pull was tuned as a kick per frame at 60 frames a second: longer
    // frames take several such steps, shorter ones a part of one, so the
    // swarm keeps its shape at any display rate and through a stalled frame.
    if (!(dt > 0) || !std::isfinite(dt)) return;
    int32_t steps = std::clamp(int32_t(std::ceil(dt * StepRate - 1e-3f)), 1, int32_t(StepRate));
    float h = dt / steps;
    for (int32_t k = 0; k < steps; k++) {
        TkvVector move;
        VecScale(p.Velocity, h, move);
        VecAdd(p.Position, move, p.Position);
        MoveParticle(p, h * StepRate);
    }
    // A particle flung out of range (the largest settings written past their limits) starts over.
    if (!kvFinite(p.Position) || !kvFinite(p.Velocity)) Launch(p);
}

void TvisParticle::DrawSwarm(const TkvVector& tumble, float half, float alpha, float dt)
{
    bool coloured = zcPARTICLE_Colored == 1;
    float brightness = kvFiniteOr(zcPARTICLE_Brightness, 1);
    uint8_t alphaByte = uint8_t(std::clamp(kvFiniteOr(alpha * 255 * brightness, 255), 0.0f, 255.0f));
    float cy = std::cos(tumble.y), sy = std::sin(tumble.y), cx = std::cos(tumble.x), sx = std::sin(tumble.x);
    if (!coloured) glColor4f(1, 1, 1, alpha * brightness);
    TkvVector right = Vec(half, half, 0), up = Vec(-half, half, 0);   // the square, as a diamond
    glBegin(GL_QUADS);
    for (auto it = Swarm.rbegin(); it != Swarm.rend(); ++it) {
        TParticle& p = *it;
        Step(p, dt);
        if (coloured) glColor4ub(p.Colour[0], p.Colour[1], p.Colour[2], alphaByte);
        const TkvVector& v = p.Position;
        float x1 = cy * v.x - sy * v.z, z1 = cy * v.z + sy * v.x;
        float y2 = cx * v.y - sx * z1, z2 = cx * z1 + sx * v.y;
        Crop.DrawDiamond(Vec(x1, y2, z2), right, up);
    }
    glEnd();
}

void TvisParticle::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = kvFiniteOr(visData.Bass, 0);
    TkvVector w = Tumble.Advance(dt * kvFiniteOr(zcPARTICLE_RotateSpeed, 1) * bass);

    UseTexture(zcPARTICLE_TEX0);
    kvBeginSprites(GL_SRC_ALPHA);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, kvFiniteOr(bass * kvFiniteOr(zcPARTICLE_BassZoom, 5) - zcPARTICLE_Distance, -20));
    glRotatef(w.z, 0, 0, 1);

    // Sprites grow while the scene fades in or out.
    float half = bass * bass * kvFiniteOr(zcPARTICLE_PBass, 0.3f) + kvFiniteOr(zcPARTICLE_MinPSize, 0.2f) +
                 (1 - alpha) / 2;
    TkvSpriteFilter filter;
    int32_t tw = 0, th = 0;
    Crop.SetWhole();
    float brightest = std::clamp(kvFiniteOr(alpha * kvFiniteOr(zcPARTICLE_Brightness, 1), 1), 0.0f, 1.0f);
    if (TkvSpriteCrop::ReadBoundTexture(Texels, tw, th)) Crop.FromPixels(Texels.data(), tw, th, 1, brightest);
    DrawSwarm(w, half, alpha, dt);
}
