// ZynPacketSocket: non-blocking IPv4 UDP socket over the POSIX calls.
#include "app/ZynPacketSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

static std::string ErrText(const char* what, int port, int err)
{
    return std::string(what) + " port " + std::to_string(port) + ": " + std::strerror(err);
}

bool TZynUdpSocket::Open(const std::string& address, int port, bool reuse, bool broadcast,
                         std::string& error)
{
    Close();
    in_addr addr{};
    if (!ZynParseIPv4(address, addr)) {
        error = "\"" + address + "\" is not an IPv4 address";
        return false;
    }
    if (port < 0 || port > 65535) {
        error = "port " + std::to_string(port) + " is outside 0..65535";
        return false;
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
        error = ErrText("socket for", port, errno);
        return false;
    }
    int one = 1;
    if (reuse) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (broadcast && setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0) {
        error = ErrText("broadcast on", port, errno);
        close(fd);
        return false;
    }
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    sa.sin_addr = addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        int err = errno;
        error = ErrText("bind to", port, err);
        close(fd);
        errno = err;
        return false;
    }
    Fd = fd;
    return true;
}

void TZynUdpSocket::SetReceiveBuffer(int bytes)
{
    if (Fd < 0) return;
    // Beyond the system's limit only with the right to raise it.
    if (setsockopt(Fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
        setsockopt(Fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

void TZynUdpSocket::Close()
{
    if (Fd >= 0) close(Fd);
    Fd = -1;
}

int TZynUdpSocket::LocalPort() const
{
    if (Fd < 0) return 0;
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(Fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return ntohs(sa.sin_port);
}

long TZynUdpSocket::Receive(uint8_t* buf, size_t capacity, sockaddr_in& from, std::string& error)
{
    if (Fd < 0) {
        error = "socket not open";
        return -2;
    }
    for (;;) {
        socklen_t len = sizeof from;
        ssize_t n = recvfrom(Fd, buf, capacity, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &len);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
        // An ICMP "port unreachable" from an earlier send shows up here on
        // Linux; it says nothing about this socket, so skip it.
        if (errno == ECONNREFUSED) continue;
        error = std::string("receive: ") + std::strerror(errno);
        return -2;
    }
}

bool TZynUdpSocket::WaitReadable(int timeoutMs) const
{
    if (Fd < 0) return false;
    pollfd p{Fd, POLLIN, 0};
    for (;;) {
        int r = poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        return r > 0 && (p.revents & POLLIN);
    }
}

bool TZynUdpSocket::SendTo(const void* data, size_t len, const in_addr& address, int port,
                           std::string& error)
{
    if (Fd < 0) {
        error = "socket not open";
        return false;
    }
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    sa.sin_addr = address;
    for (;;) {
        ssize_t n = sendto(Fd, data, len, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        if (n == static_cast<ssize_t>(len)) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Send buffer full: wait briefly for room rather than drop.
            pollfd p{Fd, POLLOUT, 0};
            if (poll(&p, 1, 50) > 0) continue;
        }
        error = "send to " + ZynIPv4Text(address) + ":" + std::to_string(port) + ": " +
                (n < 0 ? std::strerror(errno) : "short write");
        return false;
    }
}

bool TZynUdpSocket::SendTo(const void* data, size_t len, const std::string& address, int port,
                           std::string& error)
{
    in_addr addr{};
    if (!ZynParseIPv4(address, addr)) {
        error = "\"" + address + "\" is not an IPv4 address";
        return false;
    }
    return SendTo(data, len, addr, port, error);
}

bool ZynParseIPv4(const std::string& text, in_addr& out)
{
    return inet_pton(AF_INET, text.c_str(), &out) == 1;
}

std::string ZynIPv4Text(const in_addr& address)
{
    char buf[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, buf, sizeof buf);
    return buf;
}

std::string ZynBindAdvice(int port, int errnoValue)
{
    if (errnoValue == EACCES || errnoValue == EPERM) {
        if (port < 1024)
            return "ports below 1024 need root or the bind capability "
                   "(setcap cap_net_bind_service=+ep zyn), or choose another port with --udp-port";
        return "not allowed to bind this port; choose another port with --udp-port";
    }
    if (errnoValue == EADDRINUSE)
        return "another program already uses this port; stop it or choose another port with --udp-port";
    return "choose another port with --udp-port";
}
