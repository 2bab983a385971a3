// ZynMprisLink: MPRIS media players over the session bus, without ever waiting for them.
#include "winamp/ZynMprisLink.h"

#include "app/ZynLog.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* kPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRootIface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerIface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kPropsIface = "org.freedesktop.DBus.Properties";
constexpr const char* kBus = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr double kReconnectSeconds = 5.0;
constexpr double kPollBudgetSeconds = 0.002;
constexpr int kPollMaxMessages = 64;

double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Reads the value inside a variant the message stands at, whatever numeric type the player chose.
bool ReadNumber(sd_bus_message* m, const char* contents, double& out)
{
    if (sd_bus_message_enter_container(m, 'v', contents) < 0) return false;
    bool ok = true;
    union { double d; int64_t x; uint64_t t; int32_t i; uint32_t u; int16_t n; uint16_t q; uint8_t y; int b; } v{};
    switch (contents[0] != 0 && contents[1] == 0 ? contents[0] : 0) {
    case 'd': ok = sd_bus_message_read_basic(m, 'd', &v.d) > 0; out = v.d; break;
    case 'x': ok = sd_bus_message_read_basic(m, 'x', &v.x) > 0; out = static_cast<double>(v.x); break;
    case 't': ok = sd_bus_message_read_basic(m, 't', &v.t) > 0; out = static_cast<double>(v.t); break;
    case 'i': ok = sd_bus_message_read_basic(m, 'i', &v.i) > 0; out = v.i; break;
    case 'u': ok = sd_bus_message_read_basic(m, 'u', &v.u) > 0; out = v.u; break;
    case 'n': ok = sd_bus_message_read_basic(m, 'n', &v.n) > 0; out = v.n; break;
    case 'q': ok = sd_bus_message_read_basic(m, 'q', &v.q) > 0; out = v.q; break;
    case 'y': ok = sd_bus_message_read_basic(m, 'y', &v.y) > 0; out = v.y; break;
    case 'b': ok = sd_bus_message_read_basic(m, 'b', &v.b) > 0; out = v.b ? 1 : 0; break;
    default: ok = false; sd_bus_message_skip(m, contents); break;
    }
    sd_bus_message_exit_container(m);
    return ok && std::isfinite(out);
}

// A string or object path inside a variant; an array of strings is joined with ", ".
bool ReadText(sd_bus_message* m, const char* contents, std::string& out)
{
    if (sd_bus_message_enter_container(m, 'v', contents) < 0) return false;
    bool ok = false;
    const char* s = nullptr;
    if (std::strcmp(contents, "s") == 0 || std::strcmp(contents, "o") == 0) {
        ok = sd_bus_message_read_basic(m, contents[0], &s) > 0;
        if (ok) out = s;
    } else if (std::strcmp(contents, "as") == 0 && sd_bus_message_enter_container(m, 'a', "s") > 0) {
        out.clear();
        while (sd_bus_message_read_basic(m, 's', &s) > 0) {
            if (!out.empty()) out += ", ";
            out += s;
        }
        sd_bus_message_exit_container(m);
        ok = true;
    } else {
        sd_bus_message_skip(m, contents);
    }
    sd_bus_message_exit_container(m);
    return ok;
}

// Walks an a{sv} dictionary: each entry's key and variant go to entry, which must read or skip the variant.
template <typename F>
void ForEachEntry(sd_bus_message* m, F entry)
{
    if (sd_bus_message_enter_container(m, 'a', "{sv}") <= 0) return;
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        const char* contents = nullptr;
        char type = 0;
        if (sd_bus_message_read_basic(m, 's', &key) <= 0 || sd_bus_message_peek_type(m, &type, &contents) <= 0 ||
            type != 'v' || !contents) {
            sd_bus_message_exit_container(m);
            break;
        }
        if (!entry(std::string(key), contents)) sd_bus_message_skip(m, "v");
        sd_bus_message_exit_container(m);
    }
    sd_bus_message_exit_container(m);
}

}  // namespace

