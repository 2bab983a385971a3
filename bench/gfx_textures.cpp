// Benchmarks of the graphics support: texture loading, image files and vis data blending.
#include "app/ZynOffscreenGL.h"
#include "audio/ZynVisData.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTexBMP.h"
#include "platform/ZynPath.h"
#include "platform/kvLog.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>

namespace {

// The runtime folder next to this benchmark's build (bench_* lives in build/bench).
std::string RuntimeDir()
{
    const char* env = std::getenv("ZYN_RUNTIME");
    if (env) return env;
    return (std::filesystem::path(ZynExecutableDir()) / ".." / "runtime").lexically_normal().string();
}

struct Quiet {
    Quiet() { kvLogSetSink([](const std::string&) {}); }
    ~Quiet() { kvLogSetSink(nullptr); }
};

void BM_LoadAllTextures(benchmark::State& state)
{
    Quiet quiet;
    if (!ZynOffscreenGL::Create(640, 480)) {
        state.SkipWithError("no GL context");
        return;
    }
    std::string old = ZynBaseDir();
    // A scratch copy, since the manager writes the custom images back.
    std::string dir = (std::filesystem::temp_directory_path() / "zynbench_textures").string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::copy(RuntimeDir() + "/Images", dir + "/Images", std::filesystem::copy_options::recursive);
    ZynSetBaseDir(dir);
    for (auto _ : state) {
        tZynTextures tex;
        glFinish();
        benchmark::DoNotOptimize(tex.Textures[23]);
    }
    ZynSetBaseDir(old);
    std::filesystem::remove_all(dir);
    ZynOffscreenGL::Destroy();
}
BENCHMARK(BM_LoadAllTextures)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadTGA256(benchmark::State& state)
{
    Quiet quiet;
    std::string file = RuntimeDir() + "/Images/Tunnel.tga";
    for (auto _ : state) {
        TkvImage img = kvLoadTGA(file);
        benchmark::DoNotOptimize(img.Pixels.data());
    }
}
BENCHMARK(BM_LoadTGA256)->Unit(benchmark::kMicrosecond);

void BM_BlendVisData(benchmark::State& state)
{
    TVisData live, rec = SynthesizeVisData(0.02f);
    for (auto _ : state) {
        live = BlendVisData(live, rec, 0.5f);
        benchmark::DoNotOptimize(live.Waveform[0]);
    }
}
BENCHMARK(BM_BlendVisData);

void BM_SynthesizeVisData(benchmark::State& state)
{
    for (auto _ : state) {
        TVisData v = SynthesizeVisData(1 / 60.0f);
        benchmark::DoNotOptimize(v.Spectrum[0]);
    }
}
BENCHMARK(BM_SynthesizeVisData);

}  // namespace

BENCHMARK_MAIN();
