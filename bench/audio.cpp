// Music analysis cost: one frame's sound (735 samples at 44.1 kHz, 60 fps) into a vis record.
#include "ZynSendLoops.h"
#include "audio/ZynAudioAnalyser.h"

#include <benchmark/benchmark.h>

static void BM_AnalyseFrame(benchmark::State& state)
{
    const TZynLoop loop = ZynRenderLoop(*ZynFindLoop("broken-110-noise"));
    TZynAudioAnalyser an(loop.SampleRate);
    const size_t frame = 735;
    size_t pos = 0;
    for (auto _ : state) {
        if (pos + frame > loop.Mono.size()) pos = 0;
        an.Push(loop.Mono.data() + pos, frame);
        TVisData v = an.Frame(1.0f / 60);
        benchmark::DoNotOptimize(v);
        benchmark::DoNotOptimize(an.TakeOnsets());
        pos += frame;
    }
}
BENCHMARK(BM_AnalyseFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
