// Every scene of the catalogue, rendered headless: visible under music,
// the same pictures for the same seed and time step, still or moving in silence
// and responsive to bass as its row says, and every constant of its section at
// its limits and beyond them (as formulas write them) without a GL error, an
// error line or a non-finite picture.
#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "engine/ZynSceneCatalogue.h"
#include "platform/ZynRandom.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace ZynRenderTest;

namespace {

struct TSceneExpect {
    const char* ClassName;
    bool MovesInSilence;   // the picture changes with no music at all
    bool RespondsToBass;   // a steady bass gives another picture than silence
};

// One row per scene class.
const TSceneExpect kExpect[] = {
    {"TvisSnakeCube", false, true},
    {"TvisTunnel", true, true},
    {"TvisSphere", true, true},
    {"TvisSkyBox", false, true},
    {"TvisRecurse", false, true},
    {"TvisPointMorph", false, true},    // a reset starts on two seconds of holding a shape
    {"TvisKessa", true, false},   // its formulas follow the kick, which a steady level fires only once
    {"TvisPointRender", false, true},   // dots shrink to nothing without bass
    {"TvisWMorph", false, true},        // balls glide, zoom and tumble with bass and beat only
    {"TvisHyperMorph", false, true},
    {"TvisSparkSphere", true, true},   // the paths creep on without bass
    {"TvisSparks", true, true},        // trails follow the clock
    {"TvisParticle", true, true},      // the swarm orbits under its own force
    {"TvisPlasma", true, true},
    {"TvisVortex", true, false},        // only time moves the flight
    {"TvisBlit", false, false},
    {"TvisWarp", false, false},
    {"TvisWrap", false, false},
    {"TvisContour", true, true},        // silence is below the bass level: contours run backwards
    {"TvisCubeField", true, true},      // flies on at a steady speed; the bass swerves and rolls it
    {"TvisCubeField2", true, true},     // the lattice keeps turning; the bass changes the axis
    {"TvisCube", false, true},
    {"TvisFractCube", false, true},
    {"TvisTorus", false, true},         // no drops and no kick without music
};

const TSceneExpect* ExpectOf(const std::string& className)
{
    for (const auto& e : kExpect)
        if (className == e.ClassName) return &e;
    return nullptr;
}

std::vector<int32_t> AllScenes()
{
    std::vector<int32_t> out;
    for (size_t i = 0; i < ZynSceneCatalogue().size(); i++) out.push_back(int32_t(i));
    return out;
}

constexpr float kDt = 1.0f / 30;

class SceneRender : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override
    {
        ZynLogSetConsoleSink([this](const std::string& l) {
            if (l.rfind("#ERROR", 0) == 0) Errors.push_back(l);
        });
        for (int32_t i = 0; i < ConstCount(); i++) Saved.push_back(ConstAsFloat(i));
    }
    void TearDown() override
    {
        for (int32_t i = 0; i < ConstCount(); i++) ConstSetFloat(i, Saved[size_t(i)]);
        S.Close();
        ZynLogSetConsoleSink(nullptr);
    }
    int32_t Scene() const { return GetParam(); }
    std::string Section() { return S.Vis()->Scenes->Items(Scene())->Section; }

    // A fresh session showing the scene, after `frames` frames of one input.
    TImage Run(TInput input, int frames, uint32_t seed = 7)
    {
        EXPECT_TRUE(S.Open(320, 240, seed));
        S.ShowScene(Scene());
        for (int i = 0; i < frames; i++) EXPECT_TRUE(S.Frame(input, kDt)) << "GL error in frame " << i;
        return S.Grab();
    }

    TSession S;
    std::vector<std::string> Errors;
    std::vector<float> Saved;
};

std::string NameOf(const ::testing::TestParamInfo<int32_t>& info)
{
    return ZynSceneCatalogue()[size_t(info.param)].ClassName;
}

}  // namespace

TEST_P(SceneRender, HasARowAndIsVisibleUnderMusic)
{
    ASSERT_NE(ExpectOf(ZynSceneCatalogue()[size_t(Scene())].ClassName), nullptr)
        << "add the scene's row to kExpect";
    double lit = LitFraction(Run(TInput::Music, 50));
    // A scene that pulses with the bass may be dark in a trough: the brightest
    // picture of a third of a second counts.
    for (int i = 0; i < 10; i++) {
        EXPECT_TRUE(S.Frame(TInput::Music, kDt));
        lit = std::max(lit, LitFraction(S.Grab()));
    }
    EXPECT_GT(lit, 0.02) << "scene draws (almost) nothing";
    EXPECT_TRUE(Errors.empty()) << Errors.front();
}

TEST_P(SceneRender, SameSeedAndStepGiveTheSamePictures)
{
    TImage a = Run(TInput::Music, 45, 11);
    TImage b = Run(TInput::Music, 45, 11);
    EXPECT_LT(ImageDifference(a, b), 0.5);
}

