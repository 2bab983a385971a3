// ZynMprisLink: the player link over the D-Bus session bus (MPRIS media players).
//
// Speaks the player's window-message interface to any media player that
// publishes "org.mpris.MediaPlayer2.*" on the session bus: transport commands
// become Previous / Play / PlayPause / Stop / Next, the volume ids set the
// Volume property (0..255 -> 0..1), the position ids read Position and
// mpris:length and seek with SetPosition. Nothing here waits for the bus:
// every call is asynchronous with a short timeout, replies and signals are
// taken in Poll (once a frame), and reads answer from a cache that Poll keeps
// fresh a few times a second. With no bus or no player the link finds no
// window, so every operation behaves as with no player running.
// Depends on: winamp/ZynWinAMPControl, app/ZynLog, libsystemd (sd-bus).
#pragma once

#include "winamp/ZynWinAMPControl.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>

struct sd_bus;
struct sd_bus_message;
struct sd_bus_slot;

class TZynMprisLink : public TWinAMPLink {
public:
    // playerName: "" for the first player found, else the bus name or the part after
    // "org.mpris.MediaPlayer2." (an instance suffix ".instance123" also matches).
    explicit TZynMprisLink(const std::string& playerName = "");
    ~TZynMprisLink() override;
    TZynMprisLink(const TZynMprisLink&) = delete;
    TZynMprisLink& operator=(const TZynMprisLink&) = delete;

    void Poll() override;
    TWinAMPWindow FindWindow() override;
    int32_t SendUser(TWinAMPWindow window, int32_t wParam, int32_t lParam) override;
    int32_t SendCommand(TWinAMPWindow window, uint16_t commandId) override;
    std::string Title(TWinAMPWindow window) override;

    // The bus name of the player in use; "" when none.
    const std::string& PlayerBusName() const { return m_player; }
    bool BusConnected() const { return m_bus != nullptr; }
    // Calls sent and not yet answered or timed out.
    int32_t PendingCalls() const { return m_pending; }

    static constexpr uint64_t CallTimeoutUs = 250000;   // a stalled player costs nothing but this
    static constexpr int32_t MaxPendingCalls = 32;
    static constexpr int32_t MaxPlayers = 64;
    static constexpr double RefreshSeconds = 0.25;

    struct TPlayerState {
        std::string Status;       // "Playing", "Paused", "Stopped" or "" (unknown)
        double Volume = -1;       // 0..1; < 0 unknown
        int64_t PositionUs = 0;
        double PositionAt = 0;    // monotonic seconds when PositionUs was read
        double Rate = 1;
        int64_t LengthUs = 0;
        std::string TrackId;
        std::string Artist;
        std::string TrackTitle;
        bool Shuffle = false;
        std::string LoopStatus;
    };

    // What the player last told (position as last read, not advanced).
    const TPlayerState& State() const { return m_state; }

private:
    struct TCall;
    using THandler = void (TZynMprisLink::*)(sd_bus_message* reply);

    void Connect();
    void Disconnect(const std::string& why);
    bool NameWanted(const std::string& name) const;
    void ChoosePlayer();
    void PlayerAppeared(const std::string& name);
    void PlayerVanished(const std::string& name);
    // Sends an asynchronous call to the player (or to the bus when dest is the bus);
    // false when it could not be sent. args appends the arguments.
    bool Call(const char* dest, const char* path, const char* iface, const char* member, THandler onReply,
              const std::function<int(sd_bus_message*)>& args = {});
    bool PlayerCall(const char* iface, const char* member, const std::function<int(sd_bus_message*)>& args = {},
                    THandler onReply = nullptr);
    bool SetProperty(const char* name, const std::function<int(sd_bus_message*)>& appendVariant,
                     THandler onReply = nullptr);
    void Refresh();
    void Seek(int64_t offsetUs);
    void SetPositionUs(int64_t positionUs);
    void SetVolume(double volume);
    int64_t PositionNowUs() const;

    void OnListNames(sd_bus_message* reply);
    void OnNameOwner(sd_bus_message* reply);
    void OnGetAll(sd_bus_message* reply);
    void OnCommandReply(sd_bus_message* reply);
    void OnVolumeReply(sd_bus_message* reply);
    void OnPositionReply(sd_bus_message* reply);
    void OnNameOwnerChanged(sd_bus_message* m);
    void OnPropertiesChanged(sd_bus_message* m);
    friend struct TZynMprisCallbacks;   // the bus's C callbacks
    void ReadProperties(sd_bus_message* m);
    void ReadMetadata(sd_bus_message* m);

    std::string m_wanted;            // full bus name asked for, or "" for any player
    sd_bus* m_bus = nullptr;
    std::set<std::string> m_players; // known player bus names
    std::string m_player;            // the one in use
    std::string m_owner;             // its unique connection name (signals come from it)
    uint32_t m_generation = 0;       // bumped on every change of player; names its window handle
    TPlayerState m_state;
    int32_t m_pending = 0;
    bool m_replyStale = false;       // the reply being handled was for an earlier player
    bool m_overflowSaid = false;
    bool m_refreshPending = false;
    double m_nextRefresh = 0;
    // Our own volume and position changes not yet confirmed: reads of these from the
    // player meanwhile are older than our value and are not taken.
    int32_t m_volumeWrites = 0;
    int32_t m_positionWrites = 0;
    double m_nextConnect = 0;
    bool m_noBusSaid = false;
};
