// FuzzSupport: what every fuzz target sets up once: a private BaseDir, a silent log.
#pragma once

#include "app/ZynLog.h"
#include "platform/ZynPath.h"
#include "platform/kvLog.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

// Files the code under test writes (settings, screenshots, bindings) land in a
// fresh folder removed at exit; the log goes to a folder that does not exist,
// so a line costs one failed open instead of a write.
inline void ZynFuzzSetup()
{
    static bool done = false;
    if (done) return;
    done = true;
    char dir[] = "/tmp/zynfuzz.XXXXXX";
    if (mkdtemp(dir)) {
        static std::string base = dir;
        ZynSetBaseDir(base);
        std::atexit([] { std::error_code ec; std::filesystem::remove_all(base, ec); });
    }
    ZynLogFileName = "nolog\\ZynLog.txt";
    ZynLogOldFileName = "nolog\\ZynLog.old";
    kvLogSetSink([](const std::string&) {});
}

inline std::string_view ZynFuzzText(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}