struct TZynMprisLink::TCall {
    TZynMprisLink* Link;
    uint32_t Generation;
    THandler Handler;
};

// The bus's C entry points, passing on to the link.
struct TZynMprisCallbacks {
    static int Reply(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/)
    {
        auto* call = static_cast<TZynMprisLink::TCall*>(userdata);
        TZynMprisLink* self = call->Link;
        self->m_replyStale = call->Generation != self->m_generation;
        (self->*call->Handler)(m);
        return 0;
    }
    // The call's slot is freed: answered, timed out or dropped with the connection.
    static void FreeCall(void* userdata)
    {
        auto* call = static_cast<TZynMprisLink::TCall*>(userdata);
        TZynMprisLink* self = call->Link;
        if (self->m_pending > 0) self->m_pending--;
        if (self->m_pending == 0) self->m_overflowSaid = false;
        delete call;
    }
    static int NameOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/)
    {
        static_cast<TZynMprisLink*>(userdata)->OnNameOwnerChanged(m);
        return 0;
    }
    static int PropertiesChanged(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/)
    {
        static_cast<TZynMprisLink*>(userdata)->OnPropertiesChanged(m);
        return 0;
    }
};

TZynMprisLink::TZynMprisLink(const std::string& playerName)
{
    if (!playerName.empty()) m_wanted = StartsWith(playerName, kPrefix) ? playerName : kPrefix + playerName;
    Connect();
}

TZynMprisLink::~TZynMprisLink()
{
    if (m_bus) sd_bus_close_unref(m_bus);
}

// ---------------------------------------------------------------------------
// Connection and players

void TZynMprisLink::Connect()
{
    m_nextConnect = Now() + kReconnectSeconds;
    int r = sd_bus_open_user(&m_bus);
    if (r < 0) {
        m_bus = nullptr;
        if (!m_noBusSaid)
            ZynLogLine(std::string("Player : no D-Bus session bus (") + std::strerror(-r) +
                       "); player commands do nothing");
        m_noBusSaid = true;
        return;
    }
    m_noBusSaid = false;
    // Players coming and going, and their property changes, arrive as signals.
    r = sd_bus_match_signal_async(m_bus, nullptr, kBus, kBusPath, kBus, "NameOwnerChanged", &TZynMprisCallbacks::NameOwnerChanged,
                                  nullptr, this);
    if (r >= 0)
        r = sd_bus_match_signal_async(m_bus, nullptr, nullptr, kPath, kPropsIface, "PropertiesChanged",
                                      &TZynMprisCallbacks::PropertiesChanged, nullptr, this);
    if (r < 0 || !Call(kBus, kBusPath, kBus, "ListNames", &TZynMprisLink::OnListNames))
        Disconnect(std::strerror(r < 0 ? -r : EIO));
}

void TZynMprisLink::Disconnect(const std::string& why)
{
    if (!m_bus) return;
    ZynLogLine("Player : session bus connection closed (" + why + ")");
    sd_bus_close_unref(m_bus);   // frees the pending calls, which count themselves off
    m_bus = nullptr;
    m_players.clear();
    m_player.clear();
    m_owner.clear();
    m_generation++;
    m_state = TPlayerState();
    m_volumeWrites = m_positionWrites = 0;
    m_pending = 0;
    m_refreshPending = false;
    m_nextConnect = Now() + kReconnectSeconds;
}

bool TZynMprisLink::NameWanted(const std::string& name) const
{
    if (!StartsWith(name, kPrefix) || name.size() == std::strlen(kPrefix)) return false;
    if (m_wanted.empty()) return true;
    return name == m_wanted || StartsWith(name, m_wanted + ".");
}

