// The client's UDP side over real loopback sockets: every packet type, the
// replies and presence records, malformed datagrams and bind failures.
#include "app/ZynClientObjectNet.h"
#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

class ClientNet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZynLogSetConsoleSink([this](const std::string& line) { Log.push_back(line); });
        std::string err;
        ASSERT_TRUE(ReplyRx.Open("127.0.0.1", 0, false, false, err)) << err;
        ASSERT_TRUE(PresenceRx.Open("127.0.0.1", 0, false, false, err)) << err;
        ASSERT_TRUE(Tx.Open("127.0.0.1", 0, false, false, err)) << err;
        TZynClientPorts ports;
        ports.BindAddress = "127.0.0.1";
        ports.Receive = 0;
        ports.Reply = ReplyRx.LocalPort();
        ports.Presence = PresenceRx.LocalPort();
        ports.AnnounceTo = "127.0.0.1";
        ASSERT_TRUE(Net.Start(ports));
        // Start announces presence once: take those two records away.
        EXPECT_EQ(Records(PresenceRx).size(), 1u);
        EXPECT_EQ(Records(ReplyRx).size(), 1u);
        zcNET_TelnetPort = 23;
        zcNET_PIN = 6071;
    }
    void TearDown() override { ZynLogSetConsoleSink(nullptr); }

    void Send(const TZynPacket& p, size_t len = ZynPacketSize)
    {
        std::vector<uint8_t> raw(p.Bytes.begin(), p.Bytes.end());
        raw.resize(len, 0x5A);
        std::string err;
        ASSERT_TRUE(Tx.SendTo(raw.data(), raw.size(), "127.0.0.1", Net.LocalPort(), err)) << err;
    }
    // Lets the kernel deliver what was sent, then runs the handler.
    int Service()
    {
        int n = 0;
        for (int i = 0; i < 50 && n == 0; i++) {
            usleep(2000);
            n = Net.Service();
        }
        return n;
    }
    // Every record waiting on a socket (raw bytes).
    std::vector<std::vector<uint8_t>> Records(TZynUdpSocket& s, int waitMs = 200)
    {
        std::vector<std::vector<uint8_t>> out;
        while (s.WaitReadable(out.empty() ? waitMs : 20)) {
            uint8_t buf[256];
            sockaddr_in from{};
            std::string err;
            long n = s.Receive(buf, sizeof buf, from, err);
            if (n < 0) break;
            out.emplace_back(buf, buf + n);
        }
        return out;
    }
    bool Logged(const std::string& line) const
    {
        for (auto& l : Log) if (l == line) return true;
        return false;
    }
    std::string Get(const std::string& name)
    {
        Send(ZynMakeGetConstPacket(name));
        Service();
        auto recs = Records(ReplyRx);
        if (recs.size() != 1) return "<" + std::to_string(recs.size()) + " replies>";
        TZynReply r;
        if (!ZynParseReply(recs[0].data(), recs[0].size(), r)) return "<bad reply>";
        return r.Value;
    }

    TVisData Live{};
    std::vector<TZynPacket> ToScene;
    TZynClientNet Net{Live, [this](const TZynPacket& p) { ToScene.push_back(p); }};
    TZynUdpSocket ReplyRx, PresenceRx, Tx;
    std::vector<std::string> Log;
};

TZynPacket VisPacket(float bass, uint8_t wave)
{
    uint8_t rec[ZynVisDataSize] = {};
    uint32_t u;
    std::memcpy(&u, &bass, 4);
    for (int i = 0; i < 4; i++) rec[4 + i] = uint8_t(u >> (8 * i));
    std::memset(rec + 12, wave, 576);
    rec[1164] = 0x7F;   // ReservedB: never taken from a packet
    return ZynMakeVisDataPacket(rec);
}

}  // namespace

