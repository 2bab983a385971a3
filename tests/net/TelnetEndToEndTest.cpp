// The built zyn, run headless, reached over telnet on loopback: PIN, two
// users, commands, bindings kept across a restart, timers, many clients.
#include "net/TelnetTestClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kGreeting =
    "VaZevarad Telnet (version.dll)\r\n\r\nPlease turn off Local echo in your telnet client\r\n\r\n"
    "Please enter the PIN code:\r\n-";

// A free port in the range NET.TelnetPort allows without privileges.
int FreePort()
{
    for (int i = 0; i < 976; i++) {
        const int port = 1024 + (getpid() * 7 + i) % 977;
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(fd);
        if (ok) return port;
    }
    return -1;
}

class TelnetEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("zyn_telnet_e2e_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // The data files of the runtime folder, without its settings and log.
        for (const auto& e : fs::directory_iterator(ZYN_RUNTIME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "Zyn.cfg" || name == "ZynLog.txt" || name == "zyn" || name.rfind("Screenshot", 0) == 0)
                continue;
            fs::create_symlink(e.path(), dir_ / name);
        }
        port_ = FreePort();
        ASSERT_GT(port_, 0);
        // An empty binding section: no first-run bindings.
        std::ofstream(dir_ / "Zyn.cfg") << "[NET]\nTelnetPort=" << port_ << "\n[BIND]\nCOUNT=0\n";
    }
    void TearDown() override
    {
        Stop();
        fs::remove_all(dir_);
    }
    void Start()
    {
        pid_ = fork();
        if (pid_ == 0) {
            const std::string exe = std::string(ZYN_RUNTIME_DIR) + "/zyn";
            const std::string base = dir_.string();
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            execl(exe.c_str(), exe.c_str(), "--headless", "--base-dir", base.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    // Closes the program as the window manager would (SIGTERM: a normal end
    // that saves the settings); returns its exit status (-1: it had to be killed).
    int Stop(double seconds = 20)
    {
        if (pid_ <= 0) return -1;
        kill(pid_, SIGTERM);
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        for (;;) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (std::chrono::steady_clock::now() > end) break;
            usleep(10000);
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }
    bool Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

    // Connects once the program listens and reads the greeting.
    std::unique_ptr<TelnetTestClient> Connect()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            auto c = std::make_unique<TelnetTestClient>(port_);
            if (c->Ok()) {
                EXPECT_TRUE(c->WaitFor(kGreeting, nullptr, 30)) << c->Received();
                c->Take();
                return c;
            }
            if (!Running() || std::chrono::steady_clock::now() > end) return nullptr;
            usleep(50000);
        }
    }
    std::unique_ptr<TelnetTestClient> ConnectUnlocked()
    {
        auto c = Connect();
        if (!c) return nullptr;
        c->Send("6071\r\n");
        EXPECT_TRUE(c->WaitFor("UNLOCKED\r\n-", nullptr, 30));
        c->Take();
        return c;
    }
    std::string ReadConfig()
    {
        std::ifstream f(dir_ / "Zyn.cfg");
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    fs::path dir_;
    int port_ = -1;
    pid_t pid_ = -1;
};

} // namespace

