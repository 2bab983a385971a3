// Sequencer: frame, texture size, scene changes, packets, faders and shut-down.
#include "EngineTestSupport.h"

#include "config/ZynConst.h"
#include "console/ZynTimer.h"
#include "engine/ZynPicker.h"
#include "engine/ZynSceneCatalogue.h"
#include "engine/ZynVis.h"
#include "platform/ZynRandom.h"

#include <cstring>
#include <set>

namespace {
TVisData Silence()
{
    TVisData v;
    std::memset(&v, 0, sizeof v);
    return v;
}

struct Packet {
    uint8_t Bytes[ZynControlPacketSize] = {};
    Packet(uint8_t type)
    {
        uint32_t magic = 0xDEADED00u;
        std::memcpy(Bytes, &magic, 4);
        Bytes[24] = type;
    }
    Packet& At(size_t offset, int32_t v)
    {
        std::memcpy(Bytes + offset, &v, 4);
        return *this;
    }
};

// Resets the sequencer's hooks and start constant around each test.
class VisTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ZynVisHooks = TZynVisHooks{};
        savedStart = zcSCENE_StartScene;
        ZynRandomize(1234);
    }
    void TearDown() override
    {
        ZynVisHooks = TZynVisHooks{};
        zcSCENE_StartScene = savedStart;
        ProbeSettings::Clear();
        GLTest::TearDown();
    }
    int32_t savedStart = -1;
};

// Test fader: counts frames, can throw.
struct TfadeProbe : public TZynFader {
    static inline bool Throw = false;
    void Create(TVisObject* owner) override
    {
        TZynFader::Create(owner);
        Section = "FMERGE";
        Name = "Probe Fader";
        NeedsOldTexture = true;
    }
    float Fade(uint32_t newTex, uint32_t oldTex, float dt) override
    {
        TZynFader::Fade(newTex, oldTex, dt);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        if (Throw) throw std::runtime_error("fader broke");
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        return Time / 0.5f;
    }
};
}  // namespace

TEST_F(VisTest, FirstFrameAt640x480ResizesTexturesTo512x256)
{
    LogCapture log;
    zcSCENE_StartScene = 3;
    TVisObject vis;
    EXPECT_EQ(vis.Scenes->Count(), 24);
    EXPECT_EQ(vis.Faders->Count(), 10);
    TVisData data = Silence();
    vis.Frame(data, 0.5f);
    EXPECT_TRUE(log.Has("TZynTextures:TEMPORARY TEXTURE RESIZE (512x256)"));
    EXPECT_EQ(vis.TextureWidth(), 512);
    EXPECT_EQ(vis.TextureHeight(), 256);
    // Render-to-texture scenes learn the new size; the first frame runs with dt 0.
    EXPECT_TRUE(log.Has("MORPH Texture size change to 512x256"));
    EXPECT_EQ(vis.Scenes->Items(3)->Time, 0.0f);
    EXPECT_FALSE(vis.FirstFrame);
    // An unchanged viewport logs nothing more.
    size_t lines = log.Lines.size();
    vis.Frame(data, 0.5f);
    for (size_t i = lines; i < log.Lines.size(); i++)
        EXPECT_EQ(log.Lines[i].find("TEMPORARY TEXTURE RESIZE"), std::string::npos);
    EXPECT_FLOAT_EQ(vis.Scenes->Items(3)->Time, 0.5f);
}

TEST_F(VisTest, TextureSizeIsTheLargestFractionThatFitsAndNeverZero)
{
    LogCapture log;
    TVisObject vis;
    // Before the first frame the viewport is all zeros.
    EXPECT_EQ(vis.TextureWidth(), 1);
    EXPECT_EQ(vis.TextureHeight(), 1);
    vis.Viewport[2] = 800;
    vis.Viewport[3] = 2048;
    EXPECT_EQ(vis.TextureWidth(), 512);
    EXPECT_EQ(vis.TextureHeight(), zcMAIN_MTexY);
    vis.Viewport[2] = 1024;
    EXPECT_EQ(vis.TextureWidth(), 1024);
    int32_t saved = zcMAIN_MTexX;
    zcMAIN_MTexX = 0;   // a direct write bypassing the limits
    EXPECT_EQ(vis.TextureWidth(), 1);
    zcMAIN_MTexX = saved;
}

