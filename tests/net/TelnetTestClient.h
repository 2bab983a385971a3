// A loopback TCP client for the telnet tests: connect, send, collect output.
#pragma once

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <functional>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

class TelnetTestClient {
public:
    // Connects to 127.0.0.1:port (non-blocking afterwards), from the loopback
    // address from when one is given.
    explicit TelnetTestClient(int port, const char* from = nullptr)
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (from) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            inet_pton(AF_INET, from, &local.sin_addr);
            bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        }
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~TelnetTestClient() { Close(); }
    TelnetTestClient(const TelnetTestClient&) = delete;
    TelnetTestClient& operator=(const TelnetTestClient&) = delete;

    bool Ok() const { return fd_ >= 0; }
    void Close()
    {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    // Close with a reset instead of an orderly shutdown.
    void Abort()
    {
        if (fd_ < 0) return;
        linger l{1, 0};
        setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        Close();
    }
    bool Send(const std::string& s)
    {
        return fd_ >= 0 && send(fd_, s.data(), s.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(s.size());
    }
    // Reads what is there without waiting; false once the peer has closed.
    bool Drain()
    {
        char buf[65536];
        for (;;) {
            const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) { received_.append(buf, static_cast<size_t>(n)); continue; }
            if (n == 0) { closed_ = true; return false; }
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
    }
    // Pumps (the server's poll, or nothing) until the output contains text or
    // the time runs out. Returns whether the text arrived.
    bool WaitFor(const std::string& text, const std::function<void()>& pump, double seconds = 5.0)
    {
        return WaitUntil([&] { return received_.find(text) != std::string::npos; }, pump, seconds);
    }
    bool WaitClosed(const std::function<void()>& pump, double seconds = 5.0)
    {
        return WaitUntil([&] { return closed_; }, pump, seconds);
    }
    bool WaitUntil(const std::function<bool()>& done, const std::function<void()>& pump, double seconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (;;) {
            if (pump) pump();
            Drain();
            if (done()) return true;
            if (std::chrono::steady_clock::now() > end) return false;
            usleep(1000);
        }
    }
    // Everything received so far; Take() also forgets it.
    const std::string& Received() const { return received_; }
    std::string Take()
    {
        std::string s;
        s.swap(received_);
        return s;
    }
    bool PeerClosed() const { return closed_; }

private:
    int fd_ = -1;
    std::string received_;
    bool closed_ = false;
};
