// Test helpers: a private data folder of hand-written scene data files, and log capture.
#pragma once

#include "app/ZynLog.h"
#include "engine/ZynSceneClass.h"
#include "platform/ZynPath.h"
#include "platform/kvLog.h"
#include "support/ZynRenderHarness.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <unistd.h>
#include <vector>

// A scratch base folder (removed with the object) whose "data" folder holds
// only the files a test writes. It becomes BaseDir while it exists.
class TScratchData {
public:
    TScratchData()
    {
        static int counter = 0;
        Base = std::filesystem::temp_directory_path() /
               ("zyn_scene_data_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(Base / "data");
        ZynSetBaseDir(Base.string());
    }
    ~TScratchData()
    {
        std::error_code ec;
        std::filesystem::remove_all(Base, ec);
    }
    // Writes data/<name> with the given bytes.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::path p = Base / "data" / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::filesystem::path Base;
};

// Collects the log lines written while it exists, the formula engine's included.
class TLogLines {
public:
    TLogLines()
    {
        ZynLogSetConsoleSink([this](const std::string& l) { Lines.push_back(l); });
        kvLogSetSink([this](const std::string& l) { Lines.push_back(l); });
    }
    ~TLogLines()
    {
        ZynLogSetConsoleSink(nullptr);
        kvLogSetSink(nullptr);
    }
    bool Has(const std::string& line) const { return std::find(Lines.begin(), Lines.end(), line) != Lines.end(); }
    int Containing(const std::string& part) const
    {
        return int(std::count_if(Lines.begin(), Lines.end(),
                                 [&](const std::string& l) { return l.find(part) != std::string::npos; }));
    }
    std::vector<std::string> Lines;
};

// Gives an open session a data folder holding only these files (name, bytes)
// instead of the runtime folder's, rebuilds its sequencer with the one scene
// class and shows it as scene 0.
inline void ShowWithOwnData(ZynRenderTest::TSession& s, const TZynSceneClass& cls,
                            const std::vector<std::pair<std::string, std::string>>& files)
{
    std::filesystem::path data = std::filesystem::path(s.BaseDir()) / "data";
    std::filesystem::remove(data);   // the runtime folder's data, linked in
    std::filesystem::create_directories(data);
    for (const auto& [name, bytes] : files) std::ofstream(data / name, std::ios::binary) << bytes;
    s.UseScenes({cls});
    s.ShowScene(0);
}
