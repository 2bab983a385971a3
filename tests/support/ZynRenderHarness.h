// ZynRenderHarness: headless rendering of scenes and faders for tests and benchmarks.
//
// A session owns an offscreen GL context, a scratch base directory that sees
// the runtime folder's data files, a fixed random seed and a sequencer. Frames
// advance by a fixed time step with one of three inputs: silence, a steady
// bass, or synthesised music. Pictures are read back and compared with simple
// measures rather than stored golden images.
#pragma once

#include "audio/ZynVisData.h"
#include "engine/ZynVis.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ZynRenderTest {

enum class TInput { Silence, SteadyBass, Music };

struct TImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Rgb;   // bottom row first, as GL reads it
    bool Empty() const { return Rgb.empty(); }
};

class TSession {
public:
    TSession() = default;
    ~TSession();
    // GL context of w x h, scratch base dir, seed, default projection and a sequencer.
    bool Open(int32_t w = 640, int32_t h = 480, uint32_t seed = 1);
    void Close();

    // Replaces the sequencer by one holding the given scenes and the standard faders.
    void UseScenes(const std::vector<TZynSceneClass>& scenes);

    // The record for this input, dt seconds on (music comes from the session's
    // own generator, restarted by Open, so runs with one seed are identical).
    TVisData Input(TInput kind, float dt);
    // One sequencer frame (dt seconds) with the given input; returns false on a GL error.
    bool Frame(TInput kind, float dt);
    // Shows scene n at once (no transition).
    void ShowScene(int32_t n);
    TImage Grab() const;

    TVisObject* Vis() { return VisObject.get(); }
    const std::string& BaseDir() const { return Dir; }
    float Clock() const { return ClockValue; }

private:
    std::unique_ptr<TVisObject> VisObject;
    std::string Dir;
    float ClockValue = 0;
    TZynVisSynth Synth;
};

// Mean of all channels, 0..255.
double MeanBrightness(const TImage& img);
// Share of pixels whose brightest channel exceeds threshold.
double LitFraction(const TImage& img, int threshold = 24);
// Mean absolute difference between the picture and its left-right mirror, 0..255.
double MirrorDifference(const TImage& img);
// Mean absolute difference between two pictures of the same size, 0..255.
double ImageDifference(const TImage& a, const TImage& b);
// As ImageDifference over block x block averages: ignores the detail lost when
// a picture goes through a smaller render-to-texture copy.
double BlockDifference(const TImage& a, const TImage& b, int32_t block = 8);
// Writes a picture as a binary PPM (for looking at test output by hand).
bool SavePPM(const TImage& img, const std::string& path);

}  // namespace ZynRenderTest
