// Sequencer frame cost at 640x480: one scene shown, and a change through a fader.
#include "app/ZynLog.h"
#include "app/ZynOffscreenGL.h"
#include "engine/ZynVis.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {
// A context and a sequencer for one benchmark run; the log goes to a scratch folder.
struct Stage {
    std::unique_ptr<TVisObject> Vis;
    TVisData Data{};
    Stage()
    {
        auto dir = std::filesystem::temp_directory_path() / "zyn_bench_engine";
        std::filesystem::create_directories(dir);
        ZynSetBaseDir(dir.string());
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ZynOffscreenGL::Create(640, 480);
        zcSCENE_StartScene = 14;
        Vis = std::make_unique<TVisObject>();
        Vis->Frame(Data, 0);
    }
    ~Stage()
    {
        Vis.reset();
        ZynOffscreenGL::Destroy();
    }
};

void BM_FrameShowing(benchmark::State& state)
{
    Stage stage;
    for (auto _ : state) {
        stage.Vis->Frame(stage.Data, 0.016f);
        glFinish();
    }
}
BENCHMARK(BM_FrameShowing)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every iteration is a frame of a change that never ends (the fader's clock is
// held back), so the cost includes the outgoing scene's render-to-texture copy.
void BM_FrameFading(benchmark::State& state)
{
    Stage stage;
    int32_t fader = static_cast<int32_t>(state.range(0));
    stage.Vis->SceneChange(static_cast<int32_t>(state.range(1)), fader);
    for (auto _ : state) {
        stage.Vis->Faders->Items(fader)->Time = 0;
        stage.Vis->Frame(stage.Data, 0.016f);
        glFinish();
    }
    state.SetLabel(stage.Vis->Faders->Items(fader)->Name);
}
// Arguments: fader, incoming scene (0 draws straight to the screen, 1 through its own texture).
BENCHMARK(BM_FrameFading)->Args({0, 0})->Args({0, 1})->Args({5, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

BENCHMARK_MAIN();
