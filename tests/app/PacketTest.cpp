// Control packet and reply record layouts, including malformed input.
#include "app/ZynPacket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

static std::vector<uint8_t> Raw(const TZynPacket& p, size_t len)
{
    std::vector<uint8_t> v(p.Bytes.begin(), p.Bytes.end());
    v.resize(len, 0xAB);
    return v;
}

TEST(Packet, GetConstLayoutIsLittleEndianAtFixedOffsets)
{
    TZynPacket p = ZynMakeGetConstPacket("MAIN.ScreenX");
    EXPECT_EQ(p.Bytes[0], 0x00);
    EXPECT_EQ(p.Bytes[1], 0xED);
    EXPECT_EQ(p.Bytes[2], 0xAD);
    EXPECT_EQ(p.Bytes[3], 0xDE);
    EXPECT_EQ(p.Bytes[24], 9);
    EXPECT_EQ(p.Bytes[44], 12);
    EXPECT_EQ(std::memcmp(p.Bytes.data() + 45, "MAIN.ScreenX", 12), 0);
    EXPECT_EQ(p.ConstName(), "MAIN.ScreenX");
}

TEST(Packet, SetConstCarriesNameAndValue)
{
    TZynPacket p = ZynMakeSetConstPacket("NET.TelnetPort", "abc");
    EXPECT_EQ(p.Type(), zptSetConst);
    EXPECT_EQ(p.Bytes[85], 3);
    EXPECT_EQ(p.ConstName(), "NET.TelnetPort");
    EXPECT_EQ(p.ConstValue(), "abc");
    // A 255-character value fits exactly; longer texts are cut.
    std::string longValue(300, 'v');
    TZynPacket q = ZynMakeSetConstPacket("A.B", longValue);
    EXPECT_EQ(q.Bytes[85], 255);
    EXPECT_EQ(q.ConstValue(), std::string(255, 'v'));
}

TEST(Packet, SignedArgumentsRoundTrip)
{
    TZynPacket p = ZynMakeSceneChangePacket(-3, 7);
    EXPECT_EQ(p.Type(), zptSceneChange);
    EXPECT_EQ(p.ArgA(), -3);
    EXPECT_EQ(p.ArgB(), 7);
    EXPECT_EQ(p.Bytes[28], 0xFD);
    EXPECT_EQ(p.Bytes[31], 0xFF);
    p.SetU32(ZynPktOfsSceneIndex, 0x01020304u);
    EXPECT_EQ(p.Bytes[16], 0x04);
    EXPECT_EQ(p.SceneIndex(), 0x01020304u);
}

TEST(Packet, ParseRejectsShortAndForeignDatagrams)
{
    TZynPacket sample = ZynMakePacket(zptAskPresence);
    TZynPacket out = ZynMakePacket(77);
    EXPECT_FALSE(ZynParsePacket(nullptr, 5000, out));
    EXPECT_FALSE(ZynParsePacket(Raw(sample, 1211).data(), 1211, out));
    EXPECT_FALSE(ZynParsePacket(Raw(sample, 0).data(), 0, out));
    EXPECT_EQ(out.Type(), 77) << "a rejected datagram must not touch the packet";

    auto wrong = Raw(sample, 1212);
    wrong[3] = 0xDF;
    EXPECT_FALSE(ZynParsePacket(wrong.data(), wrong.size(), out));
    auto swapped = Raw(sample, 1212);   // big-endian magic
    swapped[0] = 0xDE; swapped[1] = 0xAD; swapped[2] = 0xED; swapped[3] = 0x00;
    EXPECT_FALSE(ZynParsePacket(swapped.data(), swapped.size(), out));

    EXPECT_TRUE(ZynParsePacket(Raw(sample, 1212).data(), 1212, out));
    EXPECT_EQ(out.Type(), zptAskPresence);
}

TEST(Packet, LongDatagramIsCutToItsFirst1212Bytes)
{
    TZynPacket sample = ZynMakeGetConstPacket("MAIN.ScreenX");
    auto raw = Raw(sample, 1500);
    TZynPacket out;
    ASSERT_TRUE(ZynParsePacket(raw.data(), raw.size(), out));
    EXPECT_EQ(out.ConstName(), "MAIN.ScreenX");
    EXPECT_EQ(out.Bytes[1211], 0);
}

TEST(Packet, WireLengthsAreClampedToTheirFields)
{
    TZynPacket p = ZynMakePacket(zptGetConst);
    // A name length byte of 255 must not run into the value field.
    p.Bytes[44] = 255;
    std::memset(p.Bytes.data() + 45, 'N', 40);
    std::memset(p.Bytes.data() + 85, 'X', 200);
    EXPECT_EQ(p.ConstName(), std::string(40, 'N'));

    TZynPacket a = ZynMakePacket(zptAnnounce);
    a.SetU32(ZynPktOfsTextLength, 100000);
    EXPECT_EQ(a.AnnounceText().size(), 1168u);
    a.SetU32(ZynPktOfsTextLength, static_cast<uint32_t>(-5));
    EXPECT_EQ(a.AnnounceText(), "");
    a.SetU32(ZynPktOfsTextLength, 0x80000000u);
    EXPECT_EQ(a.AnnounceText(), "");
}

