// ZynRender: the offline render's music, read-back, progress and end.
#include "app/ZynRender.h"

#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "console/ZynCmdInterp.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

TZynRender* ZynRenderJob = nullptr;

namespace {

constexpr size_t MaxScriptBytes = 1u << 20;

// Blank lines and lines starting with "#" are left out.
bool ReadScript(const std::string& file, std::vector<std::string>& lines, std::string& error)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "--script \"" + file + "\" cannot be read: " + std::strerror(errno);
        return false;
    }
    std::string line;
    size_t bytes = 0;
    while (std::getline(in, line)) {
        bytes += line.size() + 1;
        if (bytes > MaxScriptBytes) {
            error = "--script \"" + file + "\" is larger than 1 MB";
            return false;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        lines.push_back(line.substr(first));
    }
    return true;
}

std::string Clock(double seconds)
{
    long s = std::lround(std::max(seconds, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

bool TZynRender::Begin(const ZynOptions& o, uint32_t seed, std::string& error)
{
    Source = o.render;
    Target = o.renderOut;
    Fps = o.renderFps;
    Width = o.renderWidth;
    Height = o.renderHeight;
    Seed = seed;
    if (!o.renderScript.empty() && !ReadScript(o.renderScript, Script, error)) return false;
    std::string why;
    if (!Audio.Open(Source, "", why)) {
        error = "--render: " + why;
        return false;
    }
    // Frame n shows the music at n/fps seconds: enough frames to reach the end.
    const uint64_t rate = uint64_t(Audio.SampleRate());
    Total = std::max<int64_t>(1, int64_t((Audio.Samples() * uint64_t(Fps) + rate - 1) / rate));
    TZynRenderOut::TSettings out;
    out.Out = Target;
    out.Audio = Source;
    out.Width = Width;
    out.Height = Height;
    out.Fps = Fps;
    if (!Out.Open(out, error)) return false;
    Rows.resize(size_t(Width) * size_t(Height) * 3);
    Picture.resize(Rows.size());
    Terminal = isatty(STDERR_FILENO) == 1;
    Started = LastShown = std::chrono::steady_clock::now();
    return true;
}

TVisData TZynRender::Music(float dt)
{
    // Whole samples from the frame number, so no rounding adds up over a long file.
    const uint64_t end = uint64_t(Done) * uint64_t(Audio.SampleRate()) / uint64_t(Fps);
    return Audio.FrameUntil(end, dt);
}

void TZynRender::RunScript()
{
    if (ScriptDone) return;
    ScriptDone = true;
    for (const std::string& line : Script) {
        ZynLogLine("-" + line);
        std::string result = ExecuteLine(line);
        if (!result.empty()) ZynLogLine("=" + result);
    }
}

bool TZynRender::FrameDone()
{
    if (!Error.empty()) return false;
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    if (vp[2] != Width || vp[3] != Height) {
        Error = "the offscreen picture is " + std::to_string(vp[2]) + "x" + std::to_string(vp[3]) + ", not " +
                std::to_string(Width) + "x" + std::to_string(Height);
        return false;
    }
    GLint oldAlign = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlign);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, Rows.data());
    glPixelStorei(GL_PACK_ALIGNMENT, oldAlign);
    const size_t row = size_t(Width) * 3;
    for (int y = 0; y < Height; y++)
        std::memcpy(Picture.data() + size_t(y) * row, Rows.data() + size_t(Height - 1 - y) * row, row);
    if (!Out.Write(Picture.data(), Error)) return false;
    Done++;
    ShowProgress(Done == Total);
    return true;
}

std::string TZynRender::ProgressLine(int64_t done, int64_t total, double seconds, int width)
{
    total = std::max<int64_t>(total, 1);
    done = std::clamp<int64_t>(done, 0, total);
    const int filled = int(done * width / total);
    std::string bar(size_t(width), ' ');
    std::fill(bar.begin(), bar.begin() + filled, '=');
    if (filled < width && done > 0) bar[size_t(filled)] = '>';
    const double fps = seconds > 0 ? double(done) / seconds : 0.0;
    char text[96];
    std::snprintf(text, sizeof text, "] %lld/%lld frames  %.1f fps  %s left", static_cast<long long>(done),
                  static_cast<long long>(total), fps, fps > 0 ? Clock(double(total - done) / fps).c_str() : "-:--");
    return "[" + bar + text;
}

void TZynRender::ShowProgress(bool last)
{
    if (!Terminal) return;
    auto now = std::chrono::steady_clock::now();
    if (!last && now - LastShown < std::chrono::milliseconds(100)) return;
    LastShown = now;
    const double seconds = std::chrono::duration<double>(now - Started).count();
    std::fprintf(stderr, "\r%s\033[K%s", ProgressLine(Done, Total, seconds, 30).c_str(), last ? "\n" : "");
    std::fflush(stderr);
}

int TZynRender::End(bool windowOk, std::string& message)
{
    if (Terminal && Done > 0 && Done < Total) std::fputc('\n', stderr);
    // 2: the output could not be written; 1: no window, or stopped before the end.
    int status = 2;
    if (Error.empty() && (!windowOk || Done < Total)) {
        status = 1;
        Error = !windowOk ? "the offscreen OpenGL window could not be made (see ZynLog.txt)"
                          : "stopped after " + std::to_string(Done) + " of " + std::to_string(Total) +
                                " frames; nothing written";
    }
    if (Error.empty()) Out.Commit(Error);
    if (!Error.empty()) {
        Out.Abort();
        message = "zyn: " + Error;
        return status;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
    const double music = double(Total) / Fps;
    char text[256];
    std::snprintf(text, sizeof text, "%lld frames (%.2f s at %d fps, %dx%d) in %.1f s, %.2fx real time, seed %u",
                  static_cast<long long>(Total), music, Fps, Width, Height, seconds,
                  seconds > 0 ? music / seconds : 0.0, Seed);
    message = "zyn: rendered \"" + Target + "\": " + text;
    return 0;
}
