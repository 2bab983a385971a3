// An OSC peer on loopback for the tests: messages built and read with liblo,
// sent from one socket so that replies come back to it.
#pragma once

#include "net/ZynRunning.h"

#include <lo/lo.h>

#include <optional>

namespace zyntest {

struct OscReply {
    std::string Path, Types;
    double Number = 0;
    std::string Text;
};

class OscTestClient {
public:
    explicit OscTestClient(int port) : port_(port)
    {
        fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = Loopback(0);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    ~OscTestClient() { close(fd_); }

    void Raw(const std::vector<uint8_t>& bytes) const
    {
        const sockaddr_in to = Loopback(port_);
        sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    // The wire form of a message: types "i", "f", "s" filled from ints, floats and texts in order.
    static std::vector<uint8_t> Encode(const std::string& path, const std::string& types = "",
                                       std::vector<double> numbers = {}, std::vector<std::string> texts = {})
    {
        lo_message m = lo_message_new();
        size_t n = 0, t = 0;
        for (char c : types) {
            if (c == 'i') lo_message_add_int32(m, static_cast<int32_t>(numbers.at(n++)));
            else if (c == 'f') lo_message_add_float(m, static_cast<float>(numbers.at(n++)));
            else if (c == 's') lo_message_add_string(m, texts.at(t++).c_str());
        }
        size_t size = lo_message_length(m, path.c_str());
        std::vector<uint8_t> bytes(size);
        lo_message_serialise(m, path.c_str(), bytes.data(), &size);
        lo_message_free(m);
        return bytes;
    }
    // A bundle ("#bundle", immediate time tag) of the given elements.
    static std::vector<uint8_t> Bundle(const std::vector<std::vector<uint8_t>>& elements)
    {
        std::vector<uint8_t> b = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 1};
        for (const auto& e : elements) {
            const uint32_t size = htonl(static_cast<uint32_t>(e.size()));
            const auto* p = reinterpret_cast<const uint8_t*>(&size);
            b.insert(b.end(), p, p + 4);
            b.insert(b.end(), e.begin(), e.end());
        }
        return b;
    }
    void Send(const std::string& path, const std::string& types = "", std::vector<double> numbers = {},
              std::vector<std::string> texts = {}) const
    {
        Raw(Encode(path, types, std::move(numbers), std::move(texts)));
    }
    // The next reply within timeout seconds.
    std::optional<OscReply> Receive(double timeout = 2.0) const
    {
        std::vector<uint8_t> buf(65536);
        for (const double t0 = Seconds(); Seconds() - t0 < timeout; usleep(500)) {
            const ssize_t n = recv(fd_, buf.data(), buf.size(), MSG_DONTWAIT);
            if (n <= 0) continue;
            int result = 0;
            lo_message m = lo_message_deserialise(buf.data(), static_cast<size_t>(n), &result);
            if (!m) continue;
            OscReply r;
            r.Path = reinterpret_cast<const char*>(buf.data());
            r.Types = lo_message_get_types(m);
            lo_arg** argv = lo_message_get_argv(m);
            if (!r.Types.empty()) {
                const char c = r.Types[0];
                if (c == 'i') r.Number = argv[0]->i;
                else if (c == 'f') r.Number = argv[0]->f;
                else if (c == 's') r.Text = &argv[0]->s;
            }
            lo_message_free(m);
            return r;
        }
        return std::nullopt;
    }
    // Asks for SECTION/Name and waits for the answer.
    std::optional<OscReply> Get(const std::string& sectionSlashName, double timeout = 2.0) const
    {
        Drain();
        Send("/zyn/get/" + sectionSlashName);
        return Receive(timeout);
    }
    void Drain() const
    {
        char buf[65536];
        while (recv(fd_, buf, sizeof buf, MSG_DONTWAIT) > 0) {}
    }

private:
    int port_;
    int fd_ = -1;
};

}  // namespace zyntest
