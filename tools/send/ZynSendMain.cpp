// zyn-send: feeds music to Zyn over UDP and reads or sets its constants.
#include "ZynSendAudio.h"
#include "ZynSendLoops.h"
#include "audio/ZynAudioAnalyser.h"
#include "audio/ZynAudioCapture.h"
#include "audio/ZynAudioFile.h"

#include <pulse/simple.h>
#include "app/ZynPacket.h"
#include "app/ZynPacketSocket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    std::string host = "127.0.0.1";
    int port = ZynPortReceive;
    int listenPort = ZynPortReply;
    int presencePort = ZynPortPresence;
    int timeoutMs = 2000;
    double rate = 60.0;
    double from = 0.0;
    double to = -1.0;          // < 0: to the end
    bool loop = false;
    double bpm = 120.0;
    double seconds = -1.0;     // synthetic beat length, < 0: until interrupted
    double gain = 1.0;
    double tone = 0.0;
    double quietAfter = -1.0;
    int pcmRate = 44100;
    int pcmChannels = 2;
    int size = (int)ZynPacketSize;
    int count = 0;             // ping: stop after this many records (0: wait the timeout)
    bool ask = true;
    bool verbose = false;
    bool hex = false;
    bool synthetic = false;    // vis without a file: the synthetic beat instead of capture
    bool beats = false;        // analyse: only the kick times
    std::string source;        // capture source ("" the default output's monitor)
    std::vector<std::string> args;
};

std::atomic<bool> Stop{false};
void OnSignal(int) { Stop = true; }

const char* Usage =
    "Usage: zyn-send [options] COMMAND [ARGS]\n"
    "Commands:\n"
    "  vis [FILE | - | capture]  stream vis data: from an audio file (WAV, FLAC, Ogg, MP3...), from raw\n"
    "                            s16le PCM on stdin (-), or (no file, capture) from what the desktop\n"
    "                            plays; --synthetic: from a synthetic beat\n"
    "  analyse FILE|capture      print time, Bass, Beat and kick (0/1) per frame; --beats: kick times\n"
    "  sources                   list the sound server's sources (for --source)\n"
    "  latency                   play 8 kicks to the default output, capture them and print how many\n"
    "                            ms each took from the loudspeaker to Bass\n"
    "  make-loop [NAME FILE]     write drum loop NAME of the beat test set, print its kick times\n"
    "                            (no NAME: list the loops)\n"
    "  get NAME                  print the value of a constant (e.g. MAIN.ScreenX)\n"
    "  set NAME VALUE            set a constant\n"
    "  scene N [FADER]           change to scene N (negative: predefine) with fader FADER (default 0)\n"
    "  restart N                 restart scene N\n"
    "  announce INDEX MS TEXT    show TEXT on announcement INDEX (0 overlay, 1 scroller) for MS ms\n"
    "  ping                      ask for presence and print the presence records that arrive\n"
    "  record BASS [BEAT]        send one vis data record with these levels (flat waveform)\n"
    "  packet TYPE               send a bare packet of TYPE\n"
    "  make-wav FILE             write the synthetic beat (or --tone) as a 16-bit 44.1 kHz WAV file\n"
    "Options:\n"
    "  --host ADDR         where Zyn runs (default 127.0.0.1)\n"
    "  --port N            Zyn's UDP port (default 556, zyn --udp-port)\n"
    "  --listen-port N     port replies and presence records arrive on (default 557, zyn --reply-port)\n"
    "  --presence-port N   second presence port for ping (default 555, zyn --presence-port)\n"
    "  --timeout MS        how long get and ping wait (default 2000)\n"
    "  --rate HZ           vis packets per second (default 60)\n"
    "  --from S, --to S    play only this part of the file (seconds)\n"
    "  --loop              repeat the file (or part) until interrupted\n"
    "  --synthetic         vis: the synthetic beat instead of desktop capture\n"
    "  --source NAME       capture from this source instead of the default output's monitor\n"
    "  --beats             analyse: print only the kick times, one per line\n"
    "  --bpm N             tempo of the synthetic beat (default 120)\n"
    "  --seconds S         length of the synthetic beat (default: until interrupted; make-wav 10),\n"
    "                      or how long analyse listens to capture (default 10)\n"
    "  --tone HZ           make-wav: a steady sine tone instead of the beat\n"
    "  --quiet-after S     make-wav: 40 dB quieter from S seconds on\n"
    "  --gain G            bass level factor (default 1)\n"
    "  --pcm-rate N        sample rate of PCM on stdin (default 44100)\n"
    "  --pcm-channels N    channels of PCM on stdin (default 2)\n"
    "  --size BYTES        datagram size of get, set, scene, ... packets (default 1212)\n"
    "  --hex               get: print the whole reply record in hex\n"
    "  --count N           ping: stop after N records\n"
    "  --no-ask            ping: only listen, do not ask for presence\n"
    "  --verbose           progress and summary lines\n"
    "Ports below 1024 need root or CAP_NET_BIND_SERVICE to listen on. Without them, start zyn\n"
    "with --reply-port N (and --presence-port M) and pass --listen-port N (--presence-port M) here.\n";

