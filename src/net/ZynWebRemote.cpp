// ZynWebRemote: the libwebsockets server, the page's files and the JSON messages.
#include "net/ZynWebRemote.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "console/ZynCommands.h"
#include "console/ZynConsole.h"
#include "console/ZynTimer.h"
#include "engine/ZynFadeClass.h"
#include "engine/ZynFadeList.h"
#include "engine/ZynSceneClass.h"
#include "engine/ZynSceneList.h"
#include "engine/ZynVis.h"
#include "engine/ZynVisHooks.h"
#include "net/ZynWebThumb.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynPath.h"
#include "winamp/ZynWinAMPControl.h"

#include <libwebsockets.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <sys/random.h>
#include <sys/stat.h>

using nlohmann::json;

namespace {

double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

const char kCookie[] = "zyn_session";
// What a page without the PIN may load.
const char* const kPublicFiles[] = {"pin.html", "style.css", "pin.js"};

// The program's strings are single-byte (Latin-1); the wire is UTF-8.
std::string Latin1ToUtf8(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Code points above 255 and broken sequences become '?'; control characters are dropped.
std::string Utf8ToLatin1(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = '?';
        size_t n = 1;
        if (c < 0x80) cp = c;
        else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) { cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F); n = 2; }
        else if ((c & 0xF0) == 0xE0) n = 3;
        else if ((c & 0xF8) == 0xF0) n = 4;
        i += n;
        if (cp < 32 || cp == 127) continue;
        out += cp < 256 ? static_cast<char>(cp) : '?';
    }
    return out;
}

// Single-precision values as the decimal a user reads (0.1, not 0.100000001): a
// slider's steps then land exactly on its limits.
double Clean(float v) { return std::strtod(ZynFormat("%.6g", v).c_str(), nullptr); }

std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

bool SafeName(const std::string& name)
{
    if (name.empty() || name.size() > 64 || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_' || c == '.';
    });
}

int Trampoline(lws* wsi, lws_callback_reasons reason, void* user, void* in, size_t len)
{
    lws_context* ctx = lws_get_context(wsi);
    auto* self = ctx ? static_cast<TZynWebRemote*>(lws_context_user(ctx)) : nullptr;
    if (!self) return lws_callback_http_dummy(wsi, reason, user, in, len);
    return self->Callback(wsi, static_cast<int>(reason), user, in, len);
}

// Per connection (libwebsockets allocates it): the client once the WebSocket is up.
struct TSessionSlot {
    TZynWebRemote::TClient* Client;
    bool CookieValid;
};

const lws_protocols kProtocols[] = {
    {"zyn", Trampoline, sizeof(TSessionSlot), TZynWebRemote::kMaxMessage, 0, nullptr, 0},
    {nullptr, nullptr, 0, 0, 0, nullptr, 0},
};

void LwsLog(int level, const char* line)
{
    std::string s = line ? line : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    ZynLogLine("WEB (lws) " + s);
}

}  // namespace

