// Fuzz target: the UDP packet handler on any datagram (from loopback).
//
// The first byte picks how the rest is used: as a whole datagram, or as the
// body of a well-formed packet of one type, so that every type's handling is
// reached and not only the magic-number check.
#include "FuzzSupport.h"
#include "app/ZynClientObjectNet.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    static TVisData visData;
    static uint32_t scenePackets = 0;   // touches what the scene handler gets
    static TZynClientNet net(visData, [](const TZynPacket& p) { scenePackets += p.Type() + uint32_t(p.ArgA()); });
    static bool started = [] {
        TZynClientPorts ports;
        ports.BindAddress = "127.0.0.1";
        ports.Receive = 0;
        ports.Reply = 42901;      // nothing listens there: replies are dropped by the kernel
        ports.Presence = 42902;
        ports.AnnounceTo = "127.0.0.1";
        return net.Start(ports);
    }();
    (void)started;
    in_addr from{};
    from.s_addr = htonl(INADDR_LOOPBACK);
    if (size == 0) return 0;
    uint8_t mode = data[0];
    data++, size--;
    if (mode < 128) {
        net.HandleDatagram(data, size, from);
        return 0;
    }
    static const uint8_t kTypes[] = {zptNothing, zptAskPresence, zptVisData, zptSceneChange, zptAnnounce,
                                     zptScenePacket, zptSceneRestart, zptGetConst, zptSetConst, 5, 6, 255};
    TZynPacket packet = ZynMakePacket(kTypes[mode % sizeof kTypes]);
    // The body overwrites the packet from the scene index on, keeping magic and type.
    std::vector<uint8_t> wire(packet.Bytes.begin(), packet.Bytes.end());
    size_t n = std::min(size, wire.size() - ZynPktOfsSceneIndex);
    std::memcpy(wire.data() + ZynPktOfsSceneIndex, data, n);
    wire[ZynPktOfsType] = packet.Bytes[ZynPktOfsType];
    net.HandleDatagram(wire.data(), wire.size(), from);
    return 0;
}
