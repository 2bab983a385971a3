// The client object with a real sequencer: packets in, frames out.
#include "app/ZynClientObject.h"
#include "app/ZynOffscreenGL.h"
#include "app/ZynOptions.h"
#include "config/ZynConstDef.h"
#include "engine/ZynVis.h"
#include "console/ZynConsole.h"
#include "console/ZynKeyBind.h"
#include "net/ZynTelnet.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace {

class ClientObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ZynOffscreenGL::Create(320, 240)) << ZynOffscreenGL::LastError();
        std::string err;
        ASSERT_TRUE(Tx.Open("127.0.0.1", 0, false, false, err)) << err;
        ASSERT_TRUE(ReplyRx.Open("127.0.0.1", 0, false, false, err)) << err;
        Saved = ZynOpt;
        ZynOpt.udpPort = 0;   // any free port
        ZynOpt.announceTo = "127.0.0.1";
        ZynOpt.replyPort = ReplyRx.LocalPort();
        ZynOpt.presencePort = ReplyRx.LocalPort();
        ZynOpt.demo = false;
        zcSCENE_StartScene = 3;
        zcNET_TelnetPort = 0;   // the telnet server on any free port
        C = std::make_unique<TZynClient>();
        ASSERT_TRUE(C->Vis);
        ASSERT_TRUE(C->Net.Listening());
    }
    void TearDown() override
    {
        C.reset();
        ZynOpt = Saved;
        zcSCENE_StartScene = -1;
        zcNET_TelnetPort = 23;
        ZynOffscreenGL::Destroy();
    }
    void Send(const TZynPacket& p)
    {
        std::string err;
        ASSERT_TRUE(Tx.SendTo(p.Bytes.data(), p.Bytes.size(), "127.0.0.1", C->Net.LocalPort(), err)) << err;
        usleep(10000);   // let loopback deliver before the frame drains the socket
    }

    ZynOptions Saved;
    TZynUdpSocket Tx, ReplyRx;
    std::unique_ptr<TZynClient> C;
};

TZynPacket BassPacket(float bass)
{
    uint8_t rec[ZynVisDataSize] = {};
    std::memcpy(rec + 4, &bass, 4);
    return ZynMakeVisDataPacket(rec);
}

}  // namespace

TEST_F(ClientObject, FramePublishesTheBlendedBass)
{
    EXPECT_FALSE(ClientRunning);
    C->Frame(0.02f);
    EXPECT_TRUE(ClientRunning);
    EXPECT_EQ(zcBASE_Bass, 0.0f) << "no sender: the record stays at zero";
    Send(BassPacket(1.0f));
    C->Frame(0.02f);
    EXPECT_FLOAT_EQ(zcBASE_Bass, 0.5f);
    Send(BassPacket(1.0f));
    C->Frame(0.02f);
    EXPECT_FLOAT_EQ(zcBASE_Bass, 0.75f);
    C.reset();
    EXPECT_FALSE(ClientRunning);
}

TEST_F(ClientObject, ScenePacketsReachTheSequencer)
{
    C->Frame(0.02f);
    ASSERT_EQ(C->Vis->CurrentScene, 3);
    Send(ZynMakeSceneChangePacket(5, 0));
    C->Frame(0.02f);
    EXPECT_EQ(C->Vis->CurrentScene, 5);
    EXPECT_EQ(C->Vis->PreviousScene, 3);
}

TEST_F(ClientObject, DemoInputReplacesReceivedData)
{
    ZynOpt.demo = true;
    Send(BassPacket(100.0f));
    float minBass = 1e9f, maxBass = -1e9f;
    for (int i = 0; i < 30; i++) {
        C->Frame(0.05f);
        minBass = std::min(minBass, C->VisData.Bass);
        maxBass = std::max(maxBass, C->VisData.Bass);
    }
    EXPECT_LT(maxBass, 2.0f) << "the synthetic record overwrites packets";
    EXPECT_GT(maxBass - minBass, 0.1f) << "the synthetic bass moves";
}

TEST_F(ClientObject, FramePollsTheTelnetServer)
{
    ASSERT_TRUE(C->Telnet);
    ASSERT_TRUE(C->Telnet->Listening());
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(C->Telnet->Port()));
    inet_pton(AF_INET, "127.0.0.1", &sa.sin_addr);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    EXPECT_EQ(C->Telnet->UserCount(), 0);
    for (int i = 0; i < 50 && C->Telnet->UserCount() == 0; i++) {
        usleep(2000);
        C->Frame(0.02f);
    }
    EXPECT_EQ(C->Telnet->UserCount(), 1) << "the client's frame accepts telnet connections";
    close(fd);
}

TEST_F(ClientObject, KeysRunTheirBindingsDownAndUp)
{
    ConsoleCreate();
    TBindList list;
    BindList = &list;
    Client = C.get();
    list.SetBinding(65, "SceneChange(5, 0)");         // A pressed
    list.SetBinding(65 + 512, "SceneChange(6, 0)");   // A released
    C->Frame(0.02f);
    C->Key(true, 65, true);
    EXPECT_EQ(C->Vis->CurrentScene, 5);
    C->Key(true, 'a', false);                         // a character event runs no binding
    EXPECT_EQ(C->Vis->CurrentScene, 5);
    C->Key(false, 65, true);
    EXPECT_EQ(C->Vis->CurrentScene, 6);
    Client = nullptr;
    BindList = nullptr;
    ConsoleFree();
}
