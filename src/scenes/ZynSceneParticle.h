// ZynSceneParticle: TvisParticle, a swarm of coloured sprites orbiting the centre.
//
// Particles start in a cube with random velocities and fall towards the
// centre under a force that grows with the square of the distance, their
// speed capped. The bass swells the sprites, zooms the view and drives a slow
// tumble of the whole swarm; the tumble turns only what is drawn.
// Depends on: engine/ZynSceneClass, scenes/kvMovement, scenes/kvSprite, scenes/kvSpriteCrop,
// config/ZynConstDef, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/kvMovement.h"
#include "scenes/kvSpriteCrop.h"

#include <vector>

class TvisParticle : public TZynScene {
public:
    static constexpr int32_t MaxCount = 5000;

    struct TParticle {
        TkvVector Position;
        TkvVector Velocity;   // per second
        uint8_t Colour[4];
    };

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // PARTICLE.Count clamped to 1..5000; Reset makes one particle more.
    static int32_t ParticleCount();
    static constexpr float StepRate = 60;   // physics steps per second, at most

    // Speed cap, then the pull towards the centre: pull 1 is one 60 Hz frame's worth.
    static void MoveParticle(TParticle& p, float pull);
    // One frame of motion: position step, cap and pull, in steps of at most 1/60 s.
    void Step(TParticle& p, float dt);

    // Oldest first; drawn newest first.
    const std::vector<TParticle>& Particles() const { return Swarm; }

private:
    void FreeParticles();
    void NewParticle();
    void Launch(TParticle& p);
    void DrawSwarm(const TkvVector& tumble, float half, float alpha, float dt);

    std::vector<TParticle> Swarm;
    kvMovement Tumble;
    // The part of the sprite texture that can show at this frame's brightness:
    // at loud bass the sprites grow and overlap, and their clear margins cost fill.
    TkvSpriteCrop Crop;
    std::vector<uint8_t> Texels;
};
