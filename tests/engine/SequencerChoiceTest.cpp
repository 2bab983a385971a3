// Sequencer choices: weights from the PREF constants, predefine numbers, scene length, lookups.
#include "EngineTestSupport.h"

#include "config/ZynConst.h"
#include "engine/ZynSceneCatalogue.h"
#include "engine/ZynVis.h"
#include "platform/ZynRandom.h"

#include <cstring>
#include <map>

namespace {
TVisData Silence()
{
    TVisData v;
    std::memset(&v, 0, sizeof v);
    return v;
}

// Two predefines with weights 4 and 0 that record what the sequencer asks of them.
class FakePredefines : public TZynPredefineSource {
public:
    std::vector<std::string>* Calls;
    explicit FakePredefines(std::vector<std::string>* calls) : Calls(calls) {}
    int32_t Count() const override { return 2; }
    float Weight(int32_t k) const override { return k == 0 ? 4.0f : 0.0f; }
    void Activate(int32_t k) override { Calls->push_back("activate" + std::to_string(k)); }
    void Render(int32_t k, const TVisData&, float) override { Calls->push_back("render" + std::to_string(k)); }
    uint32_t RenderTex(int32_t k, const TVisData&, int32_t w, int32_t h, float, uint32_t& store) override
    {
        Calls->push_back("tex" + std::to_string(k) + ":" + std::to_string(w) + "x" + std::to_string(h));
        return 77;
    }
    void CheckTextureSizes() override { Calls->push_back("sizes"); }
};

// Saves every PREF row and the SCENE rows, and restores them afterwards.
class ChoiceTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ZynVisHooks = TZynVisHooks{};
        for (int32_t i = 0; i < ConstCount(); i++) saved[i] = ConstAsFloat(i);
        ZynRandomize(99);
    }
    void TearDown() override
    {
        for (auto& [i, v] : saved) ConstSetFloat(i, v);
        zcSCENE_StartScene = -1;
        ZynVisHooks = TZynVisHooks{};
        GLTest::TearDown();
    }
    void ZeroAllSceneWeights()
    {
        for (int32_t i = 0; i < ConstCount(); i++)
            if (std::string(ConstRow(i)->Section) == "PREF") ConstSetFloat(i, 0);
    }
    std::map<int32_t, float> saved;
};
}  // namespace

TEST_F(ChoiceTest, WeightsComeFromThePrefConstantOfEachSection)
{
    LogCapture log;
    zcSCENE_StartScene = 0;
    TVisObject vis;
    EXPECT_FLOAT_EQ(vis.SceneWeight(14), zcPREF_Tunnel);
    EXPECT_FLOAT_EQ(vis.SceneWeight(20), 0.0f);   // Blit defaults to 0
    EXPECT_FLOAT_EQ(vis.FaderWeight(4), zcPREF_FSSquareS);
    EXPECT_EQ(vis.FaderWeight(10), 0.0f);
    zcPREF_Tunnel = 7.5f;
    EXPECT_FLOAT_EQ(vis.SceneWeight(14), 7.5f);
    EXPECT_FALSE(log.AnyContains("#ERROR"));   // every section finds its PREF row

    // Only the tunnel and the current scene weigh anything: always the tunnel.
    ZeroAllSceneWeights();
    zcPREF_Tunnel = 1;
    zcPREF_Snake = 10;   // scene 0, the current one
    for (int i = 0; i < 50; i++) EXPECT_EQ(vis.PickScene(), 14);
    zcPREF_Tunnel = 0;
    EXPECT_EQ(vis.PickScene(), -1);
    // No fader weighs anything: an equal choice, said once.
    std::set<int32_t> faders;
    for (int i = 0; i < 200; i++) faders.insert(vis.PickFader());
    EXPECT_EQ(faders.size(), 10u);
    EXPECT_EQ(log.CountOf("#WARNING : PickFader - every weight is 0 or not a number: picking with equal chance"), 1);
    zcPREF_FRipple = 2;
    EXPECT_EQ(vis.PickFader(), 7);
}

TEST_F(ChoiceTest, SceneLengthScalesTheCurrentWeight)
{
    LogCapture log;
    zcSCENE_StartScene = 14;
    TVisObject vis;
    zcPREF_Tunnel = 10;
    zcSCENE_Random = 1;
    zcSCENE_CrossFadeSpeed = 2;
    EXPECT_FLOAT_EQ(vis.PickSceneLength(), 12.0f);
    zcSCENE_Random = 0.25f;
    for (int i = 0; i < 200; i++) {
        float len = vis.PickSceneLength();
        EXPECT_GE(len, 0.25f * 10 + 2);
        EXPECT_LE(len, 1.75f * 10 + 2);
    }
}

