// ZynOptions: command-line parsing for the zyn executable.
#include "app/ZynOptions.h"

#include "platform/ZynNumbers.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>

ZynOptions ZynOpt;

std::string ZynUsageText()
{
    return
        "Usage: zyn [options]\n"
        "  --base-dir DIR       run portable from this folder (default: data beside the\n"
        "                       executable, or installed: the user's XDG folders)\n"
        "  --headless           render offscreen, no window (for machines without a display)\n"
        "  --frames N           quit cleanly after N frames\n"
        "  --fixed-dt S         every frame advances exactly S seconds (deterministic runs)\n"
        "  --max-fps N          frame cap where there is no vertical sync (default 60; 0: none;\n"
        "                       runs with --fixed-dt are not capped unless this is given)\n"
        "  --seed N             fixed random seed\n"
        "  --demo               synthesised music input (no sender needed)\n"
        "  --audio capture|FILE music from what the desktop plays, or from an audio file\n"
        "                       (WAV, FLAC, Ogg, MP3...), analysed here, no sender needed\n"
        "  --source NAME        capture from this sound source (zyn-send sources lists them)\n"
        "  --udp-port N         UDP port for vis data and control packets (default 556)\n"
        "  --announce-to ADDR   where presence announcements go (default 255.255.255.255)\n"
        "  --reply-port N       peers' port for constant replies and presence (default 557)\n"
        "  --presence-port N    second port for presence announcements (default 555)\n"
        "  --exec \"LINE\"        console command line run after the first frame\n"
        "  --screenshot-frames LIST  save a screenshot after these frames (e.g. 150,300,450)\n"
        "  --web-port N         serve the web remote (a page for phones and a WebSocket\n"
        "                       API) on this TCP port; off when not given\n"
        "  --web-listen ADDR    the web remote's IPv4 address (default 127.0.0.1, this\n"
        "                       machine only; 0.0.0.0 for every network)\n"
        "  --player NAME        the media player to control (MPRIS bus name or its last part,\n"
        "                       e.g. vlc; default: the first player on the session bus)\n"
        "  --osc-port N         take OSC control messages on UDP port N (default: no OSC)\n"
        "  --osc-listen ADDR    address the OSC port listens on (default 127.0.0.1, this\n"
        "                       machine only; 0.0.0.0: every network)\n"
        "  --midi NAME          MIDI input only from ports whose name contains NAME (may be\n"
        "                       given more than once; default: every port; off: no MIDI)\n"
        "  --render FILE --out DIR|VIDEO.mp4  render a music video of an audio file offline:\n"
        "                       numbered PNG frames into DIR, or an MP4 with the sound (ffmpeg)\n"
        "  --fps N              with --render: frames per second (default 30)\n"
        "  --size WxH           with --render: picture size (default 640x480)\n"
        "  --script FILE        with --render: console lines run at the start (TimerAdd for later)\n"
        "  --version            print the version and exit\n"
        "  --help               print this text and exit\n";
}