int ZynWebFilePath(const std::string& root, const std::string& urlPath, const std::string& index, std::string& file)
{
    std::string name = urlPath;
    if (!name.empty() && name[0] == '/') name.erase(0, 1);
    if (name.empty()) name = index;
    if (!SafeName(name) || name.find("..") != std::string::npos) return 403;
    char resolved[PATH_MAX];
    const std::string joined = root + "/" + name;
    if (!realpath(joined.c_str(), resolved)) return 404;
    const std::string real = resolved;
    if (real.size() <= root.size() + 1 || real.compare(0, root.size() + 1, root + "/") != 0) return 403;
    struct stat st{};
    if (stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 404;
    file = real;
    return 200;
}

const char* ZynWebMimeType(const std::string& file)
{
    static const struct { const char* Ext; const char* Type; } kTypes[] = {
        {".html", "text/html; charset=utf-8"}, {".css", "text/css; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"}, {".png", "image/png"}, {".jpg", "image/jpeg"},
        {".svg", "image/svg+xml"}, {".ico", "image/x-icon"}, {".json", "application/json"},
    };
    for (const auto& t : kTypes) {
        const size_t n = std::strlen(t.Ext);
        if (file.size() > n && file.compare(file.size() - n, n, t.Ext) == 0) return t.Type;
    }
    return "application/octet-stream";
}

TZynWebRemote::TZynWebRemote(const std::string& address, int port, int32_t pin, const std::string& webRoot)
    : PinOverride(pin)
{
    const std::string folder = !webRoot.empty() ? webRoot
                               : ZynFileExists(ZynBaseDir() + "/web/index.html") ? ZynBaseDir() + "/web"
                                                                                 : ZynExecutableDir() + "/web";
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved)) Root = resolved;
    else ZynLogWarning("WEB the page's folder " + folder + " is missing: only messages are served");

    lws_set_log_level(LLL_ERR, LwsLog);
    lws_context_creation_info info;
    std::memset(&info, 0, sizeof info);
    info.port = port;
    info.iface = address.c_str();
    info.protocols = kProtocols;
    info.user = this;
    info.gid = static_cast<gid_t>(-1);
    info.uid = static_cast<uid_t>(-1);
    info.options = LWS_SERVER_OPTION_DISABLE_IPV6 | LWS_SERVER_OPTION_VALIDATE_UTF8;
    info.max_http_header_data = static_cast<unsigned short>(kMaxHeaderBytes);
    info.max_http_header_pool = 16;
    // Every connection, HTTP ones included, counts; the rest wait in the backlog.
    info.fd_limit_per_thread = kMaxConnections + 16;
    info.timeout_secs = 10;
    info.keepalive_timeout = 5;
    info.ka_time = 30;      // TCP keepalive finds vanished phones
    info.ka_probes = 3;
    info.ka_interval = 5;
    Context = lws_create_context(&info);
    if (!Context) {
        ZynLogWarning("WEB cannot listen on " + address + ":" + std::to_string(port) + "; the web remote is off");
        return;
    }
    BoundPort = lws_get_vhost_listen_port(lws_get_vhost_by_name(Context, "default"));
    if (BoundPort <= 0) BoundPort = port;
    ConsoleSeen = ConsoleLinesAdded();
    ZynLogLine("WEB remote on http://" + address + ":" + std::to_string(BoundPort) + "/");
}

TZynWebRemote::~TZynWebRemote()
{
    if (Context) lws_context_destroy(Context);   // closes every connection (CLOSED frees the clients)
    Context = nullptr;
    for (TClient* c : Clients) delete c;
    Clients.clear();
    ZynLogLine("WEB remote closed");
}

int32_t TZynWebRemote::Pin() const { return PinOverride > 0 ? PinOverride : zcNET_PIN; }

bool TZynWebRemote::SessionValid(lws* wsi)
{
    char cookie[kMaxHeaderBytes];
    if (lws_hdr_copy(wsi, cookie, sizeof cookie, WSI_TOKEN_HTTP_COOKIE) <= 0) return false;
    const std::string all = cookie;
    const std::string key = std::string(kCookie) + "=";
    for (size_t at = 0; at < all.size();) {
        while (at < all.size() && (all[at] == ' ' || all[at] == ';')) at++;
        const size_t end = std::min(all.find(';', at), all.size());
        if (all.compare(at, key.size(), key) == 0 && Sessions.count(all.substr(at + key.size(), end - at - key.size())))
            return true;
        at = end;
    }
    return false;
}

// A page of another site must not drive the show through a visitor's browser:
// when a browser names the page's origin, its host must be the one asked.
bool TZynWebRemote::OriginAllowed(lws* wsi)
{
    char origin[512], host[512];
    if (lws_hdr_copy(wsi, origin, sizeof origin, WSI_TOKEN_ORIGIN) <= 0) return true;   // not a browser
    if (lws_hdr_copy(wsi, host, sizeof host, WSI_TOKEN_HOST) <= 0) return false;
    std::string o = origin;
    const size_t scheme = o.find("://");
    if (scheme == std::string::npos) return false;
    return o.substr(scheme + 3) == host;
}

std::string TZynWebRemote::NewSession()
{
    uint8_t bytes[16];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return "";
    std::string token;
    for (uint8_t b : bytes) token += ZynFormat("%02x", b);
    if (static_cast<int>(SessionOrder.size()) >= kMaxSessions) {
        Sessions.erase(SessionOrder.front());
        SessionOrder.pop_front();
    }
    Sessions.insert(token);
    SessionOrder.push_back(token);
    return token;
}

