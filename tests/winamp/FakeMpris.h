// FakeMpris: a private D-Bus session bus and a scriptable MPRIS media player for the player-control tests.
//
// TPrivateBus runs its own dbus-daemon on a socket in a scratch folder (CI has
// no session bus) and points DBUS_SESSION_BUS_ADDRESS at it. TFakeMprisPlayer
// owns "org.mpris.MediaPlayer2.<name>" on that bus from a thread of its own and
// records what it is told; Stall makes it stop reading the bus, as a hung
// player does.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct sd_bus;

class TPrivateBus {
public:
    TPrivateBus();     // starts the daemon; Address() is empty when it could not
    ~TPrivateBus();    // stops it and restores the environment
    const std::string& Address() const { return m_address; }

private:
    pid_t m_pid = -1;
    std::string m_dir;
    std::string m_address;
    std::string m_savedEnv;
    bool m_hadEnv = false;
};

struct TFakePlayerState {
    std::string Status = "Stopped";
    double Volume = 1.0;
    int64_t PositionUs = 12000000;
    int64_t LengthUs = 200000000;
    std::string Artist = "Artist";
    std::string Title = "Title";
    int Track = 1;
    int Plays = 0;
};

class TFakeMprisPlayer {
public:
    ~TFakeMprisPlayer() { Stop(); }
    // Connects to the bus at address and takes the player name; false on failure.
    bool Start(const std::string& address, const std::string& name);
    void Stop();
    // While set, the player does not read the bus at all.
    std::atomic<bool> Stall{false};
    // A copy of the player's state, taken under its lock.
    TFakePlayerState State();
    // Waits up to seconds for pred(state) to hold, calling poll between looks.
    bool WaitFor(const std::function<bool(const TFakePlayerState&)>& pred, const std::function<void()>& poll,
                 double seconds = 3.0);

    // Bus handlers (called on the player's thread).
    std::mutex Lock;
    TFakePlayerState S;
    sd_bus* Bus = nullptr;
    void Changed(const char* property);

private:
    void Loop();
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
};