void TZynMprisLink::ChoosePlayer()
{
    if (!m_player.empty() && m_players.count(m_player)) return;
    const std::string next = m_players.empty() ? std::string() : *m_players.begin();
    if (next == m_player) return;
    const bool had = !m_player.empty();
    m_player = next;
    m_owner.clear();
    m_generation++;
    m_state = TPlayerState();
    m_volumeWrites = m_positionWrites = 0;
    m_refreshPending = false;
    m_nextRefresh = 0;
    if (!m_player.empty()) {
        ZynLogLine("Player : controlling \"" + m_player + "\"");
        Call(kBus, kBusPath, kBus, "GetNameOwner", &TZynMprisLink::OnNameOwner,
             [this](sd_bus_message* m) { return sd_bus_message_append(m, "s", m_player.c_str()); });
    } else if (had) {
        ZynLogLine("Player : no player left on the session bus");
    }
}

void TZynMprisLink::PlayerAppeared(const std::string& name)
{
    if (m_players.size() >= static_cast<size_t>(MaxPlayers) && !m_players.count(name)) {
        ZynLogWarning("Player : more than " + std::to_string(MaxPlayers) + " players; \"" + name + "\" is ignored");
        return;
    }
    m_players.insert(name);
}

void TZynMprisLink::PlayerVanished(const std::string& name) { m_players.erase(name); }

// ---------------------------------------------------------------------------
// Calls

bool TZynMprisLink::Call(const char* dest, const char* path, const char* iface, const char* member,
                         THandler onReply, const std::function<int(sd_bus_message*)>& args)
{
    if (!m_bus) return false;
    if (m_pending >= MaxPendingCalls) {
        // A hung player must not make the queue grow without end.
        if (!m_overflowSaid)
            ZynLogWarning("Player : " + std::to_string(MaxPendingCalls) + " calls unanswered; \"" + member +
                          "\" and later calls are dropped until the player answers");
        m_overflowSaid = true;
        return false;
    }
    sd_bus_message* m = nullptr;
    int r = sd_bus_message_new_method_call(m_bus, &m, dest, path, iface, member);
    if (r >= 0 && args) r = args(m);
    auto* call = new TCall{this, m_generation, onReply};
    sd_bus_slot* slot = nullptr;
    if (r >= 0) r = sd_bus_call_async(m_bus, &slot, m, &TZynMprisCallbacks::Reply, call, CallTimeoutUs);
    sd_bus_message_unref(m);
    if (r < 0) {
        delete call;
        ZynLogError(std::string("Player : ") + member + " not sent (" + std::strerror(-r) + ")");
        return false;
    }
    m_pending++;
    // The bus owns the slot from here; the call record goes with it, answered or not.
    sd_bus_slot_set_destroy_callback(slot, &TZynMprisCallbacks::FreeCall);
    sd_bus_slot_set_floating(slot, 1);
    sd_bus_slot_unref(slot);
    return true;
}

bool TZynMprisLink::PlayerCall(const char* iface, const char* member, const std::function<int(sd_bus_message*)>& args,
                               THandler onReply)
{
    if (m_player.empty()) return false;
    return Call(m_player.c_str(), kPath, iface, member, onReply ? onReply : &TZynMprisLink::OnCommandReply, args);
}

bool TZynMprisLink::SetProperty(const char* name, const std::function<int(sd_bus_message*)>& appendVariant,
                                THandler onReply)
{
    return PlayerCall(
        kPropsIface, "Set",
        [&](sd_bus_message* m) {
            int r = sd_bus_message_append(m, "ss", kPlayerIface, name);
            return r < 0 ? r : appendVariant(m);
        },
        onReply);
}

void TZynMprisLink::Refresh()
{
    m_nextRefresh = Now() + RefreshSeconds;
    m_refreshPending = Call(m_player.c_str(), kPath, kPropsIface, "GetAll", &TZynMprisLink::OnGetAll,
                            [](sd_bus_message* m) { return sd_bus_message_append(m, "s", kPlayerIface); });
}