TEST_F(ClientNet, GetConstRepliesWithAnExact88ByteRecord)
{
    Send(ZynMakeGetConstPacket("MAIN.ScreenX"));
    ASSERT_EQ(Service(), 1);
    auto recs = Records(ReplyRx);
    ASSERT_EQ(recs.size(), 1u);
    const auto& r = recs[0];
    ASSERT_EQ(r.size(), 88u);
    EXPECT_EQ(r[0], 0x00); EXPECT_EQ(r[1], 0xED); EXPECT_EQ(r[2], 0xAD); EXPECT_EQ(r[3], 0xDE);
    EXPECT_EQ(r[4], 3);
    EXPECT_EQ(r[5], 12);
    EXPECT_EQ(std::string(r.begin() + 6, r.begin() + 18), "MAIN.ScreenX");
    EXPECT_EQ(r[46], 3);
    EXPECT_EQ(std::string(r.begin() + 47, r.begin() + 50), "640");
    EXPECT_EQ(r[87], 0);
    EXPECT_TRUE(Records(PresenceRx, 20).empty()) << "replies go only to the reply port";
}

TEST_F(ClientNet, UnknownConstantsAreAnsweredAndLogged)
{
    EXPECT_EQ(Get("MAIN.Nope"), "[UNKNOWN]");
    EXPECT_TRUE(Logged("#ERROR : (FindConst) Constant \"MAIN.Nope\" Not Found"));
    EXPECT_TRUE(Logged("#ERROR : scGetConst - Constant \"MAIN.Nope\" Not found"));

    Log.clear();
    Send(ZynMakeSetConstPacket("Nope", "1"));
    Service();
    EXPECT_TRUE(Logged("#ERROR : scSetConst - Constant \"Nope\" Not found"));
    EXPECT_TRUE(Records(ReplyRx, 50).empty()) << "a set is never answered";
}

TEST_F(ClientNet, SetConstAppliesLimitsAndReportsBadText)
{
    Send(ZynMakeSetConstPacket("NET.TelnetPort", "abc"));
    Service();
    EXPECT_TRUE(Logged("#ERROR : Error Converting String value \"abc\" for NET/TelnetPort"));
    EXPECT_EQ(Get("NET.TelnetPort"), "23");

    Send(ZynMakeSetConstPacket("net.telnetport", "1500"));
    Service();
    EXPECT_EQ(zcNET_TelnetPort, 1500);
    Send(ZynMakeSetConstPacket("NET.TelnetPort", "99999"));
    Service();
    EXPECT_EQ(Get("NET.TelnetPort"), "2000") << "limits apply to network sets";
}

TEST_F(ClientNet, ThePinIsNeverRevealedOrChanged)
{
    EXPECT_EQ(Get("NET.PIN"), "[UNKNOWN]");
    EXPECT_EQ(Get("net.pin"), "[UNKNOWN]");
    Log.clear();
    Send(ZynMakeSetConstPacket("NET.PIN", "1234"));
    Service();
    EXPECT_EQ(zcNET_PIN, 6071);
    bool refused = false;
    for (auto& l : Log) refused |= l.rfind("#ERROR : scSetConst - Constant \"NET.PIN\"", 0) == 0;
    EXPECT_TRUE(refused);
}

TEST_F(ClientNet, VisDataPacketsBlendHalfAndHalfInArrivalOrder)
{
    Send(VisPacket(1.0f, 201));
    ASSERT_EQ(Service(), 1);
    EXPECT_FLOAT_EQ(Live.Bass, 0.5f);
    EXPECT_EQ(Live.Waveform[0], 100) << "100.5 rounds to the even 100";
    EXPECT_EQ(Live.ReservedB, 0);
    // Two in one frame: the second counts half, the first a quarter.
    Send(VisPacket(1.0f, 201));
    Send(VisPacket(0.0f, 0));
    usleep(20000);
    EXPECT_EQ(Net.Service(), 2);
    EXPECT_FLOAT_EQ(Live.Bass, 0.375f);
    EXPECT_EQ(Live.Waveform[575], 75) << "(100 + 201) / 2 = 150.5 -> 150, then 150 / 2";
    EXPECT_TRUE(ToScene.empty());
}

TEST_F(ClientNet, ShortLongAndForeignDatagrams)
{
    Send(ZynMakeGetConstPacket("MAIN.ScreenX"), 1211);
    Service();
    EXPECT_TRUE(Records(ReplyRx, 50).empty()) << "1211 bytes are ignored";

    Send(ZynMakeGetConstPacket("MAIN.ScreenX"), 1500);
    Service();
    auto recs = Records(ReplyRx);
    ASSERT_EQ(recs.size(), 1u) << "1500 bytes are handled by their first 1212";
    TZynReply r;
    ASSERT_TRUE(ZynParseReply(recs[0].data(), recs[0].size(), r));
    EXPECT_EQ(r.Value, "640");

    TZynPacket foreign = ZynMakeGetConstPacket("MAIN.ScreenX");
    foreign.Bytes[0] = 0x01;
    Send(foreign);
    Send(ZynMakePacket(zptNothing));
    Service();
    EXPECT_TRUE(Records(ReplyRx, 50).empty());
    EXPECT_TRUE(ToScene.empty());
}

