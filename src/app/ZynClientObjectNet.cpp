// ZynClientObjectNet: receiving, dispatching and answering UDP packets.
#include "app/ZynClientObjectNet.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "platform/ZynNumbers.h"

#include <bit>
#include <cerrno>
#include <cstring>

TZynClientNet::TZynClientNet(TVisData& visData, TSceneHandler sceneHandler)
    : VisData(visData), SceneHandler(std::move(sceneHandler))
{
}

bool TZynClientNet::Start(const TZynClientPorts& ports)
{
    Ports = ports;
    std::string error;
    // No SO_REUSEADDR: a second program on the same port must fail, not share it.
    if (!ReceiveSocket.Open(Ports.BindAddress, Ports.Receive, false, false, error)) {
        int err = errno;
        ZynLogWarning("Cant Initialise UDP Server - " + error + "; " + ZynBindAdvice(Ports.Receive, err));
        return false;
    }
    // Room for a few frames of packets: a flood then costs only its own
    // packets, not the replies others wait for (the system may allow less).
    ReceiveSocket.SetReceiveBuffer(ReceiveBufferBytes);
    ZynLogLine("UDP: listening on port " + std::to_string(ReceiveSocket.LocalPort()));
    AnnouncePresence();
    return true;
}

void TZynClientNet::Stop() { ReceiveSocket.Close(); }

int TZynClientNet::Service()
{
    if (!ReceiveSocket.IsOpen()) return 0;
    int handled = 0;
    uint8_t buf[ZynPacketReceiveMax];
    while (handled < MaxPerService) {
        sockaddr_in from{};
        std::string error;
        long n = ReceiveSocket.Receive(buf, sizeof buf, from, error);
        if (n == -1) break;
        if (n == -2) {
            // Report a failing socket a few times, not every frame.
            if (ReceiveErrors++ < 10) ZynLogError("TZynClient.Service - " + error);
            break;
        }
        HandleDatagram(buf, static_cast<size_t>(n), from.sin_addr);
        handled++;
    }
    return handled;
}

void TZynClientNet::HandleDatagram(const uint8_t* data, size_t len, const in_addr& from)
{
    TZynPacket packet;
    if (!ZynParsePacket(data, len, packet)) return;   // short or foreign: dropped silently
    switch (packet.Type()) {
    case zptNothing:
        break;
    case zptAskPresence:
        AnnouncePresence();
        break;
    case zptVisData:
        VisData = BlendVisData(VisData, ZynVisDataFromPacket(packet), 0.5f);
        break;
    case zptGetConst:
        GetConst(packet, from);
        break;
    case zptSetConst:
        SetConst(packet);
        break;
    default:
        if (SceneHandler) SceneHandler(packet);
        break;
    }
}

// "op - Constant "name" Not found": the part up to the name is cut to 63
// characters and the whole line to 74.
static std::string NotFoundLine(const char* op, const std::string& name)
{
    std::string s = std::string(op) + " - Constant \"" + name;
    if (s.size() > 63) s.resize(63);
    s += "\" Not found";
    if (s.size() > 74) s.resize(74);
    return s;
}

void TZynClientNet::GetConst(const TZynPacket& packet, const in_addr& from)
{
    std::string name = packet.ConstName();
    int32_t index = FindConst(name);
    std::string value = "[UNKNOWN]";
    if (index < 0)
        ZynLogError(NotFoundLine("scGetConst", name));
    else if (ZynConstHiddenFromNet(index))
        ZynLogError("scGetConst - Constant \"" + name + "\" is not readable over the network");
    else
        value = ConstToString(index);
    SendRecord(ZynBuildReply(zrtConstValue, name, value), from, Ports.Reply);
}

void TZynClientNet::SetConst(const TZynPacket& packet)
{
    std::string name = packet.ConstName();
    int32_t index = FindConst(name);
    if (index < 0) {
        ZynLogError(NotFoundLine("scSetConst", name));
        return;
    }
    if (ZynConstHiddenFromNet(index)) {
        ZynLogError("scSetConst - Constant \"" + name + "\" cannot be set over the network");
        return;
    }
    ConstSetString(index, packet.ConstValue());
}

void TZynClientNet::AnnouncePresence()
{
    in_addr target{};
    if (!ZynParseIPv4(Ports.AnnounceTo, target)) {
        ZynLogError("TZynClient.AnnouncePresence - \"" + Ports.AnnounceTo + "\" is not an IPv4 address");
        return;
    }
    auto record = ZynBuildReply(zrtPresence, "", "");
    SendRecord(record, target, Ports.Presence);
    SendRecord(record, target, Ports.Reply);
}

bool TZynClientNet::SendRecord(const std::array<uint8_t, ZynReplySize>& record, const in_addr& address, int port)
{
    TZynUdpSocket sendSocket;
    std::string error;
    if (!sendSocket.Open("0.0.0.0", 0, false, true, error) ||
        !sendSocket.SendTo(record.data(), record.size(), address, port, error)) {
        ZynLogError("TZynClient.SendRecord - " + error);
        return false;
    }
    return true;
}

static float WireFloat(const uint8_t* p)
{
    uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return std::bit_cast<float>(u);
}

TVisData ZynVisDataFromPacket(const TZynPacket& packet)
{
    const uint8_t* p = packet.Payload();
    TVisData v;
    v.ReservedA = WireFloat(p + 0);
    v.Bass = WireFloat(p + 4);
    v.Beat = WireFloat(p + 8);
    std::memcpy(v.Waveform, p + 12, sizeof v.Waveform);
    std::memcpy(v.Spectrum, p + 588, sizeof v.Spectrum);
    v.ReservedB = static_cast<int32_t>(std::bit_cast<uint32_t>(WireFloat(p + 1164)));
    return v;
}

bool ZynConstHiddenFromNet(int32_t index)
{
    return index >= 0 && ZynSameText(ConstFullName(index), "NET.PIN");
}
