// ZynRenderOut: PNG frame files and the ffmpeg pipe, behind temporary names.
#include "app/ZynRenderOut.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The folder the result goes into, made when missing.
bool MakeParent(const fs::path& out, fs::path& parent, std::string& error)
{
    parent = out.parent_path();
    if (parent.empty()) parent = ".";
    std::error_code ec;
    fs::create_directories(parent, ec);
    if (ec || !fs::is_directory(parent)) {
        error = "cannot write to " + Quoted(parent.string()) + ": " +
                (ec ? ec.message() : std::string("not a folder"));
        return false;
    }
    return true;
}

// A hidden temporary name beside the result: ".NAME.part-XXXXXX".
std::string TempPattern(const fs::path& parent, const fs::path& out)
{
    return (parent / ("." + out.filename().string() + ".part-XXXXXX")).string();
}

bool WriteAll(int fd, const uint8_t* data, size_t len)
{
    while (len > 0) {
        ssize_t n = write(fd, data, len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

// libpng reports errors by longjmp: nothing here lives across it.
bool EncodePng(png_structp png, png_infop info, FILE* f, const uint8_t* rgb, int w, int h)
{
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, f);
    // Fast settings (measured on rendered frames: about twice as fast as the
    // defaults for 5% more bytes): a render writes tens of frames a second.
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_filter(png, 0, PNG_FILTER_UP);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; y++) png_write_row(png, rgb + size_t(y) * size_t(w) * 3);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool TZynRenderOut::IsVideoName(const std::string& out)
{
    if (out.size() < 4) return false;
    std::string ext = out.substr(out.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".mp4";
}

std::string TZynRenderOut::FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    size_t start = 0;
    while (start <= rest.size()) {
        size_t colon = rest.find(':', start);
        std::string dir = rest.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + name;
            struct stat st {};
            if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return "";
}

std::string TZynRenderOut::FrameName(int64_t n)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame%06lld.png", static_cast<long long>(n));
    return name;
}

bool TZynRenderOut::Open(const TSettings& settings, std::string& error)
{
    Abort();
    S = settings;
    // "frames/" names the folder "frames": the temporary name goes beside it.
    while (S.Out.size() > 1 && S.Out.back() == '/') S.Out.pop_back();
    Written = 0;
    Video = IsVideoName(S.Out);
    return Video ? OpenVideo(error) : OpenFolder(error);
}

bool TZynRenderOut::OpenFolder(std::string& error)
{
    fs::path out(S.Out);
    std::error_code ec;
    if (fs::exists(out, ec)) {
        if (!fs::is_directory(out, ec)) {
            error = "--out " + Quoted(S.Out) + " is a file, not a folder (a video needs a name ending in .mp4)";
            return false;
        }
        if (!fs::is_empty(out, ec)) {
            error = "--out " + Quoted(S.Out) + " already holds files: give a new or an empty folder";
            return false;
        }
    }
    fs::path parent;
    if (!MakeParent(out, parent, error)) return false;
    std::string pattern = TempPattern(parent, out);
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
        error = "cannot write to " + Quoted(parent.string()) + ": " + std::strerror(errno);
        return false;
    }
    Temp = buf.data();
    return true;
}

bool TZynRenderOut::OpenVideo(std::string& error)
{
    std::string ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty()) {
        error = "--out " + Quoted(S.Out) + " needs the ffmpeg program: install it (sudo apt install ffmpeg), "
                "or give a folder for PNG frames";
        return false;
    }
    if (S.Width % 2 || S.Height % 2) {
        error = "--size " + std::to_string(S.Width) + "x" + std::to_string(S.Height) +
                ": a video needs even sides";
        return false;
    }
    fs::path out(S.Out), parent;
    std::error_code ec;
    if (fs::is_directory(out, ec)) {
        error = "--out " + Quoted(S.Out) + " is a folder, not a video file";
        return false;
    }
    if (!MakeParent(out, parent, error)) return false;
    std::string pattern = TempPattern(parent, out);
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = mkstemp(buf.data());
    if (fd < 0) {
        error = "cannot write to " + Quoted(parent.string()) + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    Temp = buf.data();

    int fds[2];
    EncoderLog = std::tmpfile();
    if (!EncoderLog || pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        Abort();
        return false;
    }
    const std::string size = std::to_string(S.Width) + "x" + std::to_string(S.Height);
    const std::string rate = std::to_string(S.Fps);
    // "file:" keeps names that start with "-" or hold ":" from being read as options or protocols.
    std::vector<std::string> args = {
        ffmpeg, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rate, "-i", "pipe:0",
        "-i", "file:" + S.Audio,
        "-map", "0:v:0", "-map", "1:a:0",
        "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
        "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4", "file:" + Temp};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fileno(EncoderLog), 2);
    int rc = posix_spawn(&Encoder, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    Pipe = fds[1];
    if (rc != 0) {
        Encoder = -1;
        error = "cannot start " + Quoted(ffmpeg) + ": " + std::strerror(rc);
        Abort();
        return false;
    }
    return true;
}

bool TZynRenderOut::Write(const uint8_t* rgb, std::string& error)
{
    if (Temp.empty()) {
        error = "the render's output is not open";
        return false;
    }
    if (!Worker.joinable()) Worker = std::thread([this] { WorkerLoop(); });
    const size_t bytes = size_t(S.Width) * size_t(S.Height) * 3;
    {
        std::unique_lock<std::mutex> lock(M);
        Cv.wait(lock, [this] { return !HasPending || !WorkerError.empty(); });
        if (WorkerError.empty()) {
            Pending.assign(rgb, rgb + bytes);
            HasPending = true;
        }
    }
    Cv.notify_all();
    if (!Failed(error)) {
        Written++;
        return true;
    }
    return false;
}

bool TZynRenderOut::Failed(std::string& error)
{
    std::string failure;
    {
        std::lock_guard<std::mutex> lock(M);
        failure = WorkerError;
    }
    if (failure.empty()) return false;
    error = failure;
    // ffmpeg's own words say more than the broken pipe.
    if (Video && Pipe >= 0) {
        StopWorker();
        std::string said;
        if (!EndVideo(said) && !said.empty()) error = said;
    }
    return true;
}

void TZynRenderOut::WorkerLoop()
{
    std::vector<uint8_t> frame;
    int64_t n = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(M);
            Cv.wait(lock, [this] { return HasPending || Quit; });
            if (!HasPending) return;
            frame.swap(Pending);
            HasPending = false;
            Busy = true;
        }
        Cv.notify_all();   // the next frame may be handed over while this one is written
        std::string error;
        bool ok = Video ? WritePipe(frame.data(), error) : WritePng(frame.data(), n, error);
        n++;
        {
            std::lock_guard<std::mutex> lock(M);
            Busy = false;
            if (!ok) WorkerError = error;
        }
        Cv.notify_all();
        if (!ok) return;
    }
}

