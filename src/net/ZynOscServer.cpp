// ZynOscServer: OSC datagrams, bundles, the /zyn/... addresses and their replies.
#include "net/ZynOscServer.h"

#include "app/ZynClientObjectNet.h"
#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "console/ZynConsole.h"
#include "net/ZynMidiMap.h"
#include "platform/ZynNumbers.h"

#include <lo/lo.h>

#include <arpa/inet.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr size_t DatagramMax = 65536;   // more than any UDP datagram holds

uint32_t BigEndian32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

bool IsBundle(const uint8_t* p, size_t length) { return length >= 16 && std::memcmp(p, "#bundle", 8) == 0; }

// liblo's arguments sit at 4-byte offsets in the message, so 8-byte values
// are copied out rather than read through the (8-byte aligned) union.
template <class T>
T ArgValue(const lo_arg* a)
{
    T v;
    std::memcpy(&v, a, sizeof v);
    return v;
}

bool NumberArg(char type, const lo_arg* a, double& out)
{
    switch (type) {
    case LO_INT32: out = ArgValue<int32_t>(a); return true;
    case LO_FLOAT: out = ArgValue<float>(a); return true;
    case LO_DOUBLE: out = ArgValue<double>(a); return true;
    case LO_INT64: out = static_cast<double>(ArgValue<int64_t>(a)); return true;
    case LO_TRUE: out = 1; return true;
    case LO_FALSE: out = 0; return true;
    default: return false;
    }
}

bool TextArg(char type, const lo_arg* a, std::string& out)
{
    if (type != LO_STRING && type != LO_SYMBOL) return false;
    out = reinterpret_cast<const char*>(a);
    return true;
}

// "SECTION/Name" after a prefix of the path, as "SECTION.Name"; "" when the
// rest is not exactly two parts.
std::string ConstNameAfter(const std::string& path, const std::string& prefix)
{
    if (path.compare(0, prefix.size(), prefix) != 0) return "";
    std::string rest = path.substr(prefix.size());
    const size_t slash = rest.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == rest.size() ||
        rest.find('/', slash + 1) != std::string::npos)
        return "";
    rest[slash] = '.';
    return rest;
}

// A line that names the PIN constant, whatever the blanks and case.
bool NamesPin(const std::string& line)
{
    std::string squeezed;
    for (char c : line)
        if (c != ' ' && c != '\t') squeezed.push_back(c);
    return ZynUpper(squeezed).find("NET.PIN") != std::string::npos;
}

}  // namespace

TZynOscServer::TZynOscServer(TZynOscHandlers handlers) : Handlers(std::move(handlers)), Datagram(DatagramMax) {}

bool TZynOscServer::Start(const std::string& address, int port)
{
    std::string error;
    if (!Socket.Open(address, port, false, false, error)) {
        ZynLogWarning("Cant Initialise OSC Server - " + error + "; " + ZynBindAdvice(port, errno));
        return false;
    }
    Socket.SetReceiveBuffer(ReceiveBufferBytes);
    ZynLogLine("OSC: listening on " + address + " port " + std::to_string(Socket.LocalPort()));
    in_addr a{};
    if (ZynParseIPv4(address, a) && ntohl(a.s_addr) >> 24 != 127)
        ZynLogWarning("OSC is open to the network on " + address +
                      ": whoever reaches the port can run console lines (/zyn/exec)");
    return true;
}

void TZynOscServer::Error(const std::string& text)
{
    // Names from the wire may hold any bytes: the log gets printable ones.
    std::string shown = text;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    ZynLogError("OSC " + shown + " (from " + ZynIPv4Text(From.sin_addr) + ":" + std::to_string(ntohs(From.sin_port)) + ")");
}

int TZynOscServer::Service()
{
    if (!Socket.IsOpen()) return 0;
    int work = 0, ran = 0, lines = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto budget = std::chrono::duration<double>(MaxSecondsPerPass);
    while (work < MaxPerFrame && lines < MaxLinesPerFrame &&
           (work == 0 || std::chrono::steady_clock::now() - start < budget)) {
        if (Next < Pending.size()) {
            const auto [offset, length] = Pending[Next++];
            if (HandleMessage(Datagram.data() + offset, length)) lines++;
            work++;
            ran++;
            continue;
        }
        Pending.clear();
        Next = 0;
        std::string error;
        const long n = Socket.Receive(Datagram.data(), Datagram.size(), From, error);
        if (n == -1) break;
        if (n == -2) {
            if (ReceiveErrors++ < 10) ZynLogError("TZynOscServer.Service - " + error);
            break;
        }
        if (!Unpack(0, static_cast<size_t>(n), 0)) {
            Pending.clear();
            Error("- malformed bundle of " + std::to_string(n) + " bytes dropped");
        }
        if (Pending.empty()) work++;   // a broken datagram costs its read, so junk cannot hold the frame either
    }
    return ran;
}

// Lists the messages of the datagram part at offset in order, bundles opened.
bool TZynOscServer::Unpack(size_t offset, size_t length, int depth)
{
    const uint8_t* p = Datagram.data() + offset;
    if (!IsBundle(p, length)) {
        Pending.emplace_back(offset, length);
        return true;
    }
    if (depth >= MaxBundleDepth) return false;
    // "#bundle\0", the 8-byte time tag, then elements of a 4-byte size and content.
    size_t at = 16;
    while (at < length) {
        if (length - at < 4) return false;
        const uint32_t size = BigEndian32(p + at);
        at += 4;
        if (size == 0 || size % 4 != 0 || size > length - at) return false;
        if (!Unpack(offset + at, size, depth + 1)) return false;
        at += size;
    }
    return true;
}