void TZynMprisLink::Seek(int64_t offsetUs)
{
    if (PlayerCall(kPlayerIface, "Seek", [&](sd_bus_message* m) { return sd_bus_message_append(m, "x", offsetUs); },
                   &TZynMprisLink::OnPositionReply))
        m_positionWrites++;
}

void TZynMprisLink::SetPositionUs(int64_t positionUs)
{
    positionUs = std::max<int64_t>(positionUs, 0);
    if (m_state.LengthUs > 0) positionUs = std::min(positionUs, m_state.LengthUs);
    const std::string& track = m_state.TrackId;
    if (!track.empty() && track != kNoTrack && sd_bus_object_path_is_valid(track.c_str())) {
        if (PlayerCall(
                kPlayerIface, "SetPosition",
                [&](sd_bus_message* m) { return sd_bus_message_append(m, "ox", track.c_str(), positionUs); },
                &TZynMprisLink::OnPositionReply))
            m_positionWrites++;
    } else {
        Seek(positionUs - PositionNowUs());   // players without track ids still seek relatively
    }
    m_state.PositionUs = positionUs;
    m_state.PositionAt = Now();
}

void TZynMprisLink::SetVolume(double volume)
{
    volume = std::clamp(volume, 0.0, 1.0);
    if (SetProperty(
            "Volume", [&](sd_bus_message* m) { return sd_bus_message_append(m, "v", "d", volume); },
            &TZynMprisLink::OnVolumeReply)) {
        m_state.Volume = volume;   // the next step builds on this one before the player confirms it
        m_volumeWrites++;
    }
}

int64_t TZynMprisLink::PositionNowUs() const
{
    double pos = static_cast<double>(m_state.PositionUs);
    if (m_state.Status == "Playing") pos += (Now() - m_state.PositionAt) * m_state.Rate * 1e6;
    pos = std::max(pos, 0.0);
    if (m_state.LengthUs > 0) pos = std::min(pos, static_cast<double>(m_state.LengthUs));
    return static_cast<int64_t>(pos);
}

// ---------------------------------------------------------------------------
// Replies and signals

void TZynMprisLink::OnListNames(sd_bus_message* reply)
{
    if (sd_bus_message_is_method_error(reply, nullptr)) {
        ZynLogError(std::string("Player : the bus did not list its names (") +
                    sd_bus_message_get_error(reply)->message + ")");
        return;
    }
    if (sd_bus_message_enter_container(reply, 'a', "s") <= 0) return;
    const char* name = nullptr;
    while (sd_bus_message_read_basic(reply, 's', &name) > 0)
        if (NameWanted(name)) PlayerAppeared(name);
    sd_bus_message_exit_container(reply);
    ChoosePlayer();
}

void TZynMprisLink::OnNameOwner(sd_bus_message* reply)
{
    const char* owner = nullptr;
    if (m_replyStale || sd_bus_message_is_method_error(reply, nullptr)) return;
    if (sd_bus_message_read_basic(reply, 's', &owner) > 0) m_owner = owner;
}

void TZynMprisLink::OnGetAll(sd_bus_message* reply)
{
    if (m_replyStale) return;
    m_refreshPending = false;
    if (sd_bus_message_is_method_error(reply, nullptr)) return;   // a slow player: asked again later
    ReadProperties(reply);
}

void TZynMprisLink::OnCommandReply(sd_bus_message* reply)
{
    if (m_replyStale) return;
    if (sd_bus_message_is_method_error(reply, nullptr)) {
        const sd_bus_error* e = sd_bus_message_get_error(reply);
        ZynLogWarning(std::string("Player : the player refused a command (") + (e && e->message ? e->message : "?") +
                      ")");
    }
    m_nextRefresh = 0;   // show the outcome soon
}

