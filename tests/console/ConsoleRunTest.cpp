// ConsoleRunTest: the running program executes a --exec line after its first
// frame; checked through the log file of a headless run.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ConsoleRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zynrun-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void CopyHelp() { fs::copy_file(fs::path(ZYN_SOURCE_DIR) / "data" / "Zyn.man", fs::path(dir) / "Zyn.man"); }
    // Runs the program for a few frames with the line; returns the log lines.
    std::vector<std::string> Run(const std::string& line)
    {
        std::ofstream(fs::path(dir) / "line.txt") << line;
        std::string cmd = "SDL_VIDEODRIVER=offscreen \"" + std::string(ZYN_RUNTIME_DIR) +
                          "/zyn\" --headless --frames 3 --udp-port 47311 --base-dir \"" + dir +
                          "\" --exec \"$(cat '" + dir + "/line.txt')\" >/dev/null 2>&1";
        int rc = std::system(cmd.c_str());
        EXPECT_EQ(rc, 0) << cmd;
        std::vector<std::string> lines;
        std::ifstream in(fs::path(dir) / "ZynLog.txt");
        for (std::string l; std::getline(in, l);) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            lines.push_back(l);
        }
        return lines;
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& line)
    {
        for (const std::string& l : lines)
            if (l == line) return true;
        return false;
    }
    // The lines after the echoed input line.
    static std::vector<std::string> After(const std::vector<std::string>& lines, const std::string& echo)
    {
        for (size_t i = 0; i < lines.size(); i++)
            if (lines[i] == echo) return {lines.begin() + static_cast<long>(i) + 1, lines.end()};
        return {};
    }
    std::string dir;
};

TEST_F(ConsoleRunTest, ResultOfTheExecLine)
{
    auto lines = Run("Add(2, 3)");
    auto after = After(lines, "-Add(2, 3)");
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0], "=5");
}

TEST_F(ConsoleRunTest, NumberAndUnknownName)
{
    auto lines = Run("3.14159;nosuch");
    auto after = After(lines, "-3.14159;nosuch");
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(after[0], "#ERROR : (FindConst) Constant \"nosuch\" Not Found");
    EXPECT_EQ(after[1], "#ERROR : Command or Variable \"nosuch\" not found");
    EXPECT_EQ(after[2], "=3.142");
}

TEST_F(ConsoleRunTest, Listings)
{
    auto lines = Run("CmdList;VarList([net])");
    auto after = After(lines, "-CmdList;VarList([net])");
    ASSERT_GE(after.size(), 52u);
    EXPECT_EQ(after[0], ">Help");
    EXPECT_EQ(after[46], ">TexLoadTGA");
    EXPECT_EQ(after[47], ">MidiLearn");
    EXPECT_EQ(after[48], ">48 Commands");
    EXPECT_EQ(after[49], ">NET.TelnetPort");
    EXPECT_EQ(after[50], ">NET.PIN");
    EXPECT_EQ(after[51], ">404 Variables");
}

TEST_F(ConsoleRunTest, HelpFromTheShippedFile)
{
    CopyHelp();
    auto lines = Run("Help([add])");
    EXPECT_FALSE(Has(lines, "#ERROR : HELPINIT - cannot load help file \"" + dir + "\\Zyn.man\""));
    auto after = After(lines, "-Help([add])");
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0], ">*Add");
    EXPECT_EQ(after[1].rfind(">Add(a, b)", 0), 0u);
}

TEST_F(ConsoleRunTest, MissingHelpFile)
{
    auto lines = Run("Add(1)");
    EXPECT_TRUE(Has(lines, "#ERROR : HELPINIT - cannot load help file \"" + dir + "\\Zyn.man\""));
    auto after = After(lines, "-Add(1)");
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0], ">No help found for \"Add\"");
}

// A free TCP port in the range NET.TelnetPort allows (1..2000), or 0.
int FreeTelnetPort()
{
    for (int port = 1100 + getpid() % 800, tries = 0; tries < 200; tries++, port = port % 2000 + 1) {
        if (port < 1024) continue;
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        bool ok = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(fd);
        if (ok) return port;
    }
    return 0;
}

TEST_F(ConsoleRunTest, TelnetUserRunsLines)
{
    const int port = FreeTelnetPort();
    ASSERT_NE(port, 0);
    CopyHelp();
    std::ofstream(fs::path(dir) / "Zyn.cfg") << "[NET]\nTelnetPort=" << port << "\n";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::string exe = std::string(ZYN_RUNTIME_DIR) + "/zyn";
        execl(exe.c_str(), exe.c_str(), "--headless", "--fixed-dt", "0.02", "--udp-port", "47314", "--base-dir",
              dir.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int fd = -1;
    for (int i = 0; i < 100 && fd < 0; i++) {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd);
            fd = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    std::string received;
    const bool connected = fd >= 0;
    if (connected) {
        timeval tv{0, 100000};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        // Sends a line, then reads until the wanted text arrives (the machine
        // may be busy: generous deadline).
        auto say = [&](const std::string& text, const std::string& wanted) {
            send(fd, text.data(), text.size(), MSG_NOSIGNAL);
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            char buf[4096];
            while (received.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < until) {
                ssize_t n = recv(fd, buf, sizeof buf, 0);
                if (n > 0) received.append(buf, static_cast<size_t>(n));
                if (n == 0) break;
            }
        };
        say("6071\r\n", "UNLOCKED");
        say("Add(2, 3)\r\n", "=5\r\n");
        say("Help([add]);nosuch\r\n", "not found\r\n");
        say("Quit\r\n", "-Quit\r\n");   // the program ends through the command
        close(fd);
    }
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 600 && !ended; i++) {
        ended = waitpid(child, &status, WNOHANG) == child;
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    EXPECT_TRUE(ended) << "Quit did not end the program";
    EXPECT_TRUE(connected) << "no telnet server on port " << port;
    EXPECT_NE(received.find("UNLOCKED"), std::string::npos) << received;
    EXPECT_NE(received.find("\r\n-Add(2, 3)\r\n=5\r\n"), std::string::npos) << received;
    EXPECT_NE(received.find(">*Add\r\n"), std::string::npos) << received;
    EXPECT_NE(received.find("#ERROR : Command or Variable \"nosuch\" not found\r\n"), std::string::npos) << received;
}

} // namespace