TEST_F(VisTest, ScenePacketStartsAChangeWithItsFader)
{
    LogCapture log;
    zcSCENE_StartScene = 0;
    TVisObject vis;
    TVisData data = Silence();
    vis.Frame(data, 0.0f);
    vis.HandlePacket(ZynMakeSceneChangePacket(5, 2));
    int change = log.IndexOf("SCENECHANGE 5");
    ASSERT_GE(change, 0);
    EXPECT_GT(log.IndexOf("RESETFADER \"Vertical Strip\"", change), change);
    EXPECT_GT(log.IndexOf("RESETSCENE \"CubeField\"", change), change);
    EXPECT_EQ(vis.CurrentScene, 5);
    EXPECT_EQ(vis.PreviousScene, 0);
    EXPECT_EQ(vis.FaderIndex, 2);
    EXPECT_EQ(vis.FadeProgress, 0.0f);

    // The change runs its course over FVSTRIP.Time (1 s) and then shows scene 5 alone.
    for (int i = 0; i < 4 && vis.FadeProgress < 1; i++) vis.Frame(data, 0.3f);
    EXPECT_GE(vis.FadeProgress, 1.0f);
    EXPECT_NE(vis.OldSceneTex, 0u);
    EXPECT_FALSE(log.AnyContains("OPENGL"));
}

TEST_F(VisTest, SceneChangeRejectsBadNumbersAndTheCurrentScene)
{
    LogCapture log;
    zcSCENE_StartScene = 1;
    TVisObject vis;
    const std::string range = "#ERROR : VisObject.SceneChange - Scene/Fader out of range";
    vis.HandlePacket(Packet(3).At(28, 24).At(32, 0).Bytes);
    EXPECT_EQ(log.CountOf(range), 1);
    vis.SceneChange(-1, 0);   // no predefines loaded
    vis.SceneChange(2, 10);
    vis.SceneChange(2, -1);
    EXPECT_EQ(log.CountOf(range), 4);
    EXPECT_EQ(vis.CurrentScene, 1);
    EXPECT_EQ(vis.FadeProgress, 1.0f);
    int resets = log.CountOf("RESETSCENE \"Point Morph\"");
    vis.SceneChange(1, 0);
    EXPECT_TRUE(log.Has("#ERROR : VisObject.SceneChange - Already on this scene"));
    EXPECT_EQ(log.CountOf("RESETSCENE \"Point Morph\""), resets);
    EXPECT_FALSE(log.AnyContains("SCENECHANGE"));
}

TEST_F(VisTest, RestartAndSlotPacketsCheckTheSceneNumber)
{
    LogCapture log;
    zcSCENE_StartScene = 0;
    TVisObject vis;
    vis.HandlePacket(Packet(8).At(16, 24).Bytes);
    EXPECT_TRUE(log.Has("#ERROR : scSceneRestart - Scene value out of Range"));
    vis.HandlePacket(Packet(7).At(16, -1).Bytes);
    EXPECT_TRUE(log.Has("#ERROR : Scene not within Range in Sent Packet"));
    TZynScene* before = vis.Scenes->Items(14);
    vis.HandlePacket(Packet(8).At(16, 14).Bytes);
    EXPECT_TRUE(log.Has("RESTARTING SCENE #14"));
    EXPECT_TRUE(log.Has("DESTROY \"Tunnel\""));
    EXPECT_NE(vis.Scenes->Items(14), before);
    EXPECT_EQ(vis.Scenes->Items(14)->Name, "Tunnel");

    int32_t row = FindConst("TUNNEL.TEX0");
    int32_t saved = ConstAsInt(row);
    vis.HandlePacket(Packet(7).At(16, 14).At(28, 0).At(32, 9).Bytes);
    EXPECT_EQ(ConstAsInt(row), 9);
    ConstSetInt(row, saved);
}

// A flood of restart packets costs one rebuild a frame, and a scene asked for
// again while it waits is rebuilt once.
TEST_F(VisTest, RestartPacketsRunOneAFrame)
{
    LogCapture log;
    zcSCENE_StartScene = 0;
    TVisObject vis;
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    auto restarts = [&] {
        int all = 0;
        for (int32_t n = 0; n < 24; n++) all += log.CountOf("RESTARTING SCENE #" + std::to_string(n));
        return all;
    };
    for (int round = 0; round < 3; round++)
        for (int32_t n = 20; n < 24; n++) vis.HandlePacket(Packet(8).At(16, n).Bytes);
    EXPECT_EQ(restarts(), 1);
    for (int frame = 1; frame <= 3; frame++) {
        vis.Frame(data, 0.1f);
        EXPECT_EQ(restarts(), 1 + frame);
    }
    vis.Frame(data, 0.1f);
    EXPECT_EQ(restarts(), 4);
    for (int32_t n = 20; n < 24; n++) EXPECT_EQ(log.CountOf("RESTARTING SCENE #" + std::to_string(n)), 1);
}

