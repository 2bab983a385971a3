// ZynTelnet: TZynTelnet, the telnet remote console server.
//
// Listens on NET.TelnetPort (all interfaces, SO_REUSEADDR so a rebuilt
// window can listen again at once) with non-blocking sockets serviced by
// Poll from the client's frame: new connections are greeted, received data
// goes to the connection's user, and closed or failed connections are
// dropped. Console lines reach every user who has entered the PIN.
// Sending never raises SIGPIPE (MSG_NOSIGNAL).
// Against hostile clients: at most MaxUsers connections (the next one is told
// so and closed); a connection without the PIN after PinTimeout seconds is
// closed; every wrong PIN is logged with the address, and the next PIN line
// from that address waits PinDelayFirst seconds, doubling with each wrong one
// up to PinDelayMax, while other addresses go on at once.
// Depends on: net/ZynTelnetUser, net/ZynPinThrottle, config/ZynConstDef (NET.TelnetPort,
// NET.PIN), console/ZynConsole (telnet sink), app/ZynLog, POSIX sockets.
#pragma once

#include "net/ZynPinThrottle.h"
#include "net/ZynTelnetUser.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// True while the telnet server socket (of the newest server) is listening.
extern bool TelnetActive;

class TZynTelnet {
public:
    // Listens on NET.TelnetPort.
    TZynTelnet();
    // Listens on port (0: any free port, for tests); pin > 0 replaces NET.PIN.
    explicit TZynTelnet(int port, int32_t pin = 0);
    ~TZynTelnet();
    TZynTelnet(const TZynTelnet&) = delete;
    TZynTelnet& operator=(const TZynTelnet&) = delete;

    // Services the sockets: accept, read, send queued output, drop closed users.
    void Poll();
    // Descriptors whose input Poll would read now: the listening socket and
    // every user not held back (appended to fds; for a wait between frames).
    void WaitDescriptors(std::vector<int>& fds) const;
    // Sends a console line to every user who has entered the PIN.
    void Broadcast(const std::string& line);

    int32_t Pin() const;

    // Limits against hostile clients (tests make them small).
    size_t MaxUsers = 64;
    double PinTimeout = 60;
    double PinDelayFirst = 1;
    double PinDelayMax = 60;
    // Seconds a PIN line from address must still wait (0: none).
    double PinDelayLeft(const std::string& address) const;
    // A wrong PIN from address: logged, and its next try delayed.
    void PinRefused(const std::string& address);
    // The right PIN: the address is trusted again.
    void PinAccepted(const std::string& address);
    bool Listening() const { return Active; }
    int Port() const { return BoundPort; }
    int UserCount() const { return static_cast<int>(Users.size()); }
    TZynTelnetUser* User(int i) { return Users[i].get(); }

private:
    void Start(int port);
    void AcceptPending();
    void Refuse(int fd);
    void CloseLateLogins();

    TZynPinThrottle PinTries;
    bool FullLogged = false;

    int ListenSocket = -1;
    bool Active = false;
    int BoundPort = 0;
    int32_t PinOverride = 0;
    bool InPoll = false;
    std::vector<std::unique_ptr<TZynTelnetUser>> Users;
};

// The server that console lines go to (the newest live one), or nullptr.
extern TZynTelnet* TelnetServer;

// The console's telnet sink (installed by the server; the console calls it
// once frames run): sends line to the users of the listening server.
void TelnetBroadcast(const std::string& line);
