// ZynRender: zyn --render, a music video of an audio file made offline.
//
// The ordinary frame loop runs headless with a frame time of exactly 1/fps;
// frame n (from 0) gets the music analysed up to n/fps seconds of the file,
// whatever the machine's speed, and after it is drawn its pixels go to the
// output (ZynRenderOut). Scenes change as in a live show (bindings, timers,
// predefines) plus an optional script of console lines run at the start.
// Nothing from the network or the wall clock reaches the picture, and the
// random seed is fixed (given, or drawn once and reported), so the same
// inputs and seed give the same frames. A progress bar goes to a terminal;
// the end prints one summary line.
// Depends on: app/ZynRenderOut, app/ZynOptions, audio/ZynAudioInput,
// console/ZynCmdInterp, app/ZynLog, OpenGL (read-back).
#pragma once

#include "app/ZynRenderOut.h"
#include "audio/ZynAudioInput.h"
#include "audio/ZynVisData.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct ZynOptions;

class TZynRender {
public:
    // Everything that can be checked before a window exists: the audio file,
    // the script, the output (folder or ffmpeg). false: error is one line.
    bool Begin(const ZynOptions& options, uint32_t seed, std::string& error);
    int64_t FrameCount() const { return Total; }
    // The music for the frame being drawn.
    TVisData Music(float dt);
    // The script's lines, in order (once; the start event calls it).
    void RunScript();
    // After a frame is drawn: its pixels to the output. false: stop (error kept).
    bool FrameDone();
    // After the frame loop: the result moved into place when every frame is
    // in. Returns the process exit status; message is the summary or the error.
    int End(bool windowOk, std::string& message);

    // "[=====>    ]  123/300 frames  45.2 fps  0:04 left" (GL-free, for the terminal).
    static std::string ProgressLine(int64_t done, int64_t total, double seconds, int width);

private:
    void ShowProgress(bool last);

    TZynAudioInput Audio;
    TZynRenderOut Out;
    std::vector<std::string> Script;
    bool ScriptDone = false;
    std::string Source, Target;
    int Fps = 30, Width = 0, Height = 0;
    uint32_t Seed = 0;
    int64_t Total = 0;
    int64_t Done = 0;
    std::string Error;
    std::vector<uint8_t> Rows;     // one frame read back, bottom row first
    std::vector<uint8_t> Picture;  // the same, top row first
    std::chrono::steady_clock::time_point Started;
    std::chrono::steady_clock::time_point LastShown;
    bool Terminal = false;
};

// The render of this run (null in a live run).
extern TZynRender* ZynRenderJob;