TEST_F(VisTest, AnnouncementPacketsStartTheAnnouncementWithinLimits)
{
    LogCapture log;
    TVisObject vis;
    ASSERT_EQ(vis.Announcements->Count(), 2);
    TZynAnnounce* scroller = vis.Announcements->Items(1);
    TZynAnnounce* overlay = vis.Announcements->Items(0);
    Packet p(4);
    p.At(28, 1).At(32, 2500).At(36, 5);
    std::memcpy(p.Bytes + 44, "Hello world", 11);
    vis.HandlePacket(p.Bytes);
    EXPECT_EQ(scroller->Text, "Hello");
    EXPECT_FLOAT_EQ(scroller->Duration, 2.5f);
    EXPECT_EQ(vis.ActiveAnnouncement, 1);
    // A length past the packet is cut to the 1168 bytes it holds (the overlay
    // keeps the 1024 its layout holds); bad indexes are ignored.
    vis.HandlePacket(p.At(28, 0).At(36, 100000).Bytes);
    EXPECT_EQ(overlay->Text.size(), 1024u);
    EXPECT_EQ(vis.ActiveAnnouncement, 0);
    vis.HandlePacket(p.At(28, 2).At(36, 3).Bytes);
    vis.HandlePacket(p.At(28, -1).Bytes);
    EXPECT_EQ(overlay->Text.size(), 1024u);
    EXPECT_EQ(scroller->Text, "Hello");
    // The frame shows it until its progress reaches 1.
    TVisData data = Silence();
    vis.Frame(data, 0.1f);   // the first frame passes no time
    vis.Frame(data, 1.0f);
    EXPECT_EQ(vis.ActiveAnnouncement, 0);
    vis.Frame(data, 1.6f);
    EXPECT_EQ(vis.ActiveAnnouncement, -1);
}

TEST_F(VisTest, FrameOrderPublishesBaseValuesAndFiresProgramEvents)
{
    LogCapture log;
    std::vector<std::string> order;
    ZynVisHooks.ExecuteBinding = [&](int32_t code) { order.push_back("key" + std::to_string(code)); };
    ZynVisHooks.TimerAdvance = [&](float dt) { order.push_back("timer" + std::to_string(dt)); };
    ZynVisHooks.GammaFrame = [&](const TVisData&, float) { order.push_back("gamma"); };
    ZynVisHooks.WindowTime = [] { return 42.0f; };
    zcSCENE_StartScene = 2;
    {
        TVisObject vis;
        TVisData data = Silence();
        data.Bass = 0.75f;
        vis.Frame(data, 0.2f);
        EXPECT_FLOAT_EQ(zcBASE_Time, 42);
        EXPECT_FLOAT_EQ(zcBASE_TimePassed, 0.2f);
        EXPECT_FLOAT_EQ(zcBASE_Bass, 0.75f);
        vis.Frame(data, 0.2f);
        std::vector<std::string> want = {"key256", "key258", "timer" + std::to_string(0.0f), "gamma",
                                         "key258", "timer" + std::to_string(0.2f), "gamma"};
        EXPECT_EQ(order, want);
        order.clear();
        // The stop event runs while the scenes still exist.
        ZynVisHooks.ExecuteBinding = [&](int32_t code) {
            order.push_back("key" + std::to_string(code));
            EXPECT_TRUE(vis.IsShuttingDown());
            EXPECT_TRUE(ZynVisIsStopping());
            ASSERT_TRUE(vis.Scenes);
            EXPECT_EQ(vis.Scenes->Count(), 24);
            EXPECT_FALSE(log.AnyContains("DESTROY"));
            vis.Scenes->RestartScene(0);   // ignored during shut-down
            vis.RestartFader(0);
        };
    }
    EXPECT_EQ(order, std::vector<std::string>{"key257"});
    EXPECT_EQ(log.CountOf("DESTROY \"SnakeCube\""), 1);
    EXPECT_FALSE(ZynVisIsStopping());
}

namespace {
struct TBrokenWindow : TZWindow {
    using TZWindow::TZWindow;
    void DrawContents() override { throw std::runtime_error("window gone"); }
};
}  // namespace