int TZynWebRemote::ServeHttp(lws* wsi, const char* uri)
{
    const bool unlocked = SessionValid(wsi);
    std::string path = uri ? uri : "/";
    if (!unlocked) {
        std::string name = path.substr(path.find_first_not_of('/') == std::string::npos ? path.size() : path.find_first_not_of('/'));
        if (name.empty()) name = "pin.html";
        const bool isPublic = std::any_of(std::begin(kPublicFiles), std::end(kPublicFiles),
                                          [&](const char* f) { return name == f; });
        path = isPublic ? name : "";
        if (!isPublic) {
            lws_return_http_status(wsi, HTTP_STATUS_FORBIDDEN, "The PIN is needed first.");
            return lws_http_transaction_completed(wsi) ? -1 : 0;
        }
    }
    std::string file;
    const int status = Root.empty() ? 404 : ZynWebFilePath(Root, path, "index.html", file);
    if (status != 200) {
        lws_return_http_status(wsi, static_cast<unsigned>(status), nullptr);
        return lws_http_transaction_completed(wsi) ? -1 : 0;
    }
    static const char kHeaders[] =
        "Cache-Control: no-store\r\n"
        "X-Content-Type-Options: nosniff\r\n"
        "Referrer-Policy: no-referrer\r\n"
        "Content-Security-Policy: default-src 'self'; img-src 'self' blob:; connect-src 'self' ws: wss:; "
        "frame-ancestors 'none'\r\n";
    const int n = lws_serve_http_file(wsi, file.c_str(), ZynWebMimeType(file), kHeaders, sizeof kHeaders - 1);
    if (n < 0 || (n > 0 && lws_http_transaction_completed(wsi))) return -1;
    return 0;
}

int TZynWebRemote::Callback(lws* wsi, int reason, void* user, void* in, size_t len)
{
    auto* slot = static_cast<TSessionSlot*>(user);
    switch (reason) {
    case LWS_CALLBACK_HTTP:
        if (lws_hdr_total_length(wsi, WSI_TOKEN_GET_URI) <= 0) {
            lws_return_http_status(wsi, HTTP_STATUS_METHOD_NOT_ALLOWED, nullptr);
            return lws_http_transaction_completed(wsi) ? -1 : 0;
        }
        return ServeHttp(wsi, static_cast<const char*>(in));
    case LWS_CALLBACK_HTTP_FILE_COMPLETION:
        return lws_http_transaction_completed(wsi) ? -1 : 0;
    case LWS_CALLBACK_FILTER_PROTOCOL_CONNECTION:
        if (!OriginAllowed(wsi)) {
            ZynLogWarning("WEB refused a WebSocket from a page of another site");
            return 1;
        }
        if (static_cast<int>(Clients.size()) >= kMaxConnections) {
            if (!FullLogged) ZynLogLine("WEB " + std::to_string(kMaxConnections) + " pages connected: further ones are refused");
            FullLogged = true;
            return 1;
        }
        if (slot) slot->CookieValid = SessionValid(wsi);
        return 0;
    case LWS_CALLBACK_ESTABLISHED: {
        if (!slot) return -1;
        auto* c = new TClient;
        c->Wsi = wsi;
        c->Id = ++LastId;
        char peer[64] = "";
        lws_get_peer_simple(wsi, peer, sizeof peer);
        c->Address = peer;
        c->Unlocked = slot->CookieValid;
        slot->Client = c;
        Clients.push_back(c);
        Send(*c, Dump({{"type", "hello"}, {"locked", !c->Unlocked}, {"version", ZYN_VERSION}}));
        if (c->Unlocked) {
            Send(*c, CatalogueJson());
            Send(*c, StateJson());
        }
        return 0;
    }
    case LWS_CALLBACK_RECEIVE: {
        TClient* c = slot ? slot->Client : nullptr;
        if (!c) return -1;
        if (!c->RxTooLong) {
            if (c->Rx.size() + len > kMaxMessage) {
                c->RxTooLong = true;
                c->Rx.clear();
            } else {
                c->Rx.append(static_cast<const char*>(in), len);
            }
        }
        if (!lws_is_final_fragment(wsi) || lws_remaining_packet_payload(wsi) > 0) return 0;
        if (c->RxTooLong) {
            ZynLogWarning("WEB " + c->Address + " : a message over " + std::to_string(kMaxMessage) + " bytes, connection closed");
            lws_close_reason(wsi, LWS_CLOSE_STATUS_MESSAGE_TOO_LARGE, nullptr, 0);
            return -1;
        }
        // Run after the service call: a command may do anything, even end this server.
        Pending.emplace_back(c->Id, std::string());
        Pending.back().second.swap(c->Rx);
        return 0;
    }
    case LWS_CALLBACK_SERVER_WRITEABLE:
        return slot && slot->Client ? Write(*slot->Client) : 0;
    case LWS_CALLBACK_CLOSED:
        if (slot && slot->Client) {
            Clients.erase(std::remove(Clients.begin(), Clients.end(), slot->Client), Clients.end());
            delete slot->Client;
            slot->Client = nullptr;
        }
        if (static_cast<int>(Clients.size()) < kMaxConnections) FullLogged = false;
        return 0;
    default:
        return lws_callback_http_dummy(wsi, static_cast<lws_callback_reasons>(reason), user, in, len);
    }
}

