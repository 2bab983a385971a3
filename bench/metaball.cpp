// Metaball mesher speed: accumulating and polygonising the field at the scenes' default sizes, one core.
//
// MetaBall Morph: 8 balls of radius 12 in a 28-point grid, in its cube
// formation. HyperMetaBall Morph: 49 balls of radius 6 on its ring. Each
// iteration rebuilds the grid and the mesh, as one frame of the scene does
// before drawing; the triangle count is reported alongside.
#include "scenes/ZynMetaBall.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int32_t Mesh = 28, Cell = 32;

TkvIntVector Centre(float x, float y, float z, float spread)
{
    auto c = [spread](float p) { return int32_t(std::lround((p * spread + 1) * Cell * Mesh / 2)); };
    return TkvIntVector{c(x), c(y), c(z), 0};
}

void Run(benchmark::State& state, TMetaBallEnhance& field)
{
    for (auto _ : state) {
        field.Accumulate();
        field.Polygonise();
        benchmark::DoNotOptimize(field.Mesh.data());
    }
    state.counters["triangles"] = double(field.Mesh.size() / 3);
}

void BM_MetaMorphDefault(benchmark::State& state)
{
    TMetaBallEnhance field(Mesh, Cell, 12, 1.0f, 8, Mesh, Mesh);
    field.Border = 2;
    field.IsoFactor = 2.7f;
    for (int32_t i = 0; i < 8; i++)
        field.Balls[i] = Centre(i & 1 ? 0.4f : -0.4f, i & 2 ? 0.4f : -0.4f, i & 4 ? 0.4f : -0.4f, 0.6f);
    Run(state, field);
}

void BM_HyperMorphDefault(benchmark::State& state)
{
    TMetaBallEnhance field(Mesh, Cell, 6, 1.0f, 49, Mesh, Mesh);
    field.IsoFactor = 2.5f;
    for (int32_t i = 0; i < 49; i++) {
        float a = 6.2831853f * i / 49;
        field.Balls[i] = Centre(std::sin(a), std::cos(a), 0, 0.45f);
    }
    Run(state, field);
}

}  // namespace

BENCHMARK(BM_MetaMorphDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HyperMorphDefault)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