void TZynMprisLink::OnVolumeReply(sd_bus_message* reply)
{
    if (m_replyStale) return;
    if (m_volumeWrites > 0) m_volumeWrites--;
    OnCommandReply(reply);
}

void TZynMprisLink::OnPositionReply(sd_bus_message* reply)
{
    if (m_replyStale) return;
    if (m_positionWrites > 0) m_positionWrites--;
    OnCommandReply(reply);
}

void TZynMprisLink::OnNameOwnerChanged(sd_bus_message* m)
{
    const char *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &oldOwner, &newOwner) < 0 || !NameWanted(name)) return;
    if (newOwner && *newOwner) {
        PlayerAppeared(name);
        if (m_player == name) {
            m_owner = newOwner;
            m_nextRefresh = 0;
        }
    } else {
        PlayerVanished(name);
    }
    ChoosePlayer();
}

void TZynMprisLink::OnPropertiesChanged(sd_bus_message* m)
{
    const char* sender = sd_bus_message_get_sender(m);
    const char* iface = nullptr;
    if (m_owner.empty() || !sender || m_owner != sender) return;
    if (sd_bus_message_read_basic(m, 's', &iface) <= 0 || std::strcmp(iface, kPlayerIface) != 0) return;
    ReadProperties(m);
    // Invalidated properties come without values: read them all again.
    if (sd_bus_message_enter_container(m, 'a', "s") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read_basic(m, 's', &name) > 0) m_nextRefresh = 0;
        sd_bus_message_exit_container(m);
    }
}

void TZynMprisLink::ReadProperties(sd_bus_message* m)
{
    ForEachEntry(m, [&](const std::string& key, const char* contents) {
        double v = 0;
        if (key == "PlaybackStatus") return ReadText(m, contents, m_state.Status);
        if (key == "LoopStatus") return ReadText(m, contents, m_state.LoopStatus);
        if (key == "Metadata") {
            if (std::strcmp(contents, "a{sv}") != 0 || sd_bus_message_enter_container(m, 'v', contents) < 0)
                return false;
            ReadMetadata(m);
            sd_bus_message_exit_container(m);
            return true;
        }
        if (key != "Volume" && key != "Position" && key != "Rate" && key != "Shuffle") return false;
        if (!ReadNumber(m, contents, v)) return true;   // ReadNumber consumed the variant
        // While our own change is on its way, what the player says is older than it.
        if ((key == "Volume" && m_volumeWrites > 0) || (key == "Position" && m_positionWrites > 0)) return true;
        if (key == "Volume") m_state.Volume = std::max(v, 0.0);
        if (key == "Rate") m_state.Rate = v > 0 ? v : 1.0;
        if (key == "Shuffle") m_state.Shuffle = v != 0;
        if (key == "Position") {
            m_state.PositionUs = static_cast<int64_t>(std::clamp(v, 0.0, 9.0e18));
            m_state.PositionAt = Now();
        }
        return true;
    });
}

void TZynMprisLink::ReadMetadata(sd_bus_message* m)
{
    // New metadata replaces the old as a whole (a new track).
    m_state.TrackId.clear();
    m_state.Artist.clear();
    m_state.TrackTitle.clear();
    m_state.LengthUs = 0;
    ForEachEntry(m, [&](const std::string& key, const char* contents) {
        if (key == "mpris:trackid") return ReadText(m, contents, m_state.TrackId);
        if (key == "xesam:title") return ReadText(m, contents, m_state.TrackTitle);
        if (key == "xesam:artist") return ReadText(m, contents, m_state.Artist);
        if (key != "mpris:length") return false;
        double v = 0;
        if (ReadNumber(m, contents, v)) m_state.LengthUs = static_cast<int64_t>(std::clamp(v, 0.0, 9.0e18));
        return true;
    });
}

// ---------------------------------------------------------------------------
// The player's message interface