bool TZynOscServer::HandleMessage(const uint8_t* data, size_t length)
{
    int result = 0;
    std::unique_ptr<void, void (*)(lo_message)> message(
        lo_message_deserialise(const_cast<uint8_t*>(data), length, &result), lo_message_free);
    if (!message) {
        Error("- malformed message (liblo error " + std::to_string(result) + ") dropped");
        return false;
    }
    lo_message m = static_cast<lo_message>(message.get());
    const std::string path(reinterpret_cast<const char*>(data));   // liblo checked its end
    const std::string types = lo_message_get_types(m);
    lo_arg** argv = lo_message_get_argv(m);
    const size_t argc = types.size();
    double x = 0, y = 0;
    std::string text;

    if (path == "/zyn/exec") {
        if (argc == 1 && TextArg(types[0], argv[0], text)) return Exec(text);
        Error("/zyn/exec - needs one string, the console line");
    } else if (path == "/zyn/scene") {
        if ((argc == 1 || argc == 2) && NumberArg(types[0], argv[0], x) && (argc == 1 || NumberArg(types[1], argv[1], y))) {
            if (Handlers.SceneChange) Handlers.SceneChange(ZynRoundToInt32(x), ZynRoundToInt32(y));
        } else {
            Error("/zyn/scene - needs a scene number and may have a fader number");
        }
    } else if (path == "/zyn/announce") {
        if (argc == 3 && NumberArg(types[0], argv[0], x) && NumberArg(types[1], argv[1], y) && TextArg(types[2], argv[2], text)) {
            if (text.size() > ConsoleMaxInput) Error("/zyn/announce - text longer than " + std::to_string(ConsoleMaxInput) + " characters refused");
            else if (Handlers.Announce) Handlers.Announce(ZynRoundToInt32(x), text, static_cast<float>(std::clamp(y, -1e30, 1e30)));
        } else {
            Error("/zyn/announce - needs an announcement number, seconds and the text");
        }
    } else if (std::string name = ConstNameAfter(path, "/zyn/const/"); !name.empty()) {
        if (argc == 1) SetConst(name, types[0], argv[0], false);
        else Error(path + " - needs one value");
    } else if (std::string name = ConstNameAfter(path, "/zyn/norm/"); !name.empty()) {
        if (argc == 1) SetConst(name, types[0], argv[0], true);
        else Error(path + " - needs one value 0..1");
    } else if (std::string name = ConstNameAfter(path, "/zyn/get/"); !name.empty()) {
        GetConst(name);
    } else {
        Error("- no such address \"" + path.substr(0, 100) + "\"");
    }
    return false;
}

bool TZynOscServer::Exec(const std::string& line)
{
    // The limits of a line typed at the console or over telnet.
    if (line.size() > ConsoleMaxInput) {
        Error("/zyn/exec - line longer than " + std::to_string(ConsoleMaxInput) + " characters refused");
        return false;
    }
    if (NamesPin(line)) {
        Error("/zyn/exec - a line naming NET.PIN is refused");
        return false;
    }
    ConsoleExecute(line);
    return true;
}

void TZynOscServer::SetConst(const std::string& name, char type, const void* arg, bool fraction)
{
    const std::string path = fraction ? "/zyn/norm" : "/zyn/const";
    const int32_t c = FindConstQuiet(name);
    if (c < 0) return Error(path + " - Constant \"" + name.substr(0, 80) + "\" Not found");
    if (ZynConstHiddenFromNet(c)) return Error(path + " - Constant \"" + ConstFullName(c) + "\" cannot be set over the network");
    const lo_arg* a = static_cast<const lo_arg*>(arg);
    double x;
    std::string text;
    const bool isText = ConstRow(c)->ValueType == ZC_TYPE_STRING;
    if (fraction && !isText && NumberArg(type, a, x)) {
        float lo, hi;
        ZynControlRange(c, lo, hi);
        ZynConstSetFraction(c, x, lo, hi);
    } else if (!fraction && !isText && NumberArg(type, a, x)) {
        ConstSetFloat(c, x);
    } else if (!fraction && TextArg(type, a, text)) {
        ConstSetString(c, text);
    } else {
        Error(path + " - Constant \"" + ConstFullName(c) + "\" cannot take an argument of type '" + std::string(1, type) + "'");
    }
}

void TZynOscServer::GetConst(const std::string& name)
{
    const int32_t c = FindConstQuiet(name);
    std::string error;
    if (c < 0) error = "Constant \"" + name.substr(0, 80) + "\" Not found";
    else if (ZynConstHiddenFromNet(c)) error = "Constant \"" + ConstFullName(c) + "\" is not readable over the network";
    std::unique_ptr<void, void (*)(lo_message)> reply(lo_message_new(), lo_message_free);
    lo_message r = static_cast<lo_message>(reply.get());
    if (!error.empty()) {
        Error("/zyn/get - " + error);
        lo_message_add_string(r, error.c_str());
        return SendReply("/zyn/error", r);
    }
    const TConstDef* row = ConstRow(c);
    if (row->ValueType == ZC_TYPE_INT) lo_message_add_int32(r, ConstAsInt(c));
    else if (row->ValueType == ZC_TYPE_FLOAT) lo_message_add_float(r, ConstAsFloat(c));
    else lo_message_add_string(r, ConstToString(c).c_str());
    SendReply("/zyn/const/" + std::string(row->Section) + "/" + row->Name, r);
}

void TZynOscServer::SendReply(const std::string& path, void* message)
{
    lo_message m = static_cast<lo_message>(message);
    size_t size = lo_message_length(m, path.c_str());
    std::vector<uint8_t> bytes(size);
    lo_message_serialise(m, path.c_str(), bytes.data(), &size);
    std::string error;
    if (!Socket.SendTo(bytes.data(), size, From.sin_addr, ntohs(From.sin_port), error)) Error(path + " - reply not sent: " + error);
}
