// The telnet server driven directly over loopback TCP: greeting, PIN, echo,
// keys, output redraw and clients that vanish.
#include "console/ZynConsole.h"
#include "console/ZynKeyBind.h"
#include "net/ZynTelnet.h"
#include "platform/ZynPath.h"

#include "net/TelnetTestClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

const std::string kGreeting =
    "VaZevarad Telnet (version.dll)\r\n\r\nPlease turn off Local echo in your telnet client\r\n\r\n"
    "Please enter the PIN code:\r\n-";

class TelnetServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("zyn_telnet_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        ZynSetBaseDir(dir_.string());
        ConsoleCreate();
        BindList = new TBindList;
        server_ = std::make_unique<TZynTelnet>(0, 6071);
        server_->PinDelayFirst = 0.001;    // wrong PINs here are the tests' own
        ASSERT_TRUE(server_->Listening());
        ASSERT_GT(server_->Port(), 0);
        pump_ = [this] { server_->Poll(); };
    }
    void TearDown() override
    {
        server_.reset();
        delete BindList;
        BindList = nullptr;
        ConsoleFree();
        std::filesystem::remove_all(dir_);
    }
    std::unique_ptr<TelnetTestClient> Connect()
    {
        auto c = std::make_unique<TelnetTestClient>(server_->Port());
        EXPECT_TRUE(c->Ok());
        EXPECT_TRUE(c->WaitFor(kGreeting, pump_));
        c->Take();
        return c;
    }
    std::unique_ptr<TelnetTestClient> ConnectUnlocked()
    {
        auto c = Connect();
        c->Send("6071\r\n");
        EXPECT_TRUE(c->WaitFor("UNLOCKED\r\n-", pump_));
        c->Take();
        return c;
    }
    static bool ConsoleHas(const std::string& line)
    {
        return std::find(ConsoleLines().begin(), ConsoleLines().end(), line) != ConsoleLines().end();
    }
    // Polls a few rounds so that everything sent has been handled.
    void Settle()
    {
        for (int i = 0; i < 20; i++) {
            server_->Poll();
            usleep(1000);
        }
    }

    std::filesystem::path dir_;
    std::unique_ptr<TZynTelnet> server_;
    std::function<void()> pump_;
};

} // namespace

TEST_F(TelnetServer, GreetsWithExactlyTheGreetingAndPrompt)
{
    TelnetTestClient c(server_->Port());
    ASSERT_TRUE(c.Ok());
    ASSERT_TRUE(c.WaitFor("-", pump_));
    Settle();
    c.Drain();
    EXPECT_EQ(c.Received(), kGreeting);
    EXPECT_EQ(server_->UserCount(), 1);
}

TEST_F(TelnetServer, PinIsMaskedAndCheckedByPlaceValue)
{
    auto c = Connect();
    c->Send("1234\r\n");
    ASSERT_TRUE(c->WaitFor("NOT UNLOCKED\r\n-", pump_));
    EXPECT_EQ(c->Take(), "****\r\nNOT UNLOCKED\r\n-");
    c->Send("6071 \r");                    // trailing blank: 60710
    ASSERT_TRUE(c->WaitFor("NOT UNLOCKED\r\n-", pump_));
    EXPECT_EQ(c->Take(), "*****\r\nNOT UNLOCKED\r\n-");
    c->Send(" 6071\r");                    // leading blank: harmless
    ASSERT_TRUE(c->WaitFor("UNLOCKED\r\n-", pump_));
    EXPECT_EQ(c->Take(), "*****\r\nUNLOCKED\r\n-");
    EXPECT_TRUE(server_->User(0)->Unlocked);
    EXPECT_EQ(server_->User(0)->LastLine, "");    // a PIN line is never kept for recall
    c->Send("ab");
    ASSERT_TRUE(c->WaitFor("ab", pump_));          // unlocked: echoed as typed
}

