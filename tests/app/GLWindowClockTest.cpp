// Tests of the window's frame clock, frame-rate smoothing (ticks injected) and frame-slot wait (no SDL).
#include "app/TGLWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include <unistd.h>

namespace {

// Runs frames at a fixed millisecond spacing starting after `start` (clock in microseconds).
uint64_t RunFrames(TGLWindow& w, uint64_t start, uint64_t stepMs, int frames)
{
    uint64_t now = start;
    for (int i = 0; i < frames; i++) {
        now += stepMs * 1000;
        w.AdvanceClock(now);
    }
    return now;
}

}  // namespace

TEST(GLWindowClock, DeltaIsClampedToOneSecondAndTotalCountsFromStart)
{
    TGLWindow w;
    w.StartTick = 10000000;
    w.LastTick = 10000000;
    w.AdvanceClock(10016000);
    EXPECT_FLOAT_EQ(w.TimeDelta, 0.016f);
    EXPECT_FLOAT_EQ(w.TimeTotal, 0.016f);
    EXPECT_EQ(w.LastTick, 10016000u);

    w.AdvanceClock(15016000);           // a 5 s pause
    EXPECT_FLOAT_EQ(w.TimeDelta, 1.0f);
    EXPECT_FLOAT_EQ(w.TimeTotal, 5.016f);

    w.AdvanceClock(15016000);           // same reading: zero, not negative
    EXPECT_FLOAT_EQ(w.TimeDelta, 0.0f);
}

TEST(GLWindowClock, FirstFrameOfTheProcessCountsFromTickZero)
{
    TGLWindow w;                         // LastTick starts at 0
    w.StartTick = 7000000;
    w.AdvanceClock(7020000);
    EXPECT_FLOAT_EQ(w.TimeDelta, 1.0f);
    EXPECT_FLOAT_EQ(w.TimeTotal, 0.02f);
}

TEST(GLWindowClock, FramesShorterThanAMillisecondStillAddUp)
{
    TGLWindow w;
    w.StartTick = w.LastTick = 5000000;
    uint64_t now = 5000000;
    for (int i = 0; i < 4000; i++) {    // 4000 frames of 250 us: one second
        now += 250;
        w.AdvanceClock(now);
        ASSERT_FLOAT_EQ(w.TimeDelta, 0.00025f);
    }
    EXPECT_NEAR(w.TimeTotal, 1.0f, 1e-6);
    EXPECT_NEAR(w.FPS, 4000.0f * 0.9f, 4000.0f * 0.1f);   // converging on the true rate
}

TEST(GLWindowClock, FpsFirstUpdatesAfterAQuarterSecond)
{
    TGLWindow w;
    w.LastTick = w.StartTick = 1000000;
    uint64_t now = RunFrames(w, 1000000, 50, 5);   // exactly 0.25 s: not yet
    EXPECT_EQ(w.FPS, 0.0f);
    EXPECT_EQ(w.FPSFrames, 5);
    RunFrames(w, now, 50, 1);                     // 0.30 s over 6 frames -> 20 fps, half weight
    EXPECT_NEAR(w.FPS, 10.0f, 1e-4);
    EXPECT_EQ(w.FPSFrames, 0);
    EXPECT_EQ(w.FPSTime, 0.0f);
    EXPECT_NEAR(w.FPSHistory[127], 10.0f, 1e-4);
    EXPECT_EQ(w.FPSHistory[126], 0.0f);
}

TEST(GLWindowClock, SteadySixtyFramesPerSecondConvergesByHalving)
{
    TGLWindow w;
    w.FixedDelta = 1.0f / 60.0f;          // exact 60 fps frame times
    float previousGap = 60.0f;
    int updates = 0;
    for (int frame = 0; frame < 60 * 3; frame++) {
        float before = w.FPS;
        w.AdvanceClock(0);
        if (w.FPS != before) {
            float gap = 60.0f - w.FPS;
            EXPECT_NEAR(gap, previousGap / 2, 0.05f) << "update " << updates;
            previousGap = gap;
            updates++;
        }
    }
    EXPECT_GE(updates, 10);
    EXPECT_NEAR(w.FPS, 60.0f, 0.1f);
    // The history holds the updates oldest first, ending with the current value.
    EXPECT_EQ(w.FPSHistory[127], w.FPS);
    EXPECT_LT(w.FPSHistory[127 - updates + 1], w.FPSHistory[127 - updates + 2]);
    EXPECT_EQ(w.FPSHistory[127 - updates], 0.0f);
}

TEST(GLWindowClock, HistoryKeepsTheLast128Values)
{
    TGLWindow w;
    w.FixedDelta = 0.3f;                  // every frame updates the rate
    for (int i = 0; i < 200; i++) w.AdvanceClock(0);
    for (float v : w.FPSHistory) EXPECT_GT(v, 0.0f);
    EXPECT_EQ(w.FPSHistory[127], w.FPS);
}

TEST(GLWindowClock, FixedDeltaMakesTimeDeterministic)
{
    TGLWindow w;
    w.FixedDelta = 0.02f;
    w.StartTick = 500;
    uint64_t ticks[] = {600, 600, 9000, 9001};   // the real clock is ignored
    for (uint64_t t : ticks) {
        w.AdvanceClock(t);
        EXPECT_FLOAT_EQ(w.TimeDelta, 0.02f);
    }
    EXPECT_NEAR(w.TimeTotal, 0.08f, 1e-6);
    // Total time is frames x dt, not a running sum: 300 frames of 0.02 s are 6 s exactly.
    for (int i = 4; i < 300; i++) w.AdvanceClock(0);
    EXPECT_EQ(w.TimeTotal, 6.0f);
}

// The frame-slot wait serves input as it arrives, then sleeps on to the slot;
// a descriptor its handler leaves readable is looked at once a millisecond at
// most. Four frames a second: a slot of 250 ms.
TEST(GLWindowClock, FrameSlotWaitServesInputAsItArrivesAndKeepsTheSlot)
{
    using Clock = std::chrono::steady_clock;
    for (const bool drain : {true, false}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        TGLWindow w;
        w.MaxFPS = 4;
        int served = 0;
        Clock::time_point firstServed{};
        w.WaitDescriptors = [&](std::vector<int>& list) { list.push_back(fds[0]); };
        w.OnWaitInput = [&] {
            if (served++ == 0) firstServed = Clock::now();
            char c;
            if (drain) EXPECT_EQ(read(fds[0], &c, 1), 1);
        };
        w.WaitForFrameSlot();   // starts the schedule
        const Clock::time_point t0 = Clock::now();
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            EXPECT_EQ(write(fds[1], "x", 1), 1);
        });
        w.WaitForFrameSlot();
        const Clock::time_point t1 = Clock::now();
        writer.join();
        close(fds[0]);
        close(fds[1]);
        EXPECT_GE(t1 - t0, std::chrono::milliseconds(240)) << "the slot was kept";
        ASSERT_GE(served, 1) << "drain " << drain;
        EXPECT_LT(firstServed - t0, std::chrono::milliseconds(200)) << "served while waiting, drain " << drain;
        if (drain) EXPECT_EQ(served, 1);
        else EXPECT_LE(served, 260) << "a readable descriptor spun the wait";
    }
}
