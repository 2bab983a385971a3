// Loopback HTTP and WebSocket clients for the web remote tests (and Chromium's DevTools).
#pragma once

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace zyntest {

inline int ConnectLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads what arrives until the peer closes or seconds pass.
inline std::string ReadAll(int fd, double seconds)
{
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    char buf[8192];
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

struct HttpReply {
    int Status = 0;
    std::string Headers, Body;
};

// Sends a raw request and splits the answer (Status 0: no answer).
inline HttpReply HttpRaw(int port, const std::string& request, double seconds = 5)
{
    HttpReply r;
    const int fd = ConnectLoopback(port);
    if (fd < 0) return r;
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    const std::string all = ReadAll(fd, seconds);
    close(fd);
    const size_t split = all.find("\r\n\r\n");
    if (all.rfind("HTTP/1.", 0) != 0 || split == std::string::npos) return r;
    r.Status = std::atoi(all.c_str() + 9);
    r.Headers = all.substr(0, split);
    r.Body = all.substr(split + 4);
    return r;
}

inline HttpReply HttpGet(int port, const std::string& path, const std::string& cookie = "")
{
    std::string req = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nConnection: close\r\n";
    if (!cookie.empty()) req += "Cookie: " + cookie + "\r\n";
    return HttpRaw(port, req + "\r\n");
}

// A WebSocket client: text and binary messages, unfragmented.
class WsClient {
public:
    WsClient(int port, const std::string& path = "/", const std::string& extraHeaders = "")
    {
        fd_ = ConnectLoopback(port);
        if (fd_ < 0) return;
        const std::string req = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n" +
                                extraHeaders + "\r\n";
        send(fd_, req.data(), req.size(), MSG_NOSIGNAL);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (buf_.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < end)
            if (!Fill(0.05) && closed_) break;
        const size_t split = buf_.find("\r\n\r\n");
        open_ = buf_.rfind("HTTP/1.1 101", 0) == 0 && split != std::string::npos;
        if (split != std::string::npos) buf_.erase(0, split + 4);
    }
    ~WsClient()
    {
        if (fd_ >= 0) close(fd_);
    }
    WsClient(const WsClient&) = delete;
    WsClient& operator=(const WsClient&) = delete;

    bool Open() const { return open_ && !closed_; }
    bool Closed() const { return closed_; }
    int Fd() const { return fd_; }

    bool SendText(const std::string& text, uint8_t opcode = 1)
    {
        std::string f;
        f += static_cast<char>(0x80 | opcode);
        const size_t n = text.size();
        if (n < 126) {
            f += static_cast<char>(0x80 | n);
        } else if (n < 65536) {
            f += static_cast<char>(0x80 | 126);
            f += static_cast<char>(n >> 8);
            f += static_cast<char>(n & 0xFF);
        } else {
            f += static_cast<char>(0x80 | 127);
            for (int k = 7; k >= 0; k--) f += static_cast<char>((static_cast<uint64_t>(n) >> (8 * k)) & 0xFF);
        }
        const uint8_t mask[4] = {0x12, 0x34, 0x56, 0x78};
        f.append(reinterpret_cast<const char*>(mask), 4);
        for (size_t i = 0; i < n; i++) f += static_cast<char>(text[i] ^ mask[i % 4]);
        return send(fd_, f.data(), f.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(f.size());
    }

    // The next message within seconds; binary set for binary ones. False on timeout or close.
    bool Next(std::string& message, bool* binary = nullptr, double seconds = 5)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (;;) {
            if (Take(message, binary)) return true;
            if (closed_) return false;
            const double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
            if (!Fill(std::clamp(left, 0.0, 0.05)) && left <= 0) return false;
        }
    }

    // The next text message containing what (others are skipped).
    bool Await(const std::string& what, std::string& message, double seconds = 5)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        bool binary = false;
        while (std::chrono::steady_clock::now() < end) {
            const double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
            if (!Next(message, &binary, left)) return false;
            if (!binary && message.find(what) != std::string::npos) return true;
        }
        return false;
    }

private:
    bool Fill(double seconds)
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(seconds * 1000)) <= 0) return false;
        char b[65536];
        const ssize_t n = recv(fd_, b, sizeof b, 0);
        if (n <= 0) {
            closed_ = true;
            return false;
        }
        buf_.append(b, static_cast<size_t>(n));
        return true;
    }
    bool Take(std::string& message, bool* binary)
    {
        for (;;) {
            if (buf_.size() < 2) return false;
            const uint8_t op = buf_[0] & 0x0F;
            uint64_t n = buf_[1] & 0x7F;
            size_t head = 2;
            if (n == 126) {
                if (buf_.size() < 4) return false;
                n = (uint64_t(uint8_t(buf_[2])) << 8) | uint8_t(buf_[3]);
                head = 4;
            } else if (n == 127) {
                if (buf_.size() < 10) return false;
                n = 0;
                for (int k = 0; k < 8; k++) n = (n << 8) | uint8_t(buf_[2 + k]);
                head = 10;
            }
            if (buf_.size() < head + n) return false;
            std::string payload = buf_.substr(head, n);
            buf_.erase(0, head + n);
            if (op == 8) {
                closed_ = true;
                return false;
            }
            if (op == 9 || op == 10) continue;   // ping / pong
            message = payload;
            if (binary) *binary = op == 2;
            return true;
        }
    }

    int fd_ = -1;
    bool open_ = false, closed_ = false;
    std::string buf_;
};

}  // namespace zyntest
