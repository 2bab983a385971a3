// The built zyn run headless in a folder of its own, and a UDP peer that asks
// it for constants: what the hostile-client tests drive from outside.
#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zyntest {

namespace fs = std::filesystem;

inline double Seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A control packet: type, and for 9/10 a name and a value.
inline std::vector<uint8_t> Packet(uint8_t type, const std::string& name, const std::string& value = "")
{
    std::vector<uint8_t> p(1212, 0);
    const uint32_t magic = 0xDEADED00u;
    std::memcpy(p.data(), &magic, 4);
    p[24] = type;
    p[44] = static_cast<uint8_t>(name.size());
    std::memcpy(p.data() + 45, name.data(), name.size());
    p[85] = static_cast<uint8_t>(value.size());
    std::memcpy(p.data() + 86, value.data(), value.size());
    return p;
}

inline sockaddr_in Loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

class ZynRunning {
public:
    // Ports: telnet, then UDP receive / reply / presence at udp, udp+1, udp+2.
    ZynRunning(const std::string& name, int telnetPort, int udpPort) : telnet_(telnetPort), udp_(udpPort)
    {
        dir_ = fs::temp_directory_path() / ("zyn_" + name + "_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const auto& e : fs::directory_iterator(ZYN_RUNTIME_DIR)) {
            const std::string n = e.path().filename().string();
            if (n == "Zyn.cfg" || n == "ZynLog.txt" || n == "zyn" || n == "Images" || n.rfind("Screenshot", 0) == 0) continue;
            fs::create_symlink(e.path(), dir_ / n);
        }
        fs::copy(fs::path(ZYN_RUNTIME_DIR) / "Images", dir_ / "Images", fs::copy_options::recursive);
        reply_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        setsockopt(reply_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a = Loopback(udp_ + 1);
        bind(reply_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    ~ZynRunning()
    {
        Stop();
        close(reply_);
        fs::remove_all(dir_);
    }

    const fs::path& Dir() const { return dir_; }
    // Zyn.cfg: the telnet port, then text.
    void Config(const std::string& text) const
    {
        std::ofstream(dir_ / "Zyn.cfg") << "[NET]\nTelnetPort=" << telnet_ << "\n" << text;
    }
    void Start(const std::vector<std::string>& extra = {})
    {
        startedAt_ = Seconds();
        pid_ = fork();
        if (pid_ != 0) return;
        const std::string exe = std::string(ZYN_RUNTIME_DIR) + "/zyn";
        std::vector<std::string> args = {exe, "--headless", "--base-dir", dir_.string(), "--udp-port",
                                         std::to_string(udp_), "--reply-port", std::to_string(udp_ + 1),
                                         "--presence-port", std::to_string(udp_ + 2), "--announce-to", "127.0.0.1"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& s : args) argv.push_back(s.data());
        argv.push_back(nullptr);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    // Seconds until a UDP get of MAIN.ScreenX is answered, or -1 after timeout.
    double Get(double timeout = 1.0) const
    {
        char buf[256];
        while (recv(reply_, buf, sizeof buf, MSG_DONTWAIT) > 0) {}
        const std::vector<uint8_t> p = Packet(9, "MAIN.ScreenX");
        const sockaddr_in to = Loopback(udp_);
        const double t0 = Seconds();
        sendto(reply_, p.data(), p.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        while (Seconds() - t0 < timeout) {
            const ssize_t n = recv(reply_, buf, sizeof buf, MSG_DONTWAIT);
            if (n == 88 && buf[4] == 3) return Seconds() - t0;
            usleep(200);
        }
        return -1;
    }
    // Waits until the program answers; seconds since Start, or -1.
    double WaitUp(double seconds = 60)
    {
        while (Seconds() - startedAt_ < seconds) {
            if (Get(0.2) >= 0) return Seconds() - startedAt_;
            if (Exited()) return -1;
        }
        return -1;
    }
    bool Exited()
    {
        int st = 0;
        if (pid_ > 0 && waitpid(pid_, &st, WNOHANG) == pid_) {
            status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            pid_ = -1;
        }
        return pid_ <= 0;
    }
    // SIGTERM, then the exit status (-1: still running after seconds, killed).
    int Stop(double seconds = 20, double* took = nullptr)
    {
        if (pid_ <= 0) return status_;
        kill(pid_, SIGTERM);
        const double t0 = Seconds();
        int st = 0;
        while (waitpid(pid_, &st, WNOHANG) == 0) {
            if (Seconds() - t0 > seconds) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &st, 0);
                pid_ = -1;
                return status_ = -1;
            }
            usleep(10000);
        }
        if (took) *took = Seconds() - t0;
        pid_ = -1;
        return status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    }
    // Waits for a bounded run (--frames) to end; its exit status or -1.
    int Wait(double seconds = 60)
    {
        const double t0 = Seconds();
        int st = 0;
        while (pid_ > 0 && waitpid(pid_, &st, WNOHANG) == 0) {
            if (Seconds() - t0 > seconds) return Stop(1);
            usleep(10000);
        }
        if (pid_ > 0) status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        pid_ = -1;
        return status_;
    }
    std::string File(const std::string& name) const
    {
        std::ifstream f(dir_ / name, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    std::string Log() const { return File("ZynLog.txt"); }
    static size_t Count(const std::string& text, const std::string& what)
    {
        size_t n = 0;
        for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) n++;
        return n;
    }

private:
    fs::path dir_;
    int telnet_, udp_;
    int reply_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
    double startedAt_ = 0;
};

}  // namespace zyntest
