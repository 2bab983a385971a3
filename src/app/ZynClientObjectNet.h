// ZynClientObjectNet: the UDP side of the client object.
//
// TZynClientNet owns the receiving socket, runs the packet handler for every
// datagram waiting when Service is called (from the client's frame, on the
// main thread) and sends the 88-byte reply and presence records:
//   type 0 nothing; 1 presence announcement; 2 vis data blended into the live
//   record; 9 get a constant (reply to the sender); 10 set a constant;
//   every other type goes to the scene handler (the sequencer).
// Peers' ports and the announce target are configurable so that unprivileged
// peers and tests can take part; the defaults are the protocol's 557 and 555.
// It needs no GL context, so tests drive it over loopback directly.
// Depends on: app/ZynPacket, app/ZynPacketSocket, app/ZynLog,
// audio/ZynVisData (TVisData, BlendVisData), config/ZynConst (registry).
#pragma once

#include "app/ZynPacket.h"
#include "app/ZynPacketSocket.h"
#include "audio/ZynVisData.h"

#include <array>
#include <functional>
#include <string>

// Where the client listens and where its records go.
struct TZynClientPorts {
    std::string BindAddress = "0.0.0.0";
    int Receive = ZynPortReceive;                  // 0: any free port (tests)
    int Reply = ZynPortReply;                      // constant replies, second presence record
    int Presence = ZynPortPresence;                // first presence record
    std::string AnnounceTo = "255.255.255.255";    // presence records' address
};

class TZynClientNet {
public:
    using TSceneHandler = std::function<void(const TZynPacket& packet)>;

    // visData is the live record packets blend into; it must outlive this object.
    TZynClientNet(TVisData& visData, TSceneHandler sceneHandler);
    TZynClientNet(const TZynClientNet&) = delete;
    TZynClientNet& operator=(const TZynClientNet&) = delete;

    // Binds the receiving socket and announces presence. On failure logs
    // "#WARNING : Cant Initialise UDP Server" with the reason and the way
    // round it, and the client runs without UDP input.
    bool Start(const TZynClientPorts& ports);
    void Stop();
    bool Listening() const { return ReceiveSocket.IsOpen(); }
    int LocalPort() const { return ReceiveSocket.LocalPort(); }
    int Handle() const { return ReceiveSocket.Handle(); }   // to wait on between frames

    // Handles the datagrams waiting now (at most MaxPerService, the rest wait
    // for the next call so a flood cannot stall the frame). Returns how many.
    int Service();
    // The packet handler for one received datagram.
    void HandleDatagram(const uint8_t* data, size_t len, const in_addr& from);

    // Presence record to the announce target, ports Presence then Reply.
    void AnnouncePresence();
    // One 88-byte record on a fresh socket (ephemeral port, broadcast allowed).
    bool SendRecord(const std::array<uint8_t, ZynReplySize>& record, const in_addr& address, int port);

    static constexpr int MaxPerService = 4096;
    static constexpr int ReceiveBufferBytes = 8 << 20;

private:
    void GetConst(const TZynPacket& packet, const in_addr& from);
    void SetConst(const TZynPacket& packet);

    TVisData& VisData;
    TSceneHandler SceneHandler;
    TZynClientPorts Ports;
    TZynUdpSocket ReceiveSocket;
    int ReceiveErrors = 0;
};

// Decodes the vis data record of a type 2 packet (little-endian wire layout).
TVisData ZynVisDataFromPacket(const TZynPacket& packet);

// Constants that are never read or written over UDP (the telnet PIN).
bool ZynConstHiddenFromNet(int32_t index);
