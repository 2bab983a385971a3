// Non-blocking UDP socket on loopback: send, receive, bind failures.
#include "app/ZynPacketSocket.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(PacketSocket, LoopbackDatagramArrivesWithSenderAddress)
{
    TZynUdpSocket rx, tx;
    std::string err;
    ASSERT_TRUE(rx.Open("127.0.0.1", 0, true, false, err)) << err;
    ASSERT_TRUE(tx.Open("0.0.0.0", 0, false, true, err)) << err;
    int port = rx.LocalPort();
    ASSERT_GT(port, 0);

    uint8_t buf[64];
    sockaddr_in from{};
    EXPECT_EQ(rx.Receive(buf, sizeof buf, from, err), -1) << "nothing sent yet: must not block";

    const char msg[] = "hello";
    ASSERT_TRUE(tx.SendTo(msg, 5, "127.0.0.1", port, err)) << err;
    ASSERT_TRUE(rx.WaitReadable(2000));
    EXPECT_EQ(rx.Receive(buf, sizeof buf, from, err), 5);
    EXPECT_EQ(ZynIPv4Text(from.sin_addr), "127.0.0.1");
    EXPECT_EQ(ntohs(from.sin_port), tx.LocalPort());
    EXPECT_EQ(rx.Receive(buf, sizeof buf, from, err), -1);
}

TEST(PacketSocket, OversizedDatagramIsCutToTheBuffer)
{
    TZynUdpSocket rx, tx;
    std::string err;
    ASSERT_TRUE(rx.Open("127.0.0.1", 0, false, false, err)) << err;
    ASSERT_TRUE(tx.Open("0.0.0.0", 0, false, false, err)) << err;
    std::string big(3000, 'q');
    ASSERT_TRUE(tx.SendTo(big.data(), big.size(), "127.0.0.1", rx.LocalPort(), err)) << err;
    ASSERT_TRUE(rx.WaitReadable(2000));
    uint8_t buf[2048];
    sockaddr_in from{};
    EXPECT_EQ(rx.Receive(buf, sizeof buf, from, err), 2048);
    EXPECT_EQ(rx.Receive(buf, sizeof buf, from, err), -1) << "the rest of a cut datagram is gone";
}

TEST(PacketSocket, PortInUseAndBadAddressesAreReported)
{
    TZynUdpSocket a, b;
    std::string err;
    ASSERT_TRUE(a.Open("127.0.0.1", 0, false, false, err)) << err;
    EXPECT_FALSE(b.Open("127.0.0.1", a.LocalPort(), false, false, err));
    EXPECT_NE(err.find(std::to_string(a.LocalPort())), std::string::npos) << err;
    EXPECT_FALSE(b.IsOpen());
    EXPECT_FALSE(b.Open("300.1.1.1", 0, false, false, err));
    EXPECT_FALSE(b.Open("127.0.0.1", 70000, false, false, err));
    EXPECT_FALSE(b.SendTo("x", 1, "127.0.0.1", 9, err)) << "closed socket cannot send";
}

TEST(PacketSocket, BindAdviceNamesTheFix)
{
    std::string low = ZynBindAdvice(556, EACCES);
    EXPECT_NE(low.find("setcap cap_net_bind_service=+ep zyn"), std::string::npos);
    EXPECT_NE(low.find("--udp-port"), std::string::npos);
    EXPECT_NE(ZynBindAdvice(5000, EADDRINUSE).find("already uses"), std::string::npos);
    EXPECT_EQ(ZynBindAdvice(5000, EACCES).find("setcap"), std::string::npos);
}
