// FakeMpris: private session bus daemon and the fake MPRIS player.
#include "winamp/FakeMpris.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kPlayerIface = "org.mpris.MediaPlayer2.Player";

bool CanConnect(const std::string& socketPath)
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    socketPath.copy(addr.sun_path, sizeof addr.sun_path - 1);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

TFakeMprisPlayer& Self(void* userdata) { return *static_cast<TFakeMprisPlayer*>(userdata); }

// Method: sets the status (or runs change) and tells the bus.
int Transport(sd_bus_message* m, void* userdata, const std::function<void(TFakePlayerState&)>& change)
{
    TFakeMprisPlayer& p = Self(userdata);
    {
        std::lock_guard<std::mutex> g(p.Lock);
        change(p.S);
    }
    p.Changed("PlaybackStatus");
    p.Changed("Metadata");
    return sd_bus_reply_method_return(m, "");
}

int Play(sd_bus_message* m, void* u, sd_bus_error*)
{
    return Transport(m, u, [](TFakePlayerState& s) { s.Status = "Playing", s.Plays++; });
}
int PlayPause(sd_bus_message* m, void* u, sd_bus_error*)
{
    return Transport(m, u, [](TFakePlayerState& s) { s.Status = s.Status == "Playing" ? "Paused" : "Playing"; });
}
int StopM(sd_bus_message* m, void* u, sd_bus_error*)
{
    return Transport(m, u, [](TFakePlayerState& s) { s.Status = "Stopped", s.PositionUs = 0; });
}
int Next(sd_bus_message* m, void* u, sd_bus_error*)
{
    return Transport(m, u, [](TFakePlayerState& s) {
        s.Track++;
        s.Title = "Title " + std::to_string(s.Track);
        s.PositionUs = 0;
    });
}
int Previous(sd_bus_message* m, void* u, sd_bus_error*)
{
    return Transport(m, u, [](TFakePlayerState& s) { s.Track--, s.PositionUs = 0; });
}
int SetPosition(sd_bus_message* m, void* u, sd_bus_error*)
{
    const char* track = nullptr;
    int64_t pos = 0;
    int r = sd_bus_message_read(m, "ox", &track, &pos);
    if (r < 0) return r;
    std::string want = "/org/zyn/track/" + std::to_string(Self(u).State().Track);
    // As the interface says: a stale track id or a position past the end does nothing.
    return Transport(m, u, [&](TFakePlayerState& s) {
        if (want == track && pos >= 0 && pos <= s.LengthUs) s.PositionUs = pos;
    });
}
int Seek(sd_bus_message* m, void* u, sd_bus_error*)
{
    int64_t offset = 0;
    int r = sd_bus_message_read(m, "x", &offset);
    if (r < 0) return r;
    return Transport(m, u, [&](TFakePlayerState& s) { s.PositionUs = std::max<int64_t>(0, s.PositionUs + offset); });
}

int GetProperty(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void* u, sd_bus_error*)
{
    TFakePlayerState s = Self(u).State();
    std::string name = property;
    if (name == "PlaybackStatus") return sd_bus_message_append(reply, "s", s.Status.c_str());
    if (name == "Volume") return sd_bus_message_append(reply, "d", s.Volume);
    if (name == "Position") return sd_bus_message_append(reply, "x", s.PositionUs);
    if (name == "Rate") return sd_bus_message_append(reply, "d", 1.0);
    // Metadata: the length as an unsigned number, as some players send it.
    std::string track = "/org/zyn/track/" + std::to_string(s.Track);
    return sd_bus_message_append(reply, "a{sv}", 4, "mpris:trackid", "o", track.c_str(), "mpris:length", "t",
                                 static_cast<uint64_t>(s.LengthUs), "xesam:title", "s", s.Title.c_str(),
                                 "xesam:artist", "as", 1, s.Artist.c_str());
}

int SetVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void* u, sd_bus_error*)
{
    double v = 0;
    int r = sd_bus_message_read(value, "d", &v);
    if (r < 0) return r;
    {
        std::lock_guard<std::mutex> g(Self(u).Lock);
        Self(u).S.Volume = v;
    }
    Self(u).Changed("Volume");
    return 1;
}

