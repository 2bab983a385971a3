// ZynOptions: the command line of the zyn executable.
//
// Parsed once in main before start-up; read by start-up (base dir, seed, render),
// the window layer (headless, frames, fixed dt), the client (UDP port,
// announce target, demo and audio input, OSC and MIDI) and the console (--exec).
// Depends on: platform/ZynNumbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Render limits: the offscreen window's largest side, and a sane frame rate.
constexpr int ZynRenderMinSide = 16, ZynRenderMaxSide = 2048, ZynRenderMaxFps = 240;

struct ZynOptions {
    std::string baseDir;                        // empty: the executable's folder
    bool headless = false;                      // offscreen GL, no visible window
    int64_t frames = -1;                        // quit cleanly after N frames (-1: run until closed)
    double fixedDt = 0.0;                       // > 0: every frame advances exactly this many seconds
    int64_t maxFps = -1;                        // frame cap; -1: 60, or none with --fixed-dt; 0: none
    bool hasSeed = false;
    uint32_t seed = 0;                          // fixed random seed
    bool demo = false;                          // synthesised music input every frame
    std::string audio;                          // "capture" or an audio file: in-process music input
    std::string source;                         // capture source ("": the default output's monitor)
    int udpPort = 556;                          // vis data / control port
    std::string announceTo = "255.255.255.255"; // presence announcements' target address
    int replyPort = 557;                        // peers' port for constant replies and presence
    int presencePort = 555;                     // peers' second presence announcement port
    std::string execLine;                       // console line run after the first frame
    std::vector<int64_t> screenshotFrames;      // sorted frame numbers that save a screenshot
    int webPort = 0;                            // web remote's port (0: off)
    std::string webListen = "127.0.0.1";        // address the web remote listens on
    std::string player;                         // MPRIS player to control ("" = the first one found)
    int oscPort = 0;                            // OSC control port (0: no OSC)
    std::string oscListen = "127.0.0.1";        // address the OSC port is bound to
    bool midi = true;                           // MIDI input (--midi off: none)
    std::vector<std::string> midiPorts;         // MIDI input ports to open by name part (empty: every one)
    // --render AUDIOFILE --out DIR|FILE.mp4: an offline render of the file (empty: a live run)
    std::string render;
    std::string renderOut;
    int renderFps = 30;
    int renderWidth = 640, renderHeight = 480;
    std::string renderScript;                   // console lines run at the start of the render
};

// The options of this run (defaults until ZynParseOptions fills them).
extern ZynOptions ZynOpt;

enum class ZynOptionsResult { Run, ExitOk, ExitUsage, ExitError };

// Parses argv into opts. ExitOk: --help or --version was printed to out.
// ExitUsage: error holds the message (the caller prints it and the usage).
// ExitError: error holds the whole message, one line (bad render values).
ZynOptionsResult ZynParseOptions(int argc, const char* const* argv, ZynOptions& opts,
                                 std::string& out, std::string& error);

std::string ZynUsageText();
