// ConsoleTestLog: test helpers for the console tests: a private BaseDir and a
// capture of every log line.
#pragma once

#include "app/ZynLog.h"
#include "platform/ZynPath.h"
#include "platform/kvLog.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Gives the test a fresh BaseDir (so ZynLog.txt, Zyn.man and screenshots stay
// private) and records every log line in Lines.
class TConsoleTestLog {
public:
    TConsoleTestLog()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zyncon-XXXXXX").string();
        Dir = mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
        savedBase = ZynBaseDir();
        ZynSetBaseDir(Dir);
        kvLogSetSink([](const std::string& line) { ZynLogLine(line); });   // as the program does
        Capture();
    }
    ~TConsoleTestLog()
    {
        ZynLogSetConsoleSink(nullptr);
        kvLogSetSink(nullptr);
        ZynSetBaseDir(savedBase);
        std::error_code ec;
        if (Dir != "/tmp") std::filesystem::remove_all(Dir, ec);
    }
    // (Re)installs the capture as the log's console sink.
    void Capture()
    {
        ZynLogSetConsoleSink([this](const std::string& line) { Lines.push_back(line); });
    }
    bool Has(const std::string& line) const
    {
        for (const std::string& l : Lines)
            if (l == line) return true;
        return false;
    }
    size_t Count(const std::string& line) const
    {
        size_t n = 0;
        for (const std::string& l : Lines) n += l == "#ERROR : " + line || l == line;
        return n;
    }
    std::string Dir;
    std::vector<std::string> Lines;

private:
    std::string savedBase;
};