bool TZynRenderOut::Drain(std::string& error)
{
    {
        std::unique_lock<std::mutex> lock(M);
        Cv.wait(lock, [this] { return (!HasPending && !Busy) || !WorkerError.empty(); });
    }
    return !Failed(error);
}

void TZynRenderOut::StopWorker()
{
    {
        std::lock_guard<std::mutex> lock(M);
        Quit = true;
    }
    Cv.notify_all();
    if (Worker.joinable()) Worker.join();
    std::lock_guard<std::mutex> lock(M);
    Quit = false;
    HasPending = false;
}

bool TZynRenderOut::WritePipe(const uint8_t* rgb, std::string& error)
{
    if (WriteAll(Pipe, rgb, size_t(S.Width) * size_t(S.Height) * 3)) return true;
    error = std::string("ffmpeg stopped taking frames: ") + std::strerror(errno);
    return false;
}

bool TZynRenderOut::WritePng(const uint8_t* rgb, int64_t n, std::string& error)
{
    const std::string file = (fs::path(Temp) / FrameName(n)).string();
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) {
        error = "cannot write " + Quoted(file) + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && EncodePng(png, info, f, rgb, S.Width, S.Height);
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (std::fclose(f) != 0) ok = false;
    if (!ok) error = "cannot write " + Quoted(file) + " (disk full?)";
    return ok;
}

std::string TZynRenderOut::FfmpegSaid()
{
    if (!EncoderLog) return "";
    std::fflush(EncoderLog);
    std::rewind(EncoderLog);
    std::string last, line;
    int c;
    while ((c = std::fgetc(EncoderLog)) != EOF) {
        if (c == '\n') {
            if (!line.empty()) last = line;
            line.clear();
        } else if (c != '\r') {
            line.push_back(static_cast<char>(c));
        }
    }
    return line.empty() ? last : line;
}

bool TZynRenderOut::EndVideo(std::string& error)
{
    if (Pipe >= 0) close(Pipe);
    Pipe = -1;
    if (Encoder < 0) return false;
    int status = 0;
    while (waitpid(Encoder, &status, 0) < 0 && errno == EINTR) {}
    Encoder = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    std::string said = FfmpegSaid();
    error = "ffmpeg failed" + (said.empty() ? std::string() : ": " + said);
    return false;
}

bool TZynRenderOut::Commit(std::string& error)
{
    if (Temp.empty()) {
        error = "the render's output is not open";
        return false;
    }
    if (!Drain(error)) {
        Abort();
        return false;
    }
    StopWorker();
    if (Video && !EndVideo(error)) {
        Abort();
        return false;
    }
    // The temporary name was private (0600/0700); the result gets the usual rights.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(Temp.c_str(), (Video ? 0666 : 0777) & ~mask);
    std::error_code ec;
    fs::path out(S.Out);
    if (!Video && fs::is_directory(out, ec)) fs::remove(out, ec);   // empty, as Open checked
    fs::rename(Temp, out, ec);
    if (ec) {
        error = "cannot move the result to " + Quoted(S.Out) + ": " + ec.message();
        Abort();
        return false;
    }
    Temp.clear();
    if (EncoderLog) std::fclose(EncoderLog);
    EncoderLog = nullptr;
    return true;
}

void TZynRenderOut::Abort()
{
    // Stopping ffmpeg first frees a writer blocked on the pipe (its write fails).
    if (Encoder >= 0) kill(Encoder, SIGTERM);
    StopWorker();
    {
        std::lock_guard<std::mutex> lock(M);
        WorkerError.clear();
    }
    if (Pipe >= 0) close(Pipe);
    Pipe = -1;
    if (Encoder >= 0) {
        int status = 0;
        while (waitpid(Encoder, &status, 0) < 0 && errno == EINTR) {}
        Encoder = -1;
    }
    if (!Temp.empty()) {
        std::error_code ec;
        fs::remove_all(Temp, ec);
        Temp.clear();
    }
    if (EncoderLog) std::fclose(EncoderLog);
    EncoderLog = nullptr;
}
