// ZynLog: the program log file, its header and the GL error check.
#include "app/ZynLog.h"

#include <exception>

#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>

std::string ZynLogFileName = "ZynLog.txt";

static std::function<void(const std::string&)> g_consoleSink;
static std::function<void()> g_quitHook;

static std::string LogPath() { return ZynPath("\\" + ZynLogFileName, ZynPlace::Log); }

void ZynLogSetConsoleSink(std::function<void(const std::string&)> sink) { g_consoleSink = std::move(sink); }
void ZynLogSetQuitHook(std::function<void()> quit) { g_quitHook = std::move(quit); }

void ZynLogClear()
{
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
    // A failed open, write or close (read-only file, full disk) is swallowed:
    // callers such as shut-down must be able to go on.
    if (FILE* f = std::fopen(LogPath().c_str(), "a")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fputc('\n', f);
        std::fclose(f);
    }
    if (g_consoleSink) {
        try { g_consoleSink(text); } catch (...) {}
    }
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
