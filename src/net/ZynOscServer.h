// ZynOscServer: TZynOscServer, live control by OSC messages over UDP.
//
// Listens on one address and port (loopback unless told otherwise) with a
// non-blocking socket of its own (liblo's server would bind every interface),
// serviced from the frame; liblo checks and decodes each message and encodes
// the replies. Addresses:
//   /zyn/exec s                 runs a console line as the console does (echo, result)
//   /zyn/scene i [i]            changes scene (and fader)
//   /zyn/const/SECTION/Name x   sets a constant through the registry (a number or text)
//   /zyn/norm/SECTION/Name f    sets a constant to a fraction 0..1 of its range
//   /zyn/announce i f s         announcement index, seconds, text
//   /zyn/get/SECTION/Name       answered to the sender: /zyn/const/SECTION/Name with the
//                               value (int, float or string), or /zyn/error s
// Numbers may come as int32, float, double, int64 or true/false. Bundles,
// nested up to MaxBundleDepth, run their messages in order when they arrive.
// Errors are "#ERROR : " lines in the log and console, like UDP's.
// Hostile input is bounded: one Service pass (at the start of a frame, or
// while the frame waits for its slot) runs at most MaxPerFrame messages and
// MaxLinesPerFrame console lines, and starts no new one after
// MaxSecondsPerPass (the rest of a bundle waits for the next pass, further
// datagrams wait in the socket); console lines obey the
// console's input length and the interpreter's nesting and statement limits;
// NET.PIN is never read or set, and a /zyn/exec line that names it is refused.
// Depends on: app/ZynPacketSocket, app/ZynLog, config/ZynConst,
// console/ZynConsole, net/ZynMidiMap (ranges), liblo.
#pragma once

#include "app/ZynPacketSocket.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// What the sequencer does for scene and announcement messages.
struct TZynOscHandlers {
    std::function<void(int32_t scene, int32_t fader)> SceneChange;
    std::function<void(int32_t index, const std::string& text, float seconds)> Announce;
};

class TZynOscServer {
public:
    static constexpr int MaxPerFrame = 1024;
    static constexpr int MaxLinesPerFrame = 32;
    static constexpr double MaxSecondsPerPass = 0.005;
    static constexpr int MaxBundleDepth = 8;
    static constexpr int ReceiveBufferBytes = 4 << 20;

    explicit TZynOscServer(TZynOscHandlers handlers);
    TZynOscServer(const TZynOscServer&) = delete;
    TZynOscServer& operator=(const TZynOscServer&) = delete;

    // Binds address:port (port 0: any free one). On failure logs
    // "#WARNING : Cant Initialise OSC Server" with the reason; the program runs on without OSC.
    bool Start(const std::string& address, int port);
    void Stop() { Socket.Close(); }
    bool Listening() const { return Socket.IsOpen(); }
    int LocalPort() const { return Socket.LocalPort(); }
    int Handle() const { return Socket.Handle(); }

    // Runs what has arrived, within the per-frame bounds. Returns the messages run.
    int Service();

private:
    bool Unpack(size_t offset, size_t length, int depth);
    // Runs one message; true when it ran a console line.
    bool HandleMessage(const uint8_t* data, size_t length);
    bool Exec(const std::string& line);
    void SetConst(const std::string& name, char type, const void* arg, bool fraction);
    void GetConst(const std::string& name);
    void Error(const std::string& text);
    void SendReply(const std::string& path, void* message);

    TZynOscHandlers Handlers;
    TZynUdpSocket Socket;
    std::vector<uint8_t> Datagram;                      // the datagram being run
    std::vector<std::pair<size_t, size_t>> Pending;     // its messages (offset, length) not yet run
    size_t Next = 0;
    sockaddr_in From{};                                 // its sender
    int ReceiveErrors = 0;
};