TEST_F(TelnetServer, PinCheckRejectsOtherCharactersAndOverflow)
{
    EXPECT_TRUE(TelnetPinMatches("6071", 6071));
    EXPECT_TRUE(TelnetPinMatches("   06071", 6071));
    EXPECT_FALSE(TelnetPinMatches("6071 ", 6071));
    EXPECT_FALSE(TelnetPinMatches("6O71", 6071));   // letter O counted as 0 once; now rejected
    EXPECT_FALSE(TelnetPinMatches("a6071", 6071));
    EXPECT_FALSE(TelnetPinMatches("6071\t", 6071));
    EXPECT_FALSE(TelnetPinMatches("", 6071));
    // 2^32 + 6071 would wrap to 6071 in 32-bit arithmetic.
    EXPECT_FALSE(TelnetPinMatches("4294973367", 6071));
    EXPECT_FALSE(TelnetPinMatches(std::string(300, '9'), 6071));
    EXPECT_TRUE(TelnetPinMatches("1", 1));
    EXPECT_TRUE(TelnetPinMatches("9999", 9999));
}

TEST_F(TelnetServer, ThreeWrongPinsCloseTheConnection)
{
    auto c = Connect();
    c->Send("1\r\n2\r\n");
    ASSERT_TRUE(c->WaitFor("NOT UNLOCKED\r\n-*\r\nNOT UNLOCKED\r\n-", pump_));
    EXPECT_FALSE(c->PeerClosed());
    c->Send("HELP\r\n");
    ASSERT_TRUE(c->WaitClosed(pump_));
    EXPECT_NE(c->Received().find("****\r\nNOT UNLOCKED\r\n"), std::string::npos);
    Settle();
    EXPECT_EQ(server_->UserCount(), 0);
    EXPECT_FALSE(ConsoleHas("-HELP"));
}

TEST_F(TelnetServer, EnterVariantsRunExactlyOneLine)
{
    auto c = ConnectUnlocked();
    c->Send("Add(2, 3)\r\n");
    ASSERT_TRUE(c->WaitFor("\r\n-", pump_));
    c->Send("Add(4, 4)\r");
    c->Send(std::string("Add(5, 5)\r\0", 11));
    ASSERT_TRUE(c->WaitFor("Add(5, 5)\r\n-", pump_));
    std::vector<std::string> echoed;
    for (const std::string& l : ConsoleLines())
        if (!l.empty() && l[0] == '-') echoed.push_back(l);
    EXPECT_EQ(echoed, (std::vector<std::string>{"-Add(2, 3)", "-Add(4, 4)", "-Add(5, 5)"}));
    EXPECT_TRUE(ConsoleHas("=5"));
    EXPECT_TRUE(ConsoleHas("=8"));
    EXPECT_TRUE(ConsoleHas("=10"));
    EXPECT_EQ(server_->User(0)->LastLine, "Add(5, 5)");
}

TEST_F(TelnetServer, BackspaceEditsTheLine)
{
    auto c = ConnectUnlocked();
    c->Send("Add(1,x\b2)\r");
    ASSERT_TRUE(c->WaitFor("\r\n-", pump_));
    EXPECT_EQ(c->Take(), "Add(1,x\b \b2)\r\n-");    // the backspace itself is not echoed
    EXPECT_TRUE(ConsoleHas("-Add(1,2)"));
    c->Send("\b\x7f" "Add(2,2)x\x7f\r");       // backspace on an empty line does nothing; DEL edits too
    ASSERT_TRUE(c->WaitFor("\r\n-", pump_));
    EXPECT_TRUE(ConsoleHas("-Add(2,2)"));
}

TEST_F(TelnetServer, InputLinesAreCapped)
{
    auto c = ConnectUnlocked();
    c->Send(std::string(3000, 'x'));
    ASSERT_TRUE(c->WaitFor(std::string(TZynTelnetUser::MaxLineLength, 'x'), pump_));
    Settle();
    c->Drain();
    EXPECT_EQ(c->Received().size(), TZynTelnetUser::MaxLineLength);
    EXPECT_EQ(server_->User(0)->Line.size(), TZynTelnetUser::MaxLineLength);
    c->Send("\b\r");
    ASSERT_TRUE(c->WaitFor("\r\n-", pump_));
    EXPECT_EQ(server_->User(0)->LastLine, std::string(TZynTelnetUser::MaxLineLength - 1, 'x'));
}