TEST_P(SceneRender, SilenceAndBassBehaveAsTheRowSays)
{
    const TSceneExpect* e = ExpectOf(ZynSceneCatalogue()[size_t(Scene())].ClassName);
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(S.Open(320, 240, 3));
    S.ShowScene(Scene());
    for (int i = 0; i < 30; i++) S.Frame(TInput::Silence, kDt);
    TImage first = S.Grab();
    // 16 frames, not a round half second: a steady periodic motion (the cube
    // field's lattice repeats every quarter second) would show the same picture.
    for (int i = 0; i < 16; i++) S.Frame(TInput::Silence, kDt);
    TImage later = S.Grab();
    EXPECT_EQ(ImageDifference(first, later) > 0.5, e->MovesInSilence)
        << "difference over about half a second of silence: " << ImageDifference(first, later);

    TImage silent = Run(TInput::Silence, 45, 3);
    TImage bass = Run(TInput::SteadyBass, 45, 3);
    EXPECT_EQ(ImageDifference(silent, bass) > 0.5, e->RespondsToBass)
        << "difference between silence and a steady bass: " << ImageDifference(silent, bass);
}

TEST_P(SceneRender, EveryConstantAtAndBeyondItsLimitsRenders)
{
    ASSERT_TRUE(S.Open(160, 120, 5));
    const std::string section = Section();
    for (int32_t i = 0; i < ConstCount(); i++) {
        const TConstDef* row = ConstRow(i);
        if (section != row->Section || row->ValueType == ZC_TYPE_STRING) continue;
        const float lo = row->HasMin ? row->Min : -1000.0f, hi = row->HasMax ? row->Max : 1000.0f;
        // The limits through the registry, then what a formula may write directly.
        const float values[] = {lo, hi, lo - (hi - lo) - 1, hi * 4 + 100, NAN};
        for (int k = 0; k < 5; k++) {
            const float v = values[k];
            if (k < 2) ConstSetFloat(i, v);
            else ConstFormulaSet(i, v);
            S.Vis()->Scenes->RestartScene(Scene());
            S.ShowScene(Scene());
            for (int f = 0; f < 4; f++)
                EXPECT_TRUE(S.Frame(TInput::Music, kDt)) << ConstFullName(i) << " = " << v;
            TImage img = S.Grab();
            EXPECT_GE(MeanBrightness(img), 0.0);
        }
        ConstSetFloat(i, Saved[size_t(i)]);
        EXPECT_TRUE(Errors.empty()) << ConstFullName(i) << ": " << Errors.front();
        Errors.clear();
    }
    // The scene recovers its normal picture once the constants are back.
    S.Vis()->Scenes->RestartScene(Scene());
    S.ShowScene(Scene());
    for (int f = 0; f < 30; f++) S.Frame(TInput::Music, kDt);
    EXPECT_GT(LitFraction(S.Grab()), 0.02);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, SceneRender, ::testing::ValuesIn(AllScenes()), NameOf);

namespace {
// Scenes that by design go on from where their last showing left them (the
// chain of shapes, the contour field, the snake), so one unseen frame shows.
bool CarriesOn(const std::string& className)
{
    return className == "TvisPointMorph" || className == "TvisContour" || className == "TvisSnakeCube";
}

// A change through every fader between two scenes that start afresh, then
// every scene after a cut, as pictures; each from its own random seed.
std::vector<TImage> Tour(bool warmUp)
{
    TSession s;
    EXPECT_TRUE(s.Open(160, 120, 5));
    if (warmUp) {
        std::vector<std::string> before;
        for (int32_t i = 0; i < ConstCount(); i++) before.push_back(ConstToString(i));
        s.Vis()->WarmUp();
        for (int32_t i = 0; i < ConstCount(); i++) EXPECT_EQ(ConstToString(i), before[size_t(i)]) << ConstFullName(i);
    }
    std::vector<TImage> shots;
    int32_t count = s.Vis()->Scenes->Count();
    ZynRandomize(99);
    s.ShowScene(14);
    for (int32_t f = 0; f < s.Vis()->Faders->Count(); f++) {
        ZynRandomize(uint32_t(200 + f));
        s.Vis()->SceneChange(f % 2 ? 14 : 20, f);
        for (int i = 0; i < 3; i++) EXPECT_TRUE(s.Frame(TInput::Music, kDt));
        shots.push_back(s.Grab());
    }
    for (int32_t n = 0; n < count; n++) {
        ZynRandomize(uint32_t(100 + n));
        s.ShowScene(n);
        for (int i = 0; i < 2; i++) EXPECT_TRUE(s.Frame(TInput::Music, kDt));
        shots.push_back(s.Grab());
    }
    return shots;
}
}  // namespace

// The start-up warm-up draws everything once; what the user then sees must
// not show it: no GL state, fader state, constant or random draw left behind.
TEST(SceneWarmUp, LeavesEveryFaderAndSceneAsItWas)
{
    std::vector<TImage> cold = Tour(false), warm = Tour(true);
    ASSERT_EQ(cold.size(), warm.size());
    size_t faders = ZynFaderCatalogue().size();
    for (size_t i = 0; i < cold.size(); i++) {
        std::string what = i < faders ? "fader " + std::to_string(i)
                                      : ZynSceneCatalogue()[i - faders].ClassName;
        if (i >= faders && CarriesOn(what)) continue;
        EXPECT_EQ(ImageDifference(cold[i], warm[i]), 0.0) << what;
    }
}