TEST_F(ChoiceTest, PredefinesAreNegativeSceneNumbers)
{
    LogCapture log;
    std::vector<std::string> calls;
    ZynVisHooks.CreatePredefines = [&](TVisObject&) { return std::make_unique<FakePredefines>(&calls); };
    zcSCENE_StartScene = -1;
    TVisObject vis;
    // Construction activates the start number -1, that is predefine 0.
    EXPECT_EQ(calls, std::vector<std::string>{"activate0"});
    EXPECT_TRUE(vis.IsValidScene(-2));
    EXPECT_FALSE(vis.IsValidScene(-3));
    EXPECT_FALSE(vis.IsValidScene(24));
    EXPECT_FLOAT_EQ(vis.SceneWeight(-1), 4.0f);
    EXPECT_FLOAT_EQ(vis.SceneWeight(-3), 0.0f);
    EXPECT_EQ(vis.SceneSection(-2), "MAIN");
    EXPECT_EQ(vis.SceneSection(24), "MAIN");
    EXPECT_EQ(vis.SceneSection(-3), "");
    EXPECT_EQ(vis.SceneSection(14), "TUNNEL");

    // The first frame picks while CurrentScene is still -1, so never predefine -1.
    ZeroAllSceneWeights();
    calls.clear();
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    EXPECT_EQ(vis.CurrentScene, -1);   // nothing eligible: stays on -1, activated again
    EXPECT_EQ(calls, (std::vector<std::string>{"activate0", "sizes", "render0"}));

    vis.CurrentScene = 3;
    std::map<int32_t, int> h;
    zcPREF_Snake = 4;
    for (int i = 0; i < 2000; i++) h[vis.PickScene()]++;
    EXPECT_EQ(h.size(), 2u);
    EXPECT_NEAR(h[-1] / 2000.0, 0.5, 0.05);
    EXPECT_NEAR(h[0] / 2000.0, 0.5, 0.05);

    // A fade from a predefine renders it into a texture of the current size.
    calls.clear();
    vis.CurrentScene = -1;
    vis.SceneChange(5, 0);
    vis.Frame(data, 0.1f);
    EXPECT_EQ(calls[0], "tex0:512x256");
    EXPECT_EQ(vis.OldSceneTex, 77u);
    vis.SceneChange(-2, 0);
    EXPECT_EQ(calls.back(), "activate1");
}

TEST_F(ChoiceTest, WithoutAnyWeightTheStartSceneIsAnEqualPickSaidOnce)
{
    // Before: the pick stayed -1 and every frame wrote an out-of-range line.
    LogCapture log;
    ZeroAllSceneWeights();
    zcSCENE_StartScene = -1;
    TVisObject vis;
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    vis.Frame(data, 0.1f);
    EXPECT_GE(vis.CurrentScene, 0);
    EXPECT_NE(vis.PickScene(), vis.CurrentScene);
    EXPECT_EQ(log.CountOf("#WARNING : PickScene - every weight is 0 or not a number: picking with equal chance"), 1);
    EXPECT_FALSE(log.AnyContains("out of Range"));
}

TEST_F(ChoiceTest, FindSceneIgnoresCaseAndAddScenesAdvanceTheLoadingScreen)
{
    LogCapture log;
    std::vector<std::pair<std::string, float>> loading;
    ZynVisHooks.ShowLoading = [&](const std::string& t, float p) { loading.emplace_back(t, p); };
    TVisObject vis;
    EXPECT_EQ(vis.FindScene("tunnel"), 14);
    EXPECT_EQ(vis.FindScene("CubeField2"), 6);
    EXPECT_EQ(vis.FindScene("GLOWTUNNEL"), -1);
    ASSERT_EQ(loading.size(), 24u);
    EXPECT_EQ(loading.front().first, "Loading Scene ID SNAKE");
    EXPECT_FLOAT_EQ(loading.front().second, 1.0f / 24);
    EXPECT_EQ(loading.back().first, "Loading Scene ID CONTOUR");
    EXPECT_FLOAT_EQ(loading.back().second, 1.0f);
}

namespace {
struct TfadeBase : public TZynFader {
    void Create(TVisObject* owner) override
    {
        TZynFader::Create(owner);
        Section = "FMERGE";
        Name = "Base";
    }
};
}  // namespace

TEST_F(ChoiceTest, AFaderWithoutItsOwnFadeCutsAfterOneFrame)
{
    LogCapture log;
    static const std::vector<TZynSceneClass> scenes = {ZynSceneCatalogue()[0], ZynSceneCatalogue()[14]};
    static const std::vector<TZynFaderClass> faders = {ZynFaderClassOf<TfadeBase>("TfadeBase")};
    zcSCENE_StartScene = 0;
    TVisObject vis(scenes, faders);
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    vis.SceneChange(1, 0);
    EXPECT_TRUE(log.Has("RESETFADER \"Base\""));
    vis.Frame(data, 0.1f);
    EXPECT_FLOAT_EQ(vis.FadeProgress, 1.0f);
    EXPECT_FLOAT_EQ(vis.Faders->Items(0)->Time, 0.1f);
    // Neither texture was asked for, so the outgoing scene was not drawn
    // (its clock stays where the first frame, with dt 0, left it).
    EXPECT_FLOAT_EQ(vis.Scenes->Items(0)->Time, 0.0f);
    EXPECT_FLOAT_EQ(vis.Scenes->Items(1)->Time, 0.1f);
}