TEST_F(TelnetServer, OtherEscapeSequencesPrintTheirCodes)
{
    auto c = Connect();
    c->Send("\x1b[A");
    ASSERT_TRUE(c->WaitFor("]", pump_));
    Settle();
    c->Drain();
    EXPECT_EQ(c->Take(), "*KEY[27]KEY[91]KEY[65]");     // locked: the ESC itself shows as "*"
    auto d = ConnectUnlocked();
    d->Send("\x1bOZ");
    ASSERT_TRUE(d->WaitFor("KEY[90]", pump_));
    EXPECT_EQ(d->Take(), "\x1bKEY[90]");
    EXPECT_TRUE(server_->User(1)->Line.empty());
    // The rest of the chunk is shown as codes (up to eight) and then still typed.
    d->Send("\x1b[1;5Cxyz");
    ASSERT_TRUE(d->WaitFor("xyz", pump_));
    EXPECT_EQ(d->Take(), "\x1bKEY[27]KEY[91]KEY[49]KEY[59]KEY[53]KEY[67]KEY[120]KEY[121];5Cxyz");
    EXPECT_EQ(server_->User(1)->Line, ";5Cxyz");
    // A flood of escape bytes costs output in proportion to its length.
    d->Send(std::string(30000, '\x1b') + "\r");
    ASSERT_TRUE(d->WaitFor("\r\n-", pump_, 10));
    EXPECT_LT(d->Received().size(), 30000u * 8 * 8);
}

TEST_F(TelnetServer, ArrowKeysFireTelnetBindingsOnlyWhenUnlocked)
{
    BindList->SetBinding(259, "CmdList");
    BindList->SetBinding(260, "Help");
    auto locked = Connect();
    locked->Send("\x1bOA\x1bOB");
    Settle();
    EXPECT_FALSE(ConsoleHas(">>48 Commands"));
    EXPECT_FALSE(ConsoleHas(">>HELP"));
    auto c = ConnectUnlocked();
    c->Send("\x1bOA");
    Settle();
    EXPECT_TRUE(ConsoleHas(">>48 Commands"));
    EXPECT_FALSE(ConsoleHas(">>HELP"));
    c->Send("\x1bOC\x1bOD\x1bOB");          // right and left are not bound
    Settle();
    EXPECT_TRUE(ConsoleHas(">>HELP"));
    EXPECT_TRUE(server_->User(1)->Line.empty());
}

TEST_F(TelnetServer, F1EntersHelpAndF3RecallsTheLastLine)
{
    auto c = ConnectUnlocked();
    c->Send("\x1bOP");
    ASSERT_TRUE(c->WaitFor("\r\n\r\n-", pump_));
    EXPECT_TRUE(ConsoleHas("-HELP"));
    EXPECT_TRUE(ConsoleHas(">>HELP"));
    c->Take();
    c->Send("Add(1, 1)\r");
    ASSERT_TRUE(c->WaitFor("\r\n-", pump_));
    c->Take();
    c->Send("x\x1bOR");
    ASSERT_TRUE(c->WaitFor("x\x1b Add(1, 1)", pump_));
    EXPECT_EQ(server_->User(0)->Line, "xAdd(1, 1)");
}

TEST_F(TelnetServer, OutputGoesToUnlockedUsersAboveTheirInput)
{
    auto locked = Connect();
    auto a = ConnectUnlocked();
    auto b = ConnectUnlocked();
    a->Send("abc");
    ASSERT_TRUE(a->WaitFor("abc", pump_));
    a->Take();
    server_->Broadcast(">hello");
    ASSERT_TRUE(a->WaitFor(">hello\r\n-abc", pump_));
    EXPECT_EQ(a->Take(), "\b \b\b \b\b \b\b \b>hello\r\n-abc");
    ASSERT_TRUE(b->WaitFor(">hello\r\n-", pump_));
    EXPECT_EQ(b->Take(), "\b \b>hello\r\n-");
    Settle();
    locked->Drain();
    EXPECT_EQ(locked->Received(), "");
    // The redrawn input is still the line being typed.
    a->Send("\r");
    ASSERT_TRUE(a->WaitFor("\r\n-", pump_));
    EXPECT_TRUE(ConsoleHas("-abc"));
}

