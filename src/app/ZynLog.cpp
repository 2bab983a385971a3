// ZynLog: the program log file, its header, folding, size cap and the GL error check.
#include "app/ZynLog.h"

#include "platform/ZynLineFold.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <chrono>
#include <cstdio>
#include <exception>

std::string ZynLogFileName = "ZynLog.txt";
std::string ZynLogOldFileName = "ZynLog.old.txt";

namespace {

std::function<void(const std::string&)> g_consoleSink;
std::function<void()> g_quitHook;
TZynLineFold g_fold;
uint64_t g_maxBytes = ZynLogMaxBytes;
int g_depth = 0;     // lines being written: a sink may log, but not without end

std::string LogPath() { return ZynPath("\\" + ZynLogFileName, ZynPlace::Log); }

double Now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A full log moves to ZynLogOldFileName (replacing the one before) and a new
// one starts, so the two together never pass twice the cap.
void Rotate()
{
    const std::string path = LogPath();
    std::rename(path.c_str(), ZynPath("\\" + ZynLogOldFileName, ZynPlace::Log).c_str());
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fprintf(f, "(the lines before these are in %s)\n", ZynLogOldFileName.c_str());
        std::fclose(f);
    }
}

// One line to the file and the console, after folding.
void WriteLine(const std::string& text)
{
    // A failed open, write or close (read-only file, full disk) is swallowed:
    // callers such as shut-down must be able to go on.
    if (FILE* f = std::fopen(LogPath().c_str(), "a")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fputc('\n', f);
        const long size = std::ftell(f);
        std::fclose(f);
        if (size > 0 && static_cast<uint64_t>(size) >= g_maxBytes) Rotate();
    }
    if (g_consoleSink) {
        try { g_consoleSink(text); } catch (...) {}
    }
}

}  // namespace

void ZynLogSetConsoleSink(std::function<void(const std::string&)> sink)
{
    g_consoleSink = std::move(sink);
    g_fold.Reset();     // a new reader sees every line from here on
}
void ZynLogSetQuitHook(std::function<void()> quit) { g_quitHook = std::move(quit); }

void ZynLogSetLimits(uint64_t maxBytes, int32_t perSource, int32_t perSecond)
{
    g_maxBytes = maxBytes;
    g_fold.PerSource = perSource;
    g_fold.PerSecond = perSecond;
}

void ZynLogClear()
{
    g_fold.Reset();
    FILE* f = std::fopen(LogPath().c_str(), "w");
    if (!f) return;     // silent: later lines are appended if the file can be opened then
    std::fprintf(f, " Zy/Quarvel Log File\n");
    std::fprintf(f, "----------------------------------------v1.54-\n");
    std::fprintf(f, " BASE DIR: %s\n", ZynBaseDirDescription().c_str());
    std::fprintf(f, "----------------------------------------------\n");
    std::fprintf(f, "\n");
    std::fclose(f);
}

void ZynLogLine(const std::string& text)
{
    if (g_depth >= 4) return;
    g_depth++;
    if (text.size() > ZynLogMaxLine) {
        g_fold.Add(text.substr(0, ZynLogMaxLine) + " ... (" + std::to_string(text.size()) + " characters, cut)",
                   Now(), WriteLine);
    } else {
        g_fold.Add(text, Now(), WriteLine);
    }
    g_depth--;
}

void ZynLogFlush(bool force)
{
    if (g_depth > 0) return;
    g_depth++;
    g_fold.Flush(Now(), WriteLine, force);
    g_depth--;
}

void ZynLogError(const std::string& text) { ZynLogLine("#ERROR : " + text); }
void ZynLogWarning(const std::string& text) { ZynLogLine("#WARNING : " + text); }

void ZynLogException(const std::string& where, const std::string& message)
{
    ZynLogError("(" + where + ") : " + message);
    if (g_quitHook) g_quitHook();
}

bool ZynCheckGL(const std::string& where, int32_t code)
{
    bool result = true;
    int n = 0;
    GLenum err = glGetError();
    while (err != GL_NO_ERROR && n < 100) {
        const GLubyte* s = gluErrorString(err);
        std::string text = s ? reinterpret_cast<const char*>(s) : "unknown error";
        ZynLogError("OPENGL: \"" + text + "\" in \"" + where + "\" (" + std::to_string(code) + ")");
        n++;
        result = false;
        if (n < 100) err = glGetError();
    }
    if (n == 100) ZynLogError("OVER 100 OPENGL ERRORS");
    return result;
}

std::string ZynCurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}