void TZynMprisLink::Poll()
{
    const double start = Now();
    if (!m_bus) {
        if (start >= m_nextConnect) Connect();
        return;
    }
    // Only what has already arrived is taken, and never for long.
    for (int i = 0; i < kPollMaxMessages; i++) {
        int r = sd_bus_process(m_bus, nullptr);
        if (r < 0) {
            Disconnect(std::strerror(-r));
            return;
        }
        if (r == 0 || Now() - start > kPollBudgetSeconds) break;
    }
    if (!m_player.empty() && !m_refreshPending && Now() >= m_nextRefresh) Refresh();
}

TWinAMPWindow TZynMprisLink::FindWindow() { return m_player.empty() ? 0 : static_cast<TWinAMPWindow>(m_generation); }

int32_t TZynMprisLink::SendUser(TWinAMPWindow window, int32_t wParam, int32_t lParam)
{
    if (window == 0 || window != FindWindow()) return 0;
    const int32_t value = wParam;
    switch (lParam) {
    case WinAMPIpcSetVolume:
        if (value == -666) return m_state.Volume < 0 ? 0 : static_cast<int32_t>(std::lround(std::min(m_state.Volume, 1.0) * 255));
        SetVolume(std::clamp(value, 0, 255) / 255.0);
        return 0;
    case WinAMPIpcIsPlaying:
        return m_state.Status == "Playing" ? 1 : m_state.Status == "Paused" ? 3 : 0;
    case WinAMPIpcGetOutputTime:
        if (value == 0) return static_cast<int32_t>(std::min<int64_t>(PositionNowUs() / 1000, INT32_MAX));
        if (value == 1) return static_cast<int32_t>(std::min<int64_t>(m_state.LengthUs / 1000000, INT32_MAX));
        return 0;
    case WinAMPIpcJumpToTime:
        SetPositionUs(static_cast<int64_t>(std::max(value, 0)) * 1000);
        return 0;
    default:
        return 0;
    }
}

int32_t TZynMprisLink::SendCommand(TWinAMPWindow window, uint16_t commandId)
{
    if (window == 0 || window != FindWindow()) return 0;
    bool sent = true;
    switch (commandId) {
    case 40044: sent = PlayerCall(kPlayerIface, "Previous"); break;
    case 40045: sent = PlayerCall(kPlayerIface, "Play"); break;
    case 40046: sent = PlayerCall(kPlayerIface, "PlayPause"); break;
    case 40047:
    case 40147: sent = PlayerCall(kPlayerIface, "Stop"); break;   // players have no fade: stop at once
    case 40048: sent = PlayerCall(kPlayerIface, "Next"); break;
    case 40058:
    case 40059:
        if (m_state.Volume < 0) return 0;   // not known yet: a step from nothing would jump
        SetVolume(m_state.Volume + (commandId == 40058 ? 0.01 : -0.01));
        break;
    case 40148: Seek(5000000); break;
    case 40144: Seek(-5000000); break;
    case 40022: {
        const char* next = m_state.LoopStatus == "None" || m_state.LoopStatus.empty() ? "Playlist" : "None";
        sent = SetProperty("LoopStatus", [&](sd_bus_message* m) { return sd_bus_message_append(m, "v", "s", next); });
        break;
    }
    case 40023:
        sent = SetProperty("Shuffle", [&](sd_bus_message* m) {
            return sd_bus_message_append(m, "v", "b", static_cast<int>(!m_state.Shuffle));
        });
        break;
    case 40001: sent = PlayerCall(kRootIface, "Quit"); break;
    default: return 0;   // no MPRIS counterpart
    }
    return sent ? 1 : 0;
}

std::string TZynMprisLink::Title(TWinAMPWindow window)
{
    if (window == 0 || window != FindWindow()) return std::string();
    if (m_state.Artist.empty()) return m_state.TrackTitle;
    if (m_state.TrackTitle.empty()) return m_state.Artist;
    return m_state.Artist + " - " + m_state.TrackTitle;
}
