// ZynTelnetUser: input assembly, PIN check, escape keys and echo of one telnet connection.
#include "net/ZynTelnetUser.h"

#include "config/ZynConstDef.h"
#include "console/ZynConsole.h"
#include "console/ZynKeyBind.h"
#include "console/ZynKeyDef.h"
#include "net/ZynTelnet.h"

#include <cerrno>
#include <climits>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr unsigned char kNul = 0, kBackspace = 8, kLf = 10, kCr = 13, kEsc = 27, kDel = 127;
// Telnet protocol bytes (clients such as PuTTY negotiate options on connect).
constexpr unsigned char kIac = 255, kSb = 250, kSe = 240, kWill = 251, kDont = 254;
}

TZynTelnetUser::TZynTelnetUser(int socket, TZynTelnet* server, std::string address, double connectedAt)
    : Socket(socket), Server(server), PeerAddress(std::move(address)), Since(connectedAt)
{
}

TZynTelnetUser::~TZynTelnetUser()
{
    if (Socket < 0) return;
    // Unread input would turn the close into a reset that can discard the
    // last output; drain it and end the stream in order.
    shutdown(Socket, SHUT_WR);
    char buf[1024];
    for (int i = 0; i < 64 && recv(Socket, buf, sizeof buf, MSG_DONTWAIT) > 0; i++) {}
    close(Socket);
}

bool TelnetPinMatches(const std::string& line, int32_t pin)
{
    int64_t value = 0;
    for (char c : line) {
        int digit;
        if (c == ' ') digit = 0;
        else if (c >= '0' && c <= '9') digit = c - '0';
        else return false;
        value = value * 10 + digit;
        if (value > INT32_MAX) return false;
    }
    return value == pin;
}

bool TZynTelnetUser::FlushOutput()
{
    while (Connected() && !Outbox.empty()) {
        const ssize_t n = send(Socket, Outbox.data(), Outbox.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            Outbox.erase(0, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            Closed = true;      // peer gone: nothing more can be sent
            Outbox.clear();
        }
    }
    if (Outbox.size() > MaxOutput) {    // the client stopped reading
        Closed = true;
        Outbox.clear();
    }
    return Connected();
}

void TZynTelnetUser::SendRaw(const std::string& text)
{
    if (!Connected()) return;
    Outbox += text;
    // While input is processed the echo is collected and sent in one go; a
    // queue past its cap is sent (or the user dropped) at once, even while a
    // command runs.
    if (!Busy || Outbox.size() > MaxOutput) FlushOutput();
}

void TZynTelnetUser::Echo(const std::string& text)
{
    // Only the new text is looked at: a CR LF ends the echoed line, a
    // backspace takes back one character, and a full line shows no more
    // (but still its line breaks).
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        if (c == '\n' && !EchoLine.empty() && EchoLine.back() == '\r') {
            EchoLine.clear();
        } else if (c == '\b') {
            if (!EchoLine.empty()) EchoLine.pop_back();
        } else if (EchoLine.size() < MaxEchoLine || c == '\r') {
            EchoLine.push_back(c);
        } else if (c != '\n') {
            continue;
        }
        shown.push_back(c);
    }
    SendRaw(shown);
}

void TZynTelnetUser::EraseEchoLine()
{
    std::string erase;
    erase.reserve(EchoLine.size() * 3);
    for (size_t i = 0; i < EchoLine.size(); i++) erase += "\b \b";
    EchoLine.clear();
    SendRaw(erase);
}

void TZynTelnetUser::SendLine(const std::string& line)
{
    if (!Connected()) return;
    const std::string typed = EchoLine;
    EraseEchoLine();
    SendRaw(line + "\r\n");
    Echo(typed);
}

void TZynTelnetUser::Greet()
{
    Echo("VaZevarad Telnet (version.dll)\r\n");
    Echo("\r\n");
    Echo("Please turn off Local echo in your telnet client\r\n");
    Echo("\r\n");
    Echo("Please enter the PIN code:\r\n");
    Echo(Prompt);
}

void TZynTelnetUser::ReadInput()
{
    // A read while this user's line is still running leaves the data queued
    // in the socket for the next poll.
    if (Busy || !Connected() || !Pending.empty()) return;
    std::string raw;
    char buf[4096];
    for (;;) {
        const ssize_t n = recv(Socket, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
            raw.append(buf, static_cast<size_t>(n));
            if (raw.size() >= 65536) break;     // the rest comes with the next poll
        } else if (n == 0) {
            Closed = true;                      // orderly close by the peer
            break;
        } else if (errno == EINTR) {
            continue;
        } else {
            if (errno != EAGAIN && errno != EWOULDBLOCK) Closed = true;
            break;
        }
    }
    const std::string chunk = FilterTelnetCommands(raw);
    if (!chunk.empty()) ProcessInput(chunk);
}

