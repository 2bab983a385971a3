// ZynAudioCapture: desktop sound through the PulseAudio client library, on its own thread.
//
// Start connects to the sound server (PulseAudio, or PipeWire's pulse
// server) and records from a source, by default the monitor of the default
// output ("@DEFAULT_MONITOR@"), so it hears whatever the desktop plays. The
// capture thread mixes to mono and writes into a lock-free ring; the frame's
// thread takes the samples with Read. Errors are one line that says what is
// wrong and how to fix it. ZynListSources asks the server for its sources.
// Depends on: libpulse (simple and asynchronous APIs), audio/ZynAudioRing.
#pragma once

#include "audio/ZynAudioRing.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

constexpr const char* ZynDefaultMonitor = "@DEFAULT_MONITOR@";

class TZynAudioCapture {
public:
    static constexpr int Rate = 44100;

    TZynAudioCapture() : Ring(Rate) {}   // one second of slack
    ~TZynAudioCapture() { Stop(); }
    TZynAudioCapture(const TZynAudioCapture&) = delete;
    TZynAudioCapture& operator=(const TZynAudioCapture&) = delete;

    // source: a source name, or empty for the default output's monitor.
    bool Start(const std::string& source, std::string& error);
    void Stop();
    bool Running() const { return Thread.joinable(); }

    // Frame thread: up to n samples captured so far.
    size_t Read(float* out, size_t n) { return Ring.Read(out, n); }
    uint64_t TakeDropped() { return Ring.TakeDropped(); }
    // Frame thread: the error that ended the capture thread ("" while it runs well).
    std::string TakeError();

private:
    void Loop();

    void* Stream = nullptr;   // pa_simple*
    std::thread Thread;
    std::atomic<bool> Quit{false};
    std::atomic<bool> Failed{false};
    std::string Error;        // written by the thread before Failed is set
    TZynAudioRing Ring;
};

struct TZynSourceInfo {
    std::string Name, Description;
    bool Monitor = false;     // the monitor of an output (what it plays)
    bool Default = false;     // the default output's monitor: what capture hears by default
};

bool ZynListSources(std::vector<TZynSourceInfo>& out, std::string& error);

// The one-line explanation for a libpulse error code.
std::string ZynPulseErrorText(int code, const std::string& source);
