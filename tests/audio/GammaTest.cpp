// Gamma strobe: band level, adaptive average, the one-frame ramp flip and its restores, the drawn flash.
#include "app/ZynLog.h"
#include "audio/ZynGamma.h"
#include "config/ZynConstDef.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using TRamp = std::vector<uint16_t>;   // 3 x 256: red, green, blue

// A display whose ramp can be read and written, or refuses either.
class TFakeDisplay : public TGammaDisplay {
public:
    TRamp Ramp = Calibrated();
    bool Fullscreen = true;
    bool RefuseGet = false;
    bool RefuseSet = false;
    int Gets = 0;
    int Sets = 0;

    static TRamp Calibrated()
    {
        TRamp r(768);
        for (int i = 0; i < 768; i++) r[i] = static_cast<uint16_t>(std::pow((i % 256) / 255.0, 0.8) * 65535);
        return r;
    }
    bool GetRamp(uint16_t* r, uint16_t* g, uint16_t* b) override
    {
        Gets++;
        if (RefuseGet) return false;
        std::copy(Ramp.begin(), Ramp.begin() + 256, r);
        std::copy(Ramp.begin() + 256, Ramp.begin() + 512, g);
        std::copy(Ramp.begin() + 512, Ramp.end(), b);
        return true;
    }
    bool SetRamp(const uint16_t* r, const uint16_t* g, const uint16_t* b) override
    {
        Sets++;
        // A refused ramp is still what the window keeps (and shows once it has the focus again).
        std::copy(r, r + 256, Ramp.begin());
        std::copy(g, g + 256, Ramp.begin() + 256);
        std::copy(b, b + 256, Ramp.begin() + 512);
        return !RefuseSet;
    }
    bool IsFullscreen() override { return Fullscreen; }
    bool Inverted() const { return Ramp[0] == 65535 && Ramp[255] == 256; }
};

TVisData Band(uint8_t level)
{
    TVisData d{};
    for (uint8_t& s : d.Spectrum) s = level;
    return d;
}

class GammaTest : public ::testing::Test {
protected:
    TFakeDisplay display;
    std::vector<std::string> lines;
    int32_t on = zcGAMMA_On, lo = zcGAMMA_SLow, hi = zcGAMMA_SHigh;
    float life = zcGAMMA_AverageHalfLife, trigger = zcGAMMA_Triggerpt;

    void SetUp() override
    {
        GammaReset();
        GammaSetDisplay(&display);
        ZynLogSetConsoleSink([this](const std::string& l) { lines.push_back(l); });
    }
    void TearDown() override
    {
        GammaSetDisplay(nullptr);
        GammaReset();
        ZynLogSetConsoleSink(nullptr);
        zcGAMMA_On = on, zcGAMMA_SLow = lo, zcGAMMA_SHigh = hi;
        zcGAMMA_AverageHalfLife = life, zcGAMMA_Triggerpt = trigger;
    }
    // Settles the average on a quiet band, then one loud frame.
    void QuietThenBeat()
    {
        for (int i = 0; i < 40; i++) GammaFrame(Band(10), 1.0f);
        GammaFrame(Band(200), 0.02f);
    }
    int FallbackLines() const
    {
        int n = 0;
        for (const std::string& l : lines) n += l.find("draws the strobe instead") != std::string::npos;
        return n;
    }
};

TEST_F(GammaTest, SlopeTablesAndBandLimits)
{
    uint16_t t[256];
    GammaSlopeTable(-256, t);
    EXPECT_EQ(t[0], 65535);
    EXPECT_EQ(t[255], 256);
    GammaSlopeTable(256, t);
    EXPECT_EQ(t[1], 256);
    EXPECT_EQ(t[255], 65280);

    TVisData d{};
    for (int i = 0; i < kVisSamples; i++) d.Spectrum[i] = i < 288 ? 0 : 100;
    zcGAMMA_SLow = 288, zcGAMMA_SHigh = 575;
    EXPECT_FLOAT_EQ(GammaBandLevel(d), 100);
    // Values written directly bypass the registry's limits: clamped where used.
    zcGAMMA_SLow = -40, zcGAMMA_SHigh = 10000;
    EXPECT_FLOAT_EQ(GammaBandLevel(d), 50);
    zcGAMMA_SLow = 400, zcGAMMA_SHigh = 300;
    EXPECT_FLOAT_EQ(GammaBandLevel(d), 0);
}

TEST_F(GammaTest, AverageFollowsTheBandAtTheHalfLifeRate)
{
    zcGAMMA_On = 0;
    zcGAMMA_AverageHalfLife = 0.5f;
    GammaFrame(Band(100), 1.0f);
    EXPECT_FLOAT_EQ(GammaAverage(), 50);
    GammaFrame(Band(200), 0);   // no time passes: nothing changes
    EXPECT_FLOAT_EQ(GammaAverage(), 50);
    zcGAMMA_AverageHalfLife = 0;
    GammaFrame(Band(80), 0.01f);
    EXPECT_FLOAT_EQ(GammaAverage(), 80);
    // Out-of-range or broken settings and time steps never poison the average.
    for (float bad : {-3.0f, std::numeric_limits<float>::quiet_NaN(), 7.0f}) {
        zcGAMMA_AverageHalfLife = bad;
        GammaFrame(Band(40), 0.5f);
        GammaFrame(Band(40), std::numeric_limits<float>::infinity());
        EXPECT_TRUE(std::isfinite(GammaAverage())) << bad;
        EXPECT_GE(GammaAverage(), 0) << bad;
        EXPECT_LE(GammaAverage(), 255) << bad;
    }
}

