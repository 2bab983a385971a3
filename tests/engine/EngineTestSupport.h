// Shared helpers of the scene engine tests: log capture, a GL context, test scene classes.
#pragma once

#include "app/ZynLog.h"
#include "app/ZynOffscreenGL.h"
#include "engine/ZynSceneClass.h"
#include "engine/ZynFadeClass.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// Collects every log line written while it exists; the log file goes to a
// scratch base directory.
class LogCapture {
public:
    LogCapture()
    {
        // One scratch folder per test process, removed when the process ends.
        struct Scratch {
            std::filesystem::path Dir =
                std::filesystem::temp_directory_path() / ("zyn_engine_test_" + std::to_string(getpid()));
            Scratch() { std::filesystem::create_directories(Dir); }
            ~Scratch()
            {
                std::error_code ec;
                std::filesystem::remove_all(Dir, ec);
            }
        };
        static Scratch scratch;
        ZynSetBaseDir(scratch.Dir.string());
        ZynLogSetConsoleSink([this](const std::string& l) { Lines.push_back(l); });
    }
    ~LogCapture() { ZynLogSetConsoleSink(nullptr); }
    bool Has(const std::string& line) const
    {
        return std::find(Lines.begin(), Lines.end(), line) != Lines.end();
    }
    int CountOf(const std::string& line) const
    {
        return static_cast<int>(std::count(Lines.begin(), Lines.end(), line));
    }
    // Index of the first line equal to text at or after from, or -1.
    int IndexOf(const std::string& text, int from = 0) const
    {
        for (size_t i = static_cast<size_t>(from); i < Lines.size(); i++)
            if (Lines[i] == text) return static_cast<int>(i);
        return -1;
    }
    bool AnyContains(const std::string& part) const
    {
        for (auto& l : Lines)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> Lines;
};

// A fixture with a current 640x480 GL context.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ZynOffscreenGL::Create(640, 480)) << ZynOffscreenGL::LastError();
        glViewport(0, 0, 640, 480);
    }
    void TearDown() override { ZynOffscreenGL::Destroy(); }

    // RGB of one pixel of the back buffer.
    static std::vector<int> Pixel(int x, int y)
    {
        unsigned char px[4] = {0, 0, 0, 0};
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        return {px[0], px[1], px[2]};
    }
};

// Test scene: draws a solid colour; can be told to throw from Render or Init.
struct ProbeSettings {
    static inline bool ThrowInRender = false;
    static inline bool ThrowInInit = false;
    static inline bool OwnTexture = false;
    static inline int Renders = 0;
    static inline int Built = 0;
    static void Clear()
    {
        ThrowInRender = ThrowInInit = OwnTexture = false;
        Renders = Built = 0;
    }
};

class TvisProbe : public TZynScene {
public:
    void Init() override
    {
        TZynScene::Init();
        ProbeSettings::Built++;
        Name = "Probe";
        Section = "TUNNEL";
        TextureSlotCount = 1;
        RendersToTexture = ProbeSettings::OwnTexture;
        if (ProbeSettings::ThrowInInit) throw std::runtime_error("init failed");
        Reset();
    }
    void Render(const TVisData& visData, float dt, float alpha) override
    {
        TZynScene::Render(visData, dt, alpha);
        ProbeSettings::Renders++;
        // Leave a mess behind before failing: pushed matrices, an odd viewport.
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        if (ProbeSettings::ThrowInRender) {
            glViewport(3, 4, 5, 6);
            glBegin(GL_QUADS);
            throw std::runtime_error("probe exploded");
        }
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
};