const sd_bus_vtable kPlayerVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Play", "", "", Play, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("PlayPause", "", "", PlayPause, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Stop", "", "", StopM, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Next", "", "", Next, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Previous", "", "", Previous, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SetPosition", "ox", "", SetPosition, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Seek", "x", "", Seek, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("PlaybackStatus", "s", GetProperty, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_PROPERTY("Metadata", "a{sv}", GetProperty, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_PROPERTY("Position", "x", GetProperty, 0, 0),
    SD_BUS_PROPERTY("Rate", "d", GetProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_WRITABLE_PROPERTY("Volume", "d", GetProperty, SetVolume, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE |
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

}  // namespace

// ---------------------------------------------------------------------------

TPrivateBus::TPrivateBus()
{
    const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    m_hadEnv = old != nullptr;
    if (old) m_savedEnv = old;
    std::string pattern = (std::filesystem::temp_directory_path() / "zynbus-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    m_dir = pattern;
    const std::string socketPath = m_dir + "/bus";
    const std::string listen = "--address=unix:path=" + socketPath;
    m_pid = fork();
    if (m_pid == 0) {
        freopen("/dev/null", "w", stderr);   // its notes about fd limits are no test output
        execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", listen.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500 && m_pid > 0; i++) {
        if (CanConnect(socketPath)) {
            m_address = "unix:path=" + socketPath;
            setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
            return;
        }
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {   // the daemon gave up
            m_pid = -1;
            break;
        }
        usleep(10000);
    }
}

TPrivateBus::~TPrivateBus()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_hadEnv) setenv("DBUS_SESSION_BUS_ADDRESS", m_savedEnv.c_str(), 1);
    else unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::error_code ec;
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ec);
}

// ---------------------------------------------------------------------------

bool TFakeMprisPlayer::Start(const std::string& address, const std::string& name)
{
    std::promise<bool> ready;
    std::future<bool> started = ready.get_future();
    m_quit = false;
    m_thread = std::thread([this, address, name, &ready] {
        sd_bus* bus = nullptr;
        int r = sd_bus_new(&bus);
        if (r >= 0) r = sd_bus_set_address(bus, address.c_str());
        if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
        if (r >= 0) r = sd_bus_start(bus);
        if (r >= 0) r = sd_bus_add_object_vtable(bus, nullptr, kPath, kPlayerIface, kPlayerVtable, this);
        if (r >= 0) r = sd_bus_request_name(bus, ("org.mpris.MediaPlayer2." + name).c_str(), 0);
        if (r < 0) {
            sd_bus_unref(bus);
            ready.set_value(false);
            return;
        }
        Bus = bus;
        ready.set_value(true);
        Loop();
        Bus = nullptr;
        sd_bus_flush_close_unref(bus);
    });
    if (started.get()) return true;
    m_thread.join();
    return false;
}

void TFakeMprisPlayer::Loop()
{
    while (!m_quit) {
        if (Stall) {
            usleep(2000);
            continue;
        }
        int r = sd_bus_process(Bus, nullptr);
        if (r < 0) break;
        if (r == 0) sd_bus_wait(Bus, 5000);
    }
}

void TFakeMprisPlayer::Stop()
{
    if (!m_thread.joinable()) return;
    m_quit = true;
    m_thread.join();
}

void TFakeMprisPlayer::Changed(const char* property)
{
    sd_bus_emit_properties_changed(Bus, kPath, kPlayerIface, property, nullptr);
}

TFakePlayerState TFakeMprisPlayer::State()
{
    std::lock_guard<std::mutex> g(Lock);
    return S;
}

bool TFakeMprisPlayer::WaitFor(const std::function<bool(const TFakePlayerState&)>& pred,
                               const std::function<void()>& poll, double seconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (pred(State())) return true;
        if (poll) poll();
        usleep(2000);
    }
    return pred(State());
}