TEST_F(VisTest, UIFailureIsReportedAsAnException)
{
    LogCapture log;
    bool quit = false;
    ZynLogSetQuitHook([&] { quit = true; });
    TVisObject vis;
    auto window = std::make_unique<TBrokenWindow>(&vis);
    window->Visibility = 1;
    vis.UI->OpenWindow(std::move(window));
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    EXPECT_TRUE(log.Has("#ERROR : (UI.Render - Window Rendering) : window gone"));
    EXPECT_TRUE(quit);
    ZynLogSetQuitHook(nullptr);
}

TEST_F(VisTest, RandomStartSceneIsPickedOnTheFirstFrame)
{
    LogCapture log;
    zcSCENE_StartScene = -1;
    TVisObject vis;
    EXPECT_EQ(vis.CurrentScene, -1);
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    EXPECT_GE(vis.CurrentScene, 0);
    EXPECT_LT(vis.CurrentScene, 20);   // the texture scenes weigh 0
    EXPECT_FALSE(log.AnyContains("out of Range"));
}

TEST_F(VisTest, ThrowingFaderIsRebuiltAndTheChangeEnds)
{
    LogCapture log;
    static const std::vector<TZynSceneClass> scenes = {ZynSceneCatalogue()[0], ZynSceneCatalogue()[1]};
    static const std::vector<TZynFaderClass> faders = {ZynFaderClassOf<TfadeProbe>("TfadeProbe")};
    zcSCENE_StartScene = 0;
    TVisObject vis(scenes, faders);
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    vis.SceneChange(1, 0);
    TZynFader* before = vis.Faders->Items(0);
    TfadeProbe::Throw = true;
    vis.Frame(data, 0.1f);
    TfadeProbe::Throw = false;
    EXPECT_TRUE(log.Has("#ERROR : TVisObject.Frame (FMERGE) - fader broke"));
    EXPECT_TRUE(log.Has("RESTARTING FADER #0"));
    EXPECT_NE(vis.Faders->Items(0), before);
    EXPECT_GE(vis.FadeProgress, 1.0f);
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    // Out-of-range restarts write their line and the closing line.
    vis.RestartFader(10);
    EXPECT_TRUE(log.Has("#ERROR : TVisObject.RestartFader - Fade number out of Range [10]"));
    EXPECT_EQ(log.CountOf("FINSIHED RESTART"), 2);
}

TEST_F(VisTest, EveryCatalogueSceneRendersHeadlessOnScreenAndIntoATexture)
{
    LogCapture log;
    zcSCENE_StartScene = 0;
    TVisObject vis;
    TVisData data = Silence();
    vis.Frame(data, 0.0f);
    for (int32_t n = 0; n < vis.Scenes->Count(); n++) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        vis.RenderScene(n, data, 0.1f, 1.0f);
        // Into a texture as well, as a fade would ask.
        uint32_t store = 0;
        EXPECT_NE(vis.RenderSceneTex(n, data, 0.1f, 1.0f, store), 0u) << vis.Scenes->Items(n)->Name;
        if (store) {
            GLuint t = store;
            glDeleteTextures(1, &t);
        }
    }
    EXPECT_FALSE(log.AnyContains("#ERROR"));
}

TEST_F(VisTest, DuringAChangeEachSceneAdvancesOncePerFrame)
{
    LogCapture log;
    zcSCENE_StartScene = 0;
    TVisObject vis;
    TVisData data = Silence();
    vis.Frame(data, 0.0f);
    // Spinning Cube asks for both pictures as textures.
    vis.SceneChange(5, 5);
    ASSERT_TRUE(vis.Faders->Items(5)->NeedsNewTexture);
    float oldBefore = vis.Scenes->Items(0)->Time;
    vis.Frame(data, 0.25f);
    EXPECT_FLOAT_EQ(vis.Scenes->Items(5)->Time, 0.25f);
    EXPECT_FLOAT_EQ(vis.Scenes->Items(0)->Time, oldBefore + 0.25f);
    EXPECT_NE(vis.NewSceneTex, 0u);
    EXPECT_NE(vis.OldSceneTex, 0u);
    EXPECT_NE(vis.NewSceneTex, vis.OldSceneTex);
    EXPECT_FLOAT_EQ(vis.FadeProgress, 0.25f / zcFCUBE_Time);

    // A second change while one runs fades on from the scene that was incoming.
    vis.SceneChange(7, 0);
    EXPECT_EQ(vis.PreviousScene, 5);
    EXPECT_EQ(vis.FadeProgress, 0.0f);
    vis.Frame(data, 0.25f);
    EXPECT_FLOAT_EQ(vis.Scenes->Items(7)->Time, 0.25f);
    EXPECT_FLOAT_EQ(vis.Scenes->Items(5)->Time, 0.5f);   // not reset, kept running
    // The render-to-texture stores are dropped on a resize.
    glViewport(0, 0, 320, 240);
    vis.Frame(data, 0.1f);
    EXPECT_TRUE(log.Has("TZynTextures:TEMPORARY TEXTURE RESIZE (256x128)"));
    glViewport(0, 0, 640, 480);
}