void TZynWebRemote::Send(TClient& c, const std::string& text)
{
    if (c.Drop) return;
    c.Queued += text.size();
    c.Out.push_back(text);
    if (c.Queued > kMaxQueued) {
        // A page that does not read: dropped, so nothing piles up for it.
        ZynLogWarning("WEB " + c.Address + " : not reading, connection closed");
        c.Drop = true;
        c.Out.clear();
        lws_set_timeout(c.Wsi, PENDING_TIMEOUT_KILLED_BY_PARENT, LWS_TO_KILL_ASYNC);
        return;
    }
    lws_callback_on_writable(c.Wsi);
}

void TZynWebRemote::SendToUnlocked(const std::string& text)
{
    for (TClient* c : Clients)
        if (c->Unlocked) Send(*c, text);
}

int TZynWebRemote::Write(TClient& c)
{
    if (c.Drop) return -1;
    const bool text = !c.Out.empty();
    if (!text && c.Thumb.empty()) return 0;
    const size_t n = text ? c.Out.front().size() : c.Thumb.size();
    std::vector<unsigned char> buf(LWS_PRE + n);
    if (text) std::memcpy(buf.data() + LWS_PRE, c.Out.front().data(), n);
    else std::memcpy(buf.data() + LWS_PRE, c.Thumb.data(), n);
    if (lws_write(c.Wsi, buf.data() + LWS_PRE, n, text ? LWS_WRITE_TEXT : LWS_WRITE_BINARY) < static_cast<int>(n))
        return -1;
    if (text) {
        c.Queued -= n;
        c.Out.pop_front();
    } else {
        c.Thumb.clear();
    }
    if (!c.Out.empty() || !c.Thumb.empty()) lws_callback_on_writable(c.Wsi);
    return 0;
}

void TZynWebRemote::HandlePin(TClient& c, const std::string& pin)
{
    const double wait = PinTries.DelayLeft(c.Address);
    if (wait > 0) {
        Send(c, Dump({{"type", "pin"}, {"ok", false}, {"wait", std::ceil(wait * 10) / 10}}));
        return;
    }
    int64_t value = 0;
    if (ZynParseInt64(pin, value) && value == Pin()) {
        PinTries.Accepted(c.Address);
        c.Unlocked = true;
        ZynLogLine("WEB " + c.Address + " : PIN accepted");
        Send(c, Dump({{"type", "pin"}, {"ok", true}, {"session", NewSession()}}));
        Send(c, CatalogueJson());
        Send(c, StateJson());
        return;
    }
    const TZynPinThrottle::TRefusal r = PinTries.Refused(c.Address, PinDelayFirst, PinDelayMax);
    ZynLogWarning("WEB wrong PIN from " + c.Address + " (" + std::to_string(r.Wrong) +
                  " in a row; the next try waits " + ZynFormat("%g", r.Delay) + " s)");
    Send(c, Dump({{"type", "pin"}, {"ok", false}, {"wait", r.Delay}}));
}

