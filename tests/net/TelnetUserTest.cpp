// One telnet user on a socket pair: echo bookkeeping, redraw and dead peers.
#include "console/ZynConsole.h"
#include "net/ZynTelnetUser.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class TelnetUserPair : public ::testing::Test {
protected:
    void SetUp() override
    {
        int sv[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
        fcntl(sv[0], F_SETFL, O_NONBLOCK);
        fcntl(sv[1], F_SETFL, O_NONBLOCK);
        user_ = std::make_unique<TZynTelnetUser>(sv[0], nullptr);
        peer_ = sv[1];
    }
    void TearDown() override
    {
        user_.reset();
        if (peer_ >= 0) close(peer_);
    }
    std::string Read()
    {
        std::string s;
        char buf[4096];
        ssize_t n;
        while ((n = recv(peer_, buf, sizeof buf, MSG_DONTWAIT)) > 0) s.append(buf, static_cast<size_t>(n));
        return s;
    }
    std::unique_ptr<TZynTelnetUser> user_;
    int peer_ = -1;
};

} // namespace

TEST_F(TelnetUserPair, EchoLineKeepsWhatFollowsTheLastLineBreak)
{
    user_->Echo("abc\r\nde");
    EXPECT_EQ(user_->EchoLine, "de");
    user_->Echo("\bx");
    EXPECT_EQ(user_->EchoLine, "dx");
    user_->Echo("\b\b\b");                  // more backspaces than characters
    EXPECT_EQ(user_->EchoLine, "");
    user_->Echo("p\rq");                    // a lone CR is not a line break
    EXPECT_EQ(user_->EchoLine, "p\rq");
    user_->Echo("\r\n\r\nok");
    EXPECT_EQ(user_->EchoLine, "ok");
    EXPECT_EQ(Read(), "abc\r\nde\bx\b\b\bp\rq\r\n\r\nok");
}

TEST_F(TelnetUserPair, SendLineErasesAndRedrawsTheInput)
{
    user_->Echo("-Add(1");
    Read();
    user_->SendLine(">x");
    EXPECT_EQ(Read(), "\b \b\b \b\b \b\b \b\b \b\b \b>x\r\n-Add(1");
    EXPECT_EQ(user_->EchoLine, "-Add(1");
    user_->Echo("\r\n");
    user_->SendLine(">y");
    EXPECT_EQ(Read(), "\r\n>y\r\n");
}

TEST_F(TelnetUserPair, GreetingEndsInThePrompt)
{
    user_->Greet();
    EXPECT_EQ(Read(), "VaZevarad Telnet (version.dll)\r\n\r\nPlease turn off Local echo in your telnet client\r\n\r\n"
                      "Please enter the PIN code:\r\n-");
    EXPECT_EQ(user_->EchoLine, "-");
    EXPECT_FALSE(user_->Unlocked);
}

TEST_F(TelnetUserPair, BusyUserTakesNoInput)
{
    user_->Busy = true;
    user_->ProcessInput("abc");
    EXPECT_EQ(user_->Line, "");
    user_->Busy = false;
    ASSERT_EQ(send(peer_, "xy", 2, 0), 2);
    user_->Busy = true;
    user_->ReadInput();                     // leaves the bytes in the socket
    user_->Busy = false;
    EXPECT_EQ(user_->Line, "");
    user_->ReadInput();
    EXPECT_EQ(user_->Line, "xy");
    EXPECT_EQ(Read(), "**");
}

TEST_F(TelnetUserPair, DeadPeerEndsTheConnectionQuietly)
{
    close(peer_);
    peer_ = -1;
    // Sending to the closed peer must neither raise SIGPIPE nor throw.
    for (int i = 0; i < 10; i++) user_->SendLine(">lost");
    EXPECT_FALSE(user_->Connected());
    EXPECT_TRUE(user_->ShouldClose());
    user_->SendRaw("more");                 // ignored once closed
    user_->ReadInput();
    EXPECT_EQ(user_->Line, "");
}

TEST_F(TelnetUserPair, PeerCloseIsSeenAfterItsLastInput)
{
    ASSERT_EQ(send(peer_, "ab", 2, 0), 2);
    shutdown(peer_, SHUT_WR);
    user_->ReadInput();
    EXPECT_EQ(user_->Line, "ab");           // the data before the close is still taken
    EXPECT_TRUE(user_->ShouldClose());
}