namespace {
struct TfadeBrokenCreate : public TZynFader {
    static inline bool Throw = true;
    void Create(TVisObject* owner) override
    {
        TZynFader::Create(owner);
        Name = "Fixed";
        if (Throw) throw std::runtime_error("no memory for the grid");
    }
};
}  // namespace

TEST_F(VisTest, AClassThatFailsToBuildKeepsItsNumberAndCanBeRetried)
{
    LogCapture log;
    static const TZynSceneClass probe = ZynSceneClassOf<TvisProbe>("TvisProbe");
    static const std::vector<TZynSceneClass> scenes = {ZynSceneCatalogue()[0], probe, ZynSceneCatalogue()[2]};
    static const std::vector<TZynFaderClass> faders = {ZynFaderClassOf<TfadeBrokenCreate>("TfadeBroken")};
    ProbeSettings::ThrowInInit = true;
    TfadeBrokenCreate::Throw = true;
    zcSCENE_StartScene = 0;
    TVisObject vis(scenes, faders);
    EXPECT_TRUE(log.Has("#ERROR : TVisObject.Create - COULD NOT CREATE SCENE [1] TvisProbe - init failed"));
    EXPECT_TRUE(log.Has("#ERROR : TVisObject.Create - COULD NOT CREATE FADER [0] TfadeBroken - no memory for the grid"));
    ASSERT_EQ(vis.Scenes->Count(), 3);
    EXPECT_EQ(vis.Scenes->Items(2)->Section, "SSPHERE");
    EXPECT_EQ(vis.Scenes->Items(1)->Name, "TvisProbe");
    // The stand-ins work: a change through the base fader cuts after one frame.
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    vis.SceneChange(1, 0);
    vis.Frame(data, 0.1f);
    EXPECT_GE(vis.FadeProgress, 1.0f);
    // Once the class builds, a restart brings the real scene and fader.
    ProbeSettings::ThrowInInit = false;
    TfadeBrokenCreate::Throw = false;
    vis.Scenes->RestartScene(1);
    vis.RestartFader(0);
    EXPECT_EQ(vis.Scenes->Items(1)->Name, "Probe");
    EXPECT_EQ(vis.Faders->Items(0)->Name, "Fixed");
}

TEST_F(VisTest, TimersAndBindingsAreWiredByDefault)
{
    LogCapture log;
    ZynVisHooks = ZynVisDefaultHooks();
    ASSERT_TRUE(ZynVisHooks.ExecuteBinding);
    ASSERT_TRUE(ZynVisHooks.TimerAdvance);
    float before = zcPREF_Intro;
    TimerReset();
    TimerAdd("enginetest", "VarInc([PREF.Intro])", 0.15f);
    {
        TVisObject vis;
        TVisData data = Silence();
        vis.Frame(data, 0.1f);   // the first frame passes no time
        EXPECT_FLOAT_EQ(zcPREF_Intro, before);
        vis.Frame(data, 0.1f);
        EXPECT_FLOAT_EQ(zcPREF_Intro, before);
        vis.Frame(data, 0.1f);
        EXPECT_FLOAT_EQ(zcPREF_Intro, before + 0.5f);
    }
    TimerReset();
    zcPREF_Intro = before;
}

TEST_F(VisTest, AnInvalidSceneIsReportedOncePerChangeNotPerFrame)
{
    // Before: "Scene number out of Range [-1]" 1,800 times a second.
    TVisObject vis;
    TVisData data = Silence();
    vis.Frame(data, 0.1f);
    LogCapture log;
    for (int32_t bad : {-7, 99, -7})
        for (int i = 0; i < 3; i++) vis.RenderScene(bad, data, 0.1f, 1.0f);
    vis.RenderScene(0, data, 0.1f, 1.0f);
    vis.RenderScene(99, data, 0.1f, 1.0f);
    const std::string line = "#ERROR : TVisObject.RenderScene - Scene number out of Range [";
    EXPECT_EQ(log.CountOf(line + "-7]"), 2);   // at each change to it
    EXPECT_EQ(log.CountOf(line + "99]"), 2);   // and again after a valid scene
}