TEST_F(TelnetEndToEnd, PinUsersCommandsAndBindingsAcrossARestart)
{
    Start();
    auto a = Connect();
    ASSERT_TRUE(a) << "zyn never listened on port " << port_;

    a->Send("1234\r\n");
    ASSERT_TRUE(a->WaitFor("NOT UNLOCKED\r\n-", nullptr, 30));
    EXPECT_EQ(a->Take(), "****\r\nNOT UNLOCKED\r\n-");
    a->Send("6071 \r\n");
    ASSERT_TRUE(a->WaitFor("NOT UNLOCKED\r\n-", nullptr, 30));
    a->Take();
    a->Send("\x1b[A");
    ASSERT_TRUE(a->WaitFor("KEY[27]KEY[91]KEY[65]", nullptr, 30));
    a->Send("\r\n");                                   // the third wrong PIN closes the connection
    EXPECT_TRUE(a->WaitClosed(nullptr, 30));
    auto b = Connect();
    ASSERT_TRUE(b);
    b->Send(" 6071\r\n");
    ASSERT_TRUE(b->WaitFor("UNLOCKED\r\n-", nullptr, 30));
    EXPECT_EQ(b->Take(), "*****\r\nUNLOCKED\r\n-");
    auto c = ConnectUnlocked();
    ASSERT_TRUE(c);

    b->Send("Add(2, 3)\r\n");
    ASSERT_TRUE(b->WaitFor("=5\r\n", nullptr, 30)) << b->Received();
    EXPECT_NE(b->Received().find("-Add(2, 3)\r\n"), std::string::npos);
    ASSERT_TRUE(c->WaitFor("=5\r\n", nullptr, 30)) << c->Received();
    EXPECT_NE(c->Received().find("-Add(2, 3)\r\n"), std::string::npos);

    c->Send("Bind([VK_F1],[SceneChange(2)])\r\n");
    ASSERT_TRUE(c->WaitFor("Key (112-+VK_F1) --> \"SceneChange(2)\"", nullptr, 30)) << c->Received();
    c->Send("ExecuteBind(112)\r\ngetScene\r\n");
    ASSERT_TRUE(c->WaitFor("=2\r\n", nullptr, 30)) << c->Received();

    c->Take();
    const auto sent = std::chrono::steady_clock::now();
    c->Send("TimerAdd(2,[A],[Add(1,1)])\r\n");
    ASSERT_TRUE(c->WaitFor("=2\r\n", nullptr, 30)) << c->Received();
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    EXPECT_GT(waited, 1.5);
    EXPECT_LT(waited, 30.0);

    c->Take();
    for (int i = 0; i < 257; i++) c->Send("TimerAdd(100,[T" + std::to_string(i) + "],[Add(0,0)])\r\n");
    ASSERT_TRUE(c->WaitFor("Timer Queue has overflowed", nullptr, 30));
    c->Send("TimerClear([T5])\r\n");
    ASSERT_TRUE(c->WaitFor("A Timer was found with tag \"T5\" and removed", nullptr, 30));

    EXPECT_EQ(Stop(), 0);
    const std::string cfg = ReadConfig();
    EXPECT_NE(cfg.find("[BIND]"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("=SceneChange(2)"), std::string::npos) << cfg;   // F1's binding, among the defaults

    Start();
    auto d = ConnectUnlocked();
    ASSERT_TRUE(d);
    d->Send("Bind([VK_F1])\r\n");
    ASSERT_TRUE(d->WaitFor("Key (112-+VK_F1) --> \"SceneChange(2)\"", nullptr, 30)) << d->Received();
    EXPECT_EQ(Stop(), 0);
}

TEST_F(TelnetEndToEnd, TwentyClientsSomeVanishingWhileCommandsRun)
{
    Start();
    auto first = ConnectUnlocked();
    ASSERT_TRUE(first) << "zyn never listened on port " << port_;
    std::vector<std::unique_ptr<TelnetTestClient>> clients;
    for (int i = 0; i < 20; i++) {
        clients.push_back(ConnectUnlocked());
        ASSERT_TRUE(clients.back()) << i;
    }
    first->Send("TimerAdd(0.5,[tick],[Add(700,7)])\r\n");
    for (int i = 0; i < 20; i++) {
        if (i % 4 == 0) {
            clients[i]->Send("Add(1, ");               // half a line, then gone
            if (i % 8 == 0) clients[i]->Abort();
            else clients[i]->Close();
        } else {
            clients[i]->Send("Add(" + std::to_string(i) + ", 2000)\r\n");
        }
    }
    for (int i = 0; i < 20; i++) {
        if (i % 4 == 0) continue;
        // Each user sees its own result and everybody else's.
        for (int j = 1; j < 20; j += 4)
            EXPECT_TRUE(clients[i]->WaitFor("=" + std::to_string(2000 + j) + "\r\n", nullptr, 30)) << i << " " << j;
    }
    // Frames go on: the timer fires and reaches everyone left.
    EXPECT_TRUE(first->WaitFor("=707\r\n", nullptr, 30));
    EXPECT_TRUE(clients[19]->WaitFor("=707\r\n", nullptr, 30));
    EXPECT_TRUE(Running());
    EXPECT_EQ(Stop(), 0);
}

TEST_F(TelnetEndToEnd, WindowRebuildListensAgainAndATakenPortIsReported)
{
    Start();
    auto a = ConnectUnlocked();
    ASSERT_TRUE(a) << "zyn never listened on port " << port_;
    // The rebuilt window's client opens the same port again at once.
    a->Send("ToggleFullscreen\r\n");
    EXPECT_TRUE(a->WaitClosed(nullptr, 30));
    auto b = ConnectUnlocked();
    ASSERT_TRUE(b) << "no telnet console after the window rebuild";
    b->Send("Add(20, 22)\r\n");
    EXPECT_TRUE(b->WaitFor("=42\r\n", nullptr, 30));
    b.reset();
    EXPECT_EQ(Stop(), 0);

    // Someone else holds the port: the program says why and runs on.
    const int holder = socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;      // the closed connections above leave the port in TIME_WAIT
    setsockopt(holder, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port_));
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    Start();
    std::string log;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (log.find("TELNET init fail") == std::string::npos && std::chrono::steady_clock::now() < end) {
        usleep(100000);
        std::ifstream f(dir_ / "ZynLog.txt");
        std::stringstream ss;
        ss << f.rdbuf();
        log = ss.str();
    }
    EXPECT_NE(log.find("TELNET init fail : port " + std::to_string(port_) + " : Address already in use"),
              std::string::npos);
    usleep(500000);
    EXPECT_TRUE(Running());
    EXPECT_EQ(Stop(), 0);
    close(holder);
}

TEST_F(TelnetEndToEnd, StartBindingRunsBeforeUsersArrive)
{
    // The program-start event sets a new PIN before anyone can connect.
    std::ofstream(dir_ / "Zyn.cfg") << "[NET]\nTelnetPort=" << port_
                                    << "\n[BIND]\nCOUNT=1\nKeyCode0=256\nCommand0=NET.PIN(4321)\nAllow0=0\n";
    Start();
    auto a = Connect();
    ASSERT_TRUE(a) << "zyn never listened on port " << port_;
    a->Send("6071\r\n");
    ASSERT_TRUE(a->WaitFor("NOT UNLOCKED\r\n-", nullptr, 30));
    a->Send("4321\r\n");
    EXPECT_TRUE(a->WaitFor("\r\nUNLOCKED\r\n-", nullptr, 30));
    EXPECT_EQ(Stop(), 0);
}