TEST_F(ClientNet, AskForPresenceBringsOneRecordPerPort)
{
    Send(ZynMakePacket(zptAskPresence));
    Service();
    auto a = Records(PresenceRx);
    auto b = Records(ReplyRx);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    auto expected = ZynBuildReply(zrtPresence, "", "");
    EXPECT_EQ(a[0], std::vector<uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(b[0], a[0]);
}

TEST_F(ClientNet, SceneTypesGoToTheSequencerUntouched)
{
    std::vector<uint8_t> types = {3, 4, 5, 6, 7, 8, 11, 200, 255};
    for (uint8_t t : types) {
        TZynPacket p = ZynMakePacket(t);
        p.SetU32(ZynPktOfsArgA, 0xCAFE0000u + t);
        Send(p);
    }
    usleep(20000);
    Net.Service();
    ASSERT_EQ(ToScene.size(), types.size());
    for (size_t i = 0; i < types.size(); i++) {
        EXPECT_EQ(ToScene[i].Type(), types[i]);
        EXPECT_EQ(ToScene[i].U32(ZynPktOfsArgA), 0xCAFE0000u + types[i]);
    }
}

TEST_F(ClientNet, OverlongNameLengthIsClamped)
{
    TZynPacket p = ZynMakeGetConstPacket("MAIN.ScreenX");
    p.Bytes[44] = 255;
    Send(p);
    Service();
    auto recs = Records(ReplyRx);
    ASSERT_EQ(recs.size(), 1u);
    TZynReply r;
    ASSERT_TRUE(ZynParseReply(recs[0].data(), recs[0].size(), r));
    EXPECT_EQ(r.Value, "[UNKNOWN]");
    EXPECT_EQ(r.Name.size(), 40u);
}

TEST(ClientNetStart, TakenPortIsAWarningAndNothingElse)
{
    std::vector<std::string> log;
    ZynLogSetConsoleSink([&](const std::string& l) { log.push_back(l); });
    TZynUdpSocket squatter;
    std::string err;
    // Even a holder that allows address reuse keeps the port from the client.
    ASSERT_TRUE(squatter.Open("0.0.0.0", 0, true, false, err)) << err;
    TVisData live{};
    TZynClientNet net(live, nullptr);
    TZynClientPorts ports;
    ports.Receive = squatter.LocalPort();
    ports.AnnounceTo = "127.0.0.1";
    EXPECT_FALSE(net.Start(ports));
    EXPECT_FALSE(net.Listening());
    EXPECT_EQ(net.Service(), 0);
    ZynLogSetConsoleSink(nullptr);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("#WARNING : Cant Initialise UDP Server", 0), 0u) << log.back();
    EXPECT_NE(log.back().find(std::to_string(ports.Receive)), std::string::npos) << log.back();
    EXPECT_NE(log.back().find("--udp-port"), std::string::npos) << log.back();
}

TEST_F(ClientNet, RandomDatagramsLeaveTheLiveRecordSane)
{
    // Garbage with a valid magic: NaN and huge floats, random names, every
    // handled type. The live record must stay finite and nothing may crash.
    std::mt19937 rng(2024);
    const uint8_t types[] = {0, 2, 2, 2, 9, 10, 2};
    for (int i = 0; i < 2000; i++) {
        std::vector<uint8_t> raw(1212 + rng() % 837);
        for (auto& b : raw) b = uint8_t(rng());
        raw[0] = 0x00; raw[1] = 0xED; raw[2] = 0xAD; raw[3] = 0xDE;
        raw[24] = types[rng() % 7];
        in_addr from{};
        ZynParseIPv4("127.0.0.1", from);
        Net.HandleDatagram(raw.data(), raw.size(), from);
        ASSERT_TRUE(std::isfinite(Live.Bass) && std::isfinite(Live.Beat) && std::isfinite(Live.ReservedA)) << i;
    }
    EXPECT_EQ(zcNET_PIN, 6071);
    EXPECT_TRUE(ToScene.empty());
}
