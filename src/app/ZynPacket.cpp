// ZynPacket: building and decoding the control packet and the reply record.
#include "app/ZynPacket.h"

#include <algorithm>
#include <cstring>

uint32_t TZynPacket::U32(size_t ofs) const
{
    return static_cast<uint32_t>(Bytes[ofs]) | (static_cast<uint32_t>(Bytes[ofs + 1]) << 8) |
           (static_cast<uint32_t>(Bytes[ofs + 2]) << 16) | (static_cast<uint32_t>(Bytes[ofs + 3]) << 24);
}

void TZynPacket::SetU32(size_t ofs, uint32_t v)
{
    for (int i = 0; i < 4; i++) Bytes[ofs + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string TZynPacket::ConstName() const
{
    return ZynReadShortString(Bytes.data() + ZynPktOfsPayload, ZynPktNameMax);
}

std::string TZynPacket::ConstValue() const
{
    return ZynReadShortString(Bytes.data() + ZynPktOfsValue, ZynPktValueMax);
}

std::string TZynPacket::AnnounceText() const
{
    int32_t n = std::clamp<int32_t>(TextLength(), 0, static_cast<int32_t>(ZynPktPayloadSize));
    return std::string(reinterpret_cast<const char*>(Payload()), static_cast<size_t>(n));
}

bool ZynParsePacket(const uint8_t* data, size_t len, TZynPacket& out)
{
    if (data == nullptr || len < ZynPacketSize) return false;
    uint32_t magic = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                     (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
    if (magic != ZynPacketMagic) return false;
    std::memcpy(out.Bytes.data(), data, ZynPacketSize);
    return true;
}

TZynPacket ZynMakePacket(uint8_t type)
{
    TZynPacket p;
    p.SetU32(ZynPktOfsMagic, ZynPacketMagic);
    p.Bytes[ZynPktOfsType] = type;
    return p;
}

TZynPacket ZynMakeVisDataPacket(const uint8_t (&visData)[ZynVisDataSize])
{
    TZynPacket p = ZynMakePacket(zptVisData);
    std::memcpy(p.Payload(), visData, ZynVisDataSize);
    return p;
}

TZynPacket ZynMakeGetConstPacket(std::string_view name)
{
    TZynPacket p = ZynMakePacket(zptGetConst);
    ZynWriteShortString(p.Payload(), name, ZynPktNameMax);
    return p;
}

TZynPacket ZynMakeSetConstPacket(std::string_view name, std::string_view value)
{
    TZynPacket p = ZynMakePacket(zptSetConst);
    ZynWriteShortString(p.Payload(), name, ZynPktNameMax);
    ZynWriteShortString(p.Bytes.data() + ZynPktOfsValue, value, ZynPktValueMax);
    return p;
}

TZynPacket ZynMakeSceneChangePacket(int32_t scene, int32_t fader)
{
    TZynPacket p = ZynMakePacket(zptSceneChange);
    p.SetU32(ZynPktOfsArgA, static_cast<uint32_t>(scene));
    p.SetU32(ZynPktOfsArgB, static_cast<uint32_t>(fader));
    return p;
}

TZynPacket ZynMakeAnnouncePacket(int32_t index, int32_t ms, std::string_view text)
{
    TZynPacket p = ZynMakePacket(zptAnnounce);
    size_t n = std::min(text.size(), ZynPktPayloadSize);
    p.SetU32(ZynPktOfsArgA, static_cast<uint32_t>(index));
    p.SetU32(ZynPktOfsArgB, static_cast<uint32_t>(ms));
    p.SetU32(ZynPktOfsTextLength, static_cast<uint32_t>(n));
    std::memcpy(p.Payload(), text.data(), n);
    return p;
}

std::array<uint8_t, ZynReplySize> ZynBuildReply(uint8_t type, std::string_view name,
                                                std::string_view value)
{
    std::array<uint8_t, ZynReplySize> r{};
    for (int i = 0; i < 4; i++) r[i] = static_cast<uint8_t>(ZynPacketMagic >> (8 * i));
    r[4] = type;
    ZynWriteShortString(r.data() + 5, name, ZynReplyTextMax);
    ZynWriteShortString(r.data() + 46, value, ZynReplyTextMax);
    r[87] = 0;
    return r;
}

bool ZynParseReply(const uint8_t* data, size_t len, TZynReply& out)
{
    if (data == nullptr || len < ZynReplySize) return false;
    uint32_t magic = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                     (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
    if (magic != ZynPacketMagic) return false;
    out.Type = data[4];
    out.Name = ZynReadShortString(data + 5, ZynReplyTextMax);
    out.Value = ZynReadShortString(data + 46, ZynReplyTextMax);
    return true;
}

std::string ZynReadShortString(const uint8_t* buf, size_t maxLen)
{
    size_t n = std::min<size_t>(buf[0], maxLen);
    return std::string(reinterpret_cast<const char*>(buf + 1), n);
}

size_t ZynWriteShortString(uint8_t* buf, std::string_view text, size_t maxLen)
{
    size_t n = std::min({text.size(), maxLen, size_t{255}});
    buf[0] = static_cast<uint8_t>(n);
    std::memcpy(buf + 1, text.data(), n);
    return n + 1;
}
