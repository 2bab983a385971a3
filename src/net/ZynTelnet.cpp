// ZynTelnet: the listening socket, connection handling and console broadcast.
#include "net/ZynTelnet.h"

#include "app/ZynLog.h"
#include "config/ZynConstDef.h"
#include "console/ZynConsole.h"
#include "platform/ZynNumbers.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

bool TelnetActive = false;
TZynTelnet* TelnetServer = nullptr;

void TelnetBroadcast(const std::string& line)
{
    if (TelnetServer && TelnetActive) TelnetServer->Broadcast(line);
}

TZynTelnet::TZynTelnet() : TZynTelnet(zcNET_TelnetPort) {}

TZynTelnet::TZynTelnet(int port, int32_t pin) : PinOverride(pin)
{
    ZynLogLine("TELNET init");
    TelnetActive = false;
    Start(port);
    TelnetActive = Active;
    TelnetServer = this;
    ConsoleSetTelnetSink(TelnetBroadcast);
}

void TZynTelnet::Start(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        ZynLogLine(std::string("TELNET init fail : socket: ") + std::strerror(errno));
        return;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 32) != 0) {
        const int err = errno;
        close(fd);
        ZynLogLine("TELNET init fail : port " + std::to_string(port) + " : " + std::strerror(err));
        return;
    }
    socklen_t len = sizeof addr;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) BoundPort = ntohs(addr.sin_port);
    ListenSocket = fd;
    Active = true;
}

TZynTelnet::~TZynTelnet()
{
    if (TelnetServer == this) {
        TelnetServer = nullptr;
        TelnetActive = false;
        ConsoleSetTelnetSink(nullptr);
    }
    Active = false;
    ZynLogLine("TELNET shutdown");
    for (auto& u : Users) u->FlushOutput();     // best effort: what is queued goes out
    Users.clear();
    if (ListenSocket >= 0 && close(ListenSocket) != 0) ZynLogError("Error shutting down telnet");
    ListenSocket = -1;
    ZynLogLine("TELNET free");
    ZynLogLine("TELNET free done");
}

int32_t TZynTelnet::Pin() const { return PinOverride > 0 ? PinOverride : zcNET_PIN; }

void TZynTelnet::Refuse(int fd)
{
    static const char kFull[] = "VaZevarad Telnet: too many users are connected, try again later\r\n";
    send(fd, kFull, sizeof kFull - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    shutdown(fd, SHUT_WR);
    close(fd);
    if (!FullLogged) {
        FullLogged = true;
        ZynLogLine("TELNET " + std::to_string(MaxUsers) + " users connected: further connections are refused");
    }
}

void TZynTelnet::AcceptPending()
{
    for (;;) {
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        const int fd = accept4(ListenSocket, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;     // nothing pending, or out of descriptors: try again next poll
        }
        if (Users.size() >= MaxUsers) {
            Refuse(fd);
            continue;
        }
        char text[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        Users.push_back(std::make_unique<TZynTelnetUser>(fd, this, text, Now()));
        Users.back()->Greet();
    }
}

void TZynTelnet::CloseLateLogins()
{
    const double now = Now();
    for (auto& u : Users) {
        if (u->Unlocked || u->ShouldClose() || now - u->ConnectedAt() < PinTimeout) continue;
        const std::string within = "no PIN within " + ZynFormat("%g", PinTimeout) + " s";
        ZynLogLine("TELNET " + u->Address() + " : " + within + ", connection closed");
        u->CloseWith("\r\nNo" + within.substr(2) + "\r\n");
    }
}

double TZynTelnet::PinDelayLeft(const std::string& address) const { return PinTries.DelayLeft(address); }

void TZynTelnet::PinRefused(const std::string& address)
{
    const TZynPinThrottle::TRefusal r = PinTries.Refused(address, PinDelayFirst, PinDelayMax);
    ZynLogWarning("TELNET wrong PIN from " + address + " (" + std::to_string(r.Wrong) +
                  " in a row; the next try waits " + ZynFormat("%g", r.Delay) + " s)");
}

void TZynTelnet::PinAccepted(const std::string& address) { PinTries.Accepted(address); }

void TZynTelnet::Poll()
{
    // Not re-entered: a command run from a telnet line may pump the frame.
    if (!Active || InPoll) return;
    InPoll = true;
    AcceptPending();
    CloseLateLogins();
    // Indexes, not iterators: running a line may broadcast to every user.
    for (size_t i = 0; i < Users.size(); i++) {
        Users[i]->FlushOutput();
        if (Users[i]->HasPendingInput()) {
            if (!Users[i]->Unlocked && PinDelayLeft(Users[i]->Address()) > 0) continue;
            Users[i]->ResumeInput();
        }
        Users[i]->ReadInput();
    }
    // Disconnection: closed by the peer, failed, or locked out after wrong PINs
    // (what is queued for it still goes out first, as far as the socket takes it).
    for (size_t i = 0; i < Users.size();) {
        if (Users[i]->ShouldClose()) {
            Users[i]->FlushOutput();
            Users.erase(Users.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            i++;
        }
    }
    if (Users.size() < MaxUsers) FullLogged = false;
    InPoll = false;
}

void TZynTelnet::WaitDescriptors(std::vector<int>& fds) const
{
    if (!Active) return;
    fds.push_back(ListenSocket);
    // A user whose input waits for the PIN delay is not read: watching it would only wake the wait.
    for (const auto& u : Users)
        if (u->Connected() && !u->HasPendingInput() && !u->Busy) fds.push_back(u->Handle());
}

void TZynTelnet::Broadcast(const std::string& line)
{
    if (!Active) return;
    for (size_t i = 0; i < Users.size(); i++) {
        TZynTelnetUser* u = Users[i].get();
        if (u->Unlocked) u->SendLine(line);
    }
}