int Fail(const std::string& msg, int code = 1)
{
    std::fprintf(stderr, "zyn-send: %s\n", msg.c_str());
    return code;
}

bool ParseNum(const char* text, double lo, double hi, double& out)
{
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text, &end);
    if (errno || end == text || *end || !std::isfinite(v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseIntArg(const std::string& text, long lo, long hi, long& out)
{
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno || text.empty() || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

// Returns 0 to go on, otherwise the exit code.
int ParseArgs(int argc, char** argv, Options& o)
{
    bool onlyArgs = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (onlyArgs || a.size() < 2 || a.compare(0, 2, "--") != 0) { o.args.push_back(a); continue; }
        if (a == "--") { onlyArgs = true; continue; }
        if (a == "--help") { std::fputs(Usage, stdout); return -1; }
        if (a == "--loop") { o.loop = true; continue; }
        if (a == "--no-ask") { o.ask = false; continue; }
        if (a == "--verbose") { o.verbose = true; continue; }
        if (a == "--hex") { o.hex = true; continue; }
        if (a == "--synthetic") { o.synthetic = true; continue; }
        if (a == "--beats") { o.beats = true; continue; }
        if (i + 1 >= argc) return Fail("option " + a + " needs a value", 2);
        const char* v = argv[++i];
        double d = 0;
        auto num = [&](double lo, double hi) {
            if (ParseNum(v, lo, hi, d)) return true;
            Fail("option " + a + " needs a number " + std::to_string((long)lo) + ".." +
                 std::to_string((long)hi) + ", not \"" + v + "\"", 2);
            return false;
        };
        if (a == "--host") {
            in_addr addr;
            if (!ZynParseIPv4(v, addr)) return Fail(std::string("--host needs an IPv4 address, not \"") + v + "\"", 2);
            o.host = v;
        } else if (a == "--port") { if (!num(1, 65535)) return 2; o.port = (int)d; }
        else if (a == "--listen-port") { if (!num(1, 65535)) return 2; o.listenPort = (int)d; }
        else if (a == "--presence-port") { if (!num(1, 65535)) return 2; o.presencePort = (int)d; }
        else if (a == "--timeout") { if (!num(1, 3600000)) return 2; o.timeoutMs = (int)d; }
        else if (a == "--rate") { if (!num(1, 1000)) return 2; o.rate = d; }
        else if (a == "--from") { if (!num(0, 1e7)) return 2; o.from = d; }
        else if (a == "--to") { if (!num(0, 1e7)) return 2; o.to = d; }
        else if (a == "--bpm") { if (!num(20, 400)) return 2; o.bpm = d; }
        else if (a == "--seconds") { if (!num(0, 1e7)) return 2; o.seconds = d; }
        else if (a == "--tone") { if (!num(1, 20000)) return 2; o.tone = d; }
        else if (a == "--quiet-after") { if (!num(0, 1e7)) return 2; o.quietAfter = d; }
        else if (a == "--gain") { if (!num(0, 100)) return 2; o.gain = d; }
        else if (a == "--pcm-rate") { if (!num(1000, 768000)) return 2; o.pcmRate = (int)d; }
        else if (a == "--pcm-channels") { if (!num(1, 32)) return 2; o.pcmChannels = (int)d; }
        else if (a == "--size") { if (!num(0, 65507)) return 2; o.size = (int)d; }
        else if (a == "--source") {
            if (!*v) return Fail("--source needs a source name (zyn-send sources lists them)", 2);
            o.source = v;
        }
        else if (a == "--count") { if (!num(0, 1000000)) return 2; o.count = (int)d; }
        else return Fail("unknown option \"" + a + "\" (see --help)", 2);
    }
    if (o.args.empty()) { std::fputs(Usage, stderr); return 2; }
    return 0;
}

bool SendPacket(TZynUdpSocket& s, const Options& o, const TZynPacket& p, size_t size = ZynPacketSize)
{
    std::vector<uint8_t> bytes(p.Bytes.begin(), p.Bytes.end());
    bytes.resize(size, 0);
    std::string err;
    if (!s.SendTo(bytes.data(), bytes.size(), o.host, o.port, err)) {
        Fail(err);
        return false;
    }
    return true;
}

bool OpenSender(TZynUdpSocket& s)
{
    std::string err;
    if (!s.Open("0.0.0.0", 0, false, true, err)) {
        Fail("cannot open a UDP socket: " + err);
        return false;
    }
    return true;
}

// Binds a listener; explains privileged ports when that fails.
bool OpenListener(TZynUdpSocket& s, int port, bool quiet = false)
{
    std::string err;
    if (s.Open("0.0.0.0", port, true, true, err)) return true;
    int e = errno;
    if (quiet) return false;
    std::string why = "cannot listen on UDP port " + std::to_string(port) + ": " + std::strerror(e) + ".";
    if ((e == EACCES || e == EPERM) && port < 1024)
        why += " Ports below 1024 need root or CAP_NET_BIND_SERVICE"
               " (setcap cap_net_bind_service=+ep zyn-send).";
    why += " Or start zyn with --reply-port N and give --listen-port N here.";
    Fail(why);
    return false;
}

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point since)
{
    return (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

int CmdGet(const Options& o)
{
    if (o.args.size() != 2) return Fail("usage: zyn-send get NAME", 2);
    const std::string& name = o.args[1];
    if (name.empty() || name.size() > ZynPktNameMax) return Fail("a constant name has 1..40 characters", 2);
    TZynUdpSocket s;
    if (!OpenListener(s, o.listenPort)) return 1;
    TZynPacket req = ZynMakeGetConstPacket(name);
    auto start = Clock::now();
    long nextSend = 0;
    while (!Stop) {
        long now = ElapsedMs(start);
        if (now >= o.timeoutMs) break;
        if (now >= nextSend) {   // resend: the program may still be starting
            if (!SendPacket(s, o, req, (size_t)o.size)) return 1;
            nextSend = now + 500;
        }
        if (!s.WaitReadable((int)std::min(nextSend, (long)o.timeoutMs) - (int)now)) continue;
        uint8_t buf[ZynPacketReceiveMax];
        sockaddr_in from{};
        std::string err;
        long n;
        while ((n = s.Receive(buf, sizeof buf, from, err)) >= 0) {
            TZynReply r;
            if (!ZynParseReply(buf, (size_t)n, r) || r.Type != zrtConstValue) continue;
            if (strcasecmp(r.Name.c_str(), name.c_str()) != 0) continue;
            if (o.hex) {
                for (long i = 0; i < n; i++) std::printf("%02x", buf[i]);
                std::printf("\n");
            } else if (o.verbose)
                std::printf("%s = %s (from %s)\n", r.Name.c_str(), r.Value.c_str(), ZynIPv4Text(from.sin_addr).c_str());
            else
                std::printf("%s\n", r.Value.c_str());
            return 0;
        }
        if (n == -2) return Fail(err);
    }
    return Fail("no reply from " + o.host + ":" + std::to_string(o.port) + " within " +
                std::to_string(o.timeoutMs) + " ms (is zyn running with --udp-port " + std::to_string(o.port) +
                " and --reply-port " + std::to_string(o.listenPort) + "?)");
}

int CmdPing(const Options& o)
{
    TZynUdpSocket a, b;
    bool haveA = OpenListener(a, o.listenPort, true);
    bool haveB = o.presencePort != o.listenPort && OpenListener(b, o.presencePort, true);
    if (!haveA && !haveB) {
        OpenListener(a, o.listenPort);   // prints why
        return 1;
    }
    if (!haveA) Fail("not listening on port " + std::to_string(o.listenPort) + " (cannot bind it)");
    if (!haveB && o.presencePort != o.listenPort)
        Fail("not listening on port " + std::to_string(o.presencePort) + " (cannot bind it)");
    TZynUdpSocket tx;
    if (o.ask && !OpenSender(tx)) return 1;
    auto start = Clock::now();
    int got = 0;
    long nextAsk = 0;
    while (!Stop && ElapsedMs(start) < o.timeoutMs && (o.count == 0 || got < o.count)) {
        if (o.ask && got == 0 && ElapsedMs(start) >= nextAsk) {   // ask again until someone answers
            if (!SendPacket(tx, o, ZynMakePacket(zptAskPresence))) return 1;
            nextAsk = ElapsedMs(start) + 500;
        }
        for (TZynUdpSocket* s : {&a, &b}) {
            if (!s->IsOpen()) continue;
            uint8_t buf[ZynPacketReceiveMax];
            sockaddr_in from{};
            std::string err;
            long n;
            while ((n = s->Receive(buf, sizeof buf, from, err)) >= 0) {
                TZynReply r;
                if (!ZynParseReply(buf, (size_t)n, r) || r.Type != zrtPresence) continue;
                std::printf("presence from %s on port %d\n", ZynIPv4Text(from.sin_addr).c_str(), s->LocalPort());
                std::fflush(stdout);
                got++;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return got > 0 ? 0 : Fail("no presence records within " + std::to_string(o.timeoutMs) + " ms");
}

// Where vis and analyse get their sound: a file (or part of it), raw PCM on
// stdin, desktop capture or the synthetic beat. Next hands over the samples
// of one packet.
struct Source {
    enum Kind { File, Stdin, Capture, Synth } kind = Synth;
    TZynAudioFile file;
    TZynAudioCapture capture;
    TZynBeatSynth synth{44100, 120};
    int rate = 44100;
    uint64_t first = 0, last = 0, pos = 0;   // file: frames to play, position
    bool loop = false;
    std::string name;                        // for messages
    std::vector<uint8_t> pcm;
    std::vector<float> samples;
    double owed = 0;                         // samples due, the fraction carried

    // Opens what args names. Returns 0 or the exit code (the error printed).
    int Open(const Options& o, const std::string& what)
    {
        std::string err;
        loop = o.loop;
        if (what == "-") {
            kind = Stdin;
            rate = o.pcmRate;
            name = "PCM from stdin (" + std::to_string(rate) + " Hz, " + std::to_string(o.pcmChannels) + " channels)";
        } else if (what == "capture" || (what.empty() && !o.synthetic)) {
            kind = Capture;
            rate = TZynAudioCapture::Rate;
            if (!capture.Start(o.source, err)) return Fail(err, 2);
            name = "desktop sound from " + (o.source.empty() ? std::string("the default output's monitor") : "\"" + o.source + "\"");
        } else if (what.empty()) {
            kind = Synth;
            synth = TZynBeatSynth(rate, o.bpm);
            name = "a synthetic beat at " + std::to_string((int)o.bpm) + " BPM";
        } else {
            kind = File;
            if (!file.Open(what, err)) return Fail(err, 2);
            rate = file.SampleRate();
            if (file.Frames() == 0) return Fail("\"" + what + "\" holds no samples", 2);
            first = std::min(file.Frames(), (uint64_t)(o.from * rate));
            last = o.to < 0 ? file.Frames() : std::min(file.Frames(), (uint64_t)(o.to * rate));
            if (last <= first) return Fail("--from/--to leave nothing to play");
            if (first > 0 && !file.Seek(first)) return Fail("cannot seek in \"" + what + "\"", 2);
            pos = first;
            name = "\"" + what + "\" (" + std::to_string((int)(double(file.Frames()) / rate)) + " s, " +
                   std::to_string(rate) + " Hz)";
        }
        return 0;
    }

    // One frame's samples into the analyser. 0: nothing was left; 1: fed,
    // more to come; 2: fed the last.
    int Feed(const Options& o, TZynAudioAnalyser& an)
    {
        owed += rate / o.rate;
        size_t want = (size_t)owed;
        owed -= (double)want;
        samples.clear();
        bool more = Next(want, o, samples);
        if (samples.empty() && !more) return 0;
        an.Push(samples.data(), samples.size());
        return more ? 1 : 2;
    }

    // Appends up to n samples to out. False at the end of the input.
    bool Next(size_t n, const Options& o, std::vector<float>& out)
    {
        switch (kind) {
        case File: {
            size_t start = out.size();
            out.resize(start + n);
            size_t got = 0;
            while (got < n) {
                if (pos >= last) {
                    if (!loop || !file.Seek(first)) break;
                    pos = first;
                }
                size_t k = file.Read(out.data() + start + got, (size_t)std::min<uint64_t>(n - got, last - pos));
                if (k == 0) {   // the file is shorter than its header said
                    last = pos;
                    if (!loop || pos == first) break;
                    continue;
                }
                pos += k;
                got += k;
            }
            out.resize(start + got);
            return loop ? got > 0 : pos < last;
        }
        case Stdin: {
            size_t frameBytes = 2 * (size_t)o.pcmChannels;
            pcm.resize(n * frameBytes);
            size_t got = 0;
            while (got < pcm.size()) {
                ssize_t r = read(0, pcm.data() + got, pcm.size() - got);
                if (r < 0 && errno == EINTR && !Stop) continue;
                if (r <= 0) break;
                got += (size_t)r;
            }
            ZynMixS16(pcm.data(), got / frameBytes, o.pcmChannels, out);
            return got == pcm.size();
        }
        case Capture: {
            std::string err = capture.TakeError();
            if (!err.empty()) {
                Fail(err, 2);
                return false;
            }
            float buf[4096];
            size_t k;
            while ((k = capture.Read(buf, 4096)) > 0) out.insert(out.end(), buf, buf + k);
            return true;
        }
        case Synth:
            if (o.seconds >= 0 && synth.Time() >= o.seconds) return false;
            synth.Render(n, out);
            return true;
        }
        return false;
    }
};

int CmdVis(const Options& o)
{
    if (o.args.size() > 2) return Fail("usage: zyn-send vis [FILE | - | capture]", 2);
    Source src;
    if (int rc = src.Open(o, o.args.size() == 2 ? o.args[1] : "")) return rc;
    TZynUdpSocket tx;
    if (!OpenSender(tx)) return 1;
    TZynAudioAnalyser analyser(src.rate, (float)o.gain);
    std::fprintf(stderr, "zyn-send: streaming %s to %s:%d, %g packets/s (Ctrl-C stops)\n", src.name.c_str(),
                 o.host.c_str(), o.port, o.rate);
    const float dt = (float)(1.0 / o.rate);
    auto start = Clock::now();
    uint64_t n = 0;
    double bassSum = 0;
    for (; !Stop; n++) {
        int fed = src.Feed(o, analyser);
        if (fed == 0) break;
        TVisData vis = analyser.Frame(dt);
        bassSum += vis.Bass;
        uint8_t bytes[ZynVisDataSize];
        std::memcpy(bytes, &vis, sizeof bytes);   // the record's memory layout is its wire layout
        if (!SendPacket(tx, o, ZynMakeVisDataPacket(bytes))) return 1;
        if (o.verbose && n % (uint64_t)std::max(1.0, o.rate) == 0)
            std::fprintf(stderr, "t=%.2fs bass=%.3f beat=%.3f\n", (double)analyser.SamplesIn() / src.rate, vis.Bass, vis.Beat);
        if (fed == 2) break;
        if (src.kind != Source::Stdin)   // stdin is paced by its producer, capture by the clock
            std::this_thread::sleep_until(start + std::chrono::microseconds((long long)((double)(n + 1) * 1e6 / o.rate)));
    }
    if (o.verbose)
        std::fprintf(stderr, "sent %llu vis packets to %s:%d, mean bass %.3f\n", (unsigned long long)n,
                     o.host.c_str(), o.port, n ? bassSum / (double)n : 0.0);
    return Stop || src.kind != Source::Capture ? 0 : 2;
}

// analyse FILE|capture [--beats]: one line per analysis frame, or the kick times.
int CmdAnalyse(const Options& o)
{
    if (o.args.size() != 2 || o.args[1] == "-") return Fail("usage: zyn-send analyse FILE|capture [--beats]", 2);
    Source src;
    if (int rc = src.Open(o, o.args[1])) return rc;
    const bool live = src.kind == Source::Capture;
    const double seconds = o.seconds >= 0 ? o.seconds : 10.0;   // capture: how long to listen
    TZynAudioAnalyser analyser(src.rate, (float)o.gain);
    const float dt = (float)(1.0 / o.rate);
    auto start = Clock::now();
    for (uint64_t n = 0; !Stop; n++) {
        if (live && (double)n / o.rate >= seconds) break;
        int fed = src.Feed(o, analyser);
        if (fed == 0) break;
        TVisData vis = analyser.Frame(dt);
        std::vector<double> onsets = analyser.TakeOnsets();
        if (o.beats)
            for (double t : onsets) std::printf("%.3f\n", t);
        else
            std::printf("%.3f %.3f %.3f %d\n", (double)analyser.SamplesIn() / src.rate, vis.Bass, vis.Beat,
                        onsets.empty() ? 0 : 1);
        if (live) {
            std::fflush(stdout);
            std::this_thread::sleep_until(start + std::chrono::microseconds((long long)((double)(n + 1) * 1e6 / o.rate)));
        }
        if (fed == 2) break;
    }
    if (live) {
        std::string err = src.capture.TakeError();
        if (!err.empty()) return Fail(err, 2);
    }
    return 0;
}

// latency: plays kicks to the default output while capturing its monitor (or
// --source) and prints how long each takes from the loudspeaker to Bass.
int CmdLatency(const Options& o)
{
    if (o.args.size() != 1) return Fail("usage: zyn-send latency", 2);
    TZynAudioCapture capture;
    std::string err;
    if (!capture.Start(o.source, err)) return Fail(err, 2);
    {   // A new recording stream can take a moment before its first sound.
        float skip[4096];
        size_t got = 0;
        for (int i = 0; i < 5000 && !got && !Stop; i++) {
            got = capture.Read(skip, 4096);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!got) return Fail("the capture stream delivered nothing within 5 s", 2);
    }
    const int rate = TZynAudioCapture::Rate;
    pa_sample_spec format{PA_SAMPLE_FLOAT32LE, (uint32_t)rate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = attr.prebuf = attr.minreq = (uint32_t)-1;
    attr.tlength = (uint32_t)pa_usec_to_bytes(20000, &format);
    int code = 0;
    pa_simple* play = pa_simple_new(nullptr, "zyn-send", PA_STREAM_PLAYBACK, nullptr, "latency kicks", &format, nullptr,
                                    &attr, &code);
    if (!play) return Fail(ZynPulseErrorText(code, ""), 2);
    using Sec = std::chrono::duration<double>;
    const auto t0 = Clock::now();
    auto now = [&] { return Sec(Clock::now() - t0).count(); };
    const int kicks = 8;
    std::atomic<int> played{0};
    std::vector<double> playedAt(kicks, 0.0);   // written before played is raised
    std::thread player([&] {
        const size_t chunk = 220, beat = (size_t)rate / 2;
        std::vector<float> buf(chunk);
        for (size_t pos = 0; pos < beat * (kicks + 2) && !Stop; pos += chunk) {
            int kickAt = -1;
            for (size_t i = 0; i < chunk; i++) {
                size_t p = pos + i, k = p / beat, in = p % beat;
                double t = (double)in / rate;
                bool on = k >= 1 && k <= (size_t)kicks;   // one quiet beat first
                if (on && in == 0) kickAt = (int)i;
                buf[i] = on ? (float)(0.8 * std::sin(2 * 3.14159265358979 * 60.0 * t) * std::exp(-t * 9.0)) : 0.0f;
            }
            int e = 0;
            if (pa_simple_write(play, buf.data(), buf.size() * sizeof(float), &e) < 0) break;
            if (kickAt >= 0) {   // the chunk's last sample is heard after the stream's latency
                pa_usec_t us = pa_simple_get_latency(play, &e);
                int k = (int)((pos + (size_t)kickAt) / beat) - 1;
                playedAt[(size_t)k] = now() + (double)us / 1e6 - (double)(chunk - (size_t)kickAt) / rate;
                played = k + 1;
            }
        }
        pa_simple_drain(play, nullptr);
    });
    TZynAudioAnalyser an(rate);
    std::vector<double> ms;
    float buf[4096];
    float lastBass = 0;
    while (!Stop && now() < 0.5 * (kicks + 3)) {
        size_t n;
        while ((n = capture.Read(buf, 4096)) > 0) an.Push(buf, n);
        float bass = an.Bass();
        int k = played.load();
        if (bass > 0.5f && lastBass <= 0.5f && k > 0 && (int)ms.size() < k)
            ms.push_back((now() - playedAt[ms.size()]) * 1000);
        lastBass = bass;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    player.join();
    pa_simple_free(play);
    err = capture.TakeError();
    if (!err.empty()) return Fail(err, 2);
    if (ms.size() < (size_t)kicks / 2)
        return Fail("heard " + std::to_string(ms.size()) + " of " + std::to_string(kicks) +
                    " kicks: is the captured source the monitor of the output that plays them?", 2);
    for (double m : ms) std::printf("%.1f\n", m);
    std::sort(ms.begin(), ms.end());
    std::fprintf(stderr, "zyn-send: sound to Bass %.1f ms (median of %zu kicks), at most %.1f ms\n", ms[ms.size() / 2],
                 ms.size(), ms.back());
    return 0;
}

int CmdSources(const Options& o)
{
    if (o.args.size() != 1) return Fail("usage: zyn-send sources", 2);
    std::vector<TZynSourceInfo> list;
    std::string err;
    if (!ZynListSources(list, err)) return Fail(err, 2);
    if (list.empty()) return Fail("the sound server has no sources", 2);
    for (const auto& s : list)
        std::printf("%s\t%s%s%s\n", s.Name.c_str(), s.Description.c_str(), s.Monitor ? " (monitor)" : "",
                    s.Default ? " (captured by default)" : "");
    return 0;
}

// make-loop NAME FILE: one drum loop of the test set as a WAV file; the true
// kick times go to stdout. Without NAME, the names.
int CmdMakeLoop(const Options& o)
{
    if (o.args.size() == 1) {
        for (const auto& r : ZynLoopRecipes()) std::printf("%s\n", r.Name);
        return 0;
    }
    if (o.args.size() != 3) return Fail("usage: zyn-send make-loop [NAME FILE]", 2);
    const TZynLoopRecipe* r = ZynFindLoop(o.args[1]);
    if (!r) return Fail("no loop \"" + o.args[1] + "\" (zyn-send make-loop lists them)", 2);
    TZynLoop loop = ZynRenderLoop(*r);
    std::string err;
    if (!ZynWriteFile(o.args[2], ZynMakeWav16(loop.SampleRate, 1, loop.Mono), err)) return Fail(err);
    for (double t : loop.Kicks) std::printf("%.3f\n", t);
    return 0;
}

struct VisRecord {
    uint8_t data[ZynVisDataSize];
};

// A record with the given levels, a flat waveform and an empty spectrum.
VisRecord FlatRecord(float bass, float beat)
{
    VisRecord r{};
    auto put = [&](size_t ofs, float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        for (int i = 0; i < 4; i++) r.data[ofs + i] = (uint8_t)(u >> (8 * i));
    };
    put(4, bass);
    put(8, beat);
    std::memset(r.data + 12, 128, 576);
    return r;
}

int CmdMakeWav(const Options& o)
{
    if (o.args.size() != 2) return Fail("usage: zyn-send make-wav FILE", 2);
    const int rate = 44100;
    double seconds = o.seconds >= 0 ? o.seconds : 10.0;
    size_t n = (size_t)(seconds * rate);
    std::vector<float> mono;
    mono.reserve(n);
    if (o.tone > 0) {
        for (size_t i = 0; i < n; i++) mono.push_back((float)(0.8 * std::sin(2 * 3.14159265358979 * o.tone * (double)i / rate)));
    } else {
        TZynBeatSynth synth(rate, o.bpm);
        synth.Render(n, mono);
    }
    if (o.quietAfter >= 0)
        for (size_t i = (size_t)std::min(o.quietAfter * rate, (double)n); i < n; i++) mono[i] *= 0.01f;
    std::string err;
    if (!ZynWriteFile(o.args[1], ZynMakeWav16(rate, 1, mono), err)) return Fail(err);
    return 0;
}

int CmdSimple(const Options& o)
{
    const std::string& cmd = o.args[0];
    TZynPacket p;
    long a = 0, b = 0;
    if (cmd == "set") {
        if (o.args.size() != 3) return Fail("usage: zyn-send set NAME VALUE", 2);
        if (o.args[1].empty() || o.args[1].size() > ZynPktNameMax) return Fail("a constant name has 1..40 characters", 2);
        if (o.args[2].size() > ZynPktValueMax) return Fail("a value has at most 255 characters", 2);
        p = ZynMakeSetConstPacket(o.args[1], o.args[2]);
    } else if (cmd == "scene") {
        if (o.args.size() < 2 || o.args.size() > 3 || !ParseIntArg(o.args[1], INT32_MIN, INT32_MAX, a) ||
            (o.args.size() == 3 && !ParseIntArg(o.args[2], INT32_MIN, INT32_MAX, b)))
            return Fail("usage: zyn-send scene N [FADER]", 2);
        p = ZynMakeSceneChangePacket((int32_t)a, (int32_t)b);
    } else if (cmd == "restart") {
        if (o.args.size() != 2 || !ParseIntArg(o.args[1], 0, UINT32_MAX, a)) return Fail("usage: zyn-send restart N", 2);
        p = ZynMakePacket(zptSceneRestart);
        p.SetU32(ZynPktOfsSceneIndex, (uint32_t)a);
    } else if (cmd == "announce") {
        if (o.args.size() != 4 || !ParseIntArg(o.args[1], INT32_MIN, INT32_MAX, a) ||
            !ParseIntArg(o.args[2], 0, INT32_MAX, b))
            return Fail("usage: zyn-send announce INDEX MS TEXT", 2);
        if (o.args[3].size() > ZynPktPayloadSize) return Fail("announcement text is cut to 1168 characters");
        p = ZynMakeAnnouncePacket((int32_t)a, (int32_t)b, o.args[3]);
    } else if (cmd == "packet") {
        if (o.args.size() != 2 || !ParseIntArg(o.args[1], 0, 255, a)) return Fail("usage: zyn-send packet TYPE", 2);
        p = ZynMakePacket((uint8_t)a);
    } else if (cmd == "record") {
        double bass = 0, beat = 0;
        if (o.args.size() < 2 || o.args.size() > 3 || !ParseNum(o.args[1].c_str(), -1e6, 1e6, bass) ||
            (o.args.size() == 3 && !ParseNum(o.args[2].c_str(), -1e6, 1e6, beat)))
            return Fail("usage: zyn-send record BASS [BEAT]", 2);
        p = ZynMakeVisDataPacket(FlatRecord((float)bass, (float)beat).data);
    } else {
        return Fail("unknown command \"" + cmd + "\" (see --help)", 2);
    }
    TZynUdpSocket tx;
    if (!OpenSender(tx)) return 1;
    return SendPacket(tx, o, p, (size_t)o.size) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    int rc = ParseArgs(argc, argv, o);
    if (rc != 0) return rc < 0 ? 0 : rc;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    const std::string& cmd = o.args[0];
    if (cmd == "vis") return CmdVis(o);
    if (cmd == "get") return CmdGet(o);
    if (cmd == "make-wav") return CmdMakeWav(o);
    if (cmd == "analyse") return CmdAnalyse(o);
    if (cmd == "sources") return CmdSources(o);
    if (cmd == "latency") return CmdLatency(o);
    if (cmd == "make-loop") return CmdMakeLoop(o);
    if (cmd == "ping") return o.args.size() == 1 ? CmdPing(o) : Fail("usage: zyn-send ping", 2);
    return CmdSimple(o);
}
