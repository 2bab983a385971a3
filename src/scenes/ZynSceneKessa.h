// ZynSceneKessa: TvisKessa, the visual feedback scene.
//
// Every frame redraws the previous frame through a warped, tinted mesh and
// draws the waveform on top, so shapes smear, spiral and fade. The warp, the
// tint and the waveform's colour, size and turn are formulas of "effects"
// loaded from *.visfeed files; the scene holds an effect for KESSA.SceneTime
// seconds, then morphs into a random other one over KESSA.ChangeSpeed.
// The mesh lives in a fixed buffer inside the scene (no allocation per frame).
// Depends on: engine/ZynSceneClass, scenes/ZynSceneData, config (KESSA and
// BASE constants), platform (paths, random), OpenGL, GLU.
#pragma once

#include "engine/ZynSceneClass.h"
#include "scenes/ZynSceneData.h"

#include <array>
#include <vector>

class TvisKessa : public TZynScene {
public:
    static constexpr int32_t MaxMesh = 128;     // vertices per side of the warp mesh
    static constexpr int32_t MaxSparks = 64;

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // Mesh columns and rows in use: KESSA.MeshX / MeshY clamped to the buffer.
    static int32_t MeshColumns();
    static int32_t MeshRows();

    // The effect cycle: hold the current effect, then morph into the next.
    int32_t EffectCount() const { return int32_t(Effects.size()); }
    int32_t CurrentEffect() const { return Current; }
    int32_t NextEffectIndex() const { return Next; }
    float BlendTimer() const { return Blend; }
    int32_t SparkCount() const { return int32_t(Sparks.size()); }
    // Step 3 of a frame: advances the blend timer by dt and changes effects.
    void AdvanceTimer(float dt);

    // Builds the warp mesh for effects c and x at blend b, for a picture of the
    // given aspect. Vertex (m, n): x, y, R, G, B, A.
    void BuildMesh(int32_t c, int32_t x, float b, float dt, float aspect, float bass);
    const float* MeshVertex(int32_t m, int32_t n) const { return &Mesh[size_t((m * MaxMesh + n) * 6)]; }

private:
    struct TSpark {
        float FreqX, FreqY, PhaseX, PhaseY, AmpX, AmpY;
    };

    void LoadEffects();
    void NextEffect();
    void MapPoint(const TZynVisFeedEffect& e, float gx, float gy, float ox, float oy, float out[6]) const;
    void DrawFeedback(const TVisData& visData, float dt);
    void DrawMesh();
    void DrawWave(const TZynVisFeedEffect& e, float weight, const TVisData& visData, float dt);
    void DrawOverlay(float dt);

    std::vector<TZynVisFeedEffect> Effects;
    int32_t Current = 0;
    int32_t Next = 0;
    float Blend = 0;
    float Aspect = 1;
    int32_t BuiltColumns = 1;   // mesh size of the last BuildMesh
    int32_t BuiltRows = 1;
    std::vector<TSpark> Sparks;
    float SparkClock = 0;
    float BassTime = 0;
    std::array<float, size_t(MaxMesh) * MaxMesh * 6> Mesh{};
};