void TZynWebRemote::Received(TClient& c, const std::string& text)
{
    const json m = json::parse(text, nullptr, false);
    if (!m.is_object() || !m.contains("type") || !m["type"].is_string()) {
        Send(c, Dump({{"type", "error"}, {"text", "a message is a JSON object with a \"type\""}}));
        return;
    }
    const std::string type = m["type"];
    auto str = [&](const char* key) {
        if (!m.contains(key)) return std::string();
        const json& v = m[key];
        return v.is_string() ? v.get<std::string>() : v.is_number() ? v.dump() : std::string();
    };
    auto num = [&](const char* key, double fallback) {
        return m.contains(key) && m[key].is_number() ? m[key].get<double>() : fallback;
    };
    if (type == "pin") return HandlePin(c, str("pin"));
    if (!c.Unlocked) {
        Send(c, Dump({{"type", "error"}, {"text", "enter the PIN first"}}));
        return;
    }
    if (type == "exec") {
        const std::string line = Utf8ToLatin1(str("line"));
        if (line.size() > ConsoleMaxInput) {
            Send(c, Dump({{"type", "error"}, {"text", "the line is too long"}}));
            return;
        }
        if (!line.empty()) ConsoleExecute(line);
    } else if (type == "announce") {
        std::string t = Utf8ToLatin1(str("text")).substr(0, 240);
        std::replace(t.begin(), t.end(), '[', '(');   // the text travels as one bracketed argument
        std::replace(t.begin(), t.end(), ']', ')');
        const int kind = num("kind", 0) >= 1 ? 1 : 0;
        const double seconds = std::clamp(num("seconds", 8), 0.5, 600.0);
        ConsoleExecute("Announce(" + std::to_string(kind) + ", " + ZynFormat("%g", seconds) + ", [" + t + "])");
    } else if (type == "set") {
        const int32_t i = FindConstQuiet(str("name"));
        if (i < 0) {
            Send(c, Dump({{"type", "error"}, {"text", "no constant " + str("name")}}));
            return;
        }
        if (m.contains("value") && m["value"].is_number()) ConstSetFloat(i, m["value"].get<double>());
        else ConstSetString(i, Utf8ToLatin1(str("value")));
        SendToUnlocked(ConstJson(i));
    } else if (type == "consts") {
        Send(c, ConstantsJson(str("section")));
    } else if (type == "thumbnail") {
        c.WantsThumb = m.contains("on") && m["on"].is_boolean() && m["on"].get<bool>();
    } else if (type == "state") {
        Send(c, CatalogueJson());
        Send(c, StateJson());
    } else {
        Send(c, Dump({{"type", "error"}, {"text", "unknown message type " + type}}));
    }
}

std::string TZynWebRemote::CatalogueJson()
{
    json scenes = json::array(), predefines = json::array(), faders = json::array(), sections = json::array();
    if (TVisObject* vis = CmdSequencer()) {
        for (int32_t n = 0; vis->Scenes && n < vis->Scenes->Count(); n++)
            if (TZynScene* s = vis->Scenes->Items(n))
                scenes.push_back({{"n", n}, {"name", Latin1ToUtf8(s->Name)}, {"section", s->Section}});
        for (int32_t k = 0; vis->Predefines && k < vis->Predefines->Count(); k++)
            predefines.push_back({{"n", -(k + 1)}, {"name", Latin1ToUtf8(vis->Predefines->Name(k))}});
        for (int32_t i = 0; vis->Faders && i < vis->Faders->Count(); i++)
            if (TZynFader* f = vis->Faders->Items(i)) faders.push_back({{"n", i}, {"name", Latin1ToUtf8(f->Name)}});
    }
    for (int32_t i = 0; i < ConstCount(); i++) {
        const std::string s = ConstRow(i)->Section;
        if (sections.empty() || sections.back() != s) sections.push_back(s);
    }
    return Dump({{"type", "catalogue"}, {"scenes", scenes}, {"predefines", predefines}, {"faders", faders},
                 {"sections", sections}});
}

std::string TZynWebRemote::StateJson()
{
    static double nextTitle = 0;
    static std::string title;
    const double now = Now();
    if (now >= nextTitle) {   // the player is asked once a second at most
        title = GetTitle(FindPlayer());
        nextTitle = now + 1;
    }
    bool changing = false;
    for (int i = 0; i < TimerSlotCount; i++)
        if (TimerSlot(i).Time > 0 && TimerSlot(i).Tag == "CHANGE") changing = true;
    TVisObject* vis = CmdSequencer();
    return Dump({{"type", "state"}, {"scene", vis ? vis->CurrentScene : 0}, {"fading", vis && vis->FadeProgress < 1},
                 {"auto", changing}, {"strobe", zcGAMMA_On}, {"title", Latin1ToUtf8(title)}});
}

