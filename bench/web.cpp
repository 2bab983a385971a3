// The web remote under load: frames at 60 a second with N pages connected, each
// unlocked, watching the thumbnail and reading everything sent. Prints the mean
// and worst frame and what the web remote's part of a frame (service and
// thumbnail) took; N = 0 is the same run without pages. TCP port 43590.
#include "app/ZynOffscreenGL.h"
#include "engine/ZynVis.h"
#include "net/ZynWebRemote.h"
#include "platform/ZynPath.h"
#include "web/WebTestClient.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <thread>

namespace {

constexpr int Port = 43590;
using Clock = std::chrono::steady_clock;

void BM_WebPages(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    // One context and sequencer for every run: a second context renders slower here,
    // which would be blamed on the pages.
    static std::unique_ptr<TVisObject> vis;
    TVisData data{};
    if (!vis) {
        auto dir = std::filesystem::temp_directory_path() / "zyn_bench_web";
        std::filesystem::create_directories(dir);
        ZynSetBaseDir(dir.string());
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ZynOffscreenGL::Create(640, 480);
        vis = std::make_unique<TVisObject>();
        vis->Frame(data, 0);
    }
    auto web = std::make_unique<TZynWebRemote>("127.0.0.1", Port, 1234, std::string(ZYN_RUNTIME_DIR) + "/web");
    if (!web->Listening()) {
        state.SkipWithError("port taken");
        return;
    }
    std::atomic<bool> ready{pages == 0}, stop{false};
    std::atomic<long> pictures{0};
    std::thread readers([&] {
        std::vector<std::unique_ptr<zyntest::WsClient>> clients;
        std::string m;
        for (int i = 0; i < pages; i++) {
            clients.push_back(std::make_unique<zyntest::WsClient>(Port));
            clients.back()->SendText(R"j({"type":"pin","pin":"1234"})j");
            clients.back()->Await("\"ok\":true", m);
            clients.back()->SendText(R"j({"type":"thumbnail","on":true})j");
        }
        ready = true;
        bool binary = false;
        std::vector<pollfd> fds;
        for (auto& c : clients) fds.push_back({c->Fd(), POLLIN, 0});
        while (!stop) {
            if (poll(fds.data(), fds.size(), 10) <= 0) continue;
            for (size_t i = 0; i < fds.size(); i++)
                if (fds[i].revents)
                    while (clients[i]->Next(m, &binary, 0)) pictures += binary;
        }
    });
    while (!ready) {
        web->Service();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    double worst = 0, worstWeb = 0, sum = 0, sumWeb = 0;
    long frames = 0;
    auto slot = Clock::now();
    const auto start = slot;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        web->Service();
        const auto t1 = Clock::now();
        vis->Frame(data, 1.0f / 60);
        glFinish();   // the picture is done: the read-back below waits for nothing else
        const auto t2 = Clock::now();
        web->CaptureThumbnail();
        const auto t3 = Clock::now();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        const double webMs = std::chrono::duration<double, std::milli>((t1 - t0) + (t3 - t2)).count();
        worst = std::max(worst, ms);
        worstWeb = std::max(worstWeb, webMs);
        sum += ms;
        sumWeb += webMs;
        frames++;
        slot += std::chrono::microseconds(16667);
        std::this_thread::sleep_until(slot);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    stop = true;
    readers.join();
    state.counters["pages"] = web->ClientCount();
    state.counters["mean_frame_ms"] = sum / frames;
    state.counters["worst_frame_ms"] = worst;
    state.counters["mean_web_ms"] = sumWeb / frames;
    state.counters["worst_web_ms"] = worstWeb;
    state.counters["pictures_per_page_s"] = pages ? pictures / seconds / pages : 0;
    web.reset();
}
BENCHMARK(BM_WebPages)->Arg(0)->Arg(50)->Arg(0)->Iterations(300)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
