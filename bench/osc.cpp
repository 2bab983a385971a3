// OSC control under load: frames at 60 a second while a sender on loopback
// sends N messages a second (constant sets, gets and now and then a console
// line; what a scene change costs is bench_engine_frame's). Prints the worst
// frame, the frames over 20 ms, the worst time the OSC service took in a
// frame (wall clock, and its thread's CPU time, which a shared machine's
// preemption does not inflate) and the messages run; N = 0 is the same run
// without messages. UDP port 43490.
#include "app/ZynLog.h"
#include "app/ZynOffscreenGL.h"
#include "app/ZynPacketSocket.h"
#include "engine/ZynVis.h"
#include "net/ZynOscServer.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <lo/lo.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include <time.h>

namespace {

constexpr int Port = 43490;
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Encode(const char* path, lo_message m)
{
    size_t size = lo_message_length(m, path);
    std::vector<uint8_t> bytes(size);
    lo_message_serialise(m, path, bytes.data(), &size);
    lo_message_free(m);
    return bytes;
}

// The mix a busy control surface sends.
std::vector<std::vector<uint8_t>> Mix()
{
    std::vector<std::vector<uint8_t>> mix;
    for (int i = 0; i < 100; i++) {
        lo_message m = lo_message_new();
        lo_message_add_float(m, static_cast<float>(i) / 100);
        mix.push_back(Encode(i % 2 ? "/zyn/norm/TUNNEL/Twistiness" : "/zyn/norm/TUNNEL/Speed", m));
        mix.push_back(Encode("/zyn/get/TUNNEL/Speed", lo_message_new()));
    }
    lo_message line = lo_message_new();
    lo_message_add_string(line, "TUNNEL.Sides(Inc(TUNNEL.Sides))");
    mix.push_back(Encode("/zyn/exec", line));
    return mix;
}

void BM_OscFrames(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    auto dir = std::filesystem::temp_directory_path() / "zyn_bench_osc";
    std::filesystem::create_directories(dir);
    ZynSetBaseDir(dir.string());
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ZynOffscreenGL::Create(640, 480);
    zcSCENE_StartScene = 14;
    auto vis = std::make_unique<TVisObject>();
    TVisData data{};
    vis->Frame(data, 0);
    TZynOscServer osc({});
    if (!osc.Start("127.0.0.1", Port)) {
        state.SkipWithError("port taken");
        return;
    }

    std::atomic<bool> stop{false};
    std::atomic<long> sent{0};
    std::thread sender([&] {
        if (rate == 0) return;
        TZynUdpSocket s;
        std::string error;
        s.Open("127.0.0.1", 0, false, false, error);
        const auto mix = Mix();
        uint8_t sink[512];
        sockaddr_in from{};
        const auto t0 = Clock::now();
        for (long n = 0; !stop; n++) {
            const auto due = t0 + std::chrono::microseconds(n * 1000000 / rate);
            if (Clock::now() < due) std::this_thread::sleep_until(due);
            const auto& b = mix[n % mix.size()];
            s.SendTo(b.data(), b.size(), "127.0.0.1", Port, error);
            while (s.Receive(sink, sizeof sink, from, error) > 0) {}   // the answers to the gets
            sent++;
        }
    });

    // Thread CPU time too: on a shared machine the wall clock counts preemption.
    auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    double worst = 0, worstOsc = 0, worstOscCpu = 0;
    long over = 0, frames = 0, handled = 0;
    auto slot = Clock::now();
    const auto start = slot;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = cpuMs();
        handled += osc.Service();
        worstOscCpu = std::max(worstOscCpu, cpuMs() - c0);
        const auto t1 = Clock::now();
        vis->Frame(data, 1.0f / 60);
        glFinish();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        worst = std::max(worst, ms);
        worstOsc = std::max(worstOsc, std::chrono::duration<double, std::milli>(t1 - t0).count());
        over += ms > 20;
        frames++;
        slot += std::chrono::microseconds(16667);
        std::this_thread::sleep_until(slot);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    stop = true;
    sender.join();
    state.counters["msgs_sent_per_s"] = sent / seconds;
    state.counters["msgs_run_per_s"] = handled / seconds;
    state.counters["worst_frame_ms"] = worst;
    state.counters["frames_over_20ms"] = static_cast<double>(over);
    state.counters["worst_osc_ms"] = worstOsc;
    state.counters["worst_osc_cpu_ms"] = worstOscCpu;
    state.counters["frames"] = static_cast<double>(frames);
    vis.reset();
    ZynOffscreenGL::Destroy();
}
BENCHMARK(BM_OscFrames)->Arg(0)->Arg(10000)->Arg(40000)->Iterations(300)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