std::string TZynWebRemote::ConstJson(int32_t i)
{
    const TConstDef* row = ConstRow(i);
    json j = {{"type", "const"}, {"name", ConstFullName(i)}, {"text", Latin1ToUtf8(ConstToString(i))}};
    if (row->ValueType != ZC_TYPE_STRING) j["value"] = Clean(ConstAsFloat(i));
    return Dump(j);
}

std::string TZynWebRemote::ConstantsJson(const std::string& section)
{
    json list = json::array();
    for (int32_t i = 0; i < ConstCount(); i++) {
        const TConstDef* row = ConstRow(i);
        if (strcasecmp(row->Section, section.c_str()) != 0) continue;
        json e = {{"name", ConstFullName(i)}, {"text", Latin1ToUtf8(ConstToString(i))},
                  {"about", Latin1ToUtf8(row->Description)}, {"restart", row->NeedsRestart},
                  {"kind", row->ValueType == ZC_TYPE_INT ? "int" : row->ValueType == ZC_TYPE_FLOAT ? "float" : "text"}};
        if (row->ValueType != ZC_TYPE_STRING) {
            e["value"] = Clean(ConstAsFloat(i));
            if (row->HasMin) e["min"] = Clean(row->Min);
            if (row->HasMax) e["max"] = Clean(row->Max);
            e["step"] = row->StepIsFactor ? 0.0 : Clean(row->Step);
        }
        list.push_back(e);
    }
    return Dump({{"type", "consts"}, {"section", section}, {"consts", list}});
}

void TZynWebRemote::SendConsoleLines()
{
    const uint64_t added = ConsoleLinesAdded();
    if (added == ConsoleSeen) return;
    const std::deque<std::string>& lines = ConsoleLines();
    const size_t fresh = static_cast<size_t>(std::min<uint64_t>(added - ConsoleSeen, lines.size()));
    ConsoleSeen = added;
    for (size_t k = lines.size() - fresh; k < lines.size(); k++)
        SendToUnlocked(Dump({{"type", "console"}, {"line", Latin1ToUtf8(lines[k])}}));
}

void TZynWebRemote::Service()
{
    // Not re-entered: a command run from a message may pump the frame.
    if (!Context || InService) return;
    InService = true;
    // A negative timeout: handle what is pending and return, never wait.
    lws_service(Context, -1);
    std::vector<std::pair<uint64_t, std::string>> messages;
    messages.swap(Pending);
    for (auto& [id, text] : messages) {
        auto it = std::find_if(Clients.begin(), Clients.end(), [id = id](TClient* c) { return c->Id == id; });
        if (it != Clients.end()) Received(**it, text);
        if (!Context) break;
    }
    const bool anyUnlocked = std::any_of(Clients.begin(), Clients.end(), [](TClient* c) { return c->Unlocked; });
    if (anyUnlocked) {
        SendConsoleLines();
        const double now = Now();
        if (now >= NextState) {
            NextState = now + 0.25;
            std::string state = StateJson();
            if (state != LastState) {
                LastState = state;
                SendToUnlocked(state);
            }
        }
    } else {
        ConsoleSeen = ConsoleLinesAdded();
        LastState.clear();
    }
    InService = false;
}

void TZynWebRemote::CaptureThumbnail()
{
    if (!Context) return;
    const double now = Now();
    if (now < NextThumb) return;
    // Only for a watcher whose previous picture has gone out (a slow page gets fewer).
    bool due = false;
    for (TClient* c : Clients) due = due || (c->Unlocked && c->WantsThumb && c->Thumb.empty() && !c->Drop);
    if (!due) return;
    NextThumb = now + ThumbInterval;
    std::vector<uint8_t> jpeg;
    if (!ZynCaptureThumbnail(ThumbWidth, 70, jpeg)) return;
    for (TClient* c : Clients) {
        if (!c->Unlocked || !c->WantsThumb || !c->Thumb.empty() || c->Drop) continue;
        c->Thumb = jpeg;
        lws_callback_on_writable(c->Wsi);
    }
}