TEST_F(TelnetServer, TelnetNegotiationBytesAreIgnored)
{
    auto c = Connect();
    // IAC DO ECHO, IAC WILL NAWS, a subnegotiation, then the PIN.
    const char bytes[] = "\xff\xfd\x01\xff\xfb\x1f\xff\xfa\x1f\x00\x50\x00\x18\xff\xf0" "6071\r\n";
    c->Send(std::string(bytes, sizeof bytes - 1));
    ASSERT_TRUE(c->WaitFor("UNLOCKED\r\n-", pump_));
    EXPECT_EQ(c->Take(), "****\r\nUNLOCKED\r\n-");
}

TEST_F(TelnetServer, SurvivesVanishingClientsAndServesTheOthers)
{
    std::vector<std::unique_ptr<TelnetTestClient>> clients;
    for (int i = 0; i < 20; i++) clients.push_back(ConnectUnlocked());
    ASSERT_EQ(server_->UserCount(), 20);
    for (int i = 0; i < 20; i++) {
        if (i % 3 == 0) {
            clients[i]->Send("Add(1, ");        // half a line, then gone
            if (i % 2) clients[i]->Abort();
            else clients[i]->Close();
        }
    }
    // Output to users that have gone must neither block nor kill the process.
    for (int k = 0; k < 50; k++) server_->Broadcast(">line " + std::to_string(k));
    for (int i = 0; i < 20; i++) {
        if (i % 3 == 0) continue;
        clients[i]->Send("Add(" + std::to_string(i) + ", 1000)\r");
    }
    Settle();
    for (int i = 0; i < 20; i++) {
        if (i % 3 == 0) continue;
        ASSERT_TRUE(clients[i]->WaitFor("\r\n-", pump_)) << i;
        EXPECT_TRUE(ConsoleHas("=" + std::to_string(1000 + i))) << i;
    }
    for (int k = 0; k < 50 && server_->UserCount() != 13; k++) Settle();
    EXPECT_EQ(server_->UserCount(), 13);
    // A new user is still welcome.
    auto late = ConnectUnlocked();
    EXPECT_EQ(server_->UserCount(), 14);
}

TEST_F(TelnetServer, UsersThatStopReadingAreDropped)
{
    auto stalled = ConnectUnlocked();
    auto reader = ConnectUnlocked();
    const std::string text(200, 'y');
    for (int k = 0; k < 200000 && server_->UserCount() == 2; k++) {
        server_->Broadcast(">" + text);
        if (k % 100 == 0) {
            reader->Drain();
            reader->Take();
            server_->Poll();
        }
    }
    Settle();
    EXPECT_EQ(server_->UserCount(), 1);
    reader->Take();
    server_->Broadcast(">still here");
    EXPECT_TRUE(reader->WaitFor(">still here", pump_));
}

TEST_F(TelnetServer, SecondServerOnTheSamePortFails)
{
    TZynTelnet other(server_->Port(), 6071);
    EXPECT_FALSE(other.Listening());
    bool logged = false;
    for (const std::string& l : ConsoleLines())
        logged = logged || l.rfind(">TELNET init fail", 0) == 0;
    EXPECT_TRUE(logged);
}

TEST_F(TelnetServer, ShutdownClosesTheConnections)
{
    auto c = ConnectUnlocked();
    const int port = server_->Port();
    server_.reset();
    EXPECT_FALSE(TelnetActive);
    EXPECT_TRUE(c->WaitClosed(nullptr));
    EXPECT_TRUE(ConsoleHas(">TELNET shutdown"));
    EXPECT_TRUE(ConsoleHas(">TELNET free done"));
    // The port can be taken again at once (a rebuilt window listens anew).
    server_ = std::make_unique<TZynTelnet>(port, 6071);
    EXPECT_TRUE(server_->Listening());
    EXPECT_TRUE(TelnetActive);
}
