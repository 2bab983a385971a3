// ZynPacket: the UDP wire formats of the visualiser, free of sockets and GL.
//
// Two records travel between the visualiser and its peers (the vis data
// sender, remote controls):
//   - the 1212-byte control packet (received on the vis data port): magic,
//     message type, arguments and a 1168-byte payload (vis data record,
//     constant name and value, announcement text, scene data);
//   - the 88-byte reply record (sent): constant values and presence
//     announcements.
// All fields are little-endian and read byte by byte, so the code does not
// depend on the host's byte order or on struct packing. Lengths taken from
// the wire are clamped to the space their field has.
// Used by the client object (app/ZynClientObject), the sequencer's packet
// dispatch and the zyn-send tool. Depends on: the C++ standard library only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr uint32_t ZynPacketMagic = 0xDEADED00u;   // bytes 00 ED AD DE on the wire
constexpr size_t ZynPacketSize = 1212;             // control packet
constexpr size_t ZynPacketReceiveMax = 2048;       // bytes read per datagram
constexpr size_t ZynReplySize = 88;                // reply / presence record
constexpr size_t ZynVisDataSize = 1168;            // the vis data record inside a packet

// Default ports of the protocol.
constexpr int ZynPortReceive = 556;    // the visualiser listens here
constexpr int ZynPortReply = 557;      // constant replies and presence announcements
constexpr int ZynPortPresence = 555;   // presence announcements

// Control packet field offsets.
constexpr size_t ZynPktOfsMagic = 0;
constexpr size_t ZynPktOfsSceneIndex = 16;
constexpr size_t ZynPktOfsType = 24;
constexpr size_t ZynPktOfsArgA = 28;
constexpr size_t ZynPktOfsArgB = 32;
constexpr size_t ZynPktOfsTextLength = 36;
constexpr size_t ZynPktOfsPayload = 44;
constexpr size_t ZynPktOfsValue = 85;
constexpr size_t ZynPktPayloadSize = ZynPacketSize - ZynPktOfsPayload;   // 1168

constexpr size_t ZynPktNameMax = 40;     // constant name (types 9, 10)
constexpr size_t ZynPktValueMax = 255;   // new value (type 10)
constexpr size_t ZynReplyTextMax = 40;   // name and value in a reply record

// Control packet message types.
enum TZynPacketType : uint8_t {
    zptNothing = 0,        // keep-alive, ignored
    zptAskPresence = 1,    // answer with presence announcements
    zptVisData = 2,        // payload is a vis data record
    zptSceneChange = 3,    // ArgA scene, ArgB fader
    zptAnnounce = 4,       // ArgA announcement index, ArgB ms, TextLength + text
    zptScenePacket = 7,    // SceneIndex scene, rest scene-defined
    zptSceneRestart = 8,   // SceneIndex scene
    zptGetConst = 9,       // name at the payload; reply type 3
    zptSetConst = 10,      // name at the payload, value at ZynPktOfsValue
};

// Reply record types.
enum TZynReplyType : uint8_t {
    zrtPresence = 2,
    zrtConstValue = 3,
};

// One control packet: exactly the first 1212 bytes of a datagram.
struct TZynPacket {
    std::array<uint8_t, ZynPacketSize> Bytes{};

    uint32_t Magic() const { return U32(ZynPktOfsMagic); }
    uint8_t Type() const { return Bytes[ZynPktOfsType]; }
    uint32_t SceneIndex() const { return U32(ZynPktOfsSceneIndex); }
    int32_t ArgA() const { return static_cast<int32_t>(U32(ZynPktOfsArgA)); }
    int32_t ArgB() const { return static_cast<int32_t>(U32(ZynPktOfsArgB)); }
    int32_t TextLength() const { return static_cast<int32_t>(U32(ZynPktOfsTextLength)); }
    const uint8_t* Payload() const { return Bytes.data() + ZynPktOfsPayload; }
    uint8_t* Payload() { return Bytes.data() + ZynPktOfsPayload; }

    // Constant name of types 9 and 10: length byte clamped to 40.
    std::string ConstName() const;
    // New value of type 10: up to 255 characters.
    std::string ConstValue() const;
    // Announcement text of type 4: TextLength clamped to 0..1168.
    std::string AnnounceText() const;

    void SetU32(size_t ofs, uint32_t v);
    uint32_t U32(size_t ofs) const;
};

// Checks and copies a received datagram. False (packet untouched) when it is
// shorter than 1212 bytes or its magic is wrong; longer ones are cut.
bool ZynParsePacket(const uint8_t* data, size_t len, TZynPacket& out);

// Packet builders (magic and type set, everything else zero).
TZynPacket ZynMakePacket(uint8_t type);
TZynPacket ZynMakeVisDataPacket(const uint8_t (&visData)[ZynVisDataSize]);
TZynPacket ZynMakeGetConstPacket(std::string_view name);
TZynPacket ZynMakeSetConstPacket(std::string_view name, std::string_view value);
TZynPacket ZynMakeSceneChangePacket(int32_t scene, int32_t fader);
TZynPacket ZynMakeAnnouncePacket(int32_t index, int32_t ms, std::string_view text);

// A decoded reply record.
struct TZynReply {
    uint8_t Type = 0;
    std::string Name;
    std::string Value;
};

// Builds the 88-byte record; name and value are cut to 40 characters.
std::array<uint8_t, ZynReplySize> ZynBuildReply(uint8_t type, std::string_view name,
                                                std::string_view value);
// Decodes a received record. False when it is shorter than 88 bytes or the
// magic is wrong. Length bytes above 40 are clamped.
bool ZynParseReply(const uint8_t* data, size_t len, TZynReply& out);

// Length-prefixed single-byte string at buf[0] (length) and buf[1..]; the
// length is clamped to maxLen. The field holds at least maxLen + 1 bytes.
std::string ZynReadShortString(const uint8_t* buf, size_t maxLen);
// Writes text cut to maxLen characters; returns the number of bytes written.
size_t ZynWriteShortString(uint8_t* buf, std::string_view text, size_t maxLen);