// Drops telnet protocol commands (IAC sequences) from received bytes; the
// state carries over between chunks. IAC IAC stands for a data byte 255.
std::string TZynTelnetUser::FilterTelnetCommands(const std::string& raw)
{
    std::string out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (IacState) {
        case 0:     // data
            if (c == kIac) IacState = 1;
            else out += ch;
            break;
        case 1:     // after IAC
            if (c == kIac) { out += ch; IacState = 0; }
            else if (c >= kWill && c <= kDont) IacState = 2;
            else if (c == kSb) IacState = 3;
            else IacState = 0;
            break;
        case 2:     // option byte of WILL/WONT/DO/DONT
            IacState = 0;
            break;
        case 3:     // subnegotiation up to IAC SE
            if (c == kIac) IacState = 4;
            break;
        case 4:
            IacState = (c == kSe) ? 0 : 3;
            break;
        }
    }
    return out;
}

void TZynTelnetUser::ResumeInput()
{
    if (Pending.empty() || Busy) return;
    std::string chunk;
    chunk.swap(Pending);
    ProcessInput(std::move(chunk));
}

void TZynTelnetUser::CloseWith(const std::string& message)
{
    SendRaw(message);
    FlushOutput();
    CloseAfterOutput = true;
}

void TZynTelnetUser::ProcessInput(std::string chunk)
{
    if (Busy) return;
    Busy = true;
    // Input that arrived before the peer went away still runs; only a PIN
    // lockout drops the rest.
    for (size_t p = 0; p < chunk.size() && !CloseAfterOutput; p++) {
        // A PIN line from an address that guessed wrong waits for its delay,
        // and so does everything after it.
        if (chunk[p] == static_cast<char>(kCr) && !Unlocked && Server && Server->PinDelayLeft(PeerAddress) > 0) {
            Pending = chunk.substr(p);
            break;
        }
        const unsigned char c = static_cast<unsigned char>(chunk[p]);
        const bool editing = c == kNul || c == kBackspace || c == kDel || c == kLf || c == kCr;
        const bool plain = !editing && c != kEsc;
        if (plain && Line.size() >= MaxLineLength) continue;   // full line: neither echoed nor kept
        if (!editing) Echo(Unlocked ? std::string(1, static_cast<char>(c)) : std::string("*"));
        switch (c) {
        case kNul:
        case kLf:
            break;
        case kBackspace:
        case kDel:
            if (!Line.empty()) {
                Echo("\b \b");
                Line.pop_back();
            }
            break;
        case kCr:
            EnterLine();
            break;
        case kEsc:
            p = HandleEscape(chunk, p);
            break;
        default:
            Line += static_cast<char>(c);
        }
    }
    Busy = false;
    FlushOutput();
}

void TZynTelnetUser::EnterLine()
{
    Echo("\r\n");
    const std::string line = Line;
    Line.clear();
    if (Unlocked) {
        LastLine = line;
        ConsoleExecute(line);
    } else if (TelnetPinMatches(line, Server ? Server->Pin() : zcNET_PIN)) {
        Echo("UNLOCKED\r\n");
        Unlocked = true;
        if (Server) Server->PinAccepted(PeerAddress);
    } else {
        Echo("NOT UNLOCKED\r\n");
        if (Server) Server->PinRefused(PeerAddress);
        if (++BadPins >= MaxPinTries) {
            CloseAfterOutput = true;
            return;
        }
    }
    Echo(Prompt);
}

// Handles the escape sequence at p; returns the position of its last
// character (the walk goes on after it).
size_t TZynTelnetUser::HandleEscape(std::string& chunk, size_t p)
{
    if (chunk.size() - p < 3) return p;     // fewer than two characters follow: only the ESC
    if (chunk[p + 1] == 'O') {
        const unsigned char letter = static_cast<unsigned char>(chunk[p + 2]);
        switch (letter) {
        case 'A': if (Unlocked) ExecuteBinding(KeyEventTelnetUp); break;
        case 'B': if (Unlocked) ExecuteBinding(KeyEventTelnetDown); break;
        case 'C': if (Unlocked) ExecuteBinding(KeyEventTelnetRight); break;
        case 'D': if (Unlocked) ExecuteBinding(KeyEventTelnetLeft); break;
        case 'P':
            // F1: enter "HELP" as if typed, through the CR that replaces the sequence.
            Line = "HELP";
            Echo("\r\n");
            chunk[p] = static_cast<char>(kNul);
            chunk[p + 1] = static_cast<char>(kCr);
            chunk[p + 2] = static_cast<char>(kLf);
            return p;
        case 'R':
            // F3: recall the last entered line after the current input.
            Line += LastLine;
            if (Line.size() > MaxLineLength) Line.resize(MaxLineLength);
            Echo(" " + LastLine);
            break;
        default:
            Echo("KEY[" + std::to_string(letter) + "]");
        }
        return p + 2;
    }
    // The codes from the ESC on, but no more than MaxKeyEcho of them: pasted
    // text full of ESC bytes would otherwise echo its whole rest for each one.
    std::string keys;
    for (size_t q = p; q < chunk.size() && q < p + MaxKeyEcho; q++)
        keys += "KEY[" + std::to_string(static_cast<unsigned char>(chunk[q])) + "]";
    Echo(keys);
    return p + 2;
}
