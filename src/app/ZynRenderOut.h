// ZynRenderOut: where a render's frames go: numbered PNG files in a folder, or the ffmpeg program.
//
// Both kinds write under a temporary name beside the final one (a hidden
// folder, or a hidden video file) and move it into place only when every
// frame is in, so a render that fails or is stopped never leaves a partial
// result under the name asked for. A folder must be new or empty: frames of
// two renders are never mixed. The video gets the audio file's sound muxed
// in by ffmpeg. A writer thread encodes (or pipes) each frame while the
// next one is drawn; it touches nothing but its frame and its file. Errors
// are one line that says what to do.
// Depends on: libpng, POSIX (posix_spawn, pipes).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

class TZynRenderOut {
public:
    struct TSettings {
        std::string Out;      // a folder, or a file name ending in .mp4
        std::string Audio;    // muxed into a video
        int Width = 0, Height = 0, Fps = 30;
    };

    TZynRenderOut() = default;
    ~TZynRenderOut() { Abort(); }
    TZynRenderOut(const TZynRenderOut&) = delete;
    TZynRenderOut& operator=(const TZynRenderOut&) = delete;

    // Makes the temporary target and, for a video, starts ffmpeg.
    bool Open(const TSettings& settings, std::string& error);
    // One frame: Width x Height RGB pixels, top row first.
    bool Write(const uint8_t* rgb, std::string& error);
    // Every frame is in: finishes the video and moves the result to its final name.
    bool Commit(std::string& error);
    // Removes whatever was written (nothing once committed).
    void Abort();

    int64_t Frames() const { return Written; }
    // A name ending in .mp4 (any case) is a video; anything else a folder.
    static bool IsVideoName(const std::string& out);
    // The program's path on PATH, or "" when it is not there.
    static std::string FindProgram(const std::string& name);
    // Name of frame n (0 = the music's first instant) inside the folder.
    static std::string FrameName(int64_t n);

private:
    bool OpenFolder(std::string& error);
    bool OpenVideo(std::string& error);
    bool WritePng(const uint8_t* rgb, int64_t n, std::string& error);
    bool WritePipe(const uint8_t* rgb, std::string& error);
    // The writer thread: encodes or pipes one frame while the next is drawn.
    void WorkerLoop();
    // Waits until every frame handed over is written; false (error) when one failed.
    bool Drain(std::string& error);
    // True (error set) once the writer has failed.
    bool Failed(std::string& error);
    void StopWorker();
    // Closes the pipe and waits for ffmpeg: true when it ended well, else error.
    bool EndVideo(std::string& error);
    std::string FfmpegSaid();

    TSettings S;
    bool Video = false;
    std::string Temp;          // temporary folder or file, "" when there is none
    int64_t Written = 0;
    pid_t Encoder = -1;
    int Pipe = -1;             // ffmpeg's standard input
    FILE* EncoderLog = nullptr;  // ffmpeg's error output (an unnamed file)

    // One frame waits for the writer thread; the caller blocks only when it is still busy
    // with the one before, so drawing and writing overlap on two cores.
    std::thread Worker;
    std::mutex M;
    std::condition_variable Cv;
    std::vector<uint8_t> Pending;
    bool HasPending = false, Busy = false, Quit = false;
    std::string WorkerError;
};