TEST_F(GammaTest, FullScreenRampFlipsForOneFrameAndComesBackCalibrated)
{
    zcGAMMA_On = 2, zcGAMMA_Triggerpt = 0.5f, zcGAMMA_AverageHalfLife = 0.5f;
    const TRamp desktop = display.Ramp;
    QuietThenBeat();
    EXPECT_TRUE(GammaRampSaved());
    EXPECT_TRUE(GammaFlipped());
    EXPECT_TRUE(display.Inverted());
    // Saved once: a second read now would capture the inverted ramp.
    SaveGammaRamp();
    EXPECT_EQ(display.Gets, 1);
    GammaFrame(Band(10), 0.02f);
    EXPECT_FALSE(GammaFlipped());
    EXPECT_EQ(display.Ramp, desktop);
    // A steady band never fires for a threshold >= 0.
    const int sets = display.Sets;
    for (int i = 0; i < 50; i++) GammaFrame(Band(10), 0.02f);
    EXPECT_EQ(display.Sets, sets);
    EXPECT_EQ(FallbackLines(), 0);
}

TEST_F(GammaTest, TeardownAndFocusLossNeverLeaveTheDisplayInverted)
{
    zcGAMMA_On = 2;
    const TRamp desktop = display.Ramp;
    QuietThenBeat();
    ASSERT_TRUE(display.Inverted());
    RestoreGammaRamp();   // what window teardown and focus loss do
    EXPECT_FALSE(GammaFlipped());
    EXPECT_EQ(display.Ramp, desktop);

    // Without the focus the write is refused but kept by the window: it is undone all the same.
    display.RefuseSet = true;
    GammaFrame(Band(250), 0.02f);
    EXPECT_TRUE(display.Inverted());
    GammaFrame(Band(10), 0.02f);
    EXPECT_EQ(display.Ramp, desktop);
    EXPECT_EQ(FallbackLines(), 1);
}

TEST_F(GammaTest, AnInvertedDesktopRampIsNeverKept)
{
    zcGAMMA_On = 2;
    uint16_t inv[256];
    GammaSlopeTable(-256, inv);
    for (int c = 0; c < 3; c++) std::copy(inv, inv + 256, display.Ramp.begin() + 256 * c);
    SaveGammaRamp();
    RestoreGammaRamp();
    EXPECT_EQ(display.Ramp[0], 0);
    EXPECT_EQ(display.Ramp[255], 65280);
}

TEST_F(GammaTest, RampRefusedOrNotFullScreenDrawsInsteadAndSaysSoOnce)
{
    zcGAMMA_On = 2;
    display.Fullscreen = false;
    QuietThenBeat();
    QuietThenBeat();
    EXPECT_EQ(display.Sets, 0);   // a window never touches the display's ramp
    EXPECT_EQ(display.Gets, 0);
    EXPECT_EQ(FallbackLines(), 1);

    GammaReset();
    lines.clear();
    display.Fullscreen = true;
    display.RefuseGet = true;
    QuietThenBeat();
    EXPECT_EQ(display.Gets, 41);   // retried every frame until a read succeeds
    EXPECT_FALSE(GammaRampSaved());
    EXPECT_EQ(display.Sets, 0);
    EXPECT_EQ(FallbackLines(), 1);
    display.RefuseGet = false;
    GammaFrame(Band(250), 0.02f);
    EXPECT_TRUE(GammaRampSaved());
    EXPECT_TRUE(GammaFlipped());
}

TEST_F(GammaTest, DrawnStrobeTurnsBlackToWhiteOnTheBeatAndLeavesGLStateAlone)
{
    ZynRenderTest::TSession s;
    ASSERT_TRUE(s.Open(64, 48));
    zcGAMMA_On = 1;
    zcGAMMA_Triggerpt = -4;   // very low: fires on every frame
    glDisable(GL_BLEND);      // the flash must not depend on what the frame left
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClear(GL_COLOR_BUFFER_BIT);
    GammaFrame(Band(0), 0.02f);
    EXPECT_NEAR(ZynRenderTest::MeanBrightness(s.Grab()), 255, 0.5);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint src = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    EXPECT_EQ(src, GL_SRC_ALPHA);

    // Through the sequencer's frame: the same picture flashed is the complement of the plain one.
    auto frame = [&](int32_t mode) {
        zcGAMMA_On = mode;
        EXPECT_TRUE(s.Open(64, 48));
        s.ShowScene(0);
        EXPECT_TRUE(s.Frame(ZynRenderTest::TInput::Music, 0.05f));
        return s.Grab();
    };
    const double plain = ZynRenderTest::MeanBrightness(frame(0));
    const double flashed = ZynRenderTest::MeanBrightness(frame(1));
    ASSERT_GT(std::fabs(plain - 127.5), 6) << "a mid-grey picture cannot show the flash";
    EXPECT_NEAR(flashed, 255 - plain, 4);
}

}  // namespace