TEST(Packet, AnnouncementTextAndFullPayload)
{
    TZynPacket p = ZynMakeAnnouncePacket(1, 2500, "Hello");
    EXPECT_EQ(p.ArgA(), 1);
    EXPECT_EQ(p.ArgB(), 2500);
    EXPECT_EQ(p.TextLength(), 5);
    EXPECT_EQ(p.AnnounceText(), "Hello");
    std::string huge(2000, 'z');
    TZynPacket q = ZynMakeAnnouncePacket(0, 1, huge);
    EXPECT_EQ(q.TextLength(), 1168);
    EXPECT_EQ(q.AnnounceText(), std::string(1168, 'z'));
}

TEST(Packet, VisDataPayloadStartsAt44)
{
    uint8_t vis[ZynVisDataSize];
    for (size_t i = 0; i < ZynVisDataSize; i++) vis[i] = static_cast<uint8_t>(i * 7);
    TZynPacket p = ZynMakeVisDataPacket(vis);
    EXPECT_EQ(p.Type(), zptVisData);
    EXPECT_EQ(std::memcmp(p.Bytes.data() + 44, vis, ZynVisDataSize), 0);
}

TEST(Reply, RecordLayoutAndCutting)
{
    auto r = ZynBuildReply(zrtConstValue, "MAIN.ScreenX", "640");
    ASSERT_EQ(r.size(), 88u);
    EXPECT_EQ(r[0], 0x00); EXPECT_EQ(r[1], 0xED); EXPECT_EQ(r[2], 0xAD); EXPECT_EQ(r[3], 0xDE);
    EXPECT_EQ(r[4], 3);
    EXPECT_EQ(r[5], 12);
    EXPECT_EQ(std::memcmp(r.data() + 6, "MAIN.ScreenX", 12), 0);
    EXPECT_EQ(r[46], 3);
    EXPECT_EQ(std::memcmp(r.data() + 47, "640", 3), 0);
    EXPECT_EQ(r[87], 0);

    auto longRec = ZynBuildReply(zrtConstValue, std::string(60, 'n'), std::string(60, 'v'));
    EXPECT_EQ(longRec[5], 40);
    EXPECT_EQ(longRec[46], 40);
    EXPECT_EQ(longRec[87], 0) << "a 40-character value must not spill into the padding";
    TZynReply d;
    ASSERT_TRUE(ZynParseReply(longRec.data(), longRec.size(), d));
    EXPECT_EQ(d.Name, std::string(40, 'n'));
    EXPECT_EQ(d.Value, std::string(40, 'v'));

    auto presence = ZynBuildReply(zrtPresence, "", "");
    ASSERT_TRUE(ZynParseReply(presence.data(), presence.size(), d));
    EXPECT_EQ(d.Type, zrtPresence);
    EXPECT_EQ(d.Name, "");
    EXPECT_EQ(d.Value, "");
}

TEST(Reply, ParseRejectsMalformedRecords)
{
    auto r = ZynBuildReply(zrtConstValue, "A.B", "1");
    TZynReply d;
    EXPECT_FALSE(ZynParseReply(r.data(), 87, d));
    r[0] = 1;
    EXPECT_FALSE(ZynParseReply(r.data(), r.size(), d));
    r[0] = 0;
    r[5] = 200;   // impossible length byte: clamped, not read past the field
    ASSERT_TRUE(ZynParseReply(r.data(), r.size(), d));
    EXPECT_EQ(d.Name.size(), 40u);
}

TEST(Packet, RandomGarbageNeverReadsOutOfBounds)
{
    // Any 1212..2048-byte datagram with the magic decodes without overruns
    // (run under the sanitizer build this catches stray reads).
    std::mt19937 rng(1234);
    for (int i = 0; i < 2000; i++) {
        size_t len = 1212 + rng() % 837;
        std::vector<uint8_t> raw(len);
        for (auto& b : raw) b = static_cast<uint8_t>(rng());
        raw[0] = 0x00; raw[1] = 0xED; raw[2] = 0xAD; raw[3] = 0xDE;
        TZynPacket p;
        ASSERT_TRUE(ZynParsePacket(raw.data(), raw.size(), p));
        EXPECT_LE(p.ConstName().size(), 40u);
        EXPECT_LE(p.ConstValue().size(), 255u);
        EXPECT_LE(p.AnnounceText().size(), 1168u);
        TZynReply d;
        if (ZynParseReply(raw.data(), 88, d)) EXPECT_LE(d.Value.size(), 40u);
    }
}
