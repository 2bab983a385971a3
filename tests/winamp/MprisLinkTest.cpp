// Player control over MPRIS: commands reach a fake player on a private session bus, never holding a frame.
#include "console/ZynCmdInterp.h"
#include "app/ZynLog.h"
#include "platform/ZynPath.h"
#include "winamp/FakeMpris.h"
#include "winamp/ZynMprisLink.h"
#include "winamp/ZynWinAMPControl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <unistd.h>

namespace {

double Seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

class MprisTest : public ::testing::Test {
protected:
    std::vector<std::string> lines;
    void SetUp() override
    {
        ZynLogSetConsoleSink([this](const std::string& l) { lines.push_back(l); });
    }
    void TearDown() override
    {
        WinAMPSetLink(nullptr);
        ZynLogSetConsoleSink(nullptr);
    }
    bool Said(const std::string& part) const
    {
        for (const std::string& l : lines)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    // Frames until pred holds for what the link tells.
    static bool Until(TZynMprisLink& link, const std::function<bool()>& pred, double seconds = 3.0)
    {
        for (double end = Seconds() + seconds; Seconds() < end; usleep(2000)) {
            link.Poll();
            if (pred()) return true;
        }
        return false;
    }
    // Frames until the link has read the player's state.
    static bool WaitForTitle(TZynMprisLink& link, double seconds = 3.0)
    {
        for (double end = Seconds() + seconds; Seconds() < end; usleep(2000)) {
            link.Poll();
            if (!GetTitle(FindPlayer()).empty()) return true;
        }
        return false;
    }
};

TEST_F(MprisTest, CommandsDriveThePlayer)
{
    TPrivateBus bus;
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
    TFakeMprisPlayer player;
    ASSERT_TRUE(player.Start(bus.Address(), "fakezyn"));
    TZynMprisLink link;
    WinAMPSetLink(&link);
    auto poll = [&] { link.Poll(); };
    ASSERT_TRUE(WaitForTitle(link));
    EXPECT_EQ(link.PlayerBusName(), "org.mpris.MediaPlayer2.fakezyn");
    EXPECT_EQ(ExecuteLine("getWASong"), "Artist - Title");

    ExecuteLine("WAFunc([play])");
    EXPECT_TRUE(player.WaitFor([](const TFakePlayerState& s) { return s.Status == "Playing"; }, poll));
    ExecuteLine("WAFunc([next])");
    EXPECT_TRUE(player.WaitFor([](const TFakePlayerState& s) { return s.Track == 2; }, poll));
    // The new title arrives with the player's change signal.
    EXPECT_TRUE(Until(link, [] { return ExecuteLine("getWASong") == "Artist - Title 2"; }));
    ExecuteLine("WAFunc([pause])");
    EXPECT_TRUE(player.WaitFor([](const TFakePlayerState& s) { return s.Status == "Paused"; }, poll));
    EXPECT_TRUE(Until(link, [] { return SendIPC(WinAMPIpcIsPlaying, 0) == 3; }));

    lines.clear();
    ExecuteLine("setWAVol(128)");
    EXPECT_TRUE(Said("WinAMP Volume Changed OK"));
    EXPECT_TRUE(player.WaitFor([](const TFakePlayerState& s) { return std::abs(s.Volume - 128 / 255.0) < 1e-9; }, poll));
    ExecuteLine("WAFunc([v+])");
    ExecuteLine("WAFunc([v+])");
    EXPECT_TRUE(player.WaitFor([](const TFakePlayerState& s) { return std::abs(s.Volume - (128 / 255.0 + 0.02)) < 1e-9; }, poll));
    EXPECT_TRUE(Until(link, [&] { return link.PendingCalls() == 0; }));
    EXPECT_EQ(SendIPC(WinAMPIpcSetVolume, -666), 133);   // 0.522 of 255

    // Length in seconds, position in milliseconds; seeking to half goes to half the length.
    EXPECT_EQ(SendIPC(WinAMPIpcGetOutputTime, 1), 200);
    WinAMPSeek(FindPlayer(), 0.5f);
    EXPECT_TRUE(player.WaitFor([](const TFakePlayerState& s) { return s.PositionUs == s.LengthUs / 2; }, poll));
    EXPECT_EQ(SendIPC(WinAMPIpcGetOutputTime, 0), 100000);

    // A window handle from before the player went away reaches nothing.
    TWinAMPWindow old = FindPlayer();
    player.Stop();
    EXPECT_TRUE(Until(link, [] { return FindPlayer() == 0; }));
    EXPECT_EQ(GetTitle(old), "");
    EXPECT_EQ(SendIPCTo(old, WinAMPIpcGetOutputTime, 1), 0);
}

TEST_F(MprisTest, NoBusOrNoPlayerBehavesAsNoPlayer)
{
    {
        TPrivateBus bus;   // only for its environment handling
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zyn-test-bus", 1);
        TZynMprisLink link;
        WinAMPSetLink(&link);
        link.Poll();
        EXPECT_FALSE(link.BusConnected());
        EXPECT_EQ(ExecuteLine("getWASong"), "");
        lines.clear();
        ExecuteLine("setWAVol(100)");
        ExecuteLine("WAFunc([play])");
        EXPECT_EQ(lines, (std::vector<std::string>{">WinAMP Volume Changed OK"}));
        WinAMPSetLink(nullptr);
    }
    // A bus with a player, but not the one asked for; then that one appears and goes.
    TPrivateBus bus;
    ASSERT_FALSE(bus.Address().empty());
    TFakeMprisPlayer other;
    ASSERT_TRUE(other.Start(bus.Address(), "otherplayer"));
    TZynMprisLink link("zynwanted");
    WinAMPSetLink(&link);
    for (int i = 0; i < 100; i++, usleep(2000)) link.Poll();
    EXPECT_TRUE(link.BusConnected());
    EXPECT_EQ(FindPlayer(), 0u);
    EXPECT_EQ(ExecuteLine("getWASong"), "");
    TFakeMprisPlayer wanted;
    ASSERT_TRUE(wanted.Start(bus.Address(), "zynwanted.instance42"));
    EXPECT_TRUE(WaitForTitle(link));
    EXPECT_EQ(link.PlayerBusName(), "org.mpris.MediaPlayer2.zynwanted.instance42");
}

TEST_F(MprisTest, AStalledPlayerNeverHoldsAFrame)
{
    TPrivateBus bus;
    ASSERT_FALSE(bus.Address().empty());
    TFakeMprisPlayer player;
    ASSERT_TRUE(player.Start(bus.Address(), "fakezyn"));
    TZynMprisLink link;
    WinAMPSetLink(&link);
    ASSERT_TRUE(WaitForTitle(link));

    player.Stall = true;
    double worst = 0;
    int maxPending = 0;
    // About a second of frames, each polling and using every operation.
    for (int frame = 0; frame < 200; frame++) {
        double t0 = Seconds();
        link.Poll();
        ExecuteLine("WAFunc([next]); setWAVol(7); WAFunc([v+])");
        ExecuteLine("getWASong");
        SendIPC(WinAMPIpcGetOutputTime, 0);
        WinAMPSeek(FindPlayer(), 0.25f);
        worst = std::max(worst, Seconds() - t0);
        maxPending = std::max(maxPending, link.PendingCalls());
        usleep(5000);
    }
    // A blocking call would wait out the whole call timeout; a busy machine may
    // still delay a frame by a few milliseconds.
    EXPECT_LT(worst, TZynMprisLink::CallTimeoutUs / 5 / 1e6);
    EXPECT_LE(maxPending, TZynMprisLink::MaxPendingCalls);
    EXPECT_TRUE(Said("calls unanswered"));
    EXPECT_EQ(ExecuteLine("getWASong"), "Artist - Title");   // the cached title stays

    // Once the player answers again, commands get through.
    player.Stall = false;
    for (double end = Seconds() + 2; Seconds() < end && link.PendingCalls() > 0; usleep(2000)) link.Poll();
    int track = player.State().Track;
    ExecuteLine("WAFunc([next])");
    EXPECT_TRUE(player.WaitFor([&](const TFakePlayerState& s) { return s.Track > track; }, [&] { link.Poll(); }));
}

// The running program: zyn on the private bus plays the player from a timed command line.
TEST_F(MprisTest, TheProgramControlsThePlayer)
{
    TPrivateBus bus;
    ASSERT_FALSE(bus.Address().empty());
    TFakeMprisPlayer player;
    ASSERT_TRUE(player.Start(bus.Address(), "fakezyn"));
    std::string base = (std::filesystem::temp_directory_path() / "zynmpris-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(base.data()));
    std::string cmd = std::string("SDL_VIDEODRIVER=offscreen ") + ZYN_RUNTIME_DIR +
                      "/zyn --headless --frames 150 --fixed-dt 0.05 --udp-port 21811 --announce-to 127.0.0.1"
                      " --player fakezyn --base-dir " + base +
                      " --exec \"TimerAdd(5, [p], [WAFunc([play]); setWAVol(51)])\" >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    TFakePlayerState s = player.State();
    EXPECT_EQ(s.Plays, 1);
    EXPECT_NEAR(s.Volume, 0.2, 1e-9);
    std::ifstream log(base + "/ZynLog.txt");
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("Player : controlling \"org.mpris.MediaPlayer2.fakezyn\""), std::string::npos);
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
}

}  // namespace
