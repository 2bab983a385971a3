// ZynPacketSocket: a small non-blocking IPv4 UDP socket for the packet protocol.
//
// Wraps the POSIX calls the visualiser and zyn-send need: bind to an address
// and port (0 = ephemeral), receive with the sender's address without ever
// blocking, send to an address and port. Errors come back as text for the
// caller to log; nothing here logs, throws or raises SIGPIPE.
// Depends on: POSIX sockets only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <netinet/in.h>

class TZynUdpSocket {
public:
    TZynUdpSocket() = default;
    ~TZynUdpSocket() { Close(); }
    TZynUdpSocket(const TZynUdpSocket&) = delete;
    TZynUdpSocket& operator=(const TZynUdpSocket&) = delete;

    // Opens a non-blocking socket bound to address:port ("0.0.0.0", 0 for any
    // address / an ephemeral port). reuse sets SO_REUSEADDR, broadcast sets
    // SO_BROADCAST. False with error set ("port 556: Permission denied").
    bool Open(const std::string& address, int port, bool reuse, bool broadcast, std::string& error);
    void Close();
    // Asks for a receive queue of bytes (as far as the system allows).
    void SetReceiveBuffer(int bytes);
    bool IsOpen() const { return Fd >= 0; }
    int Handle() const { return Fd; }
    // The bound local port (after Open), 0 when closed.
    int LocalPort() const;

    // Receives one datagram into buf. Returns its length (cut to capacity),
    // -1 when nothing is waiting, -2 on a socket error (error set).
    long Receive(uint8_t* buf, size_t capacity, sockaddr_in& from, std::string& error);
    // Waits up to timeoutMs for a datagram to arrive; true when one is waiting.
    bool WaitReadable(int timeoutMs) const;
    // Sends one datagram to address:port. False with error set.
    bool SendTo(const void* data, size_t len, const in_addr& address, int port, std::string& error);
    bool SendTo(const void* data, size_t len, const std::string& address, int port, std::string& error);

private:
    int Fd = -1;
};

// Parses a dotted IPv4 address; false when it is not one.
bool ZynParseIPv4(const std::string& text, in_addr& out);
// Dotted text of an address.
std::string ZynIPv4Text(const in_addr& address);
// Explains a bind failure on a port and how to get round it.
std::string ZynBindAdvice(int port, int errnoValue);