static bool ParseInt(const std::string& s, int64_t lo, int64_t hi, int64_t& out)
{
    int64_t v;
    if (!ZynParseInt64(s, v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

// "150,300,450" -> sorted, unique frame numbers (each >= 1).
static bool ParseFrameList(const std::string& s, std::vector<int64_t>& out)
{
    std::vector<int64_t> frames;
    size_t start = 0;
    for (;;) {
        size_t comma = s.find(',', start);
        int64_t n;
        if (!ParseInt(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start), 1, INT64_MAX, n))
            return false;
        frames.push_back(n);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    out = frames;
    return true;
}

// "640x480" -> sides within the offscreen window's limits.
static bool ParseSize(const std::string& s, int& w, int& h)
{
    size_t x = s.find_first_of("xX");
    int64_t a, b;
    if (x == std::string::npos || !ParseInt(s.substr(0, x), ZynRenderMinSide, ZynRenderMaxSide, a) ||
        !ParseInt(s.substr(x + 1), ZynRenderMinSide, ZynRenderMaxSide, b))
        return false;
    w = static_cast<int>(a);
    h = static_cast<int>(b);
    return true;
}

// The render needs its own music and clock: options that would replace them are refused.
static bool CheckRender(const ZynOptions& o, const std::vector<std::string>& given, std::string& error)
{
    auto has = [&](const char* name) { return std::find(given.begin(), given.end(), name) != given.end(); };
    if (o.render.empty()) {
        for (const char* name : {"--out", "--fps", "--size", "--script"})
            if (has(name)) { error = std::string(name) + " needs --render AUDIOFILE"; return false; }
        return true;
    }
    if (o.renderOut.empty()) { error = "--render needs --out DIR or --out FILE.mp4"; return false; }
    for (const char* name : {"--audio", "--demo", "--frames", "--fixed-dt", "--max-fps"})
        if (has(name)) {
            error = std::string("--render takes its music from the file and its frame time from --fps: leave out ") + name;
            return false;
        }
    return true;
}

static ZynOptionsResult ParseArgs(int argc, const char* const* argv, ZynOptions& opts,
                                  std::string& out, std::string& error, std::vector<std::string>& given)
{
    bool oscListenGiven = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        std::string value;
        size_t eq = a.find('=');
        bool inlineValue = a.rfind("--", 0) == 0 && eq != std::string::npos;
        if (inlineValue) { value = a.substr(eq + 1); a = a.substr(0, eq); }
        auto need = [&](std::string& v) -> bool {
            if (inlineValue) { v = value; return true; }
            if (i + 1 >= argc) { error = "option " + a + " needs a value"; return false; }
            v = argv[++i];
            return true;
        };
        auto noValue = [&]() -> bool {
            if (inlineValue) { error = "option " + a + " takes no value"; return false; }
            return true;
        };
        std::string v;
        int64_t n = 0;
        given.push_back(a);
        if (a == "--help" || a == "-h") {
            if (!noValue()) return ZynOptionsResult::ExitUsage;
            out = ZynUsageText();
            return ZynOptionsResult::ExitOk;
        } else if (a == "--version") {
            if (!noValue()) return ZynOptionsResult::ExitUsage;
            out = std::string("zyn ") + ZYN_VERSION + "\n";
            return ZynOptionsResult::ExitOk;
        } else if (a == "--headless") {
            if (!noValue()) return ZynOptionsResult::ExitUsage;
            opts.headless = true;
        } else if (a == "--demo") {
            if (!noValue()) return ZynOptionsResult::ExitUsage;
            opts.demo = true;
        } else if (a == "--audio" || a == "--source") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (v.empty()) { error = a + (a == "--audio" ? " needs capture or a file" : " needs a source name"); return ZynOptionsResult::ExitUsage; }
            (a == "--audio" ? opts.audio : opts.source) = v;
        } else if (a == "--base-dir") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (v.empty()) { error = "--base-dir needs a folder"; return ZynOptionsResult::ExitUsage; }
            opts.baseDir = v;
        } else if (a == "--frames") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (!ParseInt(v, 0, INT64_MAX, n)) { error = "--frames needs a whole number >= 0, not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
            opts.frames = n;
        } else if (a == "--fixed-dt") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            double d;
            if (!ZynParseDouble(v, d) || d <= 0.0 || d > 1.0) { error = "--fixed-dt needs seconds in (0, 1], not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
            opts.fixedDt = d;
        } else if (a == "--max-fps") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (!ParseInt(v, 0, 1000, n)) { error = "--max-fps needs frames per second 0..1000 (0: no cap), not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
            opts.maxFps = n;
        } else if (a == "--seed") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (!ParseInt(v, 0, UINT32_MAX, n)) { error = "--seed needs a whole number 0..4294967295, not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
            opts.hasSeed = true;
            opts.seed = static_cast<uint32_t>(n);
        } else if (int* port = a == "--udp-port" ? &opts.udpPort : a == "--reply-port" ? &opts.replyPort
                             : a == "--presence-port" ? &opts.presencePort : a == "--web-port" ? &opts.webPort
                             : a == "--osc-port" ? &opts.oscPort : nullptr) {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (!ParseInt(v, 1, 65535, n)) { error = a + " needs a port 1..65535, not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
            *port = static_cast<int>(n);
        } else if (std::string* address = a == "--web-listen" ? &opts.webListen : a == "--announce-to" ? &opts.announceTo
                                        : a == "--osc-listen" ? &opts.oscListen : nullptr) {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            in_addr addr;
            if (inet_pton(AF_INET, v.c_str(), &addr) != 1) { error = a + " needs an IPv4 address, not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
            *address = v;
            if (a == "--osc-listen") oscListenGiven = true;
        } else if (a == "--screenshot-frames") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (!ParseFrameList(v, opts.screenshotFrames)) { error = "--screenshot-frames needs frame numbers >= 1 separated by commas, not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
        } else if (a == "--midi") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (v.empty()) { error = "--midi needs a port name (or off)"; return ZynOptionsResult::ExitUsage; }
            if (v == "off") opts.midi = false;
            else opts.midiPorts.push_back(v);
        } else if (a == "--exec") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            opts.execLine = v;
        } else if (a == "--render" || a == "--out" || a == "--script") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (v.empty()) { error = a + (a == "--out" ? " needs a folder or a .mp4 file" : " needs a file"); return ZynOptionsResult::ExitError; }
            (a == "--render" ? opts.render : a == "--out" ? opts.renderOut : opts.renderScript) = v;
        } else if (a == "--fps") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (!ParseInt(v, 1, ZynRenderMaxFps, n)) { error = "--fps needs frames per second 1.." + std::to_string(ZynRenderMaxFps) + ", not \"" + v + "\""; return ZynOptionsResult::ExitError; }
            opts.renderFps = static_cast<int>(n);
        } else if (a == "--size") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            if (!ParseSize(v, opts.renderWidth, opts.renderHeight)) {
                error = "--size needs WIDTHxHEIGHT, each " + std::to_string(ZynRenderMinSide) + ".." + std::to_string(ZynRenderMaxSide) + ", not \"" + v + "\"";
                return ZynOptionsResult::ExitError;
            }
        } else if (a == "--player") {
            if (!need(v)) return ZynOptionsResult::ExitUsage;
            // Bus name characters only: letters, digits, '_', '-' and '.' between parts.
            bool ok = !v.empty() && v.front() != '.' && v.back() != '.' && v.size() <= 200 &&
                      std::all_of(v.begin(), v.end(), [](char c) {
                          return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
                      });
            if (!ok) { error = "--player needs a player's bus name such as vlc or org.mpris.MediaPlayer2.vlc, not \"" + v + "\""; return ZynOptionsResult::ExitUsage; }
            opts.player = v;
        } else {
            error = std::string("unknown option \"") + argv[i] + "\"";
            return ZynOptionsResult::ExitUsage;
        }
    }
    // An address to listen on without a port would quietly do nothing.
    if (oscListenGiven && opts.oscPort == 0) {
        error = "--osc-listen needs --osc-port";
        return ZynOptionsResult::ExitUsage;
    }
    return ZynOptionsResult::Run;
}

ZynOptionsResult ZynParseOptions(int argc, const char* const* argv, ZynOptions& opts,
                                 std::string& out, std::string& error)
{
    std::vector<std::string> given;
    ZynOptionsResult result = ParseArgs(argc, argv, opts, out, error, given);
    if (result != ZynOptionsResult::Run) return result;
    return CheckRender(opts, given, error) ? ZynOptionsResult::Run : ZynOptionsResult::ExitError;
}
