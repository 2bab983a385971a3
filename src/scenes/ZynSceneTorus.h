// ZynSceneTorus: TvisTorus ("Ripples on a Torus"), a mirrored doughnut carrying damped waves.
//
// Bass-driven drops start ripples at random places on a grid wrapped around
// the torus; a discrete, damped wave equation (TZynWaveField, GL-free) spreads
// them, and the surface bulges and tilts its normals with the wave height so
// that the reflections shimmer.
// Depends on: engine/ZynSceneClass, audio/ZynKick, scenes/kvGeometry, config/ZynConstDef,
// gfx/kvTex, OpenGL.
#pragma once

#include "audio/ZynKick.h"
#include "engine/ZynSceneClass.h"
#include "scenes/kvGeometry.h"

#include <cstdint>

// Heights and velocities on an Nx by Ny grid whose edges wrap around.
class TZynWaveField {
public:
    static constexpr int32_t MaxSide = 128;
    static constexpr int32_t MinSide = 16;
    // Drops made in one frame at most: a flood of bass cannot stall the frame.
    static constexpr int32_t MaxDropsPerFrame = 64;

    // A still field of nx by ny points (each clamped to 16..128), timer at 0.
    void Clear(int32_t nx, int32_t ny);
    // One step of the wave equation: speed sets the coupling (dt * speed, at
    // most 1 to stay stable), and the velocity halves every halfLife seconds.
    void Step(float dt, float speed, float halfLife);
    // Counts the drop timer down by 2 * bass^2 * dt; every underflow kicks the
    // velocity of a random point (two points clear of index 0 on both axes).
    // Returns the number of drops made.
    int32_t Drop(float bass, float dt);

    // Heights and velocities with wrapped indices.
    float H(int32_t a, int32_t b) const { return Height[Wrap(a, Nx)][Wrap(b, Ny)]; }
    float V(int32_t a, int32_t b) const { return Velocity[Wrap(a, Nx)][Wrap(b, Ny)]; }
    void SetH(int32_t a, int32_t b, float h) { Height[Wrap(a, Nx)][Wrap(b, Ny)] = h; }
    void SetV(int32_t a, int32_t b, float v) { Velocity[Wrap(a, Nx)][Wrap(b, Ny)] = v; }

    int32_t Nx = MinSide, Ny = MinSide;
    float DropTimer = 0;

private:
    static int32_t Wrap(int32_t i, int32_t n) { return ((i % n) + n) % n; }

    float Height[MaxSide][MaxSide] = {};
    float Velocity[MaxSide][MaxSide] = {};
};

class TvisTorus : public TZynScene {
public:
    static constexpr int32_t MaxSide = TZynWaveField::MaxSide;

    ~TvisTorus() override;
    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    TZynWaveField& Waves() { return Field; }

private:
    void BuildGeometry(int32_t n, int32_t m);
    void SurfacePoint(int32_t a, int32_t b) const;
    void DrawSurface() const;

    TZynKick* Kick = nullptr;
    TZynWaveField Field;
    TkvVector Centre[MaxSide], Tangent[MaxSide], Radial[MaxSide], Binormal[MaxSide];
    TkvVector Around[MaxSide][MaxSide], Offset[MaxSide][MaxSide];
};
