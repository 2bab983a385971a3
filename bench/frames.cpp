// Frame benchmark: every built scene and every fader rendered headless at 640x480.
//
// Prints, per scene and per transition, the median and worst milliseconds per
// frame over a few hundred frames of synthesised music (and, per scene, the
// first frame after changing into it, once and as the median of nine changes
// spread over the music). A transition frame includes both
// scenes and the fader. The scene
// combinations (predefines) of the runtime folder are measured too, and what
// the main menu and the console window add to a frame.
#include "console/ZynConsole.h"
#include "engine/ZynSceneCatalogue.h"
#include "support/ZynRenderHarness.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowConsole.h"
#include "ui/ZynWindowMain.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace ZynRenderTest;

namespace {

TSession& Session()
{
    static TSession s;
    static bool open = s.Open(640, 480, 1);
    if (!open) std::abort();
    // As the program does at start-up, so "first_ms" measures what a change costs.
    static bool warm = (s.Vis()->WarmUp(), true);
    (void)warm;
    return s;
}

void Report(benchmark::State& state, std::vector<double>& ms)
{
    std::sort(ms.begin(), ms.end());
    double median = ms.empty() ? 0 : ms[ms.size() / 2];
    state.counters["median_ms"] = median;
    state.counters["worst_ms"] = ms.empty() ? 0 : ms.back();
    state.counters["fps"] = median > 0 ? 1000.0 / median : 0;
}

double TimedFrame(TSession& s)
{
    auto t0 = std::chrono::steady_clock::now();
    s.Frame(TInput::Music, 1.0f / 60);
    glFinish();   // the software renderer works asynchronously
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void BM_Scene(benchmark::State& state)
{
    TSession& s = Session();
    int32_t n = int32_t(state.range(0));
    s.ShowScene(n);
    // The frame right after the change shows whether anything loads at change time.
    double first = TimedFrame(s);
    // Warm-up frames finish too: frames left queued would land in the first timed one.
    for (int i = 0; i < 10; i++) TimedFrame(s);
    std::vector<double> ms;
    for (auto _ : state) ms.push_back(TimedFrame(s));
    state.SetLabel(n >= 0 ? s.Vis()->Scenes->Items(n)->Name : s.Vis()->Predefines->Name(~n));
    Report(state, ms);
    state.counters["first_ms"] = first;
    // One first frame may fall on a loud stretch of the music, where every
    // frame of a bass-driven scene costs more: more changes, at other points
    // of the music (37 frames apart, not a whole number of beats), give the
    // typical first frame to hold against the median.
    std::vector<double> firsts{first};
    for (int k = 0; k < 8; k++) {
        for (int i = 0; i < 37; i++) s.Frame(TInput::Music, 1.0f / 60);
        glFinish();
        s.ShowScene(n);
        firsts.push_back(TimedFrame(s));
    }
    std::sort(firsts.begin(), firsts.end());
    state.counters["first_median_ms"] = firsts[firsts.size() / 2];
}

// A change from the Tunnel into scene 0 through fader f, restarted whenever it ends.
void BM_Fader(benchmark::State& state)
{
    TSession& s = Session();
    int32_t f = int32_t(state.range(0));
    const int32_t tunnel = 14, other = 0;
    std::vector<double> ms;
    for (auto _ : state) {
        if (s.Vis()->FadeProgress >= 1) {
            state.PauseTiming();
            s.ShowScene(tunnel);
            s.Frame(TInput::Music, 1.0f / 60);
            s.Vis()->SceneChange(other, f);
            state.ResumeTiming();
        }
        ms.push_back(TimedFrame(s));
    }
    state.SetLabel(s.Vis()->Faders->Items(f)->Name);
    Report(state, ms);
}

// What the main menu (1), a full console window (2) or an empty one (3) adds
// to a Tunnel frame.
// Frames with and without the window alternate, so the machine's drift falls
// out of the paired difference (added_ms). The console windows alternate with
// a copy drawn without its cache too (uncached_added_ms), and rebuild_ms is
// what a frame that builds the cache again (a new line) adds.
void BM_Window(benchmark::State& state)
{
    TSession& s = Session();
    const int64_t kind = state.range(0);
    s.ShowScene(14);
    TZynUI& ui = *s.Vis()->UI;
    std::unique_ptr<TZWindow> parked, direct;
    if (kind == 1) ui.OpenWindow(std::make_unique<TWindowMain>(s.Vis()));
    if (kind >= 2) {
        if (!ConsoleExists()) ConsoleCreate();
        ConsoleClear();
        for (int i = 0; i < (kind == 2 ? 40 : 0); i++) ConsoleLine(">console line " + std::to_string(i) + " with some text in it");
        ui.OpenWindow(std::make_unique<TWindowConsole>(s.Vis()));
        direct = std::make_unique<TWindowConsole>(s.Vis());
        direct->Cache.reset();
        direct->Visibility = 1;
    }
    for (int i = 0; i < 20; i++) s.Frame(TInput::Music, 1.0f / 60);   // fully shown
    std::vector<double> with, without, added, uncached, rebuild;
    for (auto _ : state) {
        with.push_back(TimedFrame(s));
        std::swap(ui.Current, parked);
        without.push_back(TimedFrame(s));
        added.push_back(with.back() - without.back());
        if (direct) {
            std::swap(ui.Current, direct);
            uncached.push_back(TimedFrame(s) - without.back());
            std::swap(ui.Current, direct);
        }
        std::swap(ui.Current, parked);
    }
    for (int i = 0; direct && i < 20; i++) {
        ConsoleLine(">another line " + std::to_string(i));
        for (int k = 0; k < TZWindowCache::SettleFrames; k++) TimedFrame(s);   // drawn directly: the line is new
        const double built = TimedFrame(s);
        std::swap(ui.Current, parked);
        rebuild.push_back(built - TimedFrame(s));
        std::swap(ui.Current, parked);
    }
    ui.CloseWindow();
    for (int i = 0; i < 70; i++) s.Frame(TInput::Music, 1.0f / 60);   // gone again
    static const char* const labels[] = {"", "Tunnel + main menu", "Tunnel + console window (40 lines)",
                                         "Tunnel + console window (empty)"};
    state.SetLabel(labels[kind]);
    Report(state, with);
    const auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    };
    state.counters["tunnel_ms"] = median(without);
    state.counters["added_ms"] = median(added);
    if (direct) {
        state.counters["uncached_added_ms"] = median(uncached);
        state.counters["rebuild_ms"] = median(rebuild);
    }
}

// What a restart request (UDP packet type 8, the console's RestartScene) costs:
// the scene rebuilt from its class, then its first frame.
void BM_Restart(benchmark::State& state)
{
    TSession& s = Session();
    int32_t n = int32_t(state.range(0));
    s.ShowScene(n);
    TimedFrame(s);
    std::vector<double> ms;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        s.Vis()->Scenes->RestartScene(n);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() +
                     TimedFrame(s));
    }
    state.SetLabel(s.Vis()->Scenes->Items(n)->Name);
    Report(state, ms);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const auto& scenes = ZynSceneCatalogue();
    for (size_t i = 0; i < scenes.size(); i++) {
        benchmark::RegisterBenchmark(("scene/" + scenes[i].ClassName).c_str(), BM_Scene)
            ->Arg(int64_t(i))->Iterations(300)->Unit(benchmark::kMillisecond);
    }
    for (size_t i = 0; i < scenes.size(); i++) {
        benchmark::RegisterBenchmark(("restart/" + scenes[i].ClassName).c_str(), BM_Restart)
            ->Arg(int64_t(i))->Iterations(20)->Unit(benchmark::kMillisecond);
    }
    // Scene combinations from the runtime folder's data, as numbers -1, -2, ...
    for (int32_t k = 0; k < Session().Vis()->PredefineCount(); k++) {
        benchmark::RegisterBenchmark(("predefine/" + std::to_string(k + 1)).c_str(), BM_Scene)
            ->Arg(-int64_t(k) - 1)->Iterations(300)->Unit(benchmark::kMillisecond);
    }
    const auto& faders = ZynFaderCatalogue();
    for (size_t i = 0; i < faders.size(); i++) {
        benchmark::RegisterBenchmark(("fader/" + faders[i].ClassName).c_str(), BM_Fader)
            ->Arg(int64_t(i))->Iterations(300)->Unit(benchmark::kMillisecond);
    }
    for (int64_t k = 1; k <= 3; k++)
        benchmark::RegisterBenchmark(("window/" + std::to_string(k)).c_str(), BM_Window)
            ->Arg(k)->Iterations(300)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Session().Close();
    return 0;
}
