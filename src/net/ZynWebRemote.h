// ZynWebRemote: TZynWebRemote, the web remote (HTTP page and WebSocket control).
//
// Serves the remote's page from the runtime folder's "web" folder and speaks a
// JSON message set over a WebSocket on the same port (--web-port, loopback
// unless --web-listen). libwebsockets does the HTTP and WebSocket protocol;
// Service runs from the client's frame and never waits. The PIN is NET.PIN:
// until a connection has given it (or carries the session cookie it earned),
// only the PIN page is served and every message but the PIN is refused.
// Wrong PINs are throttled per address like telnet's. Commands run through
// the console (ConsoleExecute), constants are set through the registry with
// its limits; console output, the show's state and, for subscribers, a small
// JPEG of the picture a few times a second go back to the pages.
// Against hostile clients: request headers, message size, connection count and
// the queue of each connection are capped; a connection whose queue overflows
// (a slow or vanished client) is dropped instead of holding anything up.
// Depends on: net/ZynPinThrottle, net/ZynWebThumb, config/ZynConst,
// console/ZynConsole, console/ZynCommands (sequencer), console/ZynTimer,
// engine/ZynVis, winamp/ZynWinAMPControl, app/ZynLog, libwebsockets, nlohmann-json.
#pragma once

#include "net/ZynPinThrottle.h"

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct lws;
struct lws_context;

// The file under root (a real path, no trailing slash) that the URL path asks
// for: "" (the page) and "/" give the index, then only plain names of letters,
// digits, "-", "_" and "." below root, no ".." and no hidden names, that exist as
// regular files whose real path stays inside root (no symlinks out). Returns
// 200 with file set, 404 for what is not there, 403 for what may not be asked.
int ZynWebFilePath(const std::string& root, const std::string& urlPath, const std::string& index, std::string& file);

// Content type by file extension ("application/octet-stream" when unknown).
const char* ZynWebMimeType(const std::string& file);

class TZynWebRemote {
public:
    // Caps against hostile clients.
    static constexpr int kMaxConnections = 64;
    static constexpr size_t kMaxMessage = 4096;        // bytes of one received message
    static constexpr size_t kMaxHeaderBytes = 4096;    // all request headers together
    static constexpr size_t kMaxQueued = 1 << 20;      // bytes waiting for one slow client
    static constexpr int kMaxSessions = 256;

    // Listens on address:port (port 0: a free one); pin > 0 replaces NET.PIN;
    // webRoot: the page's folder ("" : the runtime folder's "web").
    TZynWebRemote(const std::string& address, int port, int32_t pin = 0, const std::string& webRoot = "");
    ~TZynWebRemote();
    TZynWebRemote(const TZynWebRemote&) = delete;
    TZynWebRemote& operator=(const TZynWebRemote&) = delete;

    // Services the sockets (never waits), then sends what is due: console
    // lines, the state when it changed.
    void Service();
    // After the frame is drawn: reads, shrinks and sends the picture when a
    // subscriber waits for one and its time has come (needs the GL context).
    void CaptureThumbnail();

    bool Listening() const { return Context != nullptr; }
    int Port() const { return BoundPort; }
    int ClientCount() const { return static_cast<int>(Clients.size()); }
    int32_t Pin() const;
    // Seconds between thumbnails; their width in pixels.
    double ThumbInterval = 0.25;
    int ThumbWidth = 240;
    double PinDelayFirst = 1;
    double PinDelayMax = 60;

    // One WebSocket connection.
    struct TClient {
        lws* Wsi = nullptr;
        uint64_t Id = 0;
        std::string Address;
        bool Unlocked = false;
        bool WantsThumb = false;
        std::string Rx;                     // the message being assembled
        bool RxTooLong = false;
        std::deque<std::string> Out;        // text messages waiting to be written
        std::vector<uint8_t> Thumb;         // the newest picture not yet written
        size_t Queued = 0;
        bool Drop = false;
    };

    // libwebsockets' callback (public for the C trampoline only).
    int Callback(lws* wsi, int reason, void* user, void* in, size_t len);

private:
    int ServeHttp(lws* wsi, const char* uri);
    bool SessionValid(lws* wsi);
    bool OriginAllowed(lws* wsi);
    void Received(TClient& c, const std::string& text);
    void HandlePin(TClient& c, const std::string& pin);
    void Send(TClient& c, const std::string& text);
    void SendToUnlocked(const std::string& text);
    int Write(TClient& c);
    void SendConsoleLines();
    std::string StateJson();
    std::string CatalogueJson();
    std::string ConstantsJson(const std::string& section);
    std::string ConstJson(int32_t index);
    std::string NewSession();

    lws_context* Context = nullptr;
    int BoundPort = 0;
    int32_t PinOverride = 0;
    std::string Root;
    std::vector<TClient*> Clients;
    std::vector<std::pair<uint64_t, std::string>> Pending;   // received, not yet handled
    uint64_t LastId = 0;
    std::set<std::string> Sessions;
    std::deque<std::string> SessionOrder;
    TZynPinThrottle PinTries;
    uint64_t ConsoleSeen = 0;
    std::string LastState;
    double NextState = 0;
    double NextThumb = 0;
    bool FullLogged = false;
    bool InService = false;
};
