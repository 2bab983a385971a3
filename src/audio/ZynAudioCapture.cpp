// ZynAudioCapture: pa_simple recording thread, source listing through the asynchronous API.
#include "audio/ZynAudioCapture.h"

#include <pulse/error.h>
#include <pulse/pulseaudio.h>
#include <pulse/simple.h>

#include <chrono>

std::string ZynPulseErrorText(int code, const std::string& source)
{
    switch (code) {
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_INVALIDSERVER:
    case PA_ERR_CONNECTIONTERMINATED:
        return "no sound server: start PulseAudio (pulseaudio --start) or PipeWire's pulse server "
               "(systemctl --user start pipewire-pulse), or point PULSE_SERVER at it";
    case PA_ERR_NOENTITY:
        if (source.empty() || source == ZynDefaultMonitor)
            return "the sound server has no monitor of a default output: pick a source with --source NAME "
                   "(zyn-send sources lists them)";
        return "no source \"" + source + "\" on the sound server (zyn-send sources lists them)";
    case PA_ERR_ACCESS:
        return "the sound server refused the connection: run as the desktop's user, or check PULSE_SERVER";
    default:
        return std::string("sound capture failed: ") + pa_strerror(code);
    }
}

bool TZynAudioCapture::Start(const std::string& source, std::string& error)
{
    Stop();
    pa_sample_spec format{PA_SAMPLE_FLOAT32LE, Rate, 2};
    // Small fragments: the server hands over sound every 5 ms, keeping the latency low.
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(pa_usec_to_bytes(5000, &format));
    const std::string dev = source.empty() ? ZynDefaultMonitor : source;
    int err = 0;
    pa_simple* s = pa_simple_new(nullptr, "Zyn", PA_STREAM_RECORD, dev.c_str(), "visualiser input", &format, nullptr,
                                 &attr, &err);
    if (!s) {
        error = ZynPulseErrorText(err, source);
        return false;
    }
    Stream = s;
    Quit = false;
    Failed = false;
    Error.clear();
    Thread = std::thread([this] { Loop(); });
    return true;
}

void TZynAudioCapture::Loop()
{
    auto* s = static_cast<pa_simple*>(Stream);
    constexpr size_t Frames = 220;   // 5 ms
    float inter[Frames * 2];
    float mono[Frames];
    while (!Quit) {
        int err = 0;
        if (pa_simple_read(s, inter, sizeof inter, &err) < 0) {
            Error = ZynPulseErrorText(err, "");
            Failed = true;
            return;
        }
        for (size_t i = 0; i < Frames; i++) mono[i] = 0.5f * (inter[2 * i] + inter[2 * i + 1]);
        Ring.Write(mono, Frames);
    }
}

void TZynAudioCapture::Stop()
{
    Quit = true;
    if (Thread.joinable()) Thread.join();   // a read returns within one fragment
    if (Stream) pa_simple_free(static_cast<pa_simple*>(Stream));
    Stream = nullptr;
}

std::string TZynAudioCapture::TakeError()
{
    if (!Failed) return "";
    Failed = false;
    return Error;
}

namespace {
struct ListState {
    std::vector<TZynSourceInfo>* Out = nullptr;
    std::string DefaultSource, DefaultSink;
    int Pending = 0;
    bool Done = false, Failed = false;
};

void OnSource(pa_context*, const pa_source_info* i, int eol, void* user)
{
    auto* st = static_cast<ListState*>(user);
    if (eol) {
        st->Done = true;
        return;
    }
    TZynSourceInfo s;
    s.Name = i->name ? i->name : "";
    s.Description = i->description ? i->description : "";
    s.Monitor = i->monitor_of_sink != PA_INVALID_INDEX;
    st->Out->push_back(s);
}

void OnServer(pa_context* c, const pa_server_info* i, void* user)
{
    auto* st = static_cast<ListState*>(user);
    st->DefaultSource = i && i->default_source_name ? i->default_source_name : "";
    st->DefaultSink = i && i->default_sink_name ? i->default_sink_name : "";
    pa_operation* op = pa_context_get_source_info_list(c, OnSource, user);
    if (op) pa_operation_unref(op);
    else st->Failed = true;
}
}  // namespace

bool ZynListSources(std::vector<TZynSourceInfo>& out, std::string& error)
{
    out.clear();
    pa_mainloop* ml = pa_mainloop_new();
    pa_context* c = pa_context_new(pa_mainloop_get_api(ml), "Zyn");
    ListState st;
    st.Out = &out;
    bool ok = pa_context_connect(c, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    bool asked = false;
    auto start = std::chrono::steady_clock::now();
    while (ok && !st.Done && !st.Failed) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) {
            error = "the sound server did not answer within 5 s";
            ok = false;
            break;
        }
        pa_mainloop_iterate(ml, 1, nullptr);
        pa_context_state_t state = pa_context_get_state(c);
        if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) ok = false;
        if (state == PA_CONTEXT_READY && !asked) {
            asked = true;
            pa_operation* op = pa_context_get_server_info(c, OnServer, &st);
            if (op) pa_operation_unref(op);
            else ok = false;
        }
    }
    if (!ok && error.empty()) error = ZynPulseErrorText(pa_context_errno(c), "");
    if (st.Failed) {
        ok = false;
        error = ZynPulseErrorText(pa_context_errno(c), "");
    }
    pa_context_disconnect(c);
    pa_context_unref(c);
    pa_mainloop_free(ml);
    for (auto& s : out)
        s.Default = s.Monitor && s.Name == st.DefaultSink + ".monitor";
    return ok;
}
