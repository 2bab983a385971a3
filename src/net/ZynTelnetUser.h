// ZynTelnetUser: the state of one telnet connection: input line, PIN lock, echo.
//
// The server echoes what the user types (before the PIN as "*") and keeps
// EchoLine, what has been sent since the last line break, so that console
// output arriving while the user types can erase the half-typed input, print
// the line above it and draw the input again. Completed lines run through the
// console once the PIN has been accepted; the arrow keys fire the telnet
// binding events. Output is queued and sent without blocking. Everything a
// hostile client can make grow is bounded: the input line, the echoed line
// (only new text is looked at, so echo and redraw are linear), and the
// output queue, also while a command runs. Input that waits for the PIN
// delay of its address stays in Pending and nothing more is read meanwhile.
// Depends on: console/ZynConsole (ConsoleExecute), console/ZynKeyBind,
// POSIX sockets.
#pragma once

#include <cstdint>
#include <string>

class TZynTelnet;

class TZynTelnetUser {
public:
    static constexpr size_t MaxLineLength = 1024;    // longer input is not taken (the console's cap)
    static constexpr int MaxPinTries = 3;            // wrong PINs before the connection closes
    static constexpr size_t MaxOutput = 1u << 20;    // unsent bytes before a stalled user is dropped
    static constexpr size_t MaxKeyEcho = 8;          // codes shown for an unknown escape sequence
    static constexpr size_t MaxEchoLine = 2 * MaxLineLength;  // echoed text kept (and shown) per line
    static constexpr const char* Prompt = "-";

    // Takes ownership of a connected, non-blocking socket from address
    // (dotted IPv4), connected at the given time (seconds, steady clock).
    TZynTelnetUser(int socket, TZynTelnet* server, std::string address = "", double connectedAt = 0);
    ~TZynTelnetUser();
    TZynTelnetUser(const TZynTelnetUser&) = delete;
    TZynTelnetUser& operator=(const TZynTelnetUser&) = delete;

    void SendRaw(const std::string& text);
    void Echo(const std::string& text);
    void EraseEchoLine();
    void SendLine(const std::string& line);
    void Greet();
    // Reads what has arrived on the socket and processes it as one chunk.
    void ReadInput();
    // Processes one chunk of received bytes (ReadInput's work after the read).
    void ProcessInput(std::string chunk);
    // Input held back by the PIN delay, processed once the delay is over.
    void ResumeInput();
    // Closes the connection after a last message (what is queued goes first).
    void CloseWith(const std::string& message);
    // Sends what is queued; false once the connection is gone.
    bool FlushOutput();

    bool Connected() const { return Socket >= 0 && !Closed; }
    // The connection should be dropped (peer gone, send failure, too many wrong PINs).
    bool ShouldClose() const { return Closed || CloseAfterOutput; }
    bool HasPendingOutput() const { return !Outbox.empty(); }
    int Handle() const { return Socket; }
    const std::string& Address() const { return PeerAddress; }
    double ConnectedAt() const { return Since; }
    bool HasPendingInput() const { return !Pending.empty(); }

    std::string Line;
    bool Busy = false;
    std::string LastLine;
    bool Unlocked = false;
    std::string EchoLine;
    int BadPins = 0;

private:
    void EnterLine();
    size_t HandleEscape(std::string& chunk, size_t p);
    std::string FilterTelnetCommands(const std::string& raw);

    int Socket = -1;
    TZynTelnet* Server = nullptr;
    bool Closed = false;
    bool CloseAfterOutput = false;
    std::string Outbox;
    int IacState = 0;      // telnet command bytes being skipped
    std::string PeerAddress;
    double Since = 0;
    std::string Pending;   // input from a held PIN line on
};

// Whether an entered PIN line matches pin: blanks count as 0 and digits by
// place value; any other character, or a value beyond the int32 range, fails.
bool TelnetPinMatches(const std::string& line, int32_t pin);
